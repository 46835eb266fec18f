#pragma once

#include <QtGlobal>

// Layout of artidx.mul and art.mul.
namespace ArtFormat {

constexpr int TerrainCount = 16384;
// Static ids that an edit may name, in artidx.mul and tiledata.mul alike.
constexpr int MaxStaticCount = 0x10000;
// Static id n uses index slot StaticIdBase + n.
constexpr int StaticIdBase = 0x4000;
constexpr int IndexEntrySize = 12;

constexpr int TerrainSize = 44;
constexpr int TerrainHalfRows = 22;
constexpr int TerrainWordCount = 1012;
constexpr int TerrainRecordSize = 2 * TerrainWordCount;

// A static record: uint32 header, int16 width, int16 height, int16 line table (each
// line's offset in words from the end of the table), then each line's runs: int16 x
// offset from the end of the previous run, int16 length, that many colour words; a
// run of 0, 0 ends the line.
constexpr int StaticHeaderSize = 4;
constexpr int StaticLineTableOffset = 8;
constexpr int StaticRunHeaderSize = 4;
// Largest width and height of a static image: real statics are at most a few hundred
// pixels a side, so anything larger is damage, and a decoded image stays within 4 MB.
constexpr int MaxStaticSide = 1024;
// A line table entry and a run's x offset are int16 words.
constexpr int MaxStaticWordOffset = 32767;
// The most bytes a static record that decodes can span: its line table, a last line
// starting as far as a line offset reaches, and that line's runs: at most one per pixel
// of the widest image and an end marker, their words reaching at most to the right edge
// except the last run's, which may run on for as many words as an int16 counts.
constexpr qint64 MaxStaticRecordSize = StaticLineTableOffset + 2 * qint64(MaxStaticSide)
    + 2 * qint64(MaxStaticWordOffset) + qint64(MaxStaticSide + 1) * StaticRunHeaderSize
    + 2 * (qint64(MaxStaticSide - 1) + MaxStaticWordOffset);
// The longest record of any tile that can be drawn.
constexpr qint64 MaxRecordSize
    = MaxStaticRecordSize > TerrainRecordSize ? MaxStaticRecordSize : TerrainRecordSize;

constexpr quint16 ColorMask = 0x7fff;
constexpr quint16 OpaqueBit = 0x8000;

// First pixel and pixel count of diamond row y of a terrain tile.
constexpr int terrainRowStart(int y)
{
    return y < TerrainHalfRows ? TerrainHalfRows - 1 - y : y - TerrainHalfRows;
}
constexpr int terrainRowLength(int y)
{
    return y < TerrainHalfRows ? 2 + 2 * y : TerrainSize - 2 * (y - TerrainHalfRows);
}

} // namespace ArtFormat
