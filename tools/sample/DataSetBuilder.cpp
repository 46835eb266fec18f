#include "tools/sample/DataSetBuilder.h"

#include "art/ArtCodec.h"
#include "art/ArtFormat.h"
#include "art/UopArtContainer.h"
#include "dataset/ArtContainerChoice.h"
#include "io/CheckedWrite.h"
#include "io/DataFileNames.h"
#include "io/MypFormat.h"
#include "io/MypHash.h"
#include "io/MypWriter.h"
#include "io/StagedOutput.h"
#include "io/Zlib.h"
#include "tiledata/AnimDataFile.h"
#include "tiledata/TileDataFormat.h"
#include "tiledata/TileFlags.h"
#include "tools/sample/ProceduralArt.h"

#include <QDir>
#include <QtEndian>

using namespace ArtFormat;
using namespace TileDataFormat;

namespace {

int roundUpToBlock(int count)
{
    return (qMax(count, 0) + RecordsPerBlock - 1) / RecordsPerBlock * RecordsPerBlock;
}

void appendInt32(QByteArray &out, qint32 value)
{
    const qint32 le = qToLittleEndian(value);
    out.append(reinterpret_cast<const char *>(&le), sizeof le);
}

} // namespace

DataSetBuilder::DataSetBuilder(int staticCount)
    : staticTileCount(qMax(staticCount, 0)), landTiles(LandCount), staticTiles(roundUpToBlock(staticCount))
{ }

DataSetBuilder DataSetBuilder::procedural(const Options &options)
{
    DataSetBuilder builder(options.staticCount);
    builder.setTileDataLayout(options.tileDataLayout);
    const bool upperFlags = options.tileDataLayout.hasUpperFlags();
    ProceduralArt art(options.seed);
    for (int id = 0; id < qMin(options.terrainImages, TerrainCount); ++id) {
        if (art.leaveEmpty())
            continue;
        builder.setTerrainRecord(id, art.terrainRecord(id));
    }
    const int staticImages = options.staticImages < 0 ? builder.staticTileCount
                                                      : qMin(options.staticImages, builder.staticTileCount);
    for (int id = 0; id < staticImages; ++id) {
        if (art.leaveEmpty())
            continue;
        builder.setStaticRecord(id, art.staticRecord(id));
        builder.artSlots[StaticIdBase + id].reserved = id & 0xff;
    }
    for (int id = 0; id < LandCount; ++id) {
        builder.landTiles[id] = art.landTile(id);
        if (upperFlags)
            builder.landTiles[id].flags |= ProceduralArt::upperLandFlags(id);
    }
    for (int id = 0; id < builder.staticTiles.size(); ++id) {
        StaticTileRecord &record = builder.staticTiles[id];
        record = art.staticTile(id);
        if (record.flags & TileFlags::Animated)
            builder.setAnim(id, art.animation(id));
        if (upperFlags)
            record.flags |= ProceduralArt::upperStaticFlags(id, record.flags);
    }
    return builder;
}

void DataSetBuilder::setTerrainImage(int id, const QImage &image)
{
    if (image.isNull())
        clearTerrain(id);
    else
        setTerrainRecord(id, ArtCodec::encodeTerrain(image));
}

void DataSetBuilder::setStaticImage(int id, const QImage &image)
{
    const QByteArray record = ArtCodec::encodeStatic(image);
    if (record.isEmpty())
        clearStatic(id);
    else
        setStaticRecord(id, record);
}

void DataSetBuilder::setTerrainRecord(int id, const QByteArray &record)
{
    setSlot(id, record);
}

void DataSetBuilder::setStaticRecord(int id, const QByteArray &record)
{
    setSlot(StaticIdBase + id, record);
}

void DataSetBuilder::setRawTerrainEntry(int id, qint32 offset, qint32 length, qint32 reserved)
{
    artSlots[id] = Slot{QByteArray(), true, offset, length, reserved};
}

