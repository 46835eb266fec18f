#include "PaletteTestUtil.h"
#include "TestDataSet.h"
#include "browser/SPalette.h"
#include "browser/TPalette.h"

#include <QPainter>
#include <QtTest>
#include <functional>
#include <memory>

using namespace PaletteTestUtil;

namespace {
const QColor Yellow(Qt::yellow);
const QColor Black(Qt::black);
const QColor White(Qt::white);

bool isBlack(const QImage &picture, const QPoint &point)
{
    return picture.pixelColor(point) == Black;
}

// The grid drawn the plain way: per cell a rectangle (yellow when selected), then its
// image placed one to one and cut at the box, or a cross. The images are premultiplied as
// the palette draws them.
QImage referencePicture(TilePalette &palette, const std::function<QImage(int, bool)> &imageOf)
{
    QImage picture(palette.size(), QImage::Format_ARGB32_Premultiplied);
    picture.fill(Qt::white);
    QPainter painter(&picture);
    painter.setPen(QColor(Qt::black));
    const int rows = palette.visibleRowCount();
    for (int row = 0; row < rows; ++row) {
        for (int col = 0; col < palette.columnCount(); ++col) {
            const int id = palette.firstVisibleId() + palette.columnCount() * row + col;
            if (id >= palette.tileCount())
                continue;
            const bool selected = id == palette.selectedId();
            painter.setBrush(selected ? QBrush(Qt::yellow, Qt::SolidPattern) : QBrush(Qt::NoBrush));
            const QRect frame = TilePalette::cellFrame(row, col);
            painter.drawRects(&frame, 1);
            painter.setBrush(Qt::NoBrush);
            const QImage image = imageOf(id, selected).convertToFormat(QImage::Format_ARGB32_Premultiplied);
            const QRect box = TilePalette::imageBox(row, col);
            if (!image.isNull()) {
                const QRect target = TilePalette::imageTarget(box, image.size());
                painter.drawImage(target, image, QRect(QPoint(0, 0), target.size()));
            } else {
                const QLineF lines[] = {QLineF(box.left(), box.top(), box.left() + 44, box.top() + 44),
                    QLineF(box.left(), box.top() + 44, box.left() + 44, box.top())};
                painter.drawLines(lines, 2);
            }
        }
    }
    return picture;
}

DataSetBuilder mixedSet()
{
    DataSetBuilder builder = DataSetBuilder::procedural(DataSetBuilder::Options{100, 3, 200, -1});
    builder.setStaticImage(1, TestDataSet::solid(1, 1, Qt::red));
    builder.setStaticImage(2, TestDataSet::solid(44, 44, Qt::red));
    builder.setStaticImage(3, TestDataSet::solid(45, 43, Qt::blue));
    builder.clearStatic(4);
    return builder;
}
} // namespace

// What the palettes draw: frames, images, the highlighted selection, crosses, and where
// static images go.
class PalettePaintTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cellGeometry();
    void terrainImagesAreCopiedOneToOne();
    void selectedCellIsYellowWithTheHighlightedImage();
    void missingImageIsACross();
    void staticImageTarget_data();
    void staticImageTarget();
    void smallStaticIsPlacedInsideTheBox();
    void largeStaticIsCutAtTheBox();
    void pictureMatchesThePlainDrawing_data();
    void pictureMatchesThePlainDrawing();
    void decodedPixelsAreOpaqueOrTransparentBlack();
};

void PalettePaintTest::cellGeometry()
{
    QCOMPARE(TilePalette::cellFrame(2, 3), QRect(138, 92, 46, 46));
    QCOMPARE(TilePalette::cellFrame(2, 3).right(), 138 + 45);
    QCOMPARE(TilePalette::imageBox(2, 3), QRect(139, 93, 44, 44));
}

void PalettePaintTest::terrainImagesAreCopiedOneToOne()
{
    DataSetBuilder builder(64);
    QImage pattern(44, 44, QImage::Format_ARGB32);
    for (int y = 0; y < 44; ++y) {
        for (int x = 0; x < 44; ++x)
            pattern.setPixel(x, y, qRgb(x * 5, y * 5, 128));
    }
    builder.setTerrainImage(6, pattern);
    TestDataSet data(builder);
    TPalette palette(&data.art(), &data.tiles(), &data.anims());
    resizeNow(palette, QSize(4 * 46, 2 * 46 + 10));

    const QImage stored = data.art().getTerrain(6, false);
    const QImage picture = render(palette);
    const QRect box = TilePalette::imageBox(1, 2);
    for (int y = 0; y < 44; ++y) {
        for (int x = 0; x < 44; ++x) {
            const QColor color = stored.pixelColor(x, y);
            const QColor expected = color.alpha() == 0 ? White : color;
            QCOMPARE(picture.pixelColor(box.left() + x, box.top() + y), expected);
        }
    }
    // The frame: black outline around the image box.
    QVERIFY(isBlack(picture, QPoint(2 * 46, 46 + 20)));
    QVERIFY(isBlack(picture, QPoint(2 * 46 + 20, 46)));
}

