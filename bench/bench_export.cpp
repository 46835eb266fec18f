// Exporting every static of a data set as PNG files, as `tessera-cli export DIR static
// all OUT` and File > Export Images do, against encoding the same images to PNG in memory
// on one core: the export should be bound by the encoder, not by the disk. Then importing
// 10,000 image files as one edit, as File > Import Images does. Given a data directory
// (and a folder for the files), those are used; otherwise the default sample set and the
// system's temporary directory.

#include "art/ArtWork.h"
#include "art/ImageBatchExport.h"
#include "art/ImageBatchImport.h"
#include "art/TileImageFileName.h"
#include "bench/BenchDataSet.h"
#include "dataset/DataSet.h"
#include "edits/TileEdits.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImageWriter>
#include <QTemporaryDir>
#include <QVector>
#include <algorithm>
#include <cstdio>
#include <memory>
#include <numeric>
#include <vector>

namespace {

constexpr int Rounds = 2;
constexpr int ImportCount = 10000;

// Microseconds per image to encode every image to PNG in memory on this thread.
double encodeMicros(const QVector<QImage> &images)
{
    QElapsedTimer timer;
    timer.start();
    qint64 bytes = 0;
    for (const QImage &image : images) {
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        QImageWriter(&buffer, "png").write(image);
        bytes += png.size();
    }
    const double micros = double(timer.nsecsElapsed()) / 1e3 / images.size();
    if (bytes == 0)
        std::fprintf(stderr, "nothing was encoded\n");
    return micros;
}

// Microseconds per image to export every static of a freshly opened set (its images
// decoded as part of the export) into out, a new folder.
double exportMicros(const QString &directory, const QString &out, int *written)
{
    const auto set = openBenchSet(directory);
    if (!set)
        return 0;
    QVector<int> ids(set->art().staticSlotCount());
    std::iota(ids.begin(), ids.end(), 0);
    QElapsedTimer timer;
    timer.start();
    const ImageBatchExport::Outcome outcome = ImageBatchExport(set->art(), TileKind::Static).run(ids, out);
    const double elapsed = double(timer.nsecsElapsed()) / 1e3;
    if (!outcome.ok())
        std::fprintf(
            stderr, "export failed: %s: %s\n", qPrintable(outcome.failedPath), qPrintable(outcome.error));
    *written = outcome.written;
    return outcome.written > 0 ? elapsed / outcome.written : 0;
}

// The machine is shared: how busy it was is part of every figure.
QByteArray loadAverage()
{
    QFile file(QStringLiteral("/proc/loadavg"));
    return file.open(QIODevice::ReadOnly) ? file.readAll().split(' ').value(0) : QByteArray("unknown");
}

// An image for static id unlike the sample set's.
QImage pattern(int id)
{
    QImage image(24 + id % 40, 30 + id % 50, QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, qRgb((x * 7 + id) & 0xff, (y * 5 + id / 3) & 0xff, 0x90));
    }
    return image;
}

// Microseconds to create one small file in folder, a new folder: what the file system
// costs right now. Some file systems are much slower to create files for a few minutes
// after many were deleted (by this benchmark's last run, say), which no export can help.
double createMicros(const QString &folder)
{
    constexpr int Count = 2000;
    const QByteArray bytes(2000, 'x');
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < Count; ++i) {
        QFile file(QDir(folder).filePath(QStringLiteral("f%1").arg(i)));
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            std::fprintf(stderr, "cannot write %s\n", qPrintable(file.fileName()));
    }
    return double(timer.nsecsElapsed()) / 1e3 / Count;
}

// Seconds to import ImportCount image files into statics as one edit: reading the folder
// (on every core) and making the edit.
double importSeconds(const QString &directory, const QString &parent)
{
    const auto set = openBenchSet(directory);
    if (!set)
        return 0;
    QTemporaryDir folder(QDir(parent).filePath(QStringLiteral("bench_import-XXXXXX")));
    for (int id = 0; id < ImportCount; ++id)
        pattern(id).save(folder.filePath(TileImageFileName::exportName(TileKind::Static, id)), "PNG");
    TileEdits edits(set->art(), set->tiles(), &set->anims());
    QElapsedTimer timer;
    timer.start();
    ImageBatchImport::Plan plan;
    QString error;
    if (!ImageBatchImport::read(folder.path(), TileKind::Static, &plan, &error)
        || !edits.changeImages(TileKind::Static, plan.images, TileEdits::importName(), &error))
        std::fprintf(stderr, "import failed: %s\n", qPrintable(error));
    const double seconds = double(timer.nsecsElapsed()) / 1e9;
    if (plan.images.size() != ImportCount || edits.history().count() != 1)
        std::fprintf(
            stderr, "%d images imported in %d edits\n", int(plan.images.size()), edits.history().count());
    return seconds;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const BenchDataSet data(argc, argv);
    const QString parent = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QDir::tempPath();
    QVector<QImage> images;
    {
        const auto set = openBenchSet(data.path());
        if (!set)
            return 1;
        for (int id = 0; id < set->art().staticSlotCount(); ++id) {
            const QImage image = set->art().image(TileKind::Static, id, false);
            if (!image.isNull())
                images.append(image);
        }
    }
    if (images.isEmpty()) {
        std::fprintf(stderr, "the set has no static images\n");
        return 1;
    }
    // The best round of each: the machine is shared, and other work only ever adds time.
    double encode = 0;
    double exported = 0;
    int written = 0;
    // Each round's files stay until the end: a file system that has just deleted many
    // files is slower to create new ones, which would be the benchmark's own doing.
    std::vector<std::unique_ptr<QTemporaryDir>> outputs;
    std::printf("load_average_1min: %s\n", loadAverage().constData());
    outputs.push_back(
        std::make_unique<QTemporaryDir>(QDir(parent).filePath(QStringLiteral("bench_create-XXXXXX"))));
    std::printf("create_us_per_file: %.1f\n", createMicros(outputs.back()->path()));
    for (int round = 0; round < Rounds; ++round) {
        outputs.push_back(
            std::make_unique<QTemporaryDir>(QDir(parent).filePath(QStringLiteral("bench_export-XXXXXX"))));
        const double encodeRound = encodeMicros(images);
        const double exportRound = exportMicros(data.path(), outputs.back()->path(), &written);
        encode = round == 0 ? encodeRound : std::min(encode, encodeRound);
        exported = round == 0 ? exportRound : std::min(exported, exportRound);
    }
    if (written != images.size())
        std::fprintf(stderr, "%d images written of %d\n", written, int(images.size()));
    std::printf("static_images: %d\n", int(images.size()));
    std::printf("export_us_per_image: %.1f\n", exported);
    std::printf("encode_us_per_image: %.1f\n", encode);
    std::printf("export_over_encode: %.2f\n", encode > 0 ? exported / encode : 0);
    std::printf("import_10000_s: %.2f\n", importSeconds(data.path(), parent));
    return 0;
}