void DataSetBuilder::setRawStaticEntry(int id, qint32 offset, qint32 length, qint32 reserved)
{
    artSlots[StaticIdBase + id] = Slot{QByteArray(), true, offset, length, reserved};
}

void DataSetBuilder::shareSlot(int slot, int withSlot)
{
    artSlots[slot] = Slot{QByteArray(), false, -1, 0, artSlots.value(slot).reserved, withSlot};
}

void DataSetBuilder::clearTerrain(int id)
{
    artSlots.remove(id);
}

void DataSetBuilder::clearStatic(int id)
{
    artSlots.remove(StaticIdBase + id);
}

void DataSetBuilder::setLandTile(int id, const LandTileRecord &record)
{
    landTiles[id] = record;
}

void DataSetBuilder::setStaticTile(int id, const StaticTileRecord &record)
{
    if (id >= staticTiles.size())
        staticTiles.resize(roundUpToBlock(id + 1));
    staticTiles[id] = record;
}

LandTileRecord DataSetBuilder::landTile(int id) const
{
    return landTiles.value(id);
}

StaticTileRecord DataSetBuilder::staticTile(int id) const
{
    return staticTiles.value(id);
}

void DataSetBuilder::setAnim(int id, const AnimDataEntry &entry)
{
    anims[id] = entry;
}

void DataSetBuilder::setSlot(int slot, const QByteArray &record)
{
    Slot &s = artSlots[slot];
    s = Slot{record, false, -1, qint32(record.size()), s.reserved, -1};
}

QMap<int, qint64> DataSetBuilder::recordOffsets() const
{
    QMap<int, qint64> offsets;
    qint64 offset = 0;
    for (auto it = artSlots.cbegin(); it != artSlots.cend(); ++it) {
        if (it->raw || it->sharedWith >= 0)
            continue;
        offsets.insert(it.key(), offset);
        offset += it->record.size();
    }
    return offsets;
}

QByteArray DataSetBuilder::artIndexBytes() const
{
    const int slotCount
        = qMax(StaticIdBase + staticTileCount, artSlots.isEmpty() ? 0 : artSlots.lastKey() + 1);
    const QMap<int, qint64> offsets = recordOffsets();
    QByteArray index;
    index.reserve(qsizetype(slotCount) * IndexEntrySize);
    for (int n = 0; n < slotCount; ++n) {
        const auto slot = artSlots.constFind(n);
        if (slot == artSlots.cend()) {
            appendInt32(index, -1);
            appendInt32(index, -1);
            appendInt32(index, 0);
            continue;
        }
        const int owner = slot->sharedWith >= 0 ? slot->sharedWith : n;
        if (slot->raw) {
            appendInt32(index, slot->offset);
            appendInt32(index, slot->length);
        } else if (!offsets.contains(owner)) {
            appendInt32(index, -1);
            appendInt32(index, -1);
        } else {
            appendInt32(index, qint32(offsets.value(owner)));
            appendInt32(index, qint32(artSlots.value(owner).record.size()));
        }
        appendInt32(index, slot->reserved);
    }
    return index;
}

QByteArray DataSetBuilder::artBytes() const
{
    QByteArray art;
    for (const Slot &slot : artSlots)
        art.append(slot.record);
    return art;
}

QByteArray DataSetBuilder::tileDataBytes() const
{
    const TileDataLayout layout = tileLayout;
    QByteArray bytes;
    bytes.reserve(layout.staticBlockPosition(staticTiles.size() / RecordsPerBlock));
    for (int id = 0; id < landTiles.size(); ++id) {
        if (id % RecordsPerBlock == 0)
            appendInt32(bytes, id / RecordsPerBlock); // block headers carry a running number
        LandTileRecord record = landTiles[id];
        record.layout = layout;
        bytes.append(record.toBytes());
    }
    for (int id = 0; id < staticTiles.size(); ++id) {
        if (id % RecordsPerBlock == 0)
            appendInt32(bytes, id / RecordsPerBlock);
        StaticTileRecord record = staticTiles[id];
        record.layout = layout;
        bytes.append(record.toBytes());
    }
    return bytes;
}

