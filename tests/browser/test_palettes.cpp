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
#include <QPainter>
#include <QScreen>
#include <QScrollBar>
#include <QToolTip>
#include <QtTest>

namespace {
constexpr int Terrain = ArtFormat::TerrainCount;
constexpr int Columns = 5; // of the fixture's palettes
const QPoint PastLastColumn(Columns * 46 + 5, 10);
constexpr int WheelDown = 120; // a notch, in eighths of a degree; negative: up

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

// The palette as a user sees it: black frames on a grid of 44·zoom + 2 pixels (yellow inside when selected),
// opaque pixels zoom times their size centred in the image box or cut, a cross for no image, an orange
// corner for pending edits.
QImage expectedPicture(const QSize &size, const QColor &background, int first, int count, int columns,
    const QList<int> &selected, const std::function<QImage(int)> &imageOf,
    const std::function<bool(int)> &pendingOf, int zoom = 1)
{
    const int box = 44 * zoom, pitch = box + 2;
    QImage picture(size, QImage::Format_ARGB32_Premultiplied);
    picture.fill(background);
    const int rows = (size.height() + pitch - 1) / pitch;
    const auto set = [&](int x, int y, QColor c) {
        if (x >= 0 && y >= 0 && x < size.width() && y < size.height())
            picture.setPixelColor(x, y, c);
    };
    for (int cell = 0; cell < columns * rows && first + cell < count; ++cell) {
        const int id = first + cell, left = pitch * (cell % columns), top = pitch * (cell / columns);
        for (int y = top + 1; y < top + pitch && selected.contains(id); ++y)
            for (int x = left + 1; x < left + pitch; ++x)
                set(x, y, Qt::yellow);
        for (int i = 0; i <= pitch; ++i) {
            set(left + i, top, Qt::black);
            set(left + i, top + pitch, Qt::black);
            set(left, top + i, Qt::black);
            set(left + pitch, top + i, Qt::black);
        }
        const QImage image = imageOf(id);
        for (int i = 0; i < box && image.isNull(); ++i) {
            set(left + 1 + i, top + 1 + i, Qt::black);
            set(left + 1 + i, top + box - i, Qt::black);
        }
        const int dx = image.width() < 44 ? (44 - image.width()) / 2 : 0;
        const int dy = image.height() < 44 ? (44 - image.height()) / 2 : 0;
        for (int y = 0; y < qMin(image.height(), 44) * zoom; ++y)
            for (int x = 0; x < qMin(image.width(), 44) * zoom; ++x)
                if (qAlpha(image.pixel(x / zoom, y / zoom)) == 255)
                    set(left + 1 + dx * zoom + x, top + 1 + dy * zoom + y,
                        image.pixelColor(x / zoom, y / zoom));
        for (int i = 0; i < 8 && pendingOf(id); ++i)
            for (int y = 0; y < 8 - i; ++y)
                set(left + box - i, top + 1 + y, QColor(255, 96, 0));
    }
    return picture;
}

// Records a palette's signals in the order they come: the selection "ID" and its size "WxH"
// in selections; in did, an edit asked for "ID,ID action WxH" ("none": no image) and "open ID";
// in counts, how many tiles are selected.
struct Log : QObject
{
    explicit Log(TilePalette *p)
    {
        connect(
            p, &TilePalette::selectionChanged, this, [this](int id) { selections << QString::number(id); });
        connect(p, &TilePalette::selectionSizeChanged, this,
            [this](int w, int h) { selections << QStringLiteral("%1x%2").arg(w).arg(h); });
        connect(p, &TilePalette::imageEditRequested, this,
            [this](const QVector<int> &ids, const QImage &image, const QString &action) {
                const QString size = QStringLiteral("%1x%2").arg(image.width()).arg(image.height());
                QStringList tiles;
                for (int id : ids)
                    tiles << QString::number(id);
                did << QStringLiteral("%1 %2 %3")
                           .arg(tiles.join(','), action, image.isNull() ? "none" : size);
                images << image;
            });
        connect(p, &TilePalette::tileActivated, this,
            [this](int id) { did << QStringLiteral("open %1").arg(id); });
        connect(p, &TilePalette::selectedCountChanged, this, [this](int n) { counts << QString::number(n); });
    }
    QStringList selections;
    QStringList counts;
    QStringList did;
    QList<QImage> images;
};

DataSetBuilder editingSet()
{
    DataSetBuilder builder(64);
    for (int id = 0; id < 7; ++id) // 7 and on have no image
        builder.setTerrainImage(id, TestDataSet::terrain(QColor(30 * id, 100, 200)));
    builder.setStaticImage(3, TestDataSet::solid(30, 50, Qt::darkCyan));
    // Terrain and statics are numbered apart: 2 is both.
    LandTileRecord grass;
    grass.setNameText(QStringLiteral("grass"));
    builder.setLandTile(2, grass);
    StaticTileRecord barrel;
    barrel.setNameText(QStringLiteral("barrel"));
    builder.setStaticTile(2, barrel);
    return builder;
}

// Hidden palettes of 5 columns on editingSet(), scripted prompts, and files to offer.
struct Fixture
{
    Fixture()
    {
        resizeNow(terrain, QSize(Columns * 46 + 20, 4 * 46));
        resizeNow(statics, QSize(Columns * 46 + 20, 20 * 46));
        QVERIFY(good.save(file("good.png"), "PNG"));
        QFile broken(file("broken.png"));
        QVERIFY(broken.open(QIODevice::WriteOnly) && broken.write("not a picture at all") > 0);
    }
    QString file(const QString &name) const { return QDir(files.path()).filePath(name); }

