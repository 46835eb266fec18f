// Decode speed of the art codec on the default sample set, against the straightforward
// stream-and-setPixel decode and against a plain memcpy of the same bytes.

#include "art/ArtCodec.h"
#include "art/ArtFormat.h"
#include "art/MulArtContainer.h"
#include "bench/BenchDataSet.h"

#include <QDataStream>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QVector>
#include <cstring>

using namespace ArtFormat;

namespace {

constexpr int Rounds = 5;

// Best of several rounds, in nanoseconds per item.
template <typename Work> double bestNanosPerItem(int items, Work work)
{
    double best = 1e300;
    for (int round = 0; round < Rounds; ++round) {
        QElapsedTimer timer;
        timer.start();
        work();
        best = qMin(best, double(timer.nsecsElapsed()) / qMax(items, 1));
    }
    return best;
}

QImage straightforwardTerrain(QDataStream &stream)
{
    QImage image(TerrainSize, TerrainSize, QImage::Format_ARGB32);
    image.fill(0);
    for (int y = 0; y < TerrainSize; ++y) {
        const int start = terrainRowStart(y);
        for (int x = start; x < start + terrainRowLength(y); ++x) {
            qint16 word = 0;
            stream >> word;
            image.setPixel(x, y, ArtCodec::fromColor16(quint16(word)));
        }
    }
    return image;
}

} // namespace

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    const BenchDataSet data(argc, argv);
    MulArtContainer art;
    art.open(data.file("artidx.mul"), data.file("art.mul"));
    QFile whole(data.file("art.mul"));
    whole.open(QIODevice::ReadOnly);
    const QByteArray artFileBytes = whole.readAll();
    const QByteArrayView artBytes = artFileBytes;

    QVector<qint32> terrain;
    QVector<qint32> statics;
    for (int slot = 0; slot < art.slotCount(); ++slot) {
        if (!art.entry(slot).isEmpty())
            (slot < StaticIdBase ? terrain : statics).append(art.entry(slot).offset);
    }

    qint64 sink = 0;
    const double terrainNs = bestNanosPerItem(terrain.size(), [&] {
        for (qint32 offset : terrain)
            sink += ArtCodec::decodeTerrain(artBytes.sliced(offset), false).width();
    });
    const double staticNs = bestNanosPerItem(statics.size(), [&] {
        for (qint32 offset : statics)
            sink += ArtCodec::decodeStatic(artBytes.sliced(offset), false).width();
    });

    QFile artFile(data.file("art.mul"));
    artFile.open(QIODevice::ReadOnly);
    QDataStream stream(&artFile);
    stream.setByteOrder(QDataStream::LittleEndian);
    const double plainNs = bestNanosPerItem(terrain.size(), [&] {
        for (qint32 offset : terrain) {
            artFile.seek(offset);
            sink += straightforwardTerrain(stream).width();
        }
    });

    QByteArray in(TerrainRecordSize, '\0');
    QByteArray out(TerrainSize * TerrainSize * 4, '\0');
    const QByteArray pixels(TerrainSize * TerrainSize * 4, '\1');
    const double memcpyNs = bestNanosPerItem(terrain.size(), [&] {
        for (qint32 offset : terrain) {
            std::memcpy(in.data(), artBytes.data() + offset, TerrainRecordSize);
            std::memcpy(out.data(), pixels.constData(), out.size());
            sink += out[offset % out.size()];
        }
    });

    std::printf("terrain_tiles: %lld\n", qlonglong(terrain.size()));
    std::printf("static_tiles: %lld\n", qlonglong(statics.size()));
    std::printf("terrain_decode_ns_per_tile: %.0f\n", terrainNs);
    std::printf("static_decode_ns_per_tile: %.0f\n", staticNs);
    std::printf("terrain_straightforward_ns_per_tile: %.0f\n", plainNs);
    std::printf("straightforward_over_decode: %.1f\n", plainNs / terrainNs);
    std::printf("terrain_memcpy_ns_per_tile: %.0f\n", memcpyNs);
    std::printf("decode_over_memcpy: %.2f\n", terrainNs / memcpyNs);
    std::fprintf(stderr, "(checksum %lld)\n", sink);
    return 0;
}
