// One full paint of a 3840 x 2160 palette on the default sample set, off-screen: with
// empty caches (cold), with warm caches, and the floor: the same painter drawing the
// same cell frames and the same images, already decoded.

#include "art/ArtWork.h"
#include "bench/BenchDataSet.h"
#include "browser/SPalette.h"
#include "browser/TPalette.h"
#include "tiledata/TileData.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPainter>
#include <QResizeEvent>
#include <QVector>
#include <algorithm>
#include <cstdio>
#include <memory>

namespace {

constexpr int Rounds = 15;
const QSize Screen(3840, 2160);
// A tile in the middle of the screen, painted highlighted.
constexpr int SelectedRow = 20;
constexpr int SelectedColumn = 40;

// The best round: the machine is shared, and other work only ever adds time.
double best(const QVector<double> &values)
{
    return *std::min_element(values.begin(), values.end());
}

double millis(const QElapsedTimer &timer)
{
    return double(timer.nsecsElapsed()) / 1e6;
}

// A palette of one kind on its own stores, sized to the screen, with a tile selected.
struct Setup
{
    Setup(const BenchDataSet &data, bool statics)
        : art(data.file("artidx.mul"), data.file("art.mul")), tiles(data.file("tiledata.mul"))
    {
        if (statics)
            palette = std::make_unique<SPalette>(&art, &tiles);
        else
            palette = std::make_unique<TPalette>(&art, &tiles);
        palette->resize(Screen);
        QResizeEvent resize(Screen, QSize());
        QCoreApplication::sendEvent(palette.get(), &resize);
        palette->setAttribute(Qt::WA_PendingResizeEvent, false);
        palette->setSelected(SelectedRow * palette->columnCount() + SelectedColumn);
    }

    double paint(QImage &target)
    {
        QElapsedTimer timer;
        timer.start();
        palette->render(&target, QPoint(), QRegion(), QWidget::RenderFlags());
        return millis(timer);
    }

    QImage image(int id, bool highlighted)
    {
        return qobject_cast<SPalette *>(palette.get()) ? art.getStatic(id, highlighted)
                                                       : art.getTerrain(id, highlighted);
    }

    ArtWork art;
    TileData tiles;
    std::unique_ptr<TilePalette> palette;
};

void measure(const BenchDataSet &data, const char *kind, bool statics)
{
    QImage target(Screen, QImage::Format_ARGB32_Premultiplied);
    target.fill(Qt::white);

    QVector<double> cold;
    for (int round = 0; round < Rounds; ++round) {
        Setup fresh(data, statics);
        cold.append(fresh.paint(target));
    }

    Setup setup(data, statics);
    setup.paint(target);
    QVector<double> warm;
    for (int round = 0; round < Rounds; ++round)
        warm.append(setup.paint(target));

    TilePalette &palette = *setup.palette;
    const int columns = palette.columnCount();
    const int cells = palette.visibleCellCount();
    const int selected = palette.selectedId();
    QVector<QImage> images;
    for (int id = 0; id < cells; ++id)
        images.append(setup.image(id, id == selected));
    QVector<double> floor;
    for (int round = 0; round < Rounds; ++round) {
        QElapsedTimer timer;
        timer.start();
        QPainter painter(&target);
        TilePalette::drawFrames(painter, columns, cells, selected, 0, cells / columns);
        for (int id = 0; id < cells; ++id)
            TilePalette::drawTile(painter, id / columns, id % columns, images.at(id));
        painter.end();
        floor.append(millis(timer));
    }

    // The selected tile is decoded anew, highlighted, on every paint.
    constexpr int Highlights = 1000;
    QElapsedTimer timer;
    timer.start();
    for (int round = 0; round < Highlights; ++round)
        setup.image(selected, true);
    const double highlightMicros = double(timer.nsecsElapsed()) / 1e3 / Highlights;

    std::printf("%s_cells: %d\n", kind, cells);
    std::printf("%s_cold_ms: %.2f\n", kind, best(cold));
    std::printf("%s_warm_ms: %.2f\n", kind, best(warm));
    std::printf("%s_floor_ms: %.2f\n", kind, best(floor));
    std::printf("%s_warm_over_floor: %.2f\n", kind, best(warm) / best(floor));
    std::printf("%s_highlighted_decode_us: %.1f\n", kind, highlightMicros);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char **argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const BenchDataSet data(argc, argv);
    measure(data, "terrain", false);
    measure(data, "statics", true);
    return 0;
}
