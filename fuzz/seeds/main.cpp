// fuzz-seeds OUTDIR: writes the seed corpus of every fuzz target, OUTDIR/<target>/,
// from a small procedural data set. A new target adds its line to seedsByTarget().

#include "art/ArtCodec.h"
#include "art/ArtFormat.h"
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
        const QImage image = ArtCodec::decodeStatic(record, false);
        if (!image.isNull() && image.width() <= RoundTripSide && image.height() <= RoundTripSide)
            seeds.append(roundTripInput(image));
    }
    for (const QByteArray &record : source.terrain.mid(0, 4))
        seeds.append(roundTripInput(ArtCodec::decodeTerrain(record, false)));
    return seeds;
}

// Target name (the fuzz_*.cpp file's name) to its seeds.
QVector<std::pair<QString, std::function<Seeds(const SeedSource &)>>> seedsByTarget()
{
    return {
        {QStringLiteral("fuzz_terrain_decode"), [](const SeedSource &s) { return s.terrain; }},
        {QStringLiteral("fuzz_static_decode"), [](const SeedSource &s) { return s.statics; }},
        {QStringLiteral("fuzz_static_extent"), [](const SeedSource &s) { return s.statics; }},
        {QStringLiteral("fuzz_roundtrip"), roundTripSeeds},
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
