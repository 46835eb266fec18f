// One full paint of a 3840 x 2160 palette on the default sample set, off-screen: with
// empty caches (cold), with warm caches, with every tile selected, and the floor: the same
// rows composed from the same images, already decoded, without asking the store. Then scrolling by one row in
// a 3840 x 2160 window with warm caches: the whole step as the window does it (the
// pixels on screen moved, the row that comes into view painted), and the paint of that
// row alone. Last, the same one-row scroll in the window's static palette on a full-size
// set, as the median step and the slowest tenth (in wall time and in the window thread's
// processor time): on its own, and while the window compares the set with another
// full-size one in the background (restarted whenever it ends), with how far the
// comparisons got meanwhile. With two directories as arguments the window compares those;
// otherwise a pair is generated.

#include "app/CompareCommands.h"
#include "app/MyMainWindow.h"
#include "art/ArtWork.h"
#include "bench/BenchComparedSets.h"
#include "bench/BenchDataSet.h"
#include "browser/ArtTab.h"
#include "browser/PaletteRowPainter.h"
#include "browser/SPalette.h"
#include "browser/TPalette.h"
#include "session/ComparisonSession.h"
#include "tiledata/TileData.h"

#include <QApplication>
#include <QDockWidget>
#include <QElapsedTimer>
#include <QPaintEvent>
#include <QPainter>
#include <QResizeEvent>
#include <QTemporaryDir>
#include <QVector>
#include <algorithm>
#include <cstdio>
#include <ctime>
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

// Processor time the calling thread has taken, in milliseconds.
double threadMillis()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return now.tv_sec * 1e3 + now.tv_nsec / 1e6;
}

// The value that fraction of the values do not exceed.
double quantile(QVector<double> values, double fraction)
{
    std::sort(values.begin(), values.end());
    return values.at(qMin(int(values.size() * fraction), int(values.size()) - 1));
}

