#include "FakePrompts.h"
#include "TestDataSet.h"
#include "browser/ArtTab.h"
#include "browser/ImageTransfer.h"
#include "browser/SPalette.h"
#include "browser/SWidget.h"
#include "browser/TPalette.h"
#include "browser/TWidget.h"

#include "edits/TileEdits.h"

#include <QImageReader>
#include <QImageWriter>
#include <QMenu>
#include <QPainter>
#include <QScreen>
#include <QScrollBar>
#include <QToolTip>
#include <QtTest>

namespace {
constexpr int Terrain = ArtFormat::TerrainCount;
constexpr int Columns = 5; // of the fixture's palettes
const QPoint PastLastColumn(Columns * 46 + 5, 10);

// Resizes a hidden widget and delivers the resize event at once.
void resizeNow(QWidget &widget, const QSize &size)
{
    QResizeEvent event(size, widget.size());
    widget.resize(size);
    QCoreApplication::sendEvent(&widget, &event);
    widget.setAttribute(Qt::WA_PendingResizeEvent, false);
}

// A press or double-click of buttons, or a move with buttons held.
void mouse(QWidget &widget, const QPoint &position, Qt::MouseButtons buttons,
    QEvent::Type type = QEvent::MouseButtonPress)
{
    const auto button = type == QEvent::MouseMove ? Qt::NoButton : Qt::MouseButton(buttons.toInt());
    QMouseEvent event(
        type, QPointF(position), widget.mapToGlobal(QPointF(position)), button, buttons, Qt::NoModifier);
    QCoreApplication::sendEvent(&widget, &event);
}

// A point in the cell in visible row row and column col, dx/dy from its frame's corner.
QPoint inCell(int row, int col, int dx = 20, int dy = 20)
{
    return QPoint(46 * col + dx, 46 * row + dy);
}

// The widget's own painting (on white, where it paints nothing).
QImage render(QWidget &widget)
{
    QImage image(widget.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    widget.render(&image, QPoint(), QRegion(), QWidget::RenderFlags());
    return image;
}

// The palette's picture from what a user sees, pixel by pixel: the background, then per
// cell a black frame on a 46-pixel grid (yellow inside for the selected tile), the
// image's opaque pixels one pixel inside the frame (in the middle of the 44 x 44 box when
// smaller, cut at its right and bottom when larger), a diagonal cross where there is no
// image, and an orange corner on tiles with pending edits.
QImage expectedPicture(const QSize &size, const QColor &background, int first, int count, int columns,
    int selected, const std::function<QImage(int)> &imageOf, const std::function<bool(int)> &pendingOf)
{
    QImage picture(size, QImage::Format_ARGB32_Premultiplied);
    picture.fill(background);
    const int rows = (size.height() + 45) / 46;
    const auto set = [&](int x, int y, QColor c) {
        if (x >= 0 && y >= 0 && x < size.width() && y < size.height())
            picture.setPixelColor(x, y, c);
    };
    for (int cell = 0; cell < columns * rows && first + cell < count; ++cell) {
        const int id = first + cell, left = 46 * (cell % columns), top = 46 * (cell / columns);
        for (int y = top + 1; y < top + 46 && id == selected; ++y)
            for (int x = left + 1; x < left + 46; ++x)
                set(x, y, Qt::yellow);
        for (int i = 0; i <= 46; ++i) {
            set(left + i, top, Qt::black);
            set(left + i, top + 46, Qt::black);
            set(left, top + i, Qt::black);
            set(left + 46, top + i, Qt::black);
        }
        const QImage image = imageOf(id);
        for (int i = 0; i < 44 && image.isNull(); ++i) {
            set(left + 1 + i, top + 1 + i, Qt::black);
            set(left + 1 + i, top + 44 - i, Qt::black);
        }
        const int dx = image.width() < 44 ? (44 - image.width()) / 2 : 0;
        const int dy = image.height() < 44 ? (44 - image.height()) / 2 : 0;
        for (int y = 0; y < qMin(image.height(), 44); ++y)
            for (int x = 0; x < qMin(image.width(), 44); ++x)
                if (qAlpha(image.pixel(x, y)) == 255)
                    set(left + 1 + dx + x, top + 1 + dy + y, image.pixelColor(x, y));
        for (int i = 0; i < 8 && pendingOf(id); ++i)
            for (int y = 0; y < 8 - i; ++y)
                set(left + 44 - i, top + 1 + y, QColor(255, 96, 0));
    }
    return picture;
}

// Records a palette's selection signals in the order they come.
struct SignalLog : QObject
{
    explicit SignalLog(TilePalette *p)
    {
        connect(p, &TilePalette::updateSelected, this, [this](int id) { entries << QString::number(id); });
        connect(p, &TilePalette::updateSize, this,
            [this](int w, int h) { entries << QStringLiteral("%1x%2").arg(w).arg(h); });
    }
    QStringList entries;
};

DataSetBuilder editingSet()
{
    DataSetBuilder builder(64);
    for (int id = 0; id < 7; ++id) // 7 and on have no image
        builder.setTerrainImage(id, TestDataSet::terrain(QColor(30 * id, 100, 200)));
    builder.setStaticImage(3, TestDataSet::solid(30, 50, Qt::darkCyan));
    return builder;
}

// Records a palette's edit requests: "id action WxH", "none" for no image.
struct EditLog : QObject
{
    explicit EditLog(TilePalette *p)
    {
        connect(p, &TilePalette::imageEditRequested, this,
            [this](int id, const QImage &image, const QString &action) {
                entries << QStringLiteral("%1 %2 %3")
                               .arg(id)
                               .arg(action,
                                   image.isNull()
                                       ? QStringLiteral("none")
                                       : QStringLiteral("%1x%2").arg(image.width()).arg(image.height()));
                images << image;
            });
    }
    QStringList entries;
    QList<QImage> images;
};

// Hidden palettes of 5 columns on editingSet(), scripted prompts, and files to offer.
struct Fixture
{
    Fixture()
    {
        resizeNow(terrain, QSize(Columns * 46 + 20, 4 * 46));
        resizeNow(statics, QSize(Columns * 46 + 20, 20 * 46));
        QVERIFY(good.save(file("good.png"), "PNG") && good.save(file("picture"), "PNG"));
        QFile broken(file("broken.png"));
        QVERIFY(broken.open(QIODevice::WriteOnly) && broken.write("not a picture at all") > 0);
    }
    QString file(const QString &name) const { return QDir(files.path()).filePath(name); }

    TestDataSet data{editingSet()};
    FakePrompts prompts;
    TPalette terrain{&data.art(), &data.tiles()};
    SPalette statics{&data.art(), &data.tiles()};
    EditLog terrainEdits{&terrain};
    EditLog staticEdits{&statics};
    QTemporaryDir files;
    const QImage good = TestDataSet::solid(12, 70, QColor(0, 128, 0));
};

// What a drag offers, from parts joined by "+": "url:NAME" a fixture file, "remote" a URL
// of no local file, "urls" an empty URL list, "png:good|empty|garbage|huge" data.
std::unique_ptr<QMimeData> offer(const Fixture &f, const QString &parts)
{
    const QMap<QString, QByteArray> png{{"good", ImageTransfer::pngBytes(f.good)}, {"empty", QByteArray()},
        {"garbage", "\x89PNG but then nothing"},
        {"huge", ImageTransfer::pngBytes(TestDataSet::solid(1, 40000, Qt::red))}};
    auto mime = std::make_unique<QMimeData>();
    QList<QUrl> urls;
    for (const QString &part : parts.split(QLatin1Char('+'))) {
        if (part == "remote")
            urls << QUrl(QStringLiteral("https://example.org/tile.png"));
        else if (part.startsWith("url:"))
            urls << QUrl::fromLocalFile(f.file(part.mid(4)));
        else if (part.startsWith("png:"))
            mime->setData(ImageTransfer::pngType(), png.value(part.mid(4)));
    }
    if (parts.contains("url") || parts.contains("remote"))
        mime->setUrls(urls);
    return mime;
}

// Delivers a drag event as the window system does: an accepted enter (here of data the palette
// takes) makes the palette the drag's target, which alone gets the moves and the drop.
template <typename Event> bool takes(QWidget &palette, const QPoint &position, const QMimeData &mime)
{
    QMimeData png;
    png.setData(ImageTransfer::pngType(), QByteArray());
    QDragEnterEvent enter(inCell(0, 0), Qt::CopyAction, &png, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&palette, &enter);
    Event event(position, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&palette, &event);
    return enter.isAccepted() && event.isAccepted();
}

QString filterOf(const QList<QByteArray> &formats)
{
    QStringList entries;
    for (const QByteArray &format : formats)
        entries << QString::fromLatin1(format + " (*." + format + ")");
    return entries.join(QStringLiteral(";;"));
}
} // namespace

// The palettes: grid arithmetic, selection, painting, pages and tabs, and editing by
// context menu, drag and drop and the properties window.
class PalettesTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void resizeAndPositionToTile_data()
    {
        QTest::addColumn<int>("fromWidth");
        QTest::addColumn<int>("startRow");
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("firstId");
        QTest::addColumn<QList<QList<QVariant>>>("announced"); // newSize(maxrow, row)
        QTest::addColumn<QPoint>("position");
        QTest::addColumn<int>("id");
        const auto row = [](const char *name, int from, int start, int width, int first, int maxrow, int top,
                             QPoint position, int id) {
            const QList<QList<QVariant>> calls{{maxrow, top}}; // none for a negative maxrow
            QTest::newRow(name) << from << start << width << first << calls.mid(maxrow < 0) << position << id;
        };
        const int none = TilePalette::NoTile;
        row("narrower than a cell", 460, 5, 45, 50, -1, 0, {10, 10}, none);
        row("one cell", 460, 0, 46, 0, Terrain, 0, {46, 10}, none);
        row("100 to 7 columns", 100 * 46, 1, 330, 98, 2340, 14, {46, 46}, 106);
        row("10 to 11 columns", 460, 12, 506, 110, Terrain / 11, 10, {-1, 10}, none);
        row("last tile", 330, 2340, 330, 16380, 2340, 2340, inCell(0, 3), Terrain - 1);
        row("past the last tile", 330, 2340, 330, 16380, 2340, 2340, inCell(0, 4), none);
        row("row past the range", 330, 2340, 330, 16380, 2340, 2340, inCell(1, 0), none);
    }
    void resizeAndPositionToTile()
    {
        QFETCH(int, fromWidth);
        QFETCH(int, startRow);
        QFETCH(int, width);
        Fixture f;
        TPalette &palette = f.terrain;
        resizeNow(palette, QSize(fromWidth, 300));
        palette.setStart(startRow);
        QSignalSpy spy(&palette, &TilePalette::newSize);
        resizeNow(palette, QSize(width, 300));
        QCOMPARE(palette.columnCount(), width / 46);
        QTEST(palette.firstVisibleId(), "firstId");
        QTEST(static_cast<QList<QList<QVariant>>>(spy), "announced");
        QFETCH(QPoint, position);
        QTEST(palette.tileAt(position), "id");
        // Without columns nothing divides by zero: only the background is drawn.
        QVERIFY(width >= 46 || render(palette).pixelColor(10, 10) == palette.palette().window().color());
    }

