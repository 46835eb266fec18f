#include "saving/MulArtWriter.h"

#include "art/ArtFormat.h"
#include "io/DataFileNames.h"
#include "saving/SaveRun.h"

#include <QtEndian>
#include <limits>

namespace {

// Offsets and lengths in artidx.mul are signed 32-bit numbers.
constexpr qint64 MaxOffset = std::numeric_limits<qint32>::max();

QByteArray encodeIndex(const QVector<ArtIndexEntry> &entries)
{
    QByteArray bytes(entries.size() * ArtFormat::IndexEntrySize, Qt::Uninitialized);
    char *out = bytes.data();
    for (const ArtIndexEntry &entry : entries) {
        qToLittleEndian<qint32>(entry.offset, out);
        qToLittleEndian<qint32>(entry.length, out + 4);
        qToLittleEndian<qint32>(entry.reserved, out + 8);
        out += ArtFormat::IndexEntrySize;
    }
    return bytes;
}

} // namespace

QStringList MulArtWriter::fileNames() const
{
    return {DataFileNames::ArtMul, DataFileNames::ArtIdxMul};
}

qint64 MulArtWriter::overhead(int slotCount, int) const
{
    return qint64(slotCount) * ArtFormat::IndexEntrySize;
}

bool MulArtWriter::begin(SaveRun &run, int slotCount, int)
{
    index.clear();
    index.reserve(slotCount);
    position = 0;
    return run.open(DataFileNames::ArtMul);
}

bool MulArtWriter::addRecord(
    SaveRun &run, int, const ArtContainer::StoredRecord &record, qint32 reserved, int *handle)
{
    if (position + record.bytes.size() > MaxOffset)
        return run.fail(QStringLiteral("The new %1 would be larger than its index can address (2 GiB).")
                            .arg(DataFileNames::ArtMul));
    *handle = int(index.size());
    index.append({qint32(position), qint32(record.bytes.size()), reserved});
    position += record.bytes.size();
    return run.write(record.bytes);
}

void MulArtWriter::addShared(int, int handle, qint32 reserved)
{
    const ArtIndexEntry &earlier = index.at(handle);
    index.append({earlier.offset, earlier.length, reserved});
}

void MulArtWriter::addEmpty(int, const ArtIndexEntry &entry)
{
    index.append(entry);
}

bool MulArtWriter::finish(SaveRun &run)
{
    return run.open(DataFileNames::ArtIdxMul) && run.write(encodeIndex(index));
}
