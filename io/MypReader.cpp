#include "io/MypReader.h"

#include "io/MypFormat.h"
#include "io/Zlib.h"

#include <QDir>
#include <QSet>
#include <QtEndian>

using namespace MypFormat;

namespace {

QString hex(quint64 value)
{
    return QStringLiteral("0x%1").arg(value, 0, 16);
}

MypEntry parseEntry(const char *p)
{
    MypEntry entry;
    entry.offset = qFromLittleEndian<quint64>(p);
    entry.headerLength = qFromLittleEndian<quint32>(p + EntryHeaderLengthOffset);
    entry.storedLength = qFromLittleEndian<quint32>(p + EntryStoredLengthOffset);
    entry.decompressedLength = qFromLittleEndian<quint32>(p + EntryDecompressedLengthOffset);
    entry.hash = qFromLittleEndian<quint64>(p + EntryHashOffset);
    entry.checksum = qFromLittleEndian<quint32>(p + EntryChecksumOffset);
    entry.compression = qFromLittleEndian<quint16>(p + EntryCompressionOffset);
    return entry;
}

} // namespace

bool MypReader::open(const QString &path, qint64 maxEntryLength, QString *error)
{
    entries.clear();
    byHash.clear();
    problems.clear();
    oversized.clear();
    repeated.clear();
    structureNotes.clear();
    openError.clear();
    inflated = 0;
    headerVersion = 0;
    maxLength = maxEntryLength;
    if (!data.open(path, &openError)) {
        if (error)
            *error = openError;
        return false;
    }
    quint64 firstTable = 0;
    quint32 fileCount = 0;
    QString why;
    if (!readHeader(&firstTable, &fileCount, &why) || !readTables(firstTable, &why))
        return fail(why, error);
    int mismatched = 0;
    for (const MypEntry &entry : entries)
        mismatched += entry.compression == CompressionNone && entry.storedLength != entry.decompressedLength;
    if (mismatched > 0)
        structureNotes.append(QStringLiteral("%1 uncompressed entries state a decompressed length other than "
                                             "their stored length; their stored bytes are read.")
                                  .arg(mismatched));
    if (fileCount != quint32(entries.size()))
        structureNotes.append(QStringLiteral("The header counts %1 files, the tables hold %2.")
                                  .arg(fileCount)
                                  .arg(entries.size()));
    return true;
}

bool MypReader::fail(const QString &why, QString *error)
{
    openError = QStringLiteral("%1 is damaged: %2.").arg(QDir::toNativeSeparators(data.fileName()), why);
    data.close();
    entries.clear();
    byHash.clear();
    problems.clear();
    oversized.clear();
    repeated.clear();
    structureNotes.clear();
    if (error)
        *error = openError;
    return false;
}

bool MypReader::readHeader(quint64 *firstTable, quint32 *fileCount, QString *why)
{
    char header[HeaderFieldsSize];
    if (!data.readExactly(0, HeaderFieldsSize, header)) {
        *why = QStringLiteral("it is %1 bytes long, too short for a container header").arg(data.size());
        return false;
    }
    if (qFromLittleEndian<quint32>(header) != Magic) {
        *why = QStringLiteral("it is not a MYP container (it does not start with \"MYP\")");
        return false;
    }
    headerVersion = qFromLittleEndian<quint32>(header + VersionOffset);
    if (headerVersion < OldestVersion || headerVersion > NewestVersion) {
        *why = QStringLiteral("it is a container of version %1; versions %2 and %3 are read")
                   .arg(headerVersion)
                   .arg(OldestVersion)
                   .arg(NewestVersion);
        return false;
    }
    *firstTable = qFromLittleEndian<quint64>(header + FirstTableOffset);
    *fileCount = qFromLittleEndian<quint32>(header + FileCountOffset);
    return true;
}

bool MypReader::readTables(quint64 firstTable, QString *why)
{
    QSet<quint64> visited;
    quint64 offset = firstTable;
    while (offset != 0) {
        if (visited.contains(offset)) {
            *why = QStringLiteral("its table chain loops back to the table at %1").arg(hex(offset));
            return false;
        }
        if (visited.size() >= MaxTables) {
            *why
                = QStringLiteral("its table chain is longer than any container's (%1 tables)").arg(MaxTables);
            return false;
        }
        visited.insert(offset);
        if (!readTable(offset, &offset, why))
            return false;
    }
    return true;
}

