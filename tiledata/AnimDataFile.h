#pragma once

#include "io/MappedFile.h"
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
    void setFileName(const QString &path);
    QString fileName() const { return file.fileName(); }

    static constexpr qint64 entryPosition(int id)
    {
        return qint64(id / EntriesPerBlock) * BlockSize + (id % EntriesPerBlock) * AnimDataEntry::Size
            + BlockHeaderSize;
    }

    // Bytes past the end of the file (or a missing file) read as 0.
    AnimDataEntry readEntry(int id) const;

private:
    MappedFile file;
};
