#include "io/FileIdentity.h"

#include <QFile>
#include <QFileInfo>
#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

FileIdentity FileIdentity::of(const QString &path)
{
    FileIdentity identity;
    if (path.isEmpty())
        return identity;
#ifdef Q_OS_UNIX
    struct stat info;
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return identity;
    identity.device = quint64(info.st_dev);
    identity.inode = quint64(info.st_ino);
#else
    // Without inodes the canonical path (links resolved) is the file's identity.
    const QString canonical = QFileInfo(path).canonicalFilePath();
    if (canonical.isEmpty())
        return identity;
    identity.inode = qHash(canonical.toCaseFolded());
#endif
    identity.valid = true;
    return identity;
}
