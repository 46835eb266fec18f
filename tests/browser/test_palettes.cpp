#include "FakePrompts.h"
#include "TestDataSet.h"
#include "browser/ArtTab.h"
#include "browser/ImageTransfer.h"
#include "browser/SPalette.h"
#include "browser/SWidget.h"
#include "browser/TPalette.h"
#include "browser/TWidget.h"

#include <QImageReader>
#include <QImageWriter>
#include <QMenu>
#include <QPainter>
#include <QScrollBar>
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

// The widget's own painting on a white background.
QImage render(QWidget &widget)
{
    QImage image(widget.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    widget.render(&image, QPoint(), QRegion(), QWidget::RenderFlags());
    return image;
}

// The grid drawn the plain way: per cell a rectangle (yellow when selected), then its
// image (premultiplied) placed one to one and cut at the box, or a cross.
QImage referencePicture(TilePalette &palette, const std::function<QImage(int, bool)> &imageOf)
{
    QImage picture(palette.size(), QImage::Format_ARGB32_Premultiplied);
    picture.fill(Qt::white);
    QPainter painter(&picture);
    painter.setPen(QColor(Qt::black));
    const int first = palette.firstVisibleId(), columns = palette.columnCount();
    const int end = qMin(palette.tileCount(), first + columns * palette.visibleRowCount());
    for (int id = first; id < end; ++id) {
        const int row = (id - first) / columns, col = (id - first) % columns;
        const bool selected = id == palette.selectedId();
        painter.setBrush(selected ? QBrush(Qt::yellow) : QBrush());
        painter.drawRect(TilePalette::cellFrame(row, col));
        const QImage image = imageOf(id, selected).convertToFormat(QImage::Format_ARGB32_Premultiplied);
        const QRect box = TilePalette::imageBox(row, col);
        const QRect target = TilePalette::imageTarget(box, image.size());
        if (!image.isNull())
            painter.drawImage(target, image, QRect(QPoint(0, 0), target.size()));
        else
            painter.drawLines({QLineF(box.topLeft(), box.topLeft() + QPoint(44, 44)),
                QLineF(box.topLeft() + QPoint(0, 44), box.topLeft() + QPoint(44, 0))});
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
        // Without columns nothing divides by zero: nothing is drawn.
        QVERIFY(width >= 46 || render(palette).pixelColor(10, 10) == Qt::white);
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
        for (int y = 1; y <= 44; ++y)
            for (int x = 1; x <= 44; ++x)
                wrong += (shown.pixelColor(x, y) == blue) != drawn.contains(x, y);
        QCOMPARE(wrong, 0);
    }

    void pictureMatchesThePlainDrawing_data()
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
    void pictureMatchesThePlainDrawing()
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
        TilePalette &palette = statics ? static_cast<TilePalette &>(f.statics) : f.terrain;
        resizeNow(palette, size);
        palette.setStart(startRow);
        palette.setSelected(selected);
        QCOMPARE(render(palette), referencePicture(palette, [&](int id, bool lit) {
            return statics ? art.getStatic(id, lit) : art.getTerrain(id, lit);
        }));
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
        QVERIFY(!f.data.art().hasPendingEdits());
        mouse(f.terrain, inCell(0, 2), Qt::RightButton);
        QCOMPARE(f.data.art().pendingTerrain(), (QHash<int, QString>{{2, QString()}})); // deleted
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
        QCOMPARE(art.getTerrain(id, false), import && done ? ArtWork::normalizeTerrain(f.good) : before);
        QCOMPARE(art.hasPendingEdits(), import && done);
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
        QTest::addColumn<QString>("result"); // of the drop: "good", "cleared" or "kept"
        QTest::addColumn<QString>("named"); // in the warning; empty: no warning
        const auto row = [](const char *offered, bool over, const char *result, const char *named = "") {
            QTest::newRow(offered) << QString(offered) << over << QString(result) << QString(named);
        };
        row("url:good.png", true, "good");
        row("url:picture", true, "good"); // an image file without extension
        row("remote+url:good.png", true, "good");
        row("url:broken.png+png:good", false, "kept", "broken.png");
        row("url:missing.png", false, "kept", "missing.png");
        row("urls+png:good", false, "kept");
        row("remote+png:good", false, "kept");
        row("png:good", true, "good");
        row("png:empty", true, "cleared");
        row("png:garbage", true, "kept", "static 3"); // not looked at on drag-over
        row("png:huge", true, "kept", "static 3");
    }
    void dragAndDropRule()
    {
        QFETCH(QString, offered);
        QFETCH(QString, result);
        QFETCH(QString, named);
        Fixture f;
        const QImage before = f.data.art().getStatic(3, false);
        const std::unique_ptr<QMimeData> mime = offer(f, offered);
        QTEST(takes<QDragEnterEvent>(f.statics, inCell(0, 3), *mime), "over");
        QTEST(takes<QDragMoveEvent>(f.statics, inCell(0, 3), *mime), "over");
        QVERIFY(!takes<QDragMoveEvent>(f.statics, PastLastColumn, *mime));
        QVERIFY(!takes<QDropEvent>(f.statics, PastLastColumn, *mime));
        QCOMPARE(f.prompts.shown.size(), 0);

        QCOMPARE(takes<QDropEvent>(f.statics, inCell(0, 3), *mime), result != "kept");
        const QImage expected = result == "good" ? ArtWork::normalizeStatic(f.good) : QImage();
        QCOMPARE(f.data.art().getStatic(3, false), result == "kept" ? before : expected);
        QCOMPARE(f.prompts.count("warning"), named.isEmpty() ? 0 : 1);
        QVERIFY(named.isEmpty() || f.prompts.last("warning")->text.contains(named));
    }
};

QTEST_MAIN(PalettesTest)
#include "test_palettes.moc"
