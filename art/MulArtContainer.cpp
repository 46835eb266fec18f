#include "art/MulArtContainer.h"

#include "art/ArtCodec.h"
#include "art/ArtFormat.h"
#include "io/DataFileNames.h"

#include <QtEndian>
#include <algorithm>

using namespace ArtFormat;

namespace {

// No index of this format holds more slots than a 32-bit record count can address.
constexpr qint64 MaxIndexBytes = qint64(IndexEntrySize) * 0x1000000;

} // namespace

bool MulArtContainer::open(const QString &indexPath, const QString &artPath, QString *error)
{
    index.clear();
    recordStarts.clear();
    nextStart = 0;
    openError.clear();
    artFile.close();
    if (indexFile.open(indexPath, &openError) && artFile.open(artPath, &openError))
        index = indexFile.readAll(MaxIndexBytes, &openError);
    if (!openError.isEmpty())
        index.clear();
    for (int slot = 0; slot < slotCount(); ++slot) {
        const qint32 offset = entry(slot).offset;
        if (offset >= 0 && offset < artFile.size())
            recordStarts.append(offset);
    }
    // art.mul is usually written in index order, and then needs no sorting.
    if (!std::is_sorted(recordStarts.cbegin(), recordStarts.cend()))
        std::sort(recordStarts.begin(), recordStarts.end());
    recordStarts.erase(std::unique(recordStarts.begin(), recordStarts.end()), recordStarts.end());
    if (error)
        *error = openError;
    return openError.isEmpty();
}

QStringList MulArtContainer::fileNames() const
{
    return {indexFile.fileName(), artFile.fileName()};
}

QString MulArtContainer::changedFile() const
{
    if (indexFile.hasChanged())
        return indexFile.fileName();
    return artFile.hasChanged() ? artFile.fileName() : QString();
}

int MulArtContainer::slotCount() const
{
    return int(index.size() / IndexEntrySize);
}

ArtIndexEntry MulArtContainer::entry(int slot) const
{
    if (slot < 0 || slot >= slotCount())
        return ArtIndexEntry::emptySlot(0);
    const char *p = index.constData() + qint64(slot) * IndexEntrySize;
    return {qFromLittleEndian<qint32>(p), qFromLittleEndian<qint32>(p + 4), qFromLittleEndian<qint32>(p + 8)};
}

QByteArray MulArtContainer::record(int slot) const
{
    return locate(slot, false).bytes;
}

ArtContainer::StoredRecord MulArtContainer::storedRecord(int slot) const
{
    return locate(slot, true);
}

qint64 MulArtContainer::roomAt(qint32 offset) const
{
    // Records are mostly read in the order art.mul holds them: the start after the last
    // one found, or the one after it, usually ends this record, without a search.
    const auto ends = [&](qsizetype next) {
        return next < recordStarts.size() && recordStarts.at(next) > offset
            && (next == 0 || recordStarts.at(next - 1) <= offset);
    };
    if (!ends(nextStart) && !ends(++nextStart))
        nextStart
            = std::upper_bound(recordStarts.cbegin(), recordStarts.cend(), offset) - recordStarts.cbegin();
    return (nextStart == recordStarts.size() ? artFile.size() : qint64(recordStarts.at(nextStart))) - offset;
}

bool MulArtContainer::holdsRecord(const ArtIndexEntry &stored) const
{
    return !stored.isEmpty() && stored.offset >= 0 && stored.offset < artFile.size();
}

QByteArrayView MulArtContainer::recordSpan(int slot, QByteArray *) const
{
    const ArtIndexEntry stored = entry(slot);
    if (!holdsRecord(stored))
        return {};
    if (slot < StaticIdBase)
        return artFile.view(stored.offset, TerrainRecordSize);
    return staticSpan(stored, roomAt(stored.offset));
}

ArtContainer::StoredRecord MulArtContainer::locate(int slot, bool undrawn) const
{
    const ArtIndexEntry stored = entry(slot);
    if (!holdsRecord(stored))
        return {};
    const qint64 room = roomAt(stored.offset);
    StoredRecord found;
    // Lent from the read window and copied once, as far as the record reaches.
    QByteArrayView bytes;
    qint64 extent = -1;
    if (slot < StaticIdBase) {
        bytes = artFile.view(stored.offset, TerrainRecordSize);
        extent = ArtCodec::terrainRecordExtent(bytes);
    } else {
        extent = staticExtent(stored, room, &bytes);
    }
    if (extent >= 0) {
        found.bytes = bytes.first(extent).toByteArray();
        found.fit = extent == stored.length ? Fit::AsStated
            : extent < stored.length        ? Fit::CutToRecord
                                            : Fit::GrownToRecord;
    } else if (undrawn && stored.length > 0) {
        // Nothing tells where a record that does not decode ends but its entry; it is kept
        // as stated, but never reaching into the next record or past the file.
        found.bytes = artFile.read(stored.offset, qMin<qint64>(stored.length, room));
        found.fit = stored.length > room ? Fit::UndrawnCut : Fit::UndrawnAsStated;
    }
    found.length = quint32(found.bytes.size());
    return found;
}

QByteArrayView MulArtContainer::staticSpan(const ArtIndexEntry &stored, qint64 room) const
{
    // Records do not overlap in a sound file, so the bytes up to the next record hold the
    // whole record, and reading them costs what the records really take.
    return artFile.view(stored.offset,
        qMax<qint64>(
            StaticLineTableOffset, qMin(qMax<qint64>(stored.length, 0), qMin(room, MaxStaticRecordSize))));
}

qint64 MulArtContainer::staticExtent(const ArtIndexEntry &stored, qint64 room, QByteArrayView *bytes) const
{
    *bytes = staticSpan(stored, room);
    const qint64 first = bytes->size();
    qint64 extent = ArtCodec::staticRecordExtent(*bytes);
    const auto side = [&](int at) { return qFromLittleEndian<qint16>(bytes->data() + at); };
    // Only a record whose sides are sound can be helped by more bytes. A record that
    // reaches into another is read as far as any static record can reach.
    const bool sound = bytes->size() >= StaticLineTableOffset && side(StaticHeaderSize) > 0
        && side(StaticHeaderSize) <= MaxStaticSide && side(StaticHeaderSize + 2) > 0
        && side(StaticHeaderSize + 2) <= MaxStaticSide;
    if (extent < 0 && sound && first < MaxStaticRecordSize) {
        *bytes = artFile.view(stored.offset, MaxStaticRecordSize);
        extent = ArtCodec::staticRecordExtent(*bytes);
    }
    return extent;
}

QStringList MulArtContainer::lostInSaving(Format format) const
{
    if (format == Format::Mul)
        return {};
    int kept = 0;
    for (int slot = 0; slot < slotCount(); ++slot)
        kept += entry(slot).reserved != 0;
    if (kept == 0)
        return {};
    return {QStringLiteral("%1 entries of %2 have a third field other than 0, which %3 has no place for; "
                           "it was dropped.")
                .arg(kept)
                .arg(DataFileNames::ArtIdxMul, DataFileNames::ArtUop)};
}
