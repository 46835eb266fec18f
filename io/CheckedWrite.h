#pragma once

#include <QByteArrayView>

class QFileDevice;

// Writing that ends in success or in the system's reason for failing. A device that
// takes part of a write (a disk filling up) is asked for the rest, so that the failure,
// when it comes, carries its reason ("No space left on device") in errorString().
namespace CheckedWrite {

bool writeAll(QFileDevice &file, QByteArrayView bytes);

} // namespace CheckedWrite
