#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>
#include <memory>

// The private, owner-only directory in which a store keeps one file per pending edit.
// It is created inside the given parent directory (the system temporary directory
// when empty) and removed with everything in it when this object goes.
class PendingEditDirectory
{
public:
    explicit PendingEditDirectory(const QString &parentDirectory = QString());
    ~PendingEditDirectory();

    bool isValid() const;
    QString path() const;
    QString filePath(const QString &fileName) const;

    // Writes the whole file or nothing (a failed write leaves an older file as it was).
    bool writeFile(const QString &fileName, const QByteArray &bytes, QString *error) const;
    // Reads a file that this directory holds; empty on failure.
    static QByteArray readFile(const QString &path);
    static void removeFile(const QString &path);

private:
    std::unique_ptr<QTemporaryDir> m_dir;
};
