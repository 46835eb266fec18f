#pragma once

#include "io/FileStamp.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QFile>
#include <QString>
#include <memory>

// A data file opened read-only for the life of a store. Bytes are copied out of the
// file, never mapped into memory: a file that another program cuts or rewrites while
// it is open can only give short or different reads, never a crash. The stamp taken
// at opening tells whether the file has changed since.
class DataFile
{
public:
    DataFile();
    ~DataFile();
    DataFile(const DataFile &) = delete;
    DataFile &operator=(const DataFile &) = delete;

    // Only regular files are opened: a FIFO or a device would block every read.
    bool open(const QString &path, QString *error = nullptr);
    void close();

    bool isOpen() const { return file->isOpen(); }
    QString fileName() const { return file->fileName(); }
    QString errorString() const { return error; }
    // The size when the file was opened; reads never go past it.
    qint64 size() const { return opened.size; }
    const FileStamp &stamp() const { return opened; }
    // The file on disk is no longer the one that was opened, or no longer as it was.
    bool hasChanged() const;

    // Up to length bytes at offset: fewer where the file ends, none outside it or when
    // the read fails.
    QByteArray read(qint64 offset, qint64 length) const;
    // Exactly length bytes at offset into out; false when they cannot all be read.
    bool readExactly(qint64 offset, qint64 length, char *out) const;
    // The bytes read() gives, lent instead of copied: valid until the file is read again.
    QByteArrayView view(qint64 offset, qint64 length) const;
    // Bytes handed out by reads since the file was opened: what the readers' work grows with.
    qint64 bytesRead() const { return handedOut; }
    // The whole file, when it is at most limit bytes long; otherwise empty and *error says why.
    QByteArray readAll(qint64 limit, QString *error = nullptr) const;

private:
    // Where length bytes at offset are in the window, read into it when they are not;
    // null when they cannot all be read.
    const char *lend(qint64 offset, qint64 length) const;
    bool fill(qint64 offset, qint64 length) const;

    std::unique_ptr<QFile> file;
    FileStamp opened;
    QString error;
    // Reads nearby in the file are served from one window read ahead in a single call:
    // palettes and the saver read neighbouring records one after another.
    mutable QByteArray window;
    mutable qint64 windowStart = 0;
    mutable qint64 handedOut = 0;
};
