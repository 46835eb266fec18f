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

// Writes path whole or not at all without waiting for the disk: the file gets its name
// only once it is whole (written without a name where the system allows, else under a
// temporary name beside it, then renamed over path), so that neither a failure nor the
// program's end leaves it cut short, and nothing else is left behind. A power cut before
// the next syncFileSystem may lose it. False and *error with the system's reason.
bool writeWholeFile(const QString &path, QByteArrayView bytes, QString *error);
// Pushes everything written on the file system that holds directory to the disk: one
// wait for many files written by writeWholeFile.
bool syncFileSystem(const QString &directory, QString *error);
// Pushes a directory's entries to the disk: a file renamed into it keeps its name across
// a power cut. False where the system cannot.
bool syncDirectory(const QString &directory);

} // namespace CheckedWrite
