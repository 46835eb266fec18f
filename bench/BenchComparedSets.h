#pragma once

#include "tiledata/TileFlags.h"
#include "tools/sample/DataSetBuilder.h"

#include <QImage>
#include <QString>
#include <cstdio>
#include <sys/wait.h>
#include <unistd.h>

// Two full-size data sets (65,536 statics, high-seas tile data) that differ in about 1 %
// of their tiles, for the benchmarks of comparing.
namespace BenchComparedSets {

constexpr int StaticCount = 65536;
// Every Spacing-th tile of each kind differs in one part.
constexpr int Spacing = 100;

inline QImage pattern(int width, int height, int seed)
{
    QImage image(width, height, QImage::Format_ARGB32);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, qRgb((x * 7 + seed) & 0xff, (y * 5 + seed) & 0xff, 0x60));
    }
    return image;
}

// B: A with every Spacing-th terrain image redrawn, and every Spacing-th static's image,
// weight or animation changed in turn.
inline void changeTiles(DataSetBuilder &builder)
{
    for (int id = 0; id < 16384; id += Spacing)
        builder.setTerrainImage(id, pattern(44, 44, id));
    for (int id = Spacing / 2, turn = 0; id < StaticCount; id += Spacing, ++turn) {
        StaticTileRecord record = builder.staticTile(id);
        switch (turn % 3) {
        case 0:
            builder.setStaticImage(id, pattern(30 + turn % 40, 50, id));
            break;
        case 1:
            record.weight = quint8(record.weight + 1);
            builder.setStaticTile(id, record);
            break;
        default:
            record.flags |= TileFlags::Animated;
            builder.setStaticTile(id, record);
            AnimDataEntry entry;
            entry.frameCount = 2;
            entry.frameInterval = 3;
            entry.frameOffsets[1] = 1;
            builder.setAnim(id, entry);
        }
    }
}

inline bool generate(const QString &a, const QString &b)
{
    DataSetBuilder::Options options;
    options.staticCount = StaticCount;
    options.tileDataLayout = TileDataLayout::highSeas();
    DataSetBuilder builder = DataSetBuilder::procedural(options);
    QString error;
    if (!builder.write(a, &error)) {
        std::fprintf(stderr, "cannot write %s: %s\n", qPrintable(a), qPrintable(error));
        return false;
    }
    changeTiles(builder);
    if (!builder.write(b, &error)) {
        std::fprintf(stderr, "cannot write %s: %s\n", qPrintable(b), qPrintable(error));
        return false;
    }
    return true;
}

// Generates the sets in a child process, so that the generator's memory is not the
// benchmark's. Before any thread is started, so that the child may run on its own.
inline bool generateInChild(const QString &a, const QString &b)
{
    const pid_t child = fork();
    if (child == 0)
        _exit(generate(a, b) ? 0 : 1);
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "cannot generate the data sets\n");
        return false;
    }
    return true;
}

} // namespace BenchComparedSets