void PalettePaintTest::selectedCellIsYellowWithTheHighlightedImage()
{
    DataSetBuilder builder(64);
    builder.setTerrainImage(1, TestDataSet::terrain(QColor(200, 40, 40)));
    builder.setTerrainImage(2, TestDataSet::terrain(QColor(200, 40, 40)));
    TestDataSet data(builder);
    TPalette palette(&data.art(), &data.tiles(), &data.anims());
    resizeNow(palette, QSize(4 * 46, 46));

    QImage picture = render(palette);
    // Without a selection no cell is yellow; the corners outside the diamond show through.
    for (int col = 1; col <= 2; ++col)
        QCOMPARE(picture.pixelColor(inCell(0, col, 3, 3)), White);

    palette.setSelected(2);
    picture = render(palette);
    QCOMPARE(picture.pixelColor(inCell(0, 2, 3, 3)), Yellow);
    QCOMPARE(picture.pixelColor(inCell(0, 1, 3, 3)), White);
    QVERIFY(isBlack(picture, QPoint(2 * 46, 20)));
    const QColor highlighted = data.art().getTerrain(2, true).pixelColor(22, 22);
    const QColor plain = data.art().getTerrain(1, false).pixelColor(22, 22);
    QVERIFY(highlighted != plain);
    QCOMPARE(picture.pixelColor(inCell(0, 2, 23, 23)), highlighted);
    QCOMPARE(picture.pixelColor(inCell(0, 1, 23, 23)), plain);
}

void PalettePaintTest::missingImageIsACross()
{
    TestDataSet data(DataSetBuilder(64)); // no images at all
    TPalette palette(&data.art(), &data.tiles(), &data.anims());
    resizeNow(palette, QSize(3 * 46, 2 * 46));
    const QImage picture = render(palette);
    const QRect box = TilePalette::imageBox(1, 1);
    // Both diagonals of the image box are drawn, and nothing between them.
    QVERIFY(isBlack(picture, box.topLeft() + QPoint(10, 10)));
    QVERIFY(isBlack(picture, box.topLeft() + QPoint(30, 30)));
    QVERIFY(isBlack(picture, box.topLeft() + QPoint(10, 34)));
    QVERIFY(isBlack(picture, box.topLeft() + QPoint(34, 10)));
    QCOMPARE(picture.pixelColor(box.topLeft() + QPoint(10, 22)), White);
    QCOMPARE(picture.pixelColor(box.topLeft() + QPoint(22, 4)), White);
}

void PalettePaintTest::staticImageTarget_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QRect>("target");
    const QRect box = TilePalette::imageBox(0, 0);
    QTest::newRow("box size") << QSize(44, 44) << box;
    QTest::newRow("narrow and tall") << QSize(20, 60) << QRect(13, 1, 20, 44);
    QTest::newRow("wide and low") << QSize(100, 30) << QRect(1, 8, 44, 30);
    QTest::newRow("odd difference truncates") << QSize(41, 1) << QRect(2, 22, 41, 1);
    QTest::newRow("one pixel") << QSize(1, 1) << QRect(22, 22, 1, 1);
}

void PalettePaintTest::staticImageTarget()
{
    QFETCH(QSize, size);
    QFETCH(QRect, target);
    QCOMPARE(TilePalette::imageTarget(TilePalette::imageBox(0, 0), size), target);
    const QRect box = TilePalette::imageBox(3, 2);
    QCOMPARE(TilePalette::imageTarget(box, size), target.translated(box.topLeft() - QPoint(1, 1)));
}

void PalettePaintTest::smallStaticIsPlacedInsideTheBox()
{
    DataSetBuilder builder(64);
    builder.setStaticImage(0, TestDataSet::solid(20, 60, QColor(0, 0, 248)));
    TestDataSet data(builder);
    SPalette palette(&data.art(), &data.tiles(), &data.anims());
    resizeNow(palette, QSize(46, 46));
    const QImage picture = render(palette);
    const QColor blue = data.art().getStatic(0, false).pixelColor(0, 0);
    // Moved in by 12 pixels and drawn one to one: all 20 columns, not shrunk.
    QCOMPARE(picture.pixelColor(13, 20), blue);
    QCOMPARE(picture.pixelColor(12, 20), White);
    QCOMPARE(picture.pixelColor(13 + 19, 20), blue);
    QCOMPARE(picture.pixelColor(13 + 20, 20), White);
    QCOMPARE(picture.pixelColor(13, 44), blue);
}

