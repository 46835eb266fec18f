// fuzz-seeds OUTDIR: writes the seed corpus of every fuzz target, OUTDIR/<target>/,
// from a small procedural data set. A new target adds its line to seedsByTarget().

#include "art/ArtCodec.h"
#include "art/ArtFormat.h"
#include "io/PendingEditPack.h"
#include "tiledata/AnimDataFile.h"
#include "tiledata/TileDataLayout.h"
#include "tools/sample/DataSetBuilder.h"

#include <QDir>
#include <QFile>
#include <QVector>
#include <QtEndian>
#include <cstdio>
#include <functional>
#include <utility>

using namespace ArtFormat;

namespace {

using Seeds = QVector<QByteArray>;

constexpr int SeedsPerTarget = 48;
constexpr int RoundTripSide = 64;

// The procedural data set the seeds come from, with its art records cut out.
class SeedSource
{
public:
    SeedSource() : builder(DataSetBuilder::procedural(options()))
    {
        art = builder.artBytes();
        const QByteArray index = builder.artIndexBytes();
        for (qsizetype slot = 0; (slot + 1) * IndexEntrySize <= index.size(); ++slot) {
            const char *entry = index.constData() + slot * IndexEntrySize;
            const qint32 offset = qFromLittleEndian<qint32>(entry);
            const qint32 length = qFromLittleEndian<qint32>(entry + 4);
            if (offset < 0 || length <= 0 || offset + qint64(length) > art.size())
                continue;
            (slot < StaticIdBase ? terrain : statics).append(art.mid(offset, length));
        }
    }

    const DataSetBuilder builder;
    QByteArray art;
    Seeds terrain;
    Seeds statics;

private:
    static DataSetBuilder::Options options()
    {
        DataSetBuilder::Options small;
        small.staticCount = 128;
        small.terrainImages = 32;
        small.seed = 7;
        return small;
    }
};

// An image as fuzz_roundtrip reads it: width, height, then big-endian ARGB pixels.
QByteArray roundTripInput(const QImage &image)
{
    QByteArray bytes;
    bytes.append(char(image.width()));
    bytes.append(char(image.height()));
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const quint32 be = qToBigEndian<quint32>(image.pixel(x, y));
            bytes.append(reinterpret_cast<const char *>(&be), sizeof be);
        }
    }
    return bytes;
}

Seeds roundTripSeeds(const SeedSource &source)
{
    Seeds seeds;
    for (const QByteArray &record : source.statics) {
        const QImage image = ArtCodec::decodeStatic(record);
        if (!image.isNull() && image.width() <= RoundTripSide && image.height() <= RoundTripSide)
            seeds.append(roundTripInput(image));
    }
    for (const QByteArray &record : source.terrain.mid(0, 4))
        seeds.append(roundTripInput(ArtCodec::decodeTerrain(record)));
    return seeds;
}

// fuzz_art_store's input: terrain and static entry counts, the entries, then art.mul;
// the first few records of each kind, laid out again from offset 0.
Seeds artStoreSeeds(const SeedSource &source)
{
    Seeds seeds;
    for (int count = 1; count <= 4; ++count) {
        QByteArray entries;
        QByteArray art;
        const auto add = [&](const QByteArray &record) {
            const qint32 le[3]
                = {qToLittleEndian(qint32(art.size())), qToLittleEndian(qint32(record.size())), 0};
            entries.append(reinterpret_cast<const char *>(le), sizeof le);
            art.append(record);
        };
        for (const QByteArray &record : source.terrain.mid(0, count))
            add(record);
        for (const QByteArray &record : source.statics.mid(count, count))
            add(record);
        seeds.append(QByteArray(1, char(qMin(count, int(source.terrain.size()))))
            + QByteArray(1, char(qMin(count, int(source.statics.size() - count)))) + entries + art);
    }
    return seeds;
}

// fuzz_tile_data's input: a choice byte, then the static section of the data set's
// tiledata.mul in either layout (the target makes up the land section).
Seeds tileDataSeeds(const SeedSource &source)
{
    Seeds seeds;
    for (const TileDataLayout layout : {TileDataLayout::classic(), TileDataLayout::highSeas()}) {
        DataSetBuilder builder = source.builder;
        builder.setTileDataLayout(layout);
        const QByteArray statics = builder.tileDataBytes().mid(layout.landSectionSize());
        const char madeUp = char(0x80 | (layout.hasUpperFlags() ? 0x40 : 0));
        for (const char choice : {char(madeUp | 0), char(madeUp | 1), char(madeUp | 2)})
            seeds.append(QByteArray(1, choice) + statics.left(4 * layout.staticBlockSize()));
    }
    return seeds;
}

