#include "io/PendingEditDirectory.h"

#include "io/CheckedWrite.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>

PendingEditDirectory::PendingEditDirectory(const QString &parentDirectory)
{
    const QString parent = parentDirectory.isEmpty() ? QDir::tempPath() : parentDirectory;
    // QTemporaryDir creates the directory with owner-only permissions and a unique name,
    // so no other user can plant files in it and two running copies never share one.
    m_dir = std::make_unique<QTemporaryDir>(QDir(parent).filePath(QStringLiteral("tessera-XXXXXX")));
}

PendingEditDirectory::~PendingEditDirectory() = default;

bool PendingEditDirectory::isValid() const
{
    return m_dir->isValid();
}

QString PendingEditDirectory::path() const
{
    return m_dir->isValid() ? m_dir->path() : QString();
}

QString PendingEditDirectory::filePath(const QString &fileName) const
{
    return m_dir->filePath(fileName);
}

bool PendingEditDirectory::writeFile(const QString &fileName, const QByteArray &bytes, QString *error) const
{
    if (!m_dir->isValid()) {
        if (error)
            *error
                = QStringLiteral("Cannot create a directory for pending edits: %1").arg(m_dir->errorString());
        return false;
    }
    QSaveFile file(filePath(fileName));
    // Unbuffered, so that a full disk fails the write itself and its reason is the system's.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered) || !CheckedWrite::writeAll(file, bytes)
        || !file.commit()) {
        if (error)
            *error = QStringLiteral("Cannot write %1: %2").arg(file.fileName(), file.errorString());
        file.cancelWriting();
        return false;
    }
    return true;
}

QByteArray PendingEditDirectory::readFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

void PendingEditDirectory::removeFile(const QString &path)
{
    if (!path.isEmpty())
        QFile::remove(path);
}
