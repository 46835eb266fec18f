// Exporting every static of a data set as PNG files, as `tessera-cli export DIR static
// all OUT` and File > Export Images do, against encoding the same images to PNG in memory
// on one core: the export should be bound by the encoder, not by the disk. Given a data
// directory (and an output directory), those are used; otherwise the default sample set
// and the system's temporary directory.

#include "art/ArtWork.h"
#include "art/ImageBatchExport.h"
#include "bench/BenchDataSet.h"
#include "dataset/DataSet.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QImageWriter>
#include <QTemporaryDir>
#include <QVector>
#include <algorithm>
#include <cstdio>
#include <memory>
#include <numeric>

namespace {

constexpr int Rounds = 2;

std::unique_ptr<DataSet> open(const QString &directory)
{
    QString error;
    std::unique_ptr<DataSet> set = DataSet::open(directory, DataSet::Options(), &error);
    if (!set)
        std::fprintf(stderr, "cannot open %s: %s\n", qPrintable(directory), qPrintable(error));
    return set;
}

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
// decoded as part of the export) into a new folder under parent.
double exportMicros(const QString &directory, const QString &parent, int *written)
{
    const auto set = open(directory);
    if (!set)
        return 0;
    QTemporaryDir out(QDir(parent).filePath(QStringLiteral("bench_export-XXXXXX")));
    QVector<int> ids(set->art().staticSlotCount());
    std::iota(ids.begin(), ids.end(), 0);
    QElapsedTimer timer;
    timer.start();
    const ImageBatchExport::Outcome outcome
        = ImageBatchExport(set->art(), TileKind::Static).run(ids, out.path());
    const double elapsed = double(timer.nsecsElapsed()) / 1e3;
    if (!outcome.ok())
        std::fprintf(
            stderr, "export failed: %s: %s\n", qPrintable(outcome.failedPath), qPrintable(outcome.error));
    *written = outcome.written;
    return outcome.written > 0 ? elapsed / outcome.written : 0;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const BenchDataSet data(argc, argv);
    const QString parent = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QDir::tempPath();
    QVector<QImage> images;
    {
        const auto set = open(data.path());
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
    for (int round = 0; round < Rounds; ++round) {
        const double encodeRound = encodeMicros(images);
        const double exportRound = exportMicros(data.path(), parent, &written);
        encode = round == 0 ? encodeRound : std::min(encode, encodeRound);
        exported = round == 0 ? exportRound : std::min(exported, exportRound);
    }
    if (written != images.size())
        std::fprintf(stderr, "%d images written of %d\n", written, int(images.size()));
    std::printf("static_images: %d\n", int(images.size()));
    std::printf("export_us_per_image: %.1f\n", exported);
    std::printf("encode_us_per_image: %.1f\n", encode);
    std::printf("export_over_encode: %.2f\n", encode > 0 ? exported / encode : 0);
    return 0;
}