Seeds animDataSeeds(const SeedSource &source)
{
    return {source.builder.animDataBytes().left(16 * AnimDataFile::BlockSize)};
}

Seeds uopSeeds(const SeedSource &source)
{
    DataSetBuilder::Output plain;
    plain.art = ArtContainer::Format::Uop;
    DataSetBuilder small = source.builder;
    for (int id = 16; id < TerrainCount; ++id)
        small.clearTerrain(id);
    for (int id = 32; id < source.builder.staticCount(); ++id)
        small.clearStatic(id);
    Seeds seeds{small.uopArtBytes(plain)};
    DataSetBuilder::Output compressed = plain;
    compressed.compressArt = true;
    seeds.append(small.uopArtBytes(compressed));
    return seeds;
}

Seeds patchListSeeds(const SeedSource &)
{
    return {QByteArray("# a list\nterrain 1 tile.png\nstatic 0x1F delete\n"),
        QByteArray("terrain 0x21   road tile.png \r\n\nstatic 5 sign.png\nterrain 7 delete\n")};
}

// Tables as the tile-data and animation exports write them, and a few quoted by hand.
Seeds csvTableSeeds(const SeedSource &)
{
    return {QByteArray("id,name,flags,flagNames,texid\r\n0x0010,water,0x000000C0,Impassable|Wet,77\r\n"),
        QByteArray("id,frameInterval,frameStart,frameCount,frameOffsets\n0x0003,4,-1,3,0 -2 5\n0x0004,0,0,0,\n"),
        QByteArray("\xEF\xBB\xBFid,name\r\n1,\"pot, \"\"old\"\"\r\n\xC3\xBF\"\r\n\r\n2,\"\"\r")};
}

// Packs of pending edits as the store writes them: records, a deletion, a forgotten edit.
Seeds pendingPackSeeds(const SeedSource &s)
{
    PendingEditPack pack;
    pack.add(QStringLiteral("TS5"), PendingEdit::replaced(QByteArray(37, 'x')));
    pack.add(QStringLiteral("Static9"), PendingEdit::deleted());
    pack.add(QStringLiteral("AS5"), PendingEdit::none());
    if (!s.statics.isEmpty())
        pack.add(QStringLiteral("Static5"), PendingEdit::replaced(s.statics.first()));
    PendingEditPack empty;
    return {pack.bytes(), empty.bytes()};
}

// Target name (the fuzz_*.cpp file's name) to its seeds.
QVector<std::pair<QString, std::function<Seeds(const SeedSource &)>>> seedsByTarget()
{
    return {
        {QStringLiteral("fuzz_terrain_decode"), [](const SeedSource &s) { return s.terrain; }},
        {QStringLiteral("fuzz_static_decode"), [](const SeedSource &s) { return s.statics; }},
        {QStringLiteral("fuzz_static_extent"), [](const SeedSource &s) { return s.statics; }},
        {QStringLiteral("fuzz_roundtrip"), roundTripSeeds},
        {QStringLiteral("fuzz_art_store"), artStoreSeeds},
        {QStringLiteral("fuzz_tile_data"), tileDataSeeds},
        {QStringLiteral("fuzz_anim_data"), animDataSeeds},
        {QStringLiteral("fuzz_uop_container"), uopSeeds},
        {QStringLiteral("fuzz_patch_list"), patchListSeeds},
        {QStringLiteral("fuzz_csv_table"), csvTableSeeds},
        {QStringLiteral("fuzz_pending_pack"), pendingPackSeeds},
    };
}

bool writeSeeds(const QString &directory, const Seeds &seeds)
{
    if (!QDir().mkpath(directory))
        return false;
    for (int i = 0; i < qMin(int(seeds.size()), SeedsPerTarget); ++i) {
        QFile file(QDir(directory).filePath(QStringLiteral("seed-%1").arg(i, 3, 10, QLatin1Char('0'))));
        if (!file.open(QIODevice::WriteOnly) || file.write(seeds[i]) != seeds[i].size())
            return false;
    }
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: fuzz-seeds OUTDIR\n");
        return 2;
    }
    const QString out = QString::fromLocal8Bit(argv[1]);
    const SeedSource source;
    for (const auto &[target, seeds] : seedsByTarget()) {
        if (!writeSeeds(QDir(out).filePath(target), seeds(source))) {
            std::fprintf(stderr, "fuzz-seeds: cannot write the seeds of %s into %s\n", qPrintable(target),
                qPrintable(out));
            return 1;
        }
    }
    return 0;
}
