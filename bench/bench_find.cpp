// Finding tiles by name, as Edit > Find does: a search through every name that finds
// nothing (the longest search there is), over a tiledata.mul of 65,536 statics with
// procedural names, and over the 16,384 land tiles; and the filter bar's narrowing of
// every static by a part of the name and two flags. Given a data directory, its own
// data set is searched instead.

#include "art/ArtWork.h"
#include "dataset/DataSet.h"
#include "dataset/TileFilter.h"
#include "edits/TileNameSearch.h"
#include "io/DataFileNames.h"
#include "tiledata/TileData.h"
#include "tiledata/TileDataFormat.h"
#include "tiledata/TileFlags.h"
#include "tools/sample/DataSetBuilder.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QVector>
#include <algorithm>
#include <cstdio>

namespace {

constexpr int Rounds = 15;
const QString Absent = QStringLiteral("no such name");

double searchMillis(const TileData &tiles, TileKind kind, int count)
{
    QVector<double> rounds;
    for (int round = 0; round < Rounds; ++round) {
        QElapsedTimer timer;
        timer.start();
        const int found = TileNameSearch::next(tiles, kind, count, -1, Absent);
        rounds.append(double(timer.nsecsElapsed()) / 1e6);
        if (found >= 0)
            std::fprintf(stderr, "unexpectedly found %d\n", found);
    }
    // The best round: the machine is shared, and other work only ever adds time.
    return *std::min_element(rounds.begin(), rounds.end());
}

double filterMillis(const DataSet &set, int *matched)
{
    TileFilter filter;
    filter.nameContains = QStringLiteral("Wall");
    filter.flagsSet = TileFlags::Wall | TileFlags::Impassable;
    const int count = set.tiles().count(TileKind::Static);
    QVector<double> rounds;
    for (int round = 0; round < Rounds; ++round) {
        QElapsedTimer timer;
        timer.start();
        *matched = int(filter.matchingIds(TileKind::Static, count, set.tiles(), set.art()).size());
        rounds.append(double(timer.nsecsElapsed()) / 1e6);
    }
    return *std::min_element(rounds.begin(), rounds.end());
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir temp;
    QString directory = temp.path();
    if (argc > 1) {
        directory = QString::fromLocal8Bit(argv[1]);
    } else {
        DataSetBuilder::Options options;
        options.staticCount = TileDataFormat::MaxStaticCount;
        options.terrainImages = 0;
        options.staticImages = 0;
        QString error;
        if (!DataSetBuilder::procedural(options).write(directory, &error)) {
            std::fprintf(stderr, "cannot write the sample set: %s\n", qPrintable(error));
            return 1;
        }
    }
    const TileData tiles(QDir(directory).filePath(DataFileNames::TileDataMul));
    std::printf("find_statics_count: %d\n", tiles.count(TileKind::Static));
    std::printf(
        "find_all_statics_ms: %.2f\n", searchMillis(tiles, TileKind::Static, tiles.count(TileKind::Static)));
    std::printf(
        "find_all_land_ms: %.2f\n", searchMillis(tiles, TileKind::Terrain, TileDataFormat::LandCount));
    QString error;
    const std::unique_ptr<DataSet> set = DataSet::open(directory, DataSet::Options(), &error);
    if (!set) {
        std::fprintf(stderr, "cannot open the data set: %s\n", qPrintable(error));
        return 1;
    }
    int matched = 0;
    const double filtered = filterMillis(*set, &matched);
    std::printf("filter_matched_statics: %d\n", matched);
    std::printf("filter_all_statics_ms: %.2f\n", filtered);
    return 0;
}
