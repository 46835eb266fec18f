#include "art/MulArtContainer.h"

#include "art/ArtFormat.h"
#include "art/ArtCodec.h"

#include <QtEndian>

using namespace ArtFormat;

const QString MulArtContainer::IndexFileName = QStringLiteral("artidx.mul");
const QString MulArtContainer::ArtFileName = QStringLiteral("art.mul");

namespace {

// No index of this format holds more slots than a 32-bit record count can address.
constexpr qint64 MaxIndexBytes = qint64(IndexEntrySize) * 0x1000000;

} // namespace

bool MulArtContainer::open(const QString &indexPath, const QString &artPath, QString *error)
{
    index.clear();
    openError.clear();
    artFile.close();
    if (indexFile.open(indexPath, &openError) && artFile.open(artPath, &openError))
        index = indexFile.readAll(MaxIndexBytes, &openError);
    if (!openError.isEmpty())
        index.clear();
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
        return {};
    const char *p = index.constData() + qint64(slot) * IndexEntrySize;
    return {qFromLittleEndian<qint32>(p), qFromLittleEndian<qint32>(p + 4), qFromLittleEndian<qint32>(p + 8)};
}

QByteArray MulArtContainer::record(int slot) const
{
    const ArtIndexEntry stored = entry(slot);
    if (stored.isEmpty() || stored.offset < 0)
        return {};
    if (slot < StaticIdBase) {
        // Every indexed byte is kept, and never fewer than a terrain record holds.
        const QByteArray bytes = artFile.read(stored.offset, qMax<qint64>(stored.length, TerrainRecordSize));
        return bytes.size() >= TerrainRecordSize ? bytes : QByteArray();
    }
    return staticRecord(stored);
}

QByteArray MulArtContainer::staticRecord(const ArtIndexEntry &stored) const
{
    // The index length is usually the record's; where it is too short the record is
    // read as far as its own line table says, as the game does.
    const QByteArray indexed = artFile.read(stored.offset, qMax<qint64>(stored.length, 0));
    if (ArtCodec::staticRecordExtent(indexed) >= 0)
        return indexed;
    const QByteArray longest = artFile.read(stored.offset, MaxStaticRecordSize);
    const qint64 extent = ArtCodec::staticRecordExtent(longest);
    return extent < 0 ? QByteArray() : longest.left(extent);
}
