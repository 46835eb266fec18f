#include "io/PendingRecord.h"

#include <QFile>
#include <QFileInfo>

bool PendingRecord::exists() const
{
    return !isNull() && QFileInfo(path).isFile();
}

qint64 PendingRecord::currentSize() const
{
    const QFileInfo info(path);
    if (isNull() || !info.isFile())
        return -1;
    if (size < 0)
        return info.size();
    return offset + size <= info.size() ? size : -1;
}

QByteArray PendingRecord::read(QString *error) const
{
    QFile file(path);
    if (isNull() || !file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = isNull() ? QStringLiteral("no record") : file.errorString();
        return {};
    }
    if (size < 0)
        return file.readAll();
    QByteArray bytes;
    if (file.seek(offset))
        bytes = file.read(size);
    if (bytes.size() == size)
        return bytes;
    if (error)
        *error = file.error() != QFileDevice::NoError ? file.errorString() : QStringLiteral("it changed size");
    return {};
}
