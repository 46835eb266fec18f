#include "io/TableFile.h"

#include "io/CheckedWrite.h"
#include "io/DataFile.h"

#include <QFileInfo>
#include <QSaveFile>

bool TableFile::read(const QString &path, QByteArray *bytes, QString *error)
{
    DataFile file;
    if (!file.open(path, error))
        return false;
    *bytes = file.readAll(MaxSize, error);
    return bytes->size() == file.size();
}

bool TableFile::write(const QString &path, const QByteArray &bytes, QString *error)
{
    const QFileInfo target(path);
    if (target.exists() && !target.isFile()) {
        *error = QStringLiteral("not a regular file: a folder, pipe or device is left as it is");
        return false;
    }
    QSaveFile file(path);
    // Unbuffered, so that a write cut short by a full disk fails itself, with the reason.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered) || !CheckedWrite::writeAll(file, bytes)
        || !file.commit()) {
        *error = file.errorString();
        return false;
    }
    return true;
}
