#pragma once

#include <QtGlobal>

// Layout of a MYP container (the .uop files), all little-endian: a header, then a chain
// of tables whose entries point at data blocks anywhere in the file.
namespace MypFormat {

constexpr quint32 Magic = 0x0050594D; // "MYP\0"
constexpr quint32 OldestVersion = 4;
constexpr quint32 NewestVersion = 5;

// Header: u32 magic, u32 version, u32 signature, u64 first table, u32 table capacity,
// u32 number of files; reserved bytes follow.
constexpr int VersionOffset = 4;
constexpr int SignatureOffset = 8;
constexpr int FirstTableOffset = 12;
constexpr int TableCapacityOffset = 20;
constexpr int FileCountOffset = 24;
constexpr int HeaderFieldsSize = 28;

// Table: u32 number of entries, u64 next table (0 ends the chain), then the entries.
constexpr int TableHeaderSize = 12;
// Entry: u64 data block (0 = unused), u32 header length, u32 stored length,
// u32 decompressed length, u64 name hash, u32 Adler-32 of the stored bytes, u16 compression.
constexpr int EntrySize = 34;
constexpr int EntryHeaderLengthOffset = 8;
constexpr int EntryStoredLengthOffset = 12;
constexpr int EntryDecompressedLengthOffset = 16;
constexpr int EntryHashOffset = 20;
constexpr int EntryChecksumOffset = 28;
constexpr int EntryCompressionOffset = 32;

constexpr quint16 CompressionNone = 0;
constexpr quint16 CompressionZlib = 1;

constexpr qint64 tableSize(qint64 entries)
{
    return TableHeaderSize + entries * EntrySize;
}

} // namespace MypFormat