    TestDataSet data{editingSet()};
    FakePrompts prompts;
    TPalette terrain{&data.art(), &data.tiles()};
    SPalette statics{&data.art(), &data.tiles()};
    Log terrainLog{&terrain};
    Log staticLog{&statics};
    QTemporaryDir files;
    const QImage good = TestDataSet::solid(12, 70, QColor(0, 128, 0));
};

// What a drag offers, parts joined by "+": "url:NAME" a fixture file, "remote", "png:good|empty|garbage".
std::unique_ptr<QMimeData> offer(const Fixture &f, const QString &parts)
{
    const QMap<QString, QByteArray> png{{"good", ImageTransfer::pngBytes(f.good)}, {"empty", QByteArray()},
        {"garbage", "\x89PNG but then nothing"}};
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
    if (!urls.isEmpty())
        mime->setUrls(urls);
    return mime;
}

// As the window system does: only after an accepted enter is the palette the drag's target for the event.
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

// Ids ascending as runs: "2 5-9 12".
QString runs(const QVector<int> &ids)
{
    QStringList parts;
    for (int i = 0; i < ids.size();) {
        int j = i;
        while (j + 1 < ids.size() && ids.at(j + 1) == ids.at(j) + 1)
            ++j;
        parts << (j == i ? QString::number(ids.at(i))
                         : QStringLiteral("%1-%2").arg(ids.at(i)).arg(ids.at(j)));
        i = j + 1;
    }
    return parts.join(' ');
}

} // namespace

