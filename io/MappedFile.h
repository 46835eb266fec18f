#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QFile>
#include <QString>

// A data file opened read-only and mapped into memory (or read whole where mapping is
// not possible), so that records are decoded from memory instead of by stream reads.
class MappedFile
{
public:
    MappedFile() = default;
    explicit MappedFile(const QString &path);
    MappedFile(const MappedFile &) = delete;
    MappedFile &operator=(const MappedFile &) = delete;

    bool open(const QString &path);
    void close();

    bool isOpen() const { return m_open; }
    QString fileName() const { return m_file.fileName(); }
    QString errorString() const { return m_error; }
    qint64 size() const { return m_bytes.size(); }
    QByteArrayView bytes() const { return m_bytes; }

    // The bytes from offset to the end of the file; empty when offset lies outside it.
    QByteArrayView from(qint64 offset) const;
    // Exactly length bytes at offset, or an empty view when they are not all in the file.
    QByteArrayView slice(qint64 offset, qint64 length) const;

private:
    QFile m_file;
    QByteArray m_copy;
    QByteArrayView m_bytes;
    QString m_error;
    bool m_open = false;
};