    void cachesCoverTwoScreensAndNeverShrink()
    {
        Fixture f;
        QCOMPARE(f.data.art().cacheCapacity(), int(ArtWork::MinCacheCapacity));
        // 83 columns and 47 rows (the last one partly visible) of a 3840 x 2160 screen.
        resizeNow(f.terrain, QSize(3840, 2160));
        QCOMPARE(f.data.art().cacheCapacity(), 2 * 83 * 47);
        // The other palette, still small, shares the store: it must not take the room away.
        resizeNow(f.statics, QSize(460, 460));
        QCOMPARE(f.data.art().cacheCapacity(), 2 * 83 * 47);
    }

    void leftPressSelectsAndDoubleClickOpensTheProperties()
    {
        Fixture f;
        SignalLog log(&f.statics);
        QSignalSpy activated(&f.statics, &TilePalette::tileActivated);
        mouse(f.statics, inCell(0, 3), Qt::LeftButton, QEvent::MouseButtonDblClick); // nothing selected
        mouse(f.statics, inCell(0, 3), Qt::MiddleButton);
        mouse(f.statics, PastLastColumn, Qt::LeftButton);
        mouse(f.statics, inCell(12, 4), Qt::LeftButton); // id 64 of 64
        QVERIFY(log.entries.isEmpty() && activated.isEmpty());
        mouse(f.statics, inCell(0, 3), Qt::LeftButton);
        mouse(f.statics, inCell(0, 3, 3, 40), Qt::LeftButton); // the selected tile again: silent
        // Re-announcing asks the store again: an image changed since is reported as it is now.
        QVERIFY(f.data.art().setStatic(3, TestDataSet::solid(12, 13, Qt::green)));
        f.statics.reportSelection();
        QCOMPARE(log.entries, (QStringList{"3", "30x50", "3", "12x13"}));

        mouse(f.statics, inCell(0, 3), Qt::LeftButton, QEvent::MouseButtonDblClick);
        mouse(f.statics, inCell(0, 3), Qt::LeftButton, QEvent::MouseButtonDblClick);
        QCOMPARE(activated.size(), 2); // each double-click asks again
        QCOMPARE(activated.at(0).at(0).toInt(), 3);
        // Beside every tile, with tile 3 still selected: nothing is asked for.
        mouse(f.statics, PastLastColumn, Qt::LeftButton, QEvent::MouseButtonDblClick);
        mouse(f.statics, inCell(12, 4), Qt::LeftButton, QEvent::MouseButtonDblClick);
        QCOMPARE(activated.size(), 2);
    }

