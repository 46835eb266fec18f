#pragma once

#include <QLockFile>
#include <QString>

// Keeps other saves out of a directory while one writes and commits its files there: a
// lock file that lives as long as this object. A lock left by a process that has ended
// is taken over.
class DirectoryLock
{
public:
    static const QString FileName;

    explicit DirectoryLock(const QString &directory);

    // Waits up to waitMs for another holder to let go; false, and errorString() says
    // why, when it does not or the lock cannot be made there.
    bool lock(int waitMs);
    // After a failed lock: another live process holds it.
    bool heldElsewhere() const { return file.error() == QLockFile::LockFailedError; }
    QString errorString() const { return error; }

private:
    QString directory;
    QLockFile file;
    QString error;
};
