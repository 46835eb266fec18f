// The default sample set with its art as artLegacyMUL.uop against the same art as
// art.mul and artidx.mul, in the same run: opening the set and reading every tile's
// record, opening it and decoding every tile's image, and saving the UOP set (with a
// few edits) against a plain copy of its files.

#include "art/ArtFormat.h"
#include "art/ArtWork.h"
#include "bench/BenchDataSet.h"
#include "dataset/DataSet.h"
#include "saving/DataSetSaver.h"
#include "tiledata/TileData.h"
#include "tools/sample/DataSetBuilder.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

constexpr int Rounds = 7;

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double millis(const std::function<void()> &work)
{
    QElapsedTimer timer;
    timer.start();
    work();
    return double(timer.nsecsElapsed()) / 1e6;
}

// Opens the set and reads the record of every slot; the bytes read, so that none is skipped.
qint64 readRecords(const QString &directory)
{
    const auto set = openBenchSet(directory);
    const ArtContainer &container = set->art().container();
    qint64 bytes = 0;
    for (int slot = 0; slot < container.slotCount(); ++slot)
        bytes += container.record(slot).size();
    return bytes;
}

// Opens the set and decodes every tile's image as the palettes do.
int decodeImages(const QString &directory)
{
    const auto set = openBenchSet(directory);
    ArtWork &art = set->art();
    int images = 0;
    for (int id = 0; id < ArtFormat::TerrainCount; ++id)
        images += art.image(TileKind::Terrain, id, false).isNull() ? 0 : 1;
    for (int id = 0; id < art.staticSlotCount(); ++id)
        images += art.image(TileKind::Static, id, false).isNull() ? 0 : 1;
    return images;
}

void compare(const char *name, const std::function<void(const QString &)> &work, const QString &mul,
    const QString &uop)
{
    std::vector<double> mulTimes;
    std::vector<double> uopTimes;
    for (int round = 0; round < Rounds; ++round) {
        mulTimes.push_back(millis([&] { work(mul); }));
        uopTimes.push_back(millis([&] { work(uop); }));
    }
    std::printf("%s_mul_ms: %.1f\n", name, median(mulTimes));
    std::printf("%s_uop_ms: %.1f\n", name, median(uopTimes));
    std::printf("%s_uop_to_mul_ratio: %.2f\n", name, median(uopTimes) / median(mulTimes));
    std::fflush(stdout);
}

bool applyEdits(DataSet &set)
{
    QImage image(40, 60, QImage::Format_ARGB32);
    image.fill(qRgb(200, 100, 50));
    return set.art().setImage(TileKind::Terrain, 100, image)
        && set.art().setImage(TileKind::Static, 200, image)
        && set.art().setImage(TileKind::Terrain, 5, QImage())
        && set.art().setImage(TileKind::Static, 7, QImage())
        && set.tiles().setLandRecord(12, LandTileRecord::fromBytes(QByteArray(26, 'a')));
}

void compareSaveToCopy(const QString &uop, const QString &work)
{
    const auto set = openBenchSet(uop);
    if (!applyEdits(*set)) {
        std::fprintf(stderr, "cannot store the edits\n");
        return;
    }
    DataSetSaver saver(set->art(), set->tiles(), set->anims());
    const QString saveDir = QDir(work).filePath(QStringLiteral("save"));
    const QString copyDir = QDir(work).filePath(QStringLiteral("copy"));
    QDir().mkpath(saveDir);
    QDir().mkpath(copyDir);
    const QStringList files = QDir(uop).entryList(QDir::Files);
    std::vector<double> saves;
    std::vector<double> copies;
    for (int round = 0; round < Rounds; ++round) {
        copies.push_back(millis([&] {
            for (const QString &name : files) {
                QFile::remove(QDir(copyDir).filePath(name));
                QFile::copy(QDir(uop).filePath(name), QDir(copyDir).filePath(name));
            }
        }));
        saves.push_back(millis([&] {
            if (saver.save(saveDir) != DataSetSaver::Status::Saved)
                std::fprintf(stderr, "save failed: %s\n", qPrintable(saver.errorString()));
        }));
    }
    std::printf("uop_save_ms: %.1f\n", median(saves));
    std::printf("uop_copy_ms: %.1f\n", median(copies));
    std::printf("uop_save_to_copy_ratio: %.2f\n", median(saves) / median(copies));
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir work;
    const QString mul = QDir(work.path()).filePath(QStringLiteral("mul"));
    const QString uop = QDir(work.path()).filePath(QStringLiteral("uop"));
    const DataSetBuilder builder = DataSetBuilder::procedural(DataSetBuilder::Options{});
    DataSetBuilder::Output output;
    QString error;
    output.art = ArtContainer::Format::Uop;
    if (!builder.write(mul, &error) || !builder.write(uop, output, &error)) {
        std::fprintf(stderr, "cannot write the sample sets: %s\n", qPrintable(error));
        return 1;
    }
    compare(
        "open_read_records", [](const QString &dir) { readRecords(dir); }, mul, uop);
    compare(
        "open_decode_images", [](const QString &dir) { decodeImages(dir); }, mul, uop);
    compareSaveToCopy(uop, work.path());
    return 0;
}