    void staticImagePlacement_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QRect>("drawn");
        QTest::newRow("box size") << QSize(44, 44) << QRect(1, 1, 44, 44);
        QTest::newRow("small: in the middle, one to one") << QSize(20, 30) << QRect(13, 8, 20, 30);
        QTest::newRow("odd difference truncates") << QSize(41, 1) << QRect(2, 22, 41, 1);
        QTest::newRow("tall: cut at the bottom") << QSize(20, 60) << QRect(13, 1, 20, 44);
        QTest::newRow("wide: cut at the right") << QSize(100, 30) << QRect(1, 8, 44, 30);
    }
    void staticImagePlacement()
    {
        QFETCH(QSize, size);
        QFETCH(QRect, drawn);
        Fixture f;
        QVERIFY(f.data.art().setStatic(0, TestDataSet::solid(size.width(), size.height(), Qt::blue)));
        const QColor blue = f.data.art().getStatic(0, false).pixelColor(0, 0);
        resizeNow(f.statics, QSize(46, 46));
        const QImage shown = render(f.statics);
        int wrong = 0; // pixels of the image box that are blue but should not be, or the reverse
        for (int y = 1; y <= 44; ++y) {
            for (int x = 1; x <= 44; ++x) {
                // The tile is edited: the corner mark, 8 pixels on each side, covers the image.
                const bool mark = x > 44 - 8 && y <= 8 - (44 - x);
                wrong += (shown.pixelColor(x, y) == blue) != (drawn.contains(x, y) && !mark);
            }
        }
        QCOMPARE(wrong, 0);
    }

    void pictureShowsTheTiles_data()
    {
        QTest::addColumn<bool>("statics");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<int>("startRow");
        QTest::addColumn<int>("selected");
        QTest::newRow("terrain, first cell") << false << QSize(10 * 46 + 20, 4 * 46 + 10) << 0 << 0;
        QTest::newRow("terrain, past the end") << false << QSize(10 * 46 + 3, 5 * 46) << 1637 << 16386;
        QTest::newRow("statics, mixed sizes") << true << QSize(9 * 46 + 40, 6 * 46 + 45) << 0 << 3;
        QTest::newRow("statics, one column to the end") << true << QSize(50, 5 * 46) << 61 << 63;
    }
    void pictureShowsTheTiles()
    {
        QFETCH(bool, statics);
        QFETCH(QSize, size);
        QFETCH(int, startRow);
        QFETCH(int, selected);
        Fixture f;
        ArtWork &art = f.data.art();
        // The palette draws the store's pixels as premultiplied: a translucent image must
        // be kept as opaque or transparent black.
        QImage translucent = TestDataSet::solid(30, 30, QColor(200, 10, 10, 100));
        translucent.setPixel(0, 0, qRgba(255, 255, 255, 0));
        QVERIFY(art.setStatic(1, TestDataSet::solid(1, 1, Qt::red)) && art.setStatic(5, translucent));
        QVERIFY(art.setStatic(4, TestDataSet::solid(100, 43, Qt::blue)) && art.setTerrain(5, translucent));
        // A record edit marks the tile as well as an art edit does.
        QVERIFY(f.data.tiles().setStaticRecord(2, QByteArray(37, '\1')));
        QVERIFY(f.data.tiles().setLandRecord(16383, QByteArray(26, '\1')));
        const QList<int> edited = statics ? QList<int>{1, 2, 4, 5} : QList<int>{5, 16383};
        TilePalette &palette = statics ? static_cast<TilePalette &>(f.statics) : f.terrain;
        resizeNow(palette, size);
        palette.setStart(startRow);
        palette.setSelected(selected);
        const int columns = size.width() / 46;
        const QImage expected = expectedPicture(
            size, palette.palette().window().color(), startRow * columns, statics ? 64 : Terrain, columns,
            selected,
            [&](int id) {
                return statics ? art.getStatic(id, id == selected) : art.getTerrain(id, id == selected);
            },
            [&](int id) { return edited.contains(id); });
        QCOMPARE(render(palette), expected);
    }

    void pagesScrollAndTabsReannounce()
    {
        auto f = std::make_unique<Fixture>();
        auto *tabs = new ArtTab(&f->data.art(), &f->data.tiles());
        SignalLog terrain(tabs->terrain()->terrainPalette());
        SignalLog statics(tabs->statics()->staticPalette());
        tabs->resize(500, 400);
        tabs->show();
        QVERIFY(QTest::qWaitForWindowExposed(tabs));
        tabs->setCurrentIndex(ArtTab::StaticsIndex);
        tabs->statics()->staticPalette()->setSelected(3);
        tabs->setCurrentIndex(ArtTab::TerrainIndex);
        tabs->terrain()->terrainPalette()->setSelected(5);
        tabs->setCurrentIndex(ArtTab::StaticsIndex);
        QCOMPARE(statics.entries, (QStringList{"-1", "0x0", "3", "30x50", "3", "30x50"}));
        QCOMPARE(terrain.entries, (QStringList{"-1", "44x44", "5", "44x44"}));

        tabs->setCurrentIndex(ArtTab::TerrainIndex);
        TilePalette *palette = tabs->terrain()->terrainPalette();
        QScrollBar *scrollBar = tabs->terrain()->rowScrollBar();
        const int columns = palette->columnCount();
        QCOMPARE(scrollBar->maximum(), Terrain / columns);
        scrollBar->setValue(40);
        // Narrower than one column: nothing divides by zero, the scroll bar keeps its range.
        tabs->resize(scrollBar->width() + 30, 300);
        QCoreApplication::processEvents();
        QCOMPARE(palette->columnCount(), 0);
        QCOMPARE(scrollBar->maximum(), Terrain / columns);
        // Wider: the top row keeps the first visible tile, the scroll bar follows.
        tabs->resize(500 + 3 * 46, 400);
        QCoreApplication::processEvents();
        QCOMPARE(scrollBar->value(), 40 * columns / (columns + 3));
        QCOMPARE(palette->firstVisibleId(), scrollBar->value() * (columns + 3));
        // The palette ignores the wheel; the window system hands it to the page.
        QWheelEvent wheel({20, 20}, {}, {}, {0, -120}, {}, {}, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(tabs->terrain(), &wheel);
        QVERIFY(scrollBar->value() > 40 * columns / (columns + 3));
        QCOMPARE(palette->firstVisibleId(), scrollBar->value() * (columns + 3));

        // The window deletes the stores before its widgets; removing the pages must neither
        // re-announce nor show (and so resize) the page that becomes current.
        const QStringList announced = terrain.entries + statics.entries;
        QSignalSpy resized(tabs->statics()->staticPalette(), &TilePalette::newSize);
        f.reset();
        delete tabs;
        QVERIFY(terrain.entries + statics.entries == announced && resized.isEmpty());
    }

    void menuOnATileDeletesAndImports()
    {
        Fixture f;
        mouse(f.terrain, PastLastColumn, Qt::RightButton);
        mouse(f.statics, inCell(12, 4), Qt::RightButton); // id 64 of 64
        mouse(f.terrain, inCell(0, 1), Qt::LeftButton);
        f.prompts.menuChoices = QStringList{"", "Import", "Delete"};
        mouse(f.terrain, inCell(0, 4), Qt::RightButton); // dismissed
        mouse(f.terrain, inCell(0, 4), Qt::RightButton); // the file dialog is cancelled
        QCOMPARE(f.prompts.last("menu")->text, QStringLiteral("Import|Delete|Save"));
        QVERIFY(f.terrainEdits.entries.isEmpty());
        mouse(f.terrain, inCell(0, 2), Qt::RightButton);
        // The palette asks for the edit; it changes no store itself.
        QCOMPARE(f.terrainEdits.entries, QStringList{"2 Delete none"});
        QVERIFY(!f.data.art().hasPendingEdits());
        QCOMPARE(f.terrain.selectedId(), 1);
        QCOMPARE(f.prompts.shown.size(), 4); // no warning
    }

    void menuFileActions_data()
    {
        QTest::addColumn<int>("id");
        QTest::addColumn<QString>("choice");
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<bool>("done");
        // The file written (the filter chosen names its format), or what the warning names.
        QTest::addColumn<QString>("outcome");
        const auto row = [](const char *name, int id, const char *choice, const char *chosen, bool done,
                             const char *outcome) {
            QTest::newRow(name) << id << QString(choice) << QString(chosen) << done << QString(outcome);
        };
        row("import", 4, "Import", "good.png", true, "");
        row("import of a file that does not load", 4, "Import", "broken.png", false, "broken.png");
        row("save, bare name", 3, "Save", "tile", true, "tile.png");
        row("save, with its extension", 3, "Save", "tile.png", true, "tile.png");
        row("save, other extension", 3, "Save", "tile.bmp", true, "tile.bmp");
        row("save, extension in capitals", 3, "Save", "tile.PNG", true, "tile.PNG");
        row("save of a tile without image", 7, "Save", "empty", false, "empty.png");
        row("save to a missing directory", 1, "Save", "/no/such/dir/tile", false, "/no/such/dir/tile.png");
    }
    void menuFileActions()
    {
        QFETCH(int, id);
        QFETCH(QString, choice);
        QFETCH(QString, chosen);
        QFETCH(bool, done);
        QFETCH(QString, outcome);
        Fixture f;
        ArtWork &art = f.data.art();
        const QImage before = art.getTerrain(id, false);
        const bool import = choice == "Import";
        const QString format
            = import ? QStringLiteral("png") : outcome.section(QLatin1Char('.'), -1).toLower();
        const QString filter = filterOf({format.toLatin1()});
        f.prompts.menuChoices = QStringList{choice};
        (import ? f.prompts.openFiles : f.prompts.saveFiles).append({f.file(chosen), filter});
        mouse(f.terrain, inCell(id / Columns, id % Columns), Qt::RightButton);
        // Import offers every image first; save offers PNG first.
        QStringList offered = f.prompts.last(import ? "open" : "save")->filter.split(QStringLiteral(";;"));
        QVERIFY(import ? offered.first().startsWith("All images (*.png ") : offered.first() == "png (*.png)");
        if (import)
            offered.removeFirst();
        QStringList expected
            = filterOf(import ? QImageReader::supportedImageFormats() : QImageWriter::supportedImageFormats())
                  .split(QStringLiteral(";;"));
        offered.sort();
        expected.sort();
        QCOMPARE(offered, expected);
        const QString asked = QStringLiteral("%1 Import 12x70").arg(id);
        QCOMPARE(f.terrainEdits.entries, import && done ? QStringList{asked} : QStringList());
        QVERIFY(!import || !done || f.terrainEdits.images.first() == f.good);
        QCOMPARE(art.getTerrain(id, false), before);
        QCOMPARE(f.prompts.count("warning"), done ? 0 : 1);
        QVERIFY(done || f.prompts.last("warning")->text.contains(outcome));
        if (import)
            return;
        QImageReader reader(f.file(outcome)); // nothing written when it fails
        QCOMPARE(reader.format(), done ? format.toLatin1() : QByteArray());
        const QImage saved = reader.read();
        QCOMPARE(saved.size(), done ? QSize(44, 44) : QSize(0, 0));
        QVERIFY(reader.format() != "png" || saved.pixelColor(22, 22) == before.pixelColor(22, 22));
    }

    void dragOutStartsPastTheDragDistanceWithThePng()
    {
        Fixture f;
        const int d = QApplication::startDragDistance();
        const QPoint start = inCell(0, 3, 10, 10), far = start + QPoint(0, 2 * d);
        mouse(f.statics, start, Qt::LeftButton);
        mouse(f.statics, PastLastColumn, Qt::LeftButton); // on no tile: disarms
        mouse(f.statics, far, Qt::LeftButton, QEvent::MouseMove);
        mouse(f.statics, start, Qt::LeftButton);
        mouse(f.statics, start, Qt::MiddleButton); // any press disarms
        mouse(f.statics, far, Qt::LeftButton, QEvent::MouseMove);
        mouse(f.statics, start, Qt::LeftButton);
        mouse(f.statics, start + QPoint(d - 1, 0), Qt::LeftButton, QEvent::MouseMove);
        mouse(f.statics, start + QPoint(0, d - 1), Qt::LeftButton, QEvent::MouseMove);
        QCOMPARE(f.prompts.drags.size(), 0);
        mouse(f.statics, start + QPoint(d / 2, d - d / 2), Qt::LeftButton, QEvent::MouseMove);
        QCOMPARE(f.prompts.drags.size(), 1);
        const FakePrompts::Drag &drag = f.prompts.drags.first();
        QVERIFY(drag.actions == Qt::CopyAction && !drag.hasPixmap);
        QCOMPARE(drag.data.keys(), QStringList{ImageTransfer::pngType()});
        const QImage dragged = QImage::fromData(drag.data.first(), "PNG");
        QCOMPARE(dragged.convertToFormat(QImage::Format_ARGB32), f.data.art().getStatic(3, false));

        // A tile without an image carries empty data, which dropped clears the target.
        mouse(f.terrain, inCell(1, 2), Qt::LeftButton); // id 7
        mouse(f.terrain, inCell(3, 2), Qt::LeftButton, QEvent::MouseMove);
        QCOMPARE(f.prompts.drags.last().data, (QMap<QString, QByteArray>{{ImageTransfer::pngType(), {}}}));
    }

    void dragAndDropRule_data()
    {
        QTest::addColumn<QString>("offered");
        QTest::addColumn<bool>("over"); // accepted on drag enter and move
        QTest::addColumn<QString>("asked"); // the edit asked for by the drop; empty: none
        QTest::addColumn<QString>("named"); // in the warning; empty: no warning
        const auto row = [](const char *offered, bool over, const char *asked, const char *named = "") {
            QTest::newRow(offered) << QString(offered) << over << QString(asked) << QString(named);
        };
        row("url:good.png", true, "3 Drop 12x70");
        row("url:picture", true, "3 Drop 12x70"); // an image file without extension
        row("remote+url:good.png", true, "3 Drop 12x70");
        row("url:broken.png+png:good", false, "", "broken.png");
        row("url:missing.png", false, "", "missing.png");
        row("urls+png:good", false, "");
        row("remote+png:good", false, "");
        row("png:good", true, "3 Drop 12x70");
        row("png:empty", true, "3 Drop none");
        row("png:garbage", true, "", "Static 0x3"); // not looked at on drag-over
        // Read, and asked for: whether it can be stored is the edit's to say.
        row("png:huge", true, "3 Drop 1x40000");
    }
    void dragAndDropRule()
    {
        QFETCH(QString, offered);
        QFETCH(QString, asked);
        QFETCH(QString, named);
        Fixture f;
        const std::unique_ptr<QMimeData> mime = offer(f, offered);
        QTEST(takes<QDragEnterEvent>(f.statics, inCell(0, 3), *mime), "over");
        QTEST(takes<QDragMoveEvent>(f.statics, inCell(0, 3), *mime), "over");
        QVERIFY(!takes<QDragMoveEvent>(f.statics, PastLastColumn, *mime));
        QVERIFY(!takes<QDropEvent>(f.statics, PastLastColumn, *mime));
        QCOMPARE(f.prompts.shown.size(), 0);

        QCOMPARE(takes<QDropEvent>(f.statics, inCell(0, 3), *mime), !asked.isEmpty());
        QCOMPARE(f.staticEdits.entries, asked.isEmpty() ? QStringList() : QStringList{asked});
        QVERIFY(asked != "3 Drop 12x70" || f.staticEdits.images.first() == f.good);
        QVERIFY(!f.data.art().hasPendingEdits());
        QCOMPARE(f.prompts.count("warning"), named.isEmpty() ? 0 : 1);
        QVERIFY(named.isEmpty() || f.prompts.last("warning")->text.contains(named));
    }

    void keysMoveTheSelectionAndKeepItInView_data()
    {
        QTest::addColumn<int>("from"); // selected before; -1: none
        QTest::addColumn<int>("topRow"); // first visible row before
        QTest::addColumn<QStringList>("keys");
        QTest::addColumn<int>("to");
        QTest::addColumn<int>("top"); // first visible row after
        // The page shows 5 columns and 4 whole rows; 64 statics end in row 12 with 4 tiles.
        const auto row = [](const char *name, int from, int topRow, QStringList keys, int to, int top) {
            QTest::newRow(name) << from << topRow << keys << to << top;
        };
        row("right, right, left", 7, 0, {"Right", "Right", "Left"}, 8, 0);
        row("left at the first tile", 0, 0, {"Left"}, 0, 0);
        row("down scrolls one row", 17, 0, {"Down"}, 22, 1);
        row("up scrolls one row", 12, 2, {"Up"}, 7, 1);
        row("down with no tile below", 59, 9, {"Down"}, 59, 9);
        row("page down, a screen", 2, 0, {"PgDown"}, 22, 1);
        row("page down past the end, other column", 54, 7, {"PgDown"}, 59, 8);
        row("page up to the first row", 12, 0, {"PgUp"}, 2, 0);
        row("end, home", 3, 0, {"End", "Home"}, 0, 0);
        row("no selection: the first tile in view", -1, 3, {"Down"}, 15, 3);
        row("selection out of view comes back", 2, 8, {"Right"}, 3, 0);
    }
    void keysMoveTheSelectionAndKeepItInView()
    {
        QFETCH(int, from);
        QFETCH(int, topRow);
        QFETCH(QStringList, keys);
        Fixture f;
        auto tabs = std::make_unique<ArtTab>(&f.data.art(), &f.data.tiles());
        tabs->setCurrentIndex(ArtTab::StaticsIndex);
        TilePalette *palette = tabs->statics()->staticPalette();
        QScrollBar *scrollBar = tabs->statics()->rowScrollBar();
        tabs->show();
        QVERIFY(QTest::qWaitForWindowExposed(tabs.get()));
        tabs->resize(
            tabs->width() - palette->width() + 5 * 46 + 10, tabs->height() - palette->height() + 4 * 46 + 20);
        QCoreApplication::processEvents();
        QCOMPARE(palette->columnCount(), 5);
        QCOMPARE(palette->height() / 46, 4);
        palette->setSelected(from);
        scrollBar->setValue(topRow);
        const QMap<QString, Qt::Key> names{{"Right", Qt::Key_Right}, {"Left", Qt::Key_Left},
            {"Up", Qt::Key_Up}, {"Down", Qt::Key_Down}, {"PgUp", Qt::Key_PageUp},
            {"PgDown", Qt::Key_PageDown}, {"Home", Qt::Key_Home}, {"End", Qt::Key_End}};
        SignalLog log(palette);
        for (const QString &key : keys)
            QTest::keyClick(palette, names.value(key));
        QTEST(palette->selectedId(), "to");
        QTEST(palette->firstVisibleId() / 5, "top");
        QCOMPARE(scrollBar->value(), palette->firstVisibleId() / 5); // the scroll bar follows
        QFETCH(int, to);
        if (to != from) // announced as a click announces: the id, then the size
            QCOMPARE(log.entries.mid(log.entries.size() - 2),
                (QStringList{QString::number(to), to == 3 ? "30x50" : "0x0"}));
    }

    void clickTakesFocusAndKeysAct()
    {
        Fixture f;
        auto tabs = std::make_unique<ArtTab>(&f.data.art(), &f.data.tiles());
        TilePalette *palette = tabs->terrain()->terrainPalette();
        tabs->show();
        tabs->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(tabs.get()));
        tabs->setFocus();
        QVERIFY(!palette->hasFocus());
        QTest::mouseClick(palette, Qt::LeftButton, {}, inCell(0, 2));
        QVERIFY(palette->hasFocus());
        QCOMPARE(palette->selectedId(), 2);

        QSignalSpy activated(palette, &TilePalette::tileActivated);
        EditLog edits(palette);
        QTest::keyClick(palette, Qt::Key_Return);
        QTest::keyClick(palette, Qt::Key_Enter);
        QCOMPARE(activated.size(), 2);
        QCOMPARE(activated.at(1).at(0).toInt(), 2);
        QTest::keyClick(palette, Qt::Key_Delete);
        QCOMPARE(edits.entries, QStringList{"2 Delete none"});
        // The menu key opens the selected tile's menu.
        f.prompts.menuChoices = QStringList{"Delete"};
        QTest::keyClick(palette, Qt::Key_Menu);
        QCOMPARE(f.prompts.count("menu"), 1);
        QCOMPARE(edits.entries, (QStringList{"2 Delete none", "2 Delete none"}));
        QVERIFY(!f.data.art().hasPendingEdits());
    }

    void toolTipNamesTheTile()
    {
        Fixture f;
        StaticTileRecord named;
        named.setNameText(QStringLiteral("a lamp post"));
        QVERIFY(f.data.tiles().setStaticRecord(11, named.toBytes()));
        auto tabs = std::make_unique<ArtTab>(&f.data.art(), &f.data.tiles());
        tabs->setCurrentIndex(ArtTab::StaticsIndex);
        TilePalette *palette = tabs->statics()->staticPalette();
        tabs->show();
        QVERIFY(QTest::qWaitForWindowExposed(tabs.get()));
        const int columns = palette->columnCount();
        const auto tipAt = [&](int id) {
            const QPoint at = inCell(id / columns, id % columns);
            QHelpEvent help(QEvent::ToolTip, at, palette->mapToGlobal(at));
            QCoreApplication::sendEvent(palette, &help);
            return QToolTip::isVisible() ? QToolTip::text() : QString("(none)");
        };
        QCOMPARE(tipAt(11), QStringLiteral("Static 11 (0xB)\na lamp post\nEdited, not saved yet"));
        QCOMPARE(tipAt(63), QStringLiteral("Static 63 (0x3F)\n(no name)"));
        const QPoint beside(columns * 46 + 2, 5);
        QHelpEvent help(QEvent::ToolTip, beside, palette->mapToGlobal(beside));
        QCoreApplication::sendEvent(palette, &help);
        QTRY_VERIFY(!QToolTip::isVisible());
    }

    void scrollingMovesThePixelsAndPaintsTheNewRow()
    {
        Fixture f;
        auto tabs = std::make_unique<ArtTab>(&f.data.art(), &f.data.tiles());
        TilePalette *palette = tabs->terrain()->terrainPalette();
        QScrollBar *scrollBar = tabs->terrain()->rowScrollBar();
        tabs->resize(600, 400);
        tabs->show();
        QVERIFY(QTest::qWaitForWindowExposed(tabs.get()));
        // Tiles that differ from row to row, some of them marked as edited.
        for (int id = 0; id < 400; id += 3)
            QVERIFY(f.data.art().setTerrain(id, TestDataSet::terrain(QColor(id % 256, 255 - id % 200, 90))));
        palette->setSelected(palette->columnCount() * 3 + 1);
        palette->update();
        QCoreApplication::processEvents();
        // Paint events the palette gets from now on.
        struct PaintLog : QObject
        {
            bool eventFilter(QObject *, QEvent *event) override
            {
                if (event->type() == QEvent::Paint)
                    areas << static_cast<QPaintEvent *>(event)->region().boundingRect();
                return false;
            }
            QList<QRect> areas;
        } log;
        palette->installEventFilter(&log);
        for (int step : {1, 1, -1, 2}) {
            log.areas.clear();
            scrollBar->setValue(scrollBar->value() + step);
            QCoreApplication::processEvents();
            QCOMPARE(log.areas.size(), 1);
            // Only the rows that came into view, at the bottom (down) or at the top (up).
            const int rows = qAbs(step);
            const QRect area = log.areas.first();
            QVERIFY2(area.height() <= 46 * rows + palette->height() % 46,
                qPrintable(QString::number(area.height())));
            QCOMPARE(step > 0 ? area.bottom() : area.top(), step > 0 ? palette->height() - 1 : 0);
            // And the pixels on screen are the whole picture as a fresh paint draws it.
            const QPoint origin = palette->mapTo(tabs.get(), QPoint(0, 0));
            const QImage screen = QGuiApplication::primaryScreen()
                                      ->grabWindow(tabs->winId())
                                      .toImage()
                                      .copy(QRect(origin, palette->size()))
                                      .convertToFormat(QImage::Format_RGB32);
            const QImage fresh = palette->grab().toImage().convertToFormat(QImage::Format_RGB32);
            QCOMPARE(screen, fresh);
        }
        // A jump beyond the screen paints it whole.
        log.areas.clear();
        scrollBar->setValue(scrollBar->value() + 100);
        QCoreApplication::processEvents();
        QCOMPARE(log.areas, QList<QRect>{palette->rect()});
    }
};

QTEST_MAIN(PalettesTest)
#include "test_palettes.moc"