void PalettePaintTest::largeStaticIsCutAtTheBox()
{
    DataSetBuilder builder(64);
    builder.setStaticImage(0, TestDataSet::solid(100, 30, QColor(248, 0, 0)));
    builder.setStaticImage(1, TestDataSet::solid(44, 44, QColor(0, 248, 0)));
    TestDataSet data(builder);
    SPalette palette(&data.art(), &data.tiles(), &data.anims());
    resizeNow(palette, QSize(2 * 46, 46));
    const QImage picture = render(palette);
    const QColor red = data.art().getStatic(0, false).pixelColor(0, 0);
    // Moved down 7 pixels, all 30 rows one to one, cut after 44 columns.
    QCOMPARE(picture.pixelColor(1, 8), red);
    QCOMPARE(picture.pixelColor(44, 8 + 29), red);
    QCOMPARE(picture.pixelColor(1, 7), White);
    QCOMPARE(picture.pixelColor(1, 8 + 30), White);
    QVERIFY(isBlack(picture, QPoint(46, 20))); // the next frame, not the image
    const QColor green = data.art().getStatic(1, false).pixelColor(0, 0);
    QCOMPARE(picture.pixelColor(46 + 1, 1), green);
    QCOMPARE(picture.pixelColor(46 + 44, 44), green);
}

void PalettePaintTest::pictureMatchesThePlainDrawing_data()
{
    QTest::addColumn<bool>("statics");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<int>("startRow");
    QTest::addColumn<int>("selected");
    QTest::newRow("terrain, nothing selected") << false << QSize(10 * 46 + 20, 4 * 46 + 10) << 0 << -1;
    QTest::newRow("terrain, first cell") << false << QSize(7 * 46, 3 * 46) << 0 << 0;
    QTest::newRow("terrain, off screen") << false << QSize(7 * 46, 3 * 46) << 0 << 5000;
    QTest::newRow("terrain, short last row") << false << QSize(10 * 46 + 3, 5 * 46) << 1637 << 16383;
    QTest::newRow("terrain, only the short row") << false << QSize(10 * 46, 2 * 46) << 1638 << 16381;
    QTest::newRow("statics, mixed sizes") << true << QSize(9 * 46 + 40, 6 * 46 + 45) << 0 << 3;
    QTest::newRow("statics, end of range") << true << QSize(7 * 46, 5 * 46) << 12 << 99;
    QTest::newRow("statics, one column") << true << QSize(50, 5 * 46) << 2 << 4;
}

void PalettePaintTest::pictureMatchesThePlainDrawing()
{
    QFETCH(bool, statics);
    QFETCH(QSize, size);
    QFETCH(int, startRow);
    QFETCH(int, selected);
    TestDataSet data(mixedSet());
    std::unique_ptr<TilePalette> palette;
    if (statics)
        palette = std::make_unique<SPalette>(&data.art(), &data.tiles(), &data.anims());
    else
        palette = std::make_unique<TPalette>(&data.art(), &data.tiles(), &data.anims());
    resizeNow(*palette, size);
    palette->setStart(startRow);
    palette->setSelected(selected);
    ArtWork &art = data.art();
    const QImage expected = referencePicture(*palette, [&](int id, bool highlighted) {
        return statics ? art.getStatic(id, highlighted) : art.getTerrain(id, highlighted);
    });
    QCOMPARE(render(*palette), expected);
}

void PalettePaintTest::decodedPixelsAreOpaqueOrTransparentBlack()
{
    // The palette draws the store's images as premultiplied without converting them.
    TestDataSet data(mixedSet());
    const auto check = [](const QImage &image) {
        for (int y = 0; y < image.height(); ++y) {
            const QRgb *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
            for (int x = 0; x < image.width(); ++x) {
                if (qAlpha(line[x]) != 255 && line[x] != 0)
                    return false;
            }
        }
        return true;
    };
    for (int id = 0; id < 200; ++id) {
        QVERIFY(check(data.art().getTerrain(id, false)));
        QVERIFY(check(data.art().getTerrain(id, true)));
    }
    for (int id = 0; id < 100; ++id) {
        QVERIFY(check(data.art().getStatic(id, false)));
        QVERIFY(check(data.art().getStatic(id, true)));
    }
    QImage translucent = TestDataSet::solid(30, 30, QColor(200, 10, 10, 100));
    translucent.setPixel(0, 0, qRgba(255, 255, 255, 0));
    QVERIFY(data.art().setStatic(5, translucent));
    QVERIFY(check(data.art().getStatic(5, false)));
    QVERIFY(data.art().setTerrain(5, translucent));
    QVERIFY(check(data.art().getTerrain(5, false)));
}

QTEST_MAIN(PalettePaintTest)
#include "test_palette_paint.moc"
