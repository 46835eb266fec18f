#include "io/DirectoryLock.h"

#include <QDir>
#include <QFile>

const QString DirectoryLock::FileName = QStringLiteral(".tessera-save.lock");

DirectoryLock::DirectoryLock(const QString &directory)
    : directory(directory), file(QDir(directory).filePath(FileName))
{
    // A save may well run longer than any fixed age: only a holder that has ended is stale.
    file.setStaleLockTime(0);
}

bool DirectoryLock::lock(int waitMs)
{
    if (file.tryLock(waitMs))
        return true;
    const QString where = QDir::toNativeSeparators(directory);
    if (heldElsewhere()) {
        error
            = QStringLiteral("Another save into %1 is under way. Try again when it has finished.").arg(where);
        return false;
    }
    // QLockFile names no reason: creating a file there tells the system's own.
    QFile probe(QDir(directory).filePath(FileName));
    QString reason = QStringLiteral("the lock file cannot be made");
    if (!probe.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        reason = probe.errorString();
    else
        probe.remove();
    error = QStringLiteral("Cannot write into %1: %2").arg(where, reason);
    return false;
}
