#include "io/CheckedWrite.h"

#include <QFileDevice>

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