// The palettes: selection, painting, pages and tabs, keys, and editing by menu and drag and drop.
class PalettesTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void pressSelectsDoubleClickOpensAndDragCopiesOut()
    {
        Fixture f;
        const Log &log = f.staticLog;
        mouse(f.statics, inCell(0, 3), Qt::LeftButton, QEvent::MouseButtonDblClick); // nothing selected
        mouse(f.statics, inCell(0, 3), Qt::MiddleButton);
        mouse(f.statics, PastLastColumn, Qt::LeftButton);
        mouse(f.statics, inCell(12, 4), Qt::LeftButton); // id 64 of 64
        QVERIFY(log.selections.isEmpty() && log.did.isEmpty());
        mouse(f.statics, inCell(0, 3), Qt::LeftButton);
        mouse(f.statics, inCell(0, 3, 3, 40), Qt::LeftButton); // the selected tile again: silent
        QCOMPARE(log.selections, (QStringList{"3", "30x50"}));

        mouse(f.statics, inCell(0, 3), Qt::LeftButton, QEvent::MouseButtonDblClick);
        mouse(f.statics, inCell(0, 3), Qt::LeftButton, QEvent::MouseButtonDblClick);
        QCOMPARE(log.did, (QStringList{"open 3", "open 3"})); // each double-click asks again
        // Beside every tile, with tile 3 still selected: nothing is asked for.
        mouse(f.statics, PastLastColumn, Qt::LeftButton, QEvent::MouseButtonDblClick);
        mouse(f.statics, inCell(12, 4), Qt::LeftButton, QEvent::MouseButtonDblClick);
        QCOMPARE(log.did.size(), 2);
        // A drag out of the selected tile starts past the drag distance, with its PNG.
        const int d = QApplication::startDragDistance();
        const QPoint start = inCell(0, 3, 10, 10);
        mouse(f.statics, start, Qt::LeftButton);
        mouse(f.statics, start + QPoint(d - 1, 0), Qt::LeftButton, QEvent::MouseMove);
        mouse(f.statics, start + QPoint(0, d - 1), Qt::LeftButton, QEvent::MouseMove);
        QCOMPARE(f.prompts.drags.size(), 0);
        mouse(f.statics, start + QPoint(d / 2, d - d / 2), Qt::LeftButton, QEvent::MouseMove);
        QCOMPARE(f.prompts.drags.size(), 1);
        const FakePrompts::Drag &drag = f.prompts.drags.first();
        QVERIFY(drag.actions == Qt::CopyAction && !drag.hasPixmap);
        QCOMPARE(drag.data.keys(), QStringList{ImageTransfer::pngType()});
        QCOMPARE(QImage::fromData(drag.data.first(), "PNG").convertToFormat(QImage::Format_ARGB32),
            f.data.art().image(TileKind::Static, 3, false));
        // Out of several selected: the image of the tile pressed, and they stay selected.
        QTest::mouseClick(&f.statics, Qt::LeftButton, Qt::ControlModifier, inCell(0, 4));
        QTest::mousePress(&f.statics, Qt::LeftButton, {}, start);
        mouse(f.statics, start + QPoint(d, 0), Qt::LeftButton, QEvent::MouseMove);
        QTest::mouseRelease(&f.statics, Qt::LeftButton, {}, start + QPoint(d, 0));
        QCOMPARE(f.prompts.drags.size(), 2);
        QCOMPARE(f.prompts.drags.last().data.first(), f.prompts.drags.first().data.first());
        QCOMPARE(f.statics.selectedIds(), (QVector<int>{3, 4}));
        QCOMPARE(f.statics.selectedId(), 3);
    }

    void pictureShowsTheTiles_data()
    {
        QTest::addColumn<bool>("statics");
        QTest::addColumn<int>("zoom");
        QTest::addColumn<int>("startRow");
        QTest::newRow("terrain, past the end") << false << 1 << 1637;
        QTest::newRow("statics, mixed sizes") << true << 1 << 0;
        QTest::newRow("terrain, zoomed twice, past the end") << false << 2 << 3275;
        QTest::newRow("statics, zoomed three times") << true << 3 << 1;
    }
    void pictureShowsTheTiles()
    {
        QFETCH(bool, statics);
        QFETCH(int, zoom);
        QFETCH(int, startRow);
        const QSize size = statics ? QSize(9 * 46 + 40, 6 * 46 + 45) : QSize(10 * 46 + 3, 5 * 46);
        // Every selected cell is drawn selected: a wide image, one without an image, one past the end.
        const QList<int> selected = statics ? QList<int>{3, 4, 11} : QList<int>{16386};
        Fixture f;
        ArtWork &art = f.data.art();
        // Translucent pixels show as opaque or not at all; small, wide and tall images are placed and cut.
        QImage translucent = TestDataSet::solid(30, 30, QColor(200, 10, 10, 100));
        translucent.setPixel(0, 0, qRgba(255, 255, 255, 0));
        QVERIFY(art.setImage(TileKind::Static, 1, TestDataSet::solid(1, 1, Qt::red))
            && art.setImage(TileKind::Static, 5, translucent));
        QVERIFY(art.setImage(TileKind::Static, 4, TestDataSet::solid(100, 43, Qt::blue))
            && art.setImage(TileKind::Terrain, 5, translucent));
        // A record edit marks the tile as well as an art edit does.
        QVERIFY(f.data.tiles().setStaticRecord(2, StaticTileRecord::fromBytes(QByteArray(37, '\1'))));
        QVERIFY(f.data.tiles().setLandRecord(16383, LandTileRecord::fromBytes(QByteArray(26, '\1'))));
        const QList<int> edited = statics ? QList<int>{1, 2, 4, 5} : QList<int>{5, 16383};
        TilePalette &palette = statics ? static_cast<TilePalette &>(f.statics) : f.terrain;
        resizeNow(palette, size);
        palette.setZoom(zoom);
        palette.setStart(startRow);
        if (statics)
            palette.selectIds({11, 4, 3}, 3);
        else
            palette.setSelected(selected.first());
        const int pitch = 44 * zoom + 2, columns = size.width() / pitch;
        QCOMPARE(palette.columnCount(), columns);
        // Points fall in the cells of the zoomed grid: the third cell of the second row, beside the last
        // column.
        QCOMPARE(palette.tileAt(QPoint(2 * pitch + 1, 2 * pitch - 1)), (startRow + 1) * columns + 2);
        QCOMPARE(palette.tileAt(QPoint(columns * pitch + 1, 1)), int(TilePalette::NoTile));
        const auto imageOf = [&](int id) {
            return statics ? art.image(TileKind::Static, id, selected.contains(id))
                           : art.image(TileKind::Terrain, id, selected.contains(id));
        };
        const QImage expected = expectedPicture(
            size, palette.palette().window().color(), startRow * columns, statics ? 64 : Terrain, columns,
            selected, imageOf, [&](int id) { return edited.contains(id); }, zoom);
        QCOMPARE(render(palette), expected);
    }

    void pagesScrollRepaintAndReannounce()
    {
        auto f = std::make_unique<Fixture>();
        auto *tabs = new ArtTab(&f->data.art(), &f->data.tiles());
        Log terrain(tabs->terrain()->terrainPalette());
        Log statics(tabs->statics()->staticPalette());
        tabs->resize(600, 400);
        tabs->show();
        QVERIFY(QTest::qWaitForWindowExposed(tabs));
        tabs->setCurrentIndex(ArtTab::StaticsIndex);
        tabs->statics()->staticPalette()->setSelected(3);
        tabs->setCurrentIndex(ArtTab::TerrainIndex);
        tabs->terrain()->terrainPalette()->setSelected(5);
        tabs->setCurrentIndex(ArtTab::StaticsIndex);
        QCOMPARE(statics.selections, (QStringList{"-1", "0x0", "3", "30x50", "3", "30x50"}));
        QCOMPARE(terrain.selections, (QStringList{"-1", "0x0", "5", "44x44"}));

        tabs->setCurrentIndex(ArtTab::TerrainIndex);
        TilePalette *palette = tabs->terrain()->terrainPalette();
        QScrollBar *scrollBar = tabs->terrain()->rowScrollBar();
        const int columns = palette->columnCount();
        QCOMPARE(scrollBar->maximum(), Terrain / columns);
        // Tiles that differ from row to row, some of them marked as edited.
        for (int id = 0; id < 400; id += 3)
            QVERIFY(f->data.art().setImage(
                TileKind::Terrain, id, TestDataSet::terrain(QColor(id % 256, 255 - id % 200, 90))));
        palette->setSelected(columns * 3 + 1);
        palette->update();
        QCoreApplication::processEvents();
        // At actual size, then zoomed: the rows scroll by the zoomed pitch. The selection is out of view
        // when the zoom changes: the first tile in view stays in the top row.
        for (int zoom : {1, 2}) {
            const int first = palette->firstVisibleId();
            palette->setZoom(zoom);
            QCoreApplication::processEvents();
            QCOMPARE(palette->firstVisibleId(), first - first % palette->columnCount());
            for (int step : {1, -1, 100}) {
                scrollBar->setValue(scrollBar->value() + step);
                QCoreApplication::processEvents();
                // Down, up and past a screen: the pixels on screen are the picture a fresh paint draws.
                const QRect shown(palette->mapTo(tabs, QPoint(0, 0)), palette->size());
                const QImage screen = QGuiApplication::primaryScreen()->grabWindow(tabs->winId()).toImage();
                QCOMPARE(screen.copy(shown).convertToFormat(QImage::Format_RGB32),
                    palette->grab().toImage().convertToFormat(QImage::Format_RGB32));
            }
        }
        palette->setZoom(1);
        QCoreApplication::processEvents();

        // Narrower than one column: no division by zero, only the background, the same scroll range.
        const int top = scrollBar->value();
        tabs->resize(scrollBar->width() + 30, 300);
        QCoreApplication::processEvents();
        QCOMPARE(palette->columnCount(), 0);
        QCOMPARE(palette->tileAt(QPoint(0, 10)), int(TilePalette::NoTile));
        QCOMPARE(render(*palette).pixelColor(0, 10), palette->palette().window().color()); // no frame
        QCOMPARE(scrollBar->maximum(), Terrain / columns);
        // Wider: the top row keeps the first visible tile, the scroll bar follows.
        tabs->resize(600 + 3 * 46, 400);
        QCoreApplication::processEvents();
        QCOMPARE(scrollBar->value(), top * columns / (columns + 3));
        QCOMPARE(palette->firstVisibleId(), scrollBar->value() * (columns + 3));

        // The stores go first; removing the pages neither re-announces nor shows (resizes) the next one.
        const QStringList announced = terrain.selections + statics.selections;
        QSignalSpy resized(tabs->statics()->staticPalette(), &TilePalette::rowsChanged);
        f.reset();
        delete tabs;
        QVERIFY(terrain.selections + statics.selections == announced && resized.isEmpty());
    }

    void menuAndDropAskForEdits_data()
    {
        QTest::addColumn<int>("id");
        QTest::addColumn<QString>("choice"); // the menu item on a terrain tile, empty: dismissed; or a Drop
        QTest::addColumn<QString>("chosen"); // the file to import or save to, empty: cancelled; or the offer
        QTest::addColumn<QString>("asked"); // the edit asked for; empty: none
        QTest::addColumn<QString>("written"); // the file saved; empty: none
        QTest::addColumn<QString>("warned"); // what the warning names; empty: no warning
        const auto row = [](const char *name, int id, const char *choice, const char *chosen,
                             const char *asked, const char *written = "", const char *warned = "") {
            QTest::newRow(name) << id << QString(choice) << QString(chosen) << QString(asked)
                                << QString(written) << QString(warned);
        };
        row("dismissed", 4, "", "", "");
        row("delete", 2, "Delete", "", "2 Delete none");
        row("import", 4, "Import", "good.png", "4 Import 12x70");
        row("import cancelled", 4, "Import", "", "");
        row("import of a file that does not load", 4, "Import", "broken.png", "", "", "broken.png");
        row("save, bare name", 3, "Save", "tile", "", "tile.png");
        row("save to a missing directory", 1, "Save", "/no/such/dir/tile", "", "",
            "of Terrain 0x1 to \"/no/such/dir/tile.png\"");
        // A dragged file is taken over the data offered with it, and one that does not load too, so that
        // the drop says why it changed nothing; "remote" is a URL of no local file.
        row("drop of a remote and a local file", 3, "Drop", "remote+url:good.png", "3 Drop 12x70");
        row("drop of a broken file with a PNG", 3, "Drop", "url:broken.png+png:good", "", "", "broken.png");
        row("drop of a remote file with a PNG", 3, "Drop", "remote+png:good", "");
        row("drop of a PNG", 3, "Drop", "png:good", "3 Drop 12x70");
        row("drop of an empty PNG", 3, "Drop", "png:empty", "3 Drop none");
        row("drop of a broken PNG", 3, "Drop", "png:garbage", "", "", "Static 0x3"); // not read on drag-over
    }
    void menuAndDropAskForEdits()
    {
        QFETCH(int, id);
        QFETCH(QString, choice);
        QFETCH(QString, chosen);
        QFETCH(QString, asked);
        QFETCH(QString, written);
        QFETCH(QString, warned);
        Fixture f;
        const QImage before = f.data.art().image(TileKind::Terrain, id, false);
        if (choice == "Drop") {
            const std::unique_ptr<QMimeData> mime = offer(f, chosen);
            // Taken over the tile exactly when its drop asks for an edit or says why not; never beside.
            const bool over = !(asked + warned).isEmpty();
            QCOMPARE(takes<QDragEnterEvent>(f.statics, inCell(0, 3), *mime), over);
            QCOMPARE(takes<QDragMoveEvent>(f.statics, inCell(0, 3), *mime), over);
            QVERIFY(!takes<QDragMoveEvent>(f.statics, PastLastColumn, *mime));
            QVERIFY(!takes<QDropEvent>(f.statics, PastLastColumn, *mime));
            QCOMPARE(f.prompts.shown.size(), 0);
            QCOMPARE(takes<QDropEvent>(f.statics, inCell(0, 3), *mime), !asked.isEmpty());
        } else {
            mouse(f.terrain, inCell(0, 1), Qt::LeftButton);
            f.prompts.menuChoices = QStringList{choice};
            (choice == "Import" ? f.prompts.openFiles : f.prompts.saveFiles)
                .append({chosen.isEmpty() ? QString() : f.file(chosen), "png (*.png)"});
            mouse(f.terrain, inCell(id / Columns, id % Columns), Qt::RightButton);
            // The menu acts on the selection, which the right press moved to the tile first.
            QCOMPARE(f.terrain.selectedId(), id);
        }
        // The palette asks for the edit and changes no store.
        const Log &edits = choice == "Drop" ? f.staticLog : f.terrainLog;
        QCOMPARE(edits.did, asked.isEmpty() ? QStringList() : QStringList{asked});
        QVERIFY(!asked.endsWith("12x70") || edits.images.first() == f.good);
        QVERIFY(f.data.pendingEdits().isEmpty());
        QCOMPARE(f.prompts.count("warning"), warned.isEmpty() ? 0 : 1);
        QVERIFY(warned.isEmpty() || f.prompts.last("warning")->text.contains(warned));
        if (choice != "Save")
            return;
        QImageReader reader(f.file(written.isEmpty() ? warned : written)); // nothing written when it fails
        QCOMPARE(reader.format(), written.isEmpty() ? QByteArray() : QByteArray("png"));
        const QImage saved = reader.read();
        QCOMPARE(saved.size(), written.isEmpty() ? QSize(0, 0) : QSize(44, 44));
        QVERIFY(written.isEmpty() || saved.pixelColor(22, 22) == before.pixelColor(22, 22));
    }

    void toolTipNamesTheTile_data()
    {
        QTest::addColumn<bool>("statics");
        QTest::addColumn<int>("id"); // -1: beside the tiles
        QTest::addColumn<QString>("kind"); // the first word of the tip; empty: no tip
        QTest::addColumn<QString>("lines"); // after the first line
        QTest::addColumn<bool>("saved"); // the edit of static 4 was saved since
        const auto row = [](const char *name, bool statics, int id, const char *kind, const char *lines,
                             bool saved = false) {
            QTest::newRow(name) << statics << id << QString(kind) << QString(lines) << saved;
        };
        row("terrain", false, 2, "Terrain", "grass");
        row("static", true, 2, "Static", "barrel");
        row("edited", true, 4, "Static", "(no name)\nEdited, not saved yet");
        row("edited, then saved", true, 4, "Static", "(no name)", true);
        row("beside the tiles", true, -1, "", "");
    }
    void toolTipNamesTheTile()
    {
        QFETCH(bool, statics);
        QFETCH(int, id);
        QFETCH(QString, kind);
        QFETCH(bool, saved);
        Fixture f;
        QVERIFY(f.data.art().setImage(TileKind::Static, 4, TestDataSet::solid(3, 3, Qt::red)));
        TileEdits history(f.data.art(), f.data.tiles());
        if (saved) {
            f.statics.setEdits(&history);
            history.markSaved();
        }
        TilePalette &palette = statics ? static_cast<TilePalette &>(f.statics) : f.terrain;
        palette.show();
        QVERIFY(QTest::qWaitForWindowExposed(&palette));
        const QPoint at = id < 0 ? PastLastColumn : inCell(id / Columns, id % Columns);
        QHelpEvent help(QEvent::ToolTip, at, palette.mapToGlobal(at));
        QCoreApplication::sendEvent(&palette, &help);
        const QString tip = QToolTip::isVisible() ? QToolTip::text() : QString();
        QToolTip::hideText();
        QVERIFY2(kind.isEmpty() ? tip.isEmpty() : tip.startsWith(kind + ' ' + QString::number(id) + ' '),
            qPrintable(tip));
        QTEST(tip.section('\n', 1), "lines");
    }

    void manyTilesAreSelectedByMouseAndKeys_data()
    {
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QString>("selected"); // ascending, as runs
        QTest::addColumn<int>("current");
        QTest::addColumn<QString>("counts"); // each count announced
        // Steps: "click ID" (press and release), "press ID", "ctrl ID", "shift ID", "ctrlshift ID"
        // and "right ID" (a menu dismissed) on the tile's cell; "key KEYS"; "only ID..." shows only
        // those, "all" every tile; "ids ID... @CURRENT" selects them. 64 statics in 5 columns.
        const auto row
            = [](const char *name, const char *steps, const char *selected, int current, const char *counts) {
                  QTest::newRow(name)
                      << QString(steps).split(';') << QString(selected) << current << QString(counts);
              };
        row("a click selects one", "click 3;click 7", "7", 7, "1");
        row("ctrl+click toggles", "click 3;ctrl 5;ctrl 9;ctrl 5", "3 9", 9, "1 2 3 2");
        row("ctrl+click off the current", "click 3;ctrl 6;ctrl 6", "3", 3, "1 2 1");
        row("ctrl+click off the last", "ctrl 4;ctrl 4", "", -1, "1 0");
        row("shift+click a range", "click 3;shift 12", "3-12", 12, "1 10");
        row("shift+click again from the anchor", "click 10;shift 4;shift 13", "10-13", 13, "1 7 4");
        row("shift+click without a selection", "shift 6", "6", 6, "1");
        row("ctrl+shift adds a range", "click 2;ctrl 20;ctrlshift 22", "2 20-22", 22, "1 2 4");
        row("shift+arrows", "click 7;key Shift+Right;key Shift+Down", "7-13", 13, "1 2 7");
        row("shift+arrows back over the anchor",
            "click 7;key Shift+Left;key Shift+Left;key Shift+Right;"
            "key Shift+Right;key Shift+Right",
            "7-8", 8, "1 2 3 2 1 2");
        row("shift+end", "click 60;key Shift+End", "60-63", 63, "1 4");
        row("shift+home", "click 2;key Shift+Home", "0-2", 0, "1 3");
        row("shift+page down", "click 1;key Shift+PgDown", "1-61", 61, "1 61");
        row("shift+page up", "click 61;key Shift+PgUp", "1-61", 1, "1 61");
        row("an arrow selects one", "click 3;ctrl 9;key Right", "10", 10, "1 2 1");
        row("ctrl+A", "click 3;key Ctrl+A", "0-63", 3, "1 64");
        row("ctrl+A without a selection", "key Ctrl+A", "0-63", 0, "64");
        row("ctrl+A of the tiles shown", "only 2 3 4 10 11 12 40;click 10;key Ctrl+A", "2-4 10-12 40", 10,
            "1 7");
        row("shift+click over tiles not shown", "only 2 4 6 8 10 12;click 4;shift 10", "4 6 8 10", 10, "1 4");
        row("shift+arrow over tiles not shown", "only 2 4 6 8 10 12;click 4;key Shift+Right", "4 6", 6,
            "1 2");
        row("showing only some drops the others", "click 3;shift 8;only 4 5 6 10", "4-6", 6, "1 6 3");
        row("showing all again brings them back", "click 3;shift 8;only 4 5 6 10;all", "3-8", 8, "1 6 3 6");
        row("narrowing again brings back those shown", "click 3;shift 8;only 4 5 6 10;only 3 4 5 6", "3-6", 6,
            "1 6 3 4");
        row("a selection made meanwhile stays", "click 3;shift 8;only 4 5 6 10;click 10;all", "10", 10,
            "1 6 3 1");
        row("showing only others drops all", "click 3;shift 8;only 20 21", "", -1, "1 6 0");
        row("a press in the selection keeps it", "click 3;shift 6;press 5", "3-6", 5, "1 4");
        row("its release selects that tile", "click 3;shift 6;click 5", "5", 5, "1 4 1");
        row("a right click in the selection keeps it", "click 3;shift 6;right 4", "3-6", 4, "1 4");
        row("a right click beside it selects one", "click 3;shift 6;right 9", "9", 9, "1 4 1");
        row("selected by the program", "ids 9 1 5 70 @5", "1 5 9", 5, "3");
        row("by the program, no current given", "ids 9 1 5 @-1", "1 5 9", 1, "3");
        row("by the program, none", "click 3;ids @-1", "", -1, "1 0");
    }
    void manyTilesAreSelectedByMouseAndKeys()
    {
        QFETCH(QStringList, steps);
        QFETCH(int, current);
        Fixture f;
        TilePalette &palette = f.statics;
        const auto at = [&](int id) {
            const int index = palette.indexOf(id);
            return inCell(index / Columns, index % Columns);
        };
        const auto click = [&](int id, Qt::KeyboardModifiers modifiers) {
            QTest::mouseClick(&palette, Qt::LeftButton, modifiers, at(id));
        };
        for (const QString &step : steps) {
            const QString verb = step.section(' ', 0, 0);
            QVector<int> ids;
            for (const QString &word : step.section(' ', 1).split(' ', Qt::SkipEmptyParts))
                if (!word.startsWith('@'))
                    ids << word.toInt();
            if (verb == "click")
                click(ids.first(), Qt::NoModifier);
            else if (verb == "ctrl")
                click(ids.first(), Qt::ControlModifier);
            else if (verb == "shift")
                click(ids.first(), Qt::ShiftModifier);
            else if (verb == "ctrlshift")
                click(ids.first(), Qt::ControlModifier | Qt::ShiftModifier);
            else if (verb == "press")
                QTest::mousePress(&palette, Qt::LeftButton, {}, at(ids.first()));
            else if (verb == "right")
                QTest::mouseClick(&palette, Qt::RightButton, {}, at(ids.first()));
            else if (verb == "only")
                palette.showOnly(ids, TilePalette::Narrowing::Filter);
            else if (verb == "all")
                palette.showAll(TilePalette::Narrowing::Filter);
            else if (verb == "ids")
                palette.selectIds(ids, step.section('@', 1).toInt());
            else if (verb == "key") {
                const QKeyCombination key = QKeySequence::fromString(step.section(' ', 1))[0];
                QTest::keyClick(&palette, key.key(), key.keyboardModifiers());
            } else
                QFAIL(qPrintable("unknown step " + step));
        }
        const QVector<int> selected = palette.selectedIds();
        QTEST(runs(selected), "selected");
        QCOMPARE(palette.selectedId(), current);
        QCOMPARE(palette.selectedCount(), selected.size());
        QTEST(f.staticLog.counts.join(' '), "counts");
        // The last announcement is the current tile's.
        QCOMPARE(f.staticLog.selections.isEmpty()
                ? -1
                : f.staticLog.selections.at(f.staticLog.selections.size() - 2).toInt(),
            current);
        // What the Delete key asks for is every selected tile.
        QTest::keyClick(&palette, Qt::Key_Delete);
        QStringList ids;
        for (int id : selected)
            ids << QString::number(id);
        QCOMPARE(f.staticLog.did,
            selected.isEmpty() ? QStringList() : QStringList{ids.join(',') + " Delete none"});
    }

    void keysMoveTheSelectionAndKeepItInView_data()
    {
        QTest::addColumn<int>("from"); // selected before; -1: none
        QTest::addColumn<int>("topRow"); // first visible row before
        QTest::addColumn<QList<int>>("keys");
        QTest::addColumn<int>("to");
        QTest::addColumn<int>("top"); // first visible row after
        QTest::addColumn<QString>("did"); // "menu", the edit asked for, "open ID" the properties
        // The page shows 5 columns and 4 whole rows; 64 statics end in row 12 with 4 tiles.
        const auto row = [](const char *name, int from, int topRow, QList<int> keys, int to, int top,
                             const char *did = "") {
            QTest::newRow(name) << from << topRow << keys << to << top << QString(did);
        };
        row("right, right, left", 7, 0, {Qt::Key_Right, Qt::Key_Right, Qt::Key_Left}, 8, 0);
        row("down scrolls one row", 17, 0, {Qt::Key_Down}, 22, 1);
        row("up scrolls one row", 12, 2, {Qt::Key_Up}, 7, 1);
        row("down with no tile below", 59, 9, {Qt::Key_Down}, 59, 9);
        row("up in the top row", 3, 0, {Qt::Key_Up}, 3, 0);
        row("left at the first tile", 0, 0, {Qt::Key_Left}, 0, 0);
        row("right at the last tile", 63, 9, {Qt::Key_Right}, 63, 9);
        // A page is 20 tiles, in the same column; the wheel scrolls two rows a notch (not the usual three).
        row("page down to the last tile", 43, 5, {Qt::Key_PageDown}, 63, 9);
        row("page down a page before the end", 44, 5, {Qt::Key_PageDown}, 59, 8);
        row("page down past the end, same column", 50, 7, {Qt::Key_PageDown}, 60, 9);
        row("page up in the middle", 32, 5, {Qt::Key_PageUp}, 12, 2);
        row("page up past the start, same column", 13, 0, {Qt::Key_PageUp}, 3, 0);
        row("end", 3, 0, {Qt::Key_End}, 63, 9);
        row("home", 40, 6, {Qt::Key_Home}, 0, 0);
        row("no selection: the first tile in view", -1, 3, {Qt::Key_Down}, 15, 3);
        row("selection out of view comes back", 2, 8, {Qt::Key_Right}, 3, 0);
        row("wheel down leaves the selection", 3, 3, {WheelDown}, 3, 5);
        row("wheel up, stopping at the first row", 3, 1, {-WheelDown}, 3, 0);
        // The menu of the selected tile, not of the one at the pointer (key 0); Delete chosen.
        row("menu key", 6, 0, {Qt::Key_Menu}, 6, 0, "menu 6 Delete none");
        row("keyboard menu event", 6, 0, {0}, 6, 0, "menu 6 Delete none");
        row("delete", 6, 0, {Qt::Key_Delete}, 6, 0, "6 Delete none");
        row("enter", 6, 0, {Qt::Key_Return}, 6, 0, "open 6");
        row("menu key, nothing selected", -1, 0, {Qt::Key_Menu}, -1, 0);
        row("delete, nothing selected", -1, 0, {Qt::Key_Delete}, -1, 0);
        row("enter, nothing selected", -1, 0, {Qt::Key_Return}, -1, 0);
    }
    void keysMoveTheSelectionAndKeepItInView()
    {
        QFETCH(int, from);
        QFETCH(int, topRow);
        QFETCH(QList<int>, keys);
        QFETCH(int, to);
        Fixture f;
        QApplication::setWheelScrollLines(2);
        auto tabs = std::make_unique<ArtTab>(&f.data.art(), &f.data.tiles());
        tabs->setCurrentIndex(ArtTab::StaticsIndex);
        tabs->show();
        QVERIFY(QTest::qWaitForWindowExposed(tabs.get()));
        TilePalette *palette = tabs->statics()->staticPalette();
        QScrollBar *scrollBar = tabs->statics()->rowScrollBar();
        tabs->resize(
            tabs->width() - palette->width() + 5 * 46 + 10, tabs->height() - palette->height() + 4 * 46 + 20);
        QCoreApplication::processEvents();
        QVERIFY(palette->columnCount() == 5 && palette->height() / 46 == 4);
        palette->setSelected(from);
        scrollBar->setValue(topRow);
        Log log(palette);
        f.prompts.menuChoices = QStringList{"Delete"};
        for (int key : keys) {
            if (key == 0) { // at the pointer, over another tile
                QContextMenuEvent event(
                    QContextMenuEvent::Keyboard, inCell(0, 0), palette->mapToGlobal(inCell(0, 0)));
                QCoreApplication::sendEvent(palette, &event);
                continue;
            }
            if (qAbs(key) != WheelDown) {
                QTest::keyClick(palette, Qt::Key(key));
                continue;
            }
            // As from the window system: only such a wheel event goes on from the palette to its page.
            const QPointF at(20, 20);
            QWheelEvent wheel(at, palette->mapToGlobal(at), QPoint(), QPoint(0, -key), Qt::NoButton,
                Qt::NoModifier, Qt::NoScrollPhase, false);
            QSpontaneKeyEvent::setSpontaneous(&wheel);
            QCoreApplication::instance()->notify(palette, &wheel);
        }
        QCOMPARE(palette->selectedId(), to);
        QTEST(palette->firstVisibleId() / 5, "top");
        QCOMPARE(scrollBar->value(), palette->firstVisibleId() / 5); // the scroll bar follows
        if (to != from) // announced as a click announces: the id, then the size
            QCOMPARE(log.selections.mid(log.selections.size() - 2),
                (QStringList{QString::number(to), to == 3 ? "30x50" : "0x0"}));
        QStringList did = log.did;
        if (f.prompts.count("menu") > 0)
            did.prepend(QStringLiteral("menu"));
        QTEST(did.join(' '), "did");
    }
};

QTEST_MAIN(PalettesTest)
#include "test_palettes.moc"
