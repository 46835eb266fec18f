#pragma once

#include <QtGlobal>

// Layout of tiledata.mul: a land section of 512 blocks, then static blocks to the end
// of the file; every block is a 4-byte header and 32 records.
namespace TileDataFormat {

constexpr int LandCount = 16384;
// Static ids an edit may name: a full file holds 65536 statics.
constexpr int MaxStaticCount = 0x10000;
constexpr int RecordsPerBlock = 32;
constexpr int BlockHeaderSize = 4;
constexpr int LandRecordSize = 26;
constexpr int StaticRecordSize = 37;
constexpr int LandBlockSize = BlockHeaderSize + RecordsPerBlock * LandRecordSize; // 836
constexpr int StaticBlockSize = BlockHeaderSize + RecordsPerBlock * StaticRecordSize; // 1188
constexpr qint64 LandSectionSize = qint64(LandCount / RecordsPerBlock) * LandBlockSize; // 428032
constexpr int NameSize = 20;
// Far more than a file of the most static records the format can number.
constexpr qint64 MaxFileSize = 64 * 1024 * 1024;
// Land and static records share one key space in the pending map.
constexpr int StaticKeyBase = 0x4000;

constexpr qint64 landPosition(int id)
{
    return qint64(id / RecordsPerBlock) * LandBlockSize + (id % RecordsPerBlock) * LandRecordSize
        + BlockHeaderSize;
}
constexpr qint64 staticPosition(int id)
{
    return qint64(id / RecordsPerBlock) * StaticBlockSize + (id % RecordsPerBlock) * StaticRecordSize
        + LandSectionSize + BlockHeaderSize;
}
constexpr int staticCountForSize(qint64 fileSize)
{
    return fileSize < LandSectionSize ? 0
                                      : int((fileSize - LandSectionSize) / StaticBlockSize) * RecordsPerBlock;
}

} // namespace TileDataFormat
