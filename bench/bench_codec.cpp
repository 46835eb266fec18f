// Decode speed of the art codec on the default sample set, against the straightforward
// stream-and-setPixel decode, against a plain memcpy of the same bytes, and against that
// memcpy into a newly allocated image per tile (the floor of any decoder that returns a
// new QImage). Also the worst static record a side of MaxStaticSide allows.

#include "art/ArtCodec.h"
#include "art/ArtFormat.h"
#include "bench/BenchDataSet.h"

#include <QDataStream>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QVector>
#include <QtEndian>
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

QByteArray readAll(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        qFatal("cannot read %s: %s", qPrintable(path), qPrintable(file.errorString()));
    return file.readAll();
}

// Offsets of the records that the index entries in [first, last) point at, for records
// of at least minimumSize bytes inside art.
QVector<qint64> recordOffsets(
    const QByteArray &index, qint64 first, qint64 last, qint64 artSize, int minimumSize)
{
    QVector<qint64> offsets;
    for (qint64 slot = first; slot < last && (slot + 1) * IndexEntrySize <= index.size(); ++slot) {
        const char *entry = index.constData() + slot * IndexEntrySize;
        const qint32 offset = qFromLittleEndian<qint32>(entry);
        const qint32 length = qFromLittleEndian<qint32>(entry + 4);
        if (offset >= 0 && length >= minimumSize && offset + qint64(minimumSize) <= artSize)
            offsets.append(offset);
    }
    return offsets;
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

void appendWord(QByteArray &out, qint16 value)
{
    const qint16 le = qToLittleEndian(value);
    out.append(reinterpret_cast<const char *>(&le), sizeof le);
}

// The costliest static record the rules allow: the largest image, every line walking
// the same run list of one-pixel gaps up to the right edge.
QByteArray worstStaticRecord()
{
    QByteArray record(StaticHeaderSize, '\0');
    appendWord(record, MaxStaticSide);
    appendWord(record, MaxStaticSide);
    record.append(2 * MaxStaticSide, '\0');
    for (int x = 1; x < MaxStaticSide; ++x) {
        appendWord(record, 1);
        appendWord(record, 0);
    }
    appendWord(record, 0);
    appendWord(record, 0);
    return record;
}

} // namespace

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    const BenchDataSet data(argc, argv);
    const QByteArray artBytes = readAll(data.file(DataFileNames::ArtMul));
    const QByteArray indexBytes = readAll(data.file(DataFileNames::ArtIdxMul));
    const QVector<qint64> terrain
        = recordOffsets(indexBytes, 0, TerrainCount, artBytes.size(), TerrainRecordSize);
    const QVector<qint64> statics = recordOffsets(
        indexBytes, StaticIdBase, indexBytes.size() / IndexEntrySize, artBytes.size(), StaticLineTableOffset);
    const QByteArrayView art(artBytes);

    qint64 sink = 0;
    const double terrainNs = bestNanosPerItem(terrain.size(), [&] {
        for (qint64 offset : terrain)
            sink += ArtCodec::decodeTerrain(art.sliced(offset)).width();
    });
    const double staticNs = bestNanosPerItem(statics.size(), [&] {
        for (qint64 offset : statics)
            sink += ArtCodec::decodeStatic(art.sliced(offset)).width();
    });

    QFile artFile(data.file(DataFileNames::ArtMul));
    artFile.open(QIODevice::ReadOnly);
    QDataStream stream(&artFile);
    stream.setByteOrder(QDataStream::LittleEndian);
    const double plainNs = bestNanosPerItem(terrain.size(), [&] {
        for (qint64 offset : terrain) {
            artFile.seek(offset);
            sink += straightforwardTerrain(stream).width();
        }
    });

    QByteArray in(TerrainRecordSize, '\0');
    QByteArray out(TerrainSize * TerrainSize * 4, '\0');
    const QByteArray pixels(TerrainSize * TerrainSize * 4, '\1');
    const double memcpyNs = bestNanosPerItem(terrain.size(), [&] {
        for (qint64 offset : terrain) {
            std::memcpy(in.data(), artBytes.constData() + offset, TerrainRecordSize);
            std::memcpy(out.data(), pixels.constData(), out.size());
            sink += out[offset % out.size()];
        }
    });
    const double allocNs = bestNanosPerItem(terrain.size(), [&] {
        for (qint64 offset : terrain) {
            std::memcpy(in.data(), artBytes.constData() + offset, TerrainRecordSize);
            QImage image(TerrainSize, TerrainSize, QImage::Format_ARGB32);
            std::memcpy(image.bits(), pixels.constData(), pixels.size());
            sink += image.constBits()[offset % pixels.size()];
        }
    });

    const QByteArray worst = worstStaticRecord();
    constexpr int WorstRounds = 20;
    const double worstNs = bestNanosPerItem(WorstRounds, [&] {
        for (int i = 0; i < WorstRounds; ++i)
            sink += ArtCodec::decodeStatic(worst).width();
    });
    const double worstExtentNs = bestNanosPerItem(WorstRounds, [&] {
        for (int i = 0; i < WorstRounds; ++i)
            sink += ArtCodec::staticRecordExtent(worst);
    });

    std::printf("terrain_tiles: %lld\n", qlonglong(terrain.size()));
    std::printf("static_tiles: %lld\n", qlonglong(statics.size()));
    std::printf("terrain_decode_ns_per_tile: %.0f\n", terrainNs);
    std::printf("static_decode_ns_per_tile: %.0f\n", staticNs);
    std::printf("terrain_straightforward_ns_per_tile: %.0f\n", plainNs);
    std::printf("straightforward_over_decode: %.1f\n", plainNs / terrainNs);
    std::printf("terrain_memcpy_ns_per_tile: %.0f\n", memcpyNs);
    std::printf("decode_over_memcpy: %.2f\n", terrainNs / memcpyNs);
    std::printf("terrain_alloc_memcpy_ns_per_tile: %.0f\n", allocNs);
    std::printf("decode_over_alloc_memcpy: %.2f\n", terrainNs / allocNs);
    std::printf("static_worst_%dx%d_decode_ms: %.2f\n", MaxStaticSide, MaxStaticSide, worstNs / 1e6);
    std::printf("static_worst_extent_ms: %.2f\n", worstExtentNs / 1e6);
    std::fprintf(stderr, "(checksum %lld)\n", sink);
    return 0;
}
