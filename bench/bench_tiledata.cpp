// Reading tiledata.mul record by record, as the palettes, the properties window and
// tessera-cli read it: the same records in the high-seas layout against the classic
// one, in the same run. Without arguments the default sample set's records are used;
// with a data directory, its tiledata.mul and the same file converted to the other
// layout (when it can be: a high-seas file with upper flags cannot be narrowed).

#include "io/DataFileNames.h"
#include "saving/TileDataConversion.h"
#include "tiledata/LandTileRecord.h"
#include "tiledata/StaticTileRecord.h"
#include "tiledata/TileData.h"
#include "tools/sample/DataSetBuilder.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QSaveFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

constexpr int Rounds = 9;

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit();
}

// Every record of the file, through the store and parsed into its fields, as the
// properties window and tessera-cli read them. The checksum keeps the work from being
// optimised away.
quint64 readEveryRecord(const TileData &tiles)
{
    quint64 sum = 0;
    for (int id = 0; id < tiles.count(TileKind::Terrain); ++id) {
        const LandTileRecord land = *tiles.landRecord(id);
        sum += land.flags + land.texid + quint8(land.name.at(0));
    }
    for (int id = 0; id < tiles.count(TileKind::Static); ++id) {
        const StaticTileRecord item = *tiles.staticRecord(id);
        sum += item.flags + item.weight + item.height + quint8(item.name.at(0));
    }
    return sum;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// The same records in both layouts, classic first; null where one cannot be had.
struct Files
{
    std::unique_ptr<TileData> classic;
    std::unique_ptr<TileData> highSeas;
};

Files generatedFiles(const QString &directory)
{
    DataSetBuilder::Options options;
    options.terrainImages = 0;
    options.staticImages = 0;
    DataSetBuilder builder = DataSetBuilder::procedural(options);
    Files files;
    for (const TileDataLayout layout : {TileDataLayout::classic(), TileDataLayout::highSeas()}) {
        builder.setTileDataLayout(layout);
        const QString path = QDir(directory).filePath(layout.name() + QLatin1String(".mul"));
        if (!writeFile(path, builder.tileDataBytes()))
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        (layout.hasUpperFlags() ? files.highSeas : files.classic)
            = std::make_unique<TileData>(path, directory, layout);
    }
    return files;
}

Files filesOf(const QString &dataDirectory, const QString &directory)
{
    auto given
        = std::make_unique<TileData>(QDir(dataDirectory).filePath(DataFileNames::TileDataMul), directory);
    const TileDataLayout other
        = given->layout().hasUpperFlags() ? TileDataLayout::classic() : TileDataLayout::highSeas();
    QByteArray converted;
    QString error;
    std::unique_ptr<TileData> otherFile;
    const QString path = QDir(directory).filePath(other.name() + QLatin1String(".mul"));
    if (TileDataConversion::convert(*given, other, &converted, &error) && writeFile(path, converted))
        otherFile = std::make_unique<TileData>(path, directory, other);
    else
        std::fprintf(stderr, "no %s copy: %s\n", qPrintable(other.name()), qPrintable(error));
    const bool givenIsHighSeas = given->layout().hasUpperFlags();
    Files files;
    files.classic = std::move(givenIsHighSeas ? otherFile : given);
    files.highSeas = std::move(givenIsHighSeas ? given : otherFile);
    return files;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir work;
    const Files files
        = argc > 1 ? filesOf(QString::fromLocal8Bit(argv[1]), work.path()) : generatedFiles(work.path());
    const TileData *layouts[] = {files.classic.get(), files.highSeas.get()};
    const char *names[] = {"classic", "high_seas"};

    // The two layouts in turn, round after round, so that both see the same machine.
    std::vector<double> nanos[2];
    quint64 checksum = 0;
    for (int round = 0; round < Rounds; ++round) {
        for (int n = 0; n < 2; ++n) {
            if (!layouts[n])
                continue;
            const int records = layouts[n]->count(TileKind::Terrain) + layouts[n]->count(TileKind::Static);
            QElapsedTimer timer;
            timer.start();
            checksum += readEveryRecord(*layouts[n]);
            nanos[n].push_back(double(timer.nsecsElapsed()) / qMax(records, 1));
        }
    }
    for (int n = 0; n < 2; ++n) {
        if (!layouts[n])
            continue;
        std::printf("%s_records: %d\n", names[n],
            layouts[n]->count(TileKind::Terrain) + layouts[n]->count(TileKind::Static));
        std::printf("%s_ns_per_record: %.1f\n", names[n], median(nanos[n]));
    }
    if (layouts[0] && layouts[1])
        std::printf("high_seas_per_classic: %.2f\n", median(nanos[1]) / median(nanos[0]));
    std::fprintf(stderr, "checksum %llu\n", static_cast<unsigned long long>(checksum));
    return 0;
}
