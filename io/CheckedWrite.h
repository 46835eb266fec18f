#pragma once

#include <QByteArrayView>
#include <QString>

class QFileDevice;

// Writing that ends in success or in the system's reason for failing. A device that
// takes part of a write (a disk filling up) is asked for the rest, so that the failure,
// when it comes, carries its reason ("No space left on device") in errorString().
namespace CheckedWrite {

bool writeAll(QFileDevice &file, QByteArrayView bytes);
// Pushes the file's bytes to the disk, so that a crash after a rename cannot leave a file
// that exists but is empty or half-written; false and *error with the system's reason.
bool syncToDisk(QFileDevice &file, QString *error);

} // namespace CheckedWrite
