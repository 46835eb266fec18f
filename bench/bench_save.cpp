// Saving a data set with a handful of pending edits, against a plain copy of the same
// four files to the same disk, and how much the process grows while saving.

#include "art/ArtWork.h"
#include "bench/BenchDataSet.h"
#include "saving/DataSetSaver.h"
#include "tiledata/AnimDataFile.h"
#include "tiledata/TileData.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int Rounds = 5;
const QString DataFiles[] = {
    DataFileNames::ArtMul, DataFileNames::ArtIdxMul, DataFileNames::TileDataMul, DataFileNames::AnimDataMul};

QImage pattern(int width, int height, int seed)
{
    QImage image(width, height, QImage::Format_ARGB32);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, qRgb((x * 9 + seed) & 0xff, (y * 3 + seed) & 0xff, 0x80));
    }
    return image;
}

bool applyEdits(ArtWork &art, TileData &tiles)
{
    bool ok = true;
    for (int i = 0; i < 3; ++i) {
        ok = ok && art.setImage(TileKind::Terrain, 100 + i * 977, pattern(44, 44, i));
        ok = ok && art.setImage(TileKind::Static, 200 + i * 1531, pattern(40 + i * 10, 60, i));
    }
    ok = ok && art.setImage(TileKind::Terrain, 5, QImage()) && art.setImage(TileKind::Static, 7, QImage());
    ok = ok && tiles.setLandRecord(12, LandTileRecord::fromBytes(QByteArray(26, 'a')))
        && tiles.setStaticRecord(34, StaticTileRecord::fromBytes(QByteArray(37, 'b')));
    return ok;
}

// Kilobytes of a field of /proc/self/status ("VmHWM", "VmRSS", "RssAnon"); -1 when unknown.
long statusKb(const char *field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly | QIODevice::Text))
        return -1;
    const QByteArray prefix = QByteArray(field) + ':';
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(prefix))
            return line.mid(prefix.size()).trimmed().split(' ').value(0).toLong();
    }
    return -1;
}

// Lets VmHWM start again from the current size (Linux).
void resetPeak()
{
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double copyMillis(const BenchDataSet &data, const QString &target)
{
    QElapsedTimer timer;
    timer.start();
    for (const QString &name : DataFiles) {
        const QString destination = QDir(target).filePath(name);
        QFile::remove(destination);
        if (!QFile::copy(data.file(name), destination))
            std::fprintf(stderr, "copy of %s failed\n", qPrintable(name));
    }
    return timer.nsecsElapsed() / 1e6;
}

double saveMillis(DataSetSaver &saver, const QString &target)
{
    QElapsedTimer timer;
    timer.start();
    if (saver.save(target) != DataSetSaver::Status::Saved)
        std::fprintf(stderr, "save failed: %s\n", qPrintable(saver.errorString()));
    return timer.nsecsElapsed() / 1e6;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    BenchDataSet data(argc, argv);
    QTemporaryDir work;
    const QString copyDir = QDir(work.path()).filePath(QStringLiteral("copy"));
    const QString saveDir = QDir(work.path()).filePath(QStringLiteral("save"));
    QDir().mkpath(copyDir);
    QDir().mkpath(saveDir);

    ArtWork art(data.file(DataFileNames::ArtIdxMul), data.file(DataFileNames::ArtMul), work.path());
    TileData tiles(data.file(DataFileNames::TileDataMul), work.path());
    if (!applyEdits(art, tiles)) {
        std::fprintf(stderr, "cannot store the edits\n");
        return 1;
    }
    AnimDataFile anims;
    anims.setFileName(data.file(DataFileNames::AnimDataMul));
    DataSetSaver saver(art, tiles, anims);

    const long rssBefore = statusKb("VmRSS");
    const long anonBefore = statusKb("RssAnon");
    long anonPeak = anonBefore;
    saver.setProgressHandler([&](qint64, qint64) {
        anonPeak = qMax(anonPeak, statusKb("RssAnon"));
        return true;
    });
    resetPeak();
    saveMillis(saver, saveDir);
    const long peak = statusKb("VmHWM");
    saver.setProgressHandler(nullptr);

    std::vector<double> copies;
    std::vector<double> saves;
    for (int round = 0; round < Rounds; ++round) {
        copies.push_back(copyMillis(data, copyDir));
        saves.push_back(saveMillis(saver, saveDir));
    }
    qint64 bytes = 0;
    for (const QString &name : DataFiles)
        bytes += QFileInfo(QDir(saveDir).filePath(name)).size();

    std::printf("data_set_mb: %.1f\n", bytes / 1048576.0);
    std::printf("save_ms: %.1f\n", median(saves));
    std::printf("copy_ms: %.1f\n", median(copies));
    std::printf("save_to_copy_ratio: %.2f\n", median(saves) / median(copies));
    // The total includes the pages of the mapped input files that the save reads (file
    // backed, reclaimable); the anonymous part is what the saver itself allocates.
    std::printf("save_peak_rss_growth_kb: %ld\n", peak - rssBefore);
    std::printf("save_peak_anon_growth_kb: %ld\n", anonPeak - anonBefore);
    return 0;
}
