#pragma once

#include "io/MypEntry.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QVector>

// Lays out a MYP container: the header and every table come first, the data blocks
// after them. The number of entries is fixed up front, so that the data can be written
// before the tables are known; headerAndTables() then gives the bytes that go in front
// of them. Entries left unused stay zero (offset 0), as the format allows.
class MypWriter
{
public:
    static constexpr quint32 Version = 5;
    // Written into the signature field; nothing that reads a container checks it.
    static constexpr quint32 Signature = 0xFD23EC43;
    // The header is padded to this size: where the first table usually starts.
    static constexpr qint64 HeaderSize = 0x200;

    // entryCapacity: the most entries the container will hold; tableCapacity: entries per
    // table (at least 1).
    MypWriter(int entryCapacity, int tableCapacity);

    // Where the first data block goes: just after the last table.
    qint64 dataStart() const;
    // False when the container already holds as many entries as it was laid out for.
    bool add(const MypEntry &entry);
    int entryCount() const { return int(entries.size()); }
    // The bytes from the start of the file to dataStart().
    QByteArray headerAndTables() const;

    // The entry of stored bytes placed at offset, with their Adler-32.
    static MypEntry entryFor(
        quint64 hash, quint64 offset, QByteArrayView stored, quint16 compression, quint32 decompressedLength);
    // The same, for stored bytes whose length and Adler-32 are known.
    static MypEntry entryFor(quint64 hash, quint64 offset, quint32 storedLength, quint32 checksum,
        quint16 compression, quint32 decompressedLength);

private:
    int tableCount() const;
    int tableEntries(int table) const;
    qint64 tableOffset(int table) const;

    int capacity;
    int perTable;
    QVector<MypEntry> entries;
};
