#pragma once

#include "io/DataFile.h"
#include "tiledata/AnimDataEntry.h"

#include <QString>

// Reader of animdata.mul: blocks of a 4-byte header and 8 entries of 68 bytes.
class AnimDataFile
{
public:
    static constexpr int EntriesPerBlock = 8;
    static constexpr int BlockHeaderSize = 4;
    static constexpr int BlockSize = BlockHeaderSize + EntriesPerBlock * AnimDataEntry::Size; // 548

    AnimDataFile() = default;
    // Reads the file whole; false (and *error naming it) when it cannot be read.
    bool setFileName(const QString &path, QString *error = nullptr);
    QString fileName() const { return file.fileName(); }
    const DataFile &dataFile() const { return file; }
    // Why the file could not be read; empty when it was.
    QString errorString() const { return loadError; }
    // The file's bytes as read when it was opened.
    const QByteArray &fileBytes() const { return bytes; }

    static constexpr qint64 entryPosition(int id)
    {
        return qint64(id / EntriesPerBlock) * BlockSize + (id % EntriesPerBlock) * AnimDataEntry::Size
            + BlockHeaderSize;
    }

    // Bytes past the end of the file (or a missing file) read as 0.
    AnimDataEntry readEntry(int id) const;

private:
    DataFile file;
    QByteArray bytes;
    QString loadError;
};
