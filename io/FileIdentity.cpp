#include "io/FileIdentity.h"

#include <QFile>
#include <sys/stat.h>

FileIdentity FileIdentity::of(const QString &path)
{
    FileIdentity identity;
    struct stat info;
    if (path.isEmpty() || ::stat(QFile::encodeName(path).constData(), &info) != 0)
        return identity;
    identity.valid = true;
    identity.device = quint64(info.st_dev);
    identity.inode = quint64(info.st_ino);
    return identity;
}
