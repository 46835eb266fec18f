#pragma once

#include <QtGlobal>

// What both layouts of tiledata.mul share: a land section of 512 blocks, then static
// blocks to the end of the file; every block is a 4-byte header and 32 records. Record
// and block sizes differ by layout: see TileDataLayout.
namespace TileDataFormat {

constexpr int LandCount = 16384;
// Static ids an edit may name: a full file holds 65536 statics.
constexpr int MaxStaticCount = 0x10000;
constexpr int RecordsPerBlock = 32;
constexpr int LandBlockCount = LandCount / RecordsPerBlock; // 512
constexpr int BlockHeaderSize = 4;
constexpr int NameSize = 20;
// The fields after the flags: texture id and name for land; weight to height and name
// for statics. The same in both layouts.
constexpr int LandFieldsSize = 2 + NameSize;
constexpr int StaticFieldsSize = 13 + NameSize;
// Far more than a file of the most static records the format can number.
constexpr qint64 MaxFileSize = 64 * 1024 * 1024;

} // namespace TileDataFormat
