#include "io/MypWriter.h"

#include "io/MypFormat.h"
#include "io/Zlib.h"

#include <QtEndian>

using namespace MypFormat;

namespace {

void putEntry(char *p, const MypEntry &entry)
{
    qToLittleEndian<quint64>(entry.offset, p);
    qToLittleEndian<quint32>(entry.headerLength, p + EntryHeaderLengthOffset);
    qToLittleEndian<quint32>(entry.storedLength, p + EntryStoredLengthOffset);
    qToLittleEndian<quint32>(entry.decompressedLength, p + EntryDecompressedLengthOffset);
    qToLittleEndian<quint64>(entry.hash, p + EntryHashOffset);
    qToLittleEndian<quint32>(entry.checksum, p + EntryChecksumOffset);
    qToLittleEndian<quint16>(entry.compression, p + EntryCompressionOffset);
}

} // namespace

MypWriter::MypWriter(int entryCapacity, int tableCapacity)
    : capacity(qMax(entryCapacity, 0)), perTable(qMax(tableCapacity, 1))
{
    entries.reserve(capacity);
}

int MypWriter::tableCount() const
{
    // An empty container still has one (empty) table.
    return qMax(1, (capacity + perTable - 1) / perTable);
}

int MypWriter::tableEntries(int table) const
{
    return qMin(perTable, capacity - table * perTable);
}

qint64 MypWriter::tableOffset(int table) const
{
    return HeaderSize + qint64(table) * tableSize(perTable);
}

qint64 MypWriter::dataStart() const
{
    const int last = tableCount() - 1;
    return tableOffset(last) + tableSize(tableEntries(last));
}

bool MypWriter::add(const MypEntry &entry)
{
    if (entries.size() >= capacity)
        return false;
    entries.append(entry);
    return true;
}

QByteArray MypWriter::headerAndTables() const
{
    QByteArray bytes(dataStart(), '\0');
    char *out = bytes.data();
    qToLittleEndian<quint32>(Magic, out);
    qToLittleEndian<quint32>(Version, out + VersionOffset);
    qToLittleEndian<quint32>(Signature, out + SignatureOffset);
    qToLittleEndian<quint64>(quint64(tableOffset(0)), out + FirstTableOffset);
    qToLittleEndian<quint32>(quint32(perTable), out + TableCapacityOffset);
    qToLittleEndian<quint32>(quint32(entries.size()), out + FileCountOffset);
    for (int table = 0; table < tableCount(); ++table) {
        char *at = out + tableOffset(table);
        const bool last = table == tableCount() - 1;
        qToLittleEndian<quint32>(quint32(tableEntries(table)), at);
        qToLittleEndian<quint64>(last ? 0 : quint64(tableOffset(table + 1)), at + 4);
        for (int i = 0; i < tableEntries(table); ++i) {
            const int index = table * perTable + i;
            if (index < entries.size())
                putEntry(at + TableHeaderSize + qsizetype(i) * EntrySize, entries.at(index));
        }
    }
    return bytes;
}

MypEntry MypWriter::entryFor(
    quint64 hash, quint64 offset, QByteArrayView stored, quint16 compression, quint32 decompressedLength)
{
    return entryFor(
        hash, offset, quint32(stored.size()), Zlib::adler32(stored), compression, decompressedLength);
}

MypEntry MypWriter::entryFor(quint64 hash, quint64 offset, quint32 storedLength, quint32 checksum,
    quint16 compression, quint32 decompressedLength)
{
    MypEntry entry;
    entry.offset = offset;
    entry.storedLength = storedLength;
    entry.decompressedLength = decompressedLength;
    entry.hash = hash;
    entry.checksum = checksum;
    entry.compression = compression;
    return entry;
}