bool MypReader::readTable(quint64 offset, quint64 *next, QString *why)
{
    const quint64 size = quint64(data.size());
    char header[TableHeaderSize];
    if (offset < quint64(HeaderFieldsSize)) {
        *why = QStringLiteral("its table chain points into the header (a table at %1)").arg(hex(offset));
        return false;
    }
    if (offset > size - TableHeaderSize || !data.readExactly(qint64(offset), TableHeaderSize, header)) {
        *why = QStringLiteral("its table chain leaves the file (a table at %1 in a file of %2 bytes)")
                   .arg(hex(offset))
                   .arg(size);
        return false;
    }
    const quint32 count = qFromLittleEndian<quint32>(header);
    *next = qFromLittleEndian<quint64>(header + 4);
    const quint64 room = (size - offset - TableHeaderSize) / EntrySize;
    // Entries of all tables together cannot outnumber what the file holds, whatever
    // tables overlap: this bounds the memory a damaged chain can ask for.
    if (count > room || quint64(entries.size()) + count > qMin<quint64>(size / EntrySize, MaxEntries)) {
        *why = QStringLiteral("the table at %1 holds %2 entries, more than fit in the file")
                   .arg(hex(offset))
                   .arg(count);
        return false;
    }
    const QByteArray table = data.read(qint64(offset) + TableHeaderSize, qint64(count) * EntrySize);
    if (table.size() != qint64(count) * EntrySize) {
        *why = QStringLiteral("the table at %1 cannot be read").arg(hex(offset));
        return false;
    }
    for (quint32 i = 0; i < count; ++i) {
        const MypEntry entry = parseEntry(table.constData() + qsizetype(i) * EntrySize);
        if (entry.isUsed())
            addEntry(entry);
    }
    return true;
}

void MypReader::addEntry(const MypEntry &entry)
{
    const int index = int(entries.size());
    entries.append(entry);
    const QString problem = checkEntry(entry);
    if (!problem.isEmpty())
        problems.insert(index, problem);
    else if (qint64(entry.storedLength) > maxLength || qint64(entry.decompressedLength) > maxLength)
        oversized.insert(index,
            QStringLiteral("its stated length (%1 bytes) is beyond any record (at most %2 bytes)")
                .arg(qMax(entry.storedLength, entry.decompressedLength))
                .arg(maxLength));
    if (byHash.contains(entry.hash))
        repeated.append(index);
    else
        byHash.insert(entry.hash, index);
}

QString MypReader::checkEntry(const MypEntry &entry) const
{
    const quint64 size = quint64(data.size());
    if (entry.compression != CompressionNone && entry.compression != CompressionZlib)
        return QStringLiteral("its compression (%1) is unknown").arg(entry.compression);
    if (entry.offset > size || entry.headerLength > size - entry.offset
        || entry.storedLength > size - entry.offset - entry.headerLength)
        return QStringLiteral("its bytes (%1 at %2) lie outside the file")
            .arg(entry.storedLength)
            .arg(hex(entry.dataStart()));
    return QString();
}

QByteArray MypReader::readStored(int index, QString *why, bool *matches) const
{
    if (index < 0 || index >= entries.size()) {
        *why = QStringLiteral("there is no such entry");
        return {};
    }
    if (problems.contains(index)) {
        *why = problems.value(index);
        return {};
    }
    const MypEntry &stored = entries.at(index);
    const QByteArray bytes = data.read(qint64(stored.dataStart()), stored.storedLength);
    if (bytes.size() != qint64(stored.storedLength)) {
        *why = QStringLiteral("its bytes cannot be read: the file is shorter than when it was opened");
        return {};
    }
    if (matches)
        *matches = Zlib::adler32(bytes) == stored.checksum;
    return bytes;
}

QByteArray MypReader::read(int index, QString *why, bool *matches) const
{
    QString failure;
    const QByteArray stored = readStored(index, &failure, matches);
    if (!failure.isEmpty()) {
        *why = failure;
        return {};
    }
    if (oversized.contains(index)) {
        *why = oversized.value(index);
        return {};
    }
    if (entries.at(index).compression == CompressionNone)
        return stored;
    ++inflated;
    QByteArray bytes;
    if (!Zlib::decompress(stored, entries.at(index).decompressedLength, &bytes, why))
        return {};
    return bytes;
}
