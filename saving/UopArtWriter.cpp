#include "saving/UopArtWriter.h"

#include "art/UopArtContainer.h"
#include "io/DataFileNames.h"
#include "io/MypHash.h"
#include "saving/SaveRun.h"

QStringList UopArtWriter::fileNames() const
{
    return {DataFileNames::ArtUop};
}

qint64 UopArtWriter::overhead(int, int recordSlots) const
{
    return MypWriter(recordSlots, TableCapacity).dataStart();
}

bool UopArtWriter::begin(SaveRun &run, int, int recordSlots)
{
    writer = std::make_unique<MypWriter>(recordSlots, TableCapacity);
    written.clear();
    // The header and tables are written once every entry is known.
    return run.open(DataFileNames::ArtUop) && run.writeZeros(writer->dataStart());
}

bool UopArtWriter::addRecord(
    SaveRun &run, int slot, const ArtContainer::StoredRecord &record, qint32, int *handle)
{
    const quint64 hash = MypHash::ofName(UopArtContainer::entryName(slot));
    const quint64 offset = quint64(run.position());
    // A checksum the container has checked need not be computed again.
    const MypEntry entry = record.checksum
        ? MypWriter::entryFor(
            hash, offset, quint32(record.bytes.size()), *record.checksum, record.compression, record.length)
        : MypWriter::entryFor(hash, offset, record.bytes, record.compression, record.length);
    if (!writer->add(entry))
        return run.fail(QStringLiteral("More art records were written than planned."));
    *handle = int(written.size());
    written.append(entry);
    return run.write(record.bytes);
}

void UopArtWriter::addShared(int slot, int handle, qint32)
{
    MypEntry entry = written.at(handle);
    entry.hash = MypHash::ofName(UopArtContainer::entryName(slot));
    writer->add(entry);
}

bool UopArtWriter::finish(SaveRun &run)
{
    return run.overwrite(0, writer->headerAndTables());
}