QByteArray DataSetBuilder::animDataBytes() const
{
    const int count = roundUpToBlock(staticTiles.size());
    QByteArray bytes;
    bytes.reserve(qsizetype(count / AnimDataFile::EntriesPerBlock) * AnimDataFile::BlockSize);
    for (int id = 0; id < count; ++id) {
        if (id % AnimDataFile::EntriesPerBlock == 0)
            appendInt32(bytes, 0);
        bytes.append(anims.value(id).toBytes());
    }
    return bytes;
}

QByteArray DataSetBuilder::uopArtBytes(const Output &output) const
{
    const QMap<int, qint64> owned = recordOffsets();
    QVector<int> positions;
    for (auto it = artSlots.cbegin(); it != artSlots.cend(); ++it) {
        if (!it->raw && owned.contains(it->sharedWith >= 0 ? it->sharedWith : it.key()))
            positions.append(it.key());
    }
    MypWriter writer(int(positions.size()), output.tableCapacity);
    QByteArray data;
    // Each record is stored once; positions that share it point at the same bytes.
    QHash<int, MypEntry> stored;
    for (int position : positions) {
        const int owner
            = artSlots.value(position).sharedWith >= 0 ? artSlots.value(position).sharedWith : position;
        if (!stored.contains(owner)) {
            const QByteArray &record = artSlots.value(owner).record;
            const QByteArray bytes = output.compressArt ? Zlib::compress(record) : record;
            stored.insert(owner,
                MypWriter::entryFor(0, quint64(writer.dataStart() + data.size()), bytes,
                    output.compressArt ? MypFormat::CompressionZlib : MypFormat::CompressionNone,
                    quint32(record.size())));
            data += bytes;
        }
        MypEntry entry = stored.value(owner);
        entry.hash = MypHash::ofName(UopArtContainer::entryName(position));
        writer.add(entry);
    }
    return writer.headerAndTables() + data;
}

bool DataSetBuilder::write(const QString &directory, QString *error) const
{
    return write(directory, Output(), error);
}

bool DataSetBuilder::write(const QString &directory, const Output &output, QString *error) const
{
    QString ignored;
    QString &why = error ? *error : ignored;
    QDir dir(directory);
    if (!dir.mkpath(QStringLiteral("."))) {
        why = QStringLiteral("Cannot create directory %1").arg(directory);
        return false;
    }
    // Staged and put in place together, as a save is: a failure leaves what was there.
    StagedOutput staged(directory);
    QString note;
    if (!staged.begin(&note, &why))
        return false;
    const bool uop = output.art == ArtContainer::Format::Uop;
    if (output.replaceOtherArt) {
        for (const QString &name :
            ArtContainerChoice::fileNames(uop ? ArtContainer::Format::Mul : ArtContainer::Format::Uop))
            staged.removeOnCommit(name);
    }
    QList<QPair<QString, QByteArray>> files;
    if (uop)
        files.append({DataFileNames::ArtUop, uopArtBytes(output)});
    else
        files += {{DataFileNames::ArtIdxMul, artIndexBytes()}, {DataFileNames::ArtMul, artBytes()}};
    files += {{DataFileNames::TileDataMul, tileDataBytes()}, {DataFileNames::AnimDataMul, animDataBytes()}};
    QString failed;
    QString reason;
    for (const auto &[name, bytes] : files) {
        QFile *file = staged.create(name, &reason);
        if (!file || !CheckedWrite::writeAll(*file, bytes)) {
            why = QStringLiteral("Cannot write %1: %2")
                      .arg(dir.filePath(name), file ? file->errorString() : reason);
            return false;
        }
    }
    if (!staged.commit(&failed, &reason)) {
        why = QStringLiteral("Cannot write %1: %2").arg(dir.filePath(failed), reason);
        return false;
    }
    return true;
}