// A palette of one kind on its own stores, sized to the screen, with a tile selected.
struct Setup
{
    Setup(const BenchDataSet &data, TileKind kind)
        : art(data.file(DataFileNames::ArtIdxMul), data.file(DataFileNames::ArtMul)),
          tiles(data.file(DataFileNames::TileDataMul))
    {
        if (kind == TileKind::Static)
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

    QImage image(int id, bool highlighted) { return art.image(palette->kind(), id, highlighted); }

    ArtWork art;
    TileData tiles;
    std::unique_ptr<TilePalette> palette;
};

// Scrolls a shown palette of the screen's size one row at a time between two rows, so
// that after the first steps every row that comes into view is cached.
void measureScroll(const BenchDataSet &data, const char *label, TileKind kind)
{
    constexpr int FirstRow = 100;
    constexpr int Steps = 40;
    Setup setup(data, kind);
    TilePalette &palette = *setup.palette;
    palette.show();
    QCoreApplication::processEvents();
    palette.setStart(FirstRow);
    QCoreApplication::processEvents();

    // Times the palette's own paints, and how much of it they cover.
    struct PaintTimer : QObject
    {
        bool eventFilter(QObject *, QEvent *event) override
        {
            if (event->type() == QEvent::Paint) {
                timer.start();
                height = static_cast<QPaintEvent *>(event)->rect().height();
            }
            return false;
        }
        QElapsedTimer timer;
        int height = 0;
    } paints;
    palette.installEventFilter(&paints);

    QVector<double> whole;
    QVector<double> rowPaint;
    int paintedHeight = 0;
    for (int step = 0; step < Steps; ++step) {
        QElapsedTimer timer;
        timer.start();
        palette.setStart(FirstRow + (step + 1) % 2);
        QCoreApplication::processEvents();
        const double total = millis(timer);
        // The first steps fill the caches.
        if (step < 2)
            continue;
        whole.append(total);
        rowPaint.append(millis(paints.timer));
        paintedHeight = paints.height;
    }
    std::printf("%s_scroll_row_ms: %.2f\n", label, best(whole));
    std::printf("%s_scroll_row_paint_ms: %.2f\n", label, best(rowPaint));
    std::printf("%s_scroll_painted_height: %d\n", label, paintedHeight);
    std::fflush(stdout);
}

void measure(const BenchDataSet &data, const char *label, TileKind kind)
{
    QImage target(Screen, QImage::Format_ARGB32_Premultiplied);
    target.fill(Qt::white);

    QVector<double> cold;
    for (int round = 0; round < Rounds; ++round) {
        Setup fresh(data, kind);
        cold.append(fresh.paint(target));
    }

    Setup setup(data, kind);
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
    PaletteRowPainter rows;
    const QColor background = palette.palette().window().color();
    for (int round = 0; round < Rounds; ++round) {
        QElapsedTimer timer;
        timer.start();
        QPainter painter(&target);
        for (int row = 0; row * columns < cells; ++row) {
            PaletteRowPainter::Row grid;
            grid.top = TilePalette::CellPitch * row;
            grid.cells = qMin(columns, cells - row * columns);
            grid.cellsAbove = row > 0 ? columns : 0;
            grid.right = Screen.width() - 1;
            rows.paint(
                painter, grid, background, [&](int column) { return images.at(row * columns + column); },
                [&](int column) { return row * columns + column == selected; }, [](int) { return false; });
        }
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

    // Every tile selected (Ctrl+A): every cell is decoded anew, highlighted, on every paint.
    palette.selectAll();
    QVector<double> allSelected;
    for (int round = 0; round < Rounds; ++round)
        allSelected.append(setup.paint(target));

    std::printf("%s_cells: %d\n", label, cells);
    std::printf("%s_cold_ms: %.2f\n", label, best(cold));
    std::printf("%s_warm_ms: %.2f\n", label, best(warm));
    std::printf("%s_floor_ms: %.2f\n", label, best(floor));
    std::printf("%s_warm_over_floor: %.2f\n", label, best(warm) / best(floor));
    std::printf("%s_highlighted_decode_us: %.1f\n", label, highlightMicros);
    std::printf("%s_all_selected_warm_ms: %.2f\n", label, best(allSelected));
    std::fflush(stdout);
}

// One row scrolled in the static palette of a window of the screen's size, over and over,
// as the window does it with every event that comes meanwhile handled: on its own, then
// while the window compares directory with other. The compare pane floats, so that the
// palette keeps its size.
void measureWindowScroll(const QString &directory, const QString &other)
{
    constexpr int FirstRow = 100;
    constexpr int Steps = 300;
    MyMainWindow window(MyMainWindow::StartOptions{directory, false, DataSet::Options(), false, QString()});
    if (!window.isComplete()) {
        std::fprintf(stderr, "cannot open %s\n", qPrintable(directory));
        return;
    }
    window.resize(Screen);
    window.show();
    window.tabs()->setCurrentIndex(ArtTab::StaticsIndex);
    window.findChild<QDockWidget *>()->setFloating(true);
    TilePalette &palette = *window.currentPalette();
    QCoreApplication::processEvents();
    int step = 0;
    // The window's own thread's processor time too: what it did, whatever else the
    // machine was doing.
    QVector<double> *cpuTimes = nullptr;
    const auto scroll = [&] {
        QElapsedTimer timer;
        const double cpuStart = threadMillis();
        timer.start();
        palette.setStart(FirstRow + ++step % 2);
        QCoreApplication::processEvents();
        const double ms = millis(timer);
        if (cpuTimes)
            cpuTimes->append(threadMillis() - cpuStart);
        return ms;
    };
    // The first steps fill the caches.
    for (int warm = 0; warm < 4; ++warm)
        scroll();
    QVector<double> alone;
    QVector<double> aloneCpu;
    cpuTimes = &aloneCpu;
    while (alone.size() < Steps)
        alone.append(scroll());
    cpuTimes = nullptr;

    auto *comparer = window.findChild<CompareCommands *>();
    const ComparisonSession &comparison = *window.comparison();
    QVector<double> comparing;
    QVector<double> comparingCpu;
    int runs = 0;
    // How far the comparisons got meanwhile: the tiles compared by those that ended, and
    // by the last one.
    qint64 comparedBefore = 0;
    int compared = 0;
    int tiles = 0;
    QObject::connect(&comparison, &ComparisonSession::progressed, [&](int done, int total) {
        compared = done;
        tiles = total;
    });
    while (comparing.size() < Steps) {
        if (!comparison.isRunning()) {
            comparedBefore += compared;
            compared = 0;
            if (!comparer->compareWith(other))
                return;
            ++runs;
            // Starting over lets go of the marks found: the step that repaints them is
            // the start's, which a single comparison has once.
            scroll();
            continue;
        }
        cpuTimes = &comparingCpu;
        comparing.append(scroll());
        cpuTimes = nullptr;
    }
    comparer->stop();
    std::printf("scroll_row_ms: %.2f\n", quantile(alone, 0.5));
    std::printf("scroll_row_p90_ms: %.2f\n", quantile(alone, 0.9));
    std::printf("scroll_row_comparing_ms: %.2f\n", quantile(comparing, 0.5));
    std::printf("scroll_row_comparing_p90_ms: %.2f\n", quantile(comparing, 0.9));
    std::printf("scroll_row_cpu_ms: %.2f\n", quantile(aloneCpu, 0.5));
    std::printf("scroll_row_comparing_cpu_ms: %.2f\n", quantile(comparingCpu, 0.5));
    std::printf("scroll_row_comparing_cpu_p90_ms: %.2f\n", quantile(comparingCpu, 0.9));
    std::printf("scroll_comparisons: %d\n", runs);
    std::printf("scroll_compared_tiles: %lld of %d\n", comparedBefore + compared, tiles);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char **argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir compared;
    QString a = compared.filePath(QStringLiteral("a"));
    QString b = compared.filePath(QStringLiteral("b"));
    if (argc > 2) {
        a = QString::fromLocal8Bit(argv[1]);
        b = QString::fromLocal8Bit(argv[2]);
    } else if (!BenchComparedSets::generateInChild(a, b)) {
        return 1;
    }
    QApplication app(argc, argv);
    const BenchDataSet data(argc, argv);
    measure(data, "terrain", TileKind::Terrain);
    measure(data, "statics", TileKind::Static);
    measureScroll(data, "terrain", TileKind::Terrain);
    measureScroll(data, "statics", TileKind::Static);
    measureWindowScroll(a, b);
    return 0;
}
