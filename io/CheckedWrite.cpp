#include "io/CheckedWrite.h"

#include <QFileDevice>
#include <cerrno>
#include <cstring>
#ifdef Q_OS_WIN
#include <io.h>
#else
#include <unistd.h>
#endif

bool CheckedWrite::writeAll(QFileDevice &file, QByteArrayView bytes)
{
    const char *data = bytes.data();
    qint64 left = bytes.size();
    while (left > 0) {
        const qint64 written = file.write(data, left);
        if (written <= 0)
            return false;
        data += written;
        left -= written;
    }
    return true;
}

bool CheckedWrite::syncToDisk(QFileDevice &file, QString *error)
{
    if (!file.flush()) {
        *error = file.errorString();
        return false;
    }
#ifdef Q_OS_WIN
    const bool synced = _commit(file.handle()) == 0;
#else
    const bool synced = ::fsync(file.handle()) == 0;
#endif
    if (!synced)
        *error = QString::fromLocal8Bit(std::strerror(errno));
    return synced;
}
