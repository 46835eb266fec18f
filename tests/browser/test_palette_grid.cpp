#include "PaletteTestUtil.h"
#include "TestDataSet.h"
#include "browser/SPalette.h"
#include "browser/TPalette.h"

#include <QSignalSpy>
#include <QtTest>

using namespace PaletteTestUtil;

// Grid geometry, the position-to-tile rule, and the resize and scroll arithmetic.
class PaletteGridTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void beforeFirstResizeThereAreNoColumns();
    void resizeSetsColumnsAndAnnouncesRows_data();
    void resizeSetsColumnsAndAnnouncesRows();
    void resizeKeepsTheFirstVisibleRow();
    void lastRowsOfTheTerrainRange();
    void positionToTile_data();
    void positionToTile();
    void staticRangeComesFromTheTileData();
    void staticRangeIgnoresAPartialBlock();
    void cachesCoverTwoScreens();
    void cachesNeverShrink();
};

void PaletteGridTest::beforeFirstResizeThereAreNoColumns()
{
    TestDataSet data(DataSetBuilder(64));
    TPalette palette(&data.art(), &data.tiles(), &data.anims());
    QCOMPARE(palette.columnCount(), 0);
    palette.setStart(5);
    QCOMPARE(palette.firstVisibleId(), 0);
    QCOMPARE(palette.tileAt(QPoint(10, 10)), TilePalette::NoTile);
    // A size without its resize event: the paint finds no columns.
    palette.resize(200, 200);
    palette.setAttribute(Qt::WA_PendingResizeEvent, false);
    const QImage picture = render(palette);
    QCOMPARE(picture.pixelColor(10, 10), QColor(Qt::white));
}

void PaletteGridTest::resizeSetsColumnsAndAnnouncesRows_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("columns");
    QTest::addColumn<bool>("announced");
    QTest::addColumn<int>("maxrow");
    QTest::newRow("narrower than a cell") << 45 << 0 << false << 0;
    QTest::newRow("one cell") << 46 << 1 << true << 16384;
    QTest::newRow("almost two cells") << 91 << 1 << true << 16384;
    QTest::newRow("ten cells") << 460 << 10 << true << 1638;
    QTest::newRow("sixteen cells") << 16 * 46 + 45 << 16 << true << 1024;
}

void PaletteGridTest::resizeSetsColumnsAndAnnouncesRows()
{
    QFETCH(int, width);
    QFETCH(int, columns);
    QFETCH(bool, announced);
    QFETCH(int, maxrow);
    TestDataSet data(DataSetBuilder(64));
    TPalette palette(&data.art(), &data.tiles(), &data.anims());
    QSignalSpy spy(&palette, &TilePalette::newSize);
    resizeNow(palette, QSize(width, 300));
    QCOMPARE(palette.columnCount(), columns);
    QCOMPARE(spy.count(), announced ? 1 : 0);
    if (announced) {
        QCOMPARE(spy.first().at(0).toInt(), maxrow);
        QCOMPARE(spy.first().at(1).toInt(), 0);
    }
}

void PaletteGridTest::resizeKeepsTheFirstVisibleRow()
{
    TestDataSet data(DataSetBuilder(64));
    TPalette palette(&data.art(), &data.tiles(), &data.anims());
    resizeNow(palette, QSize(100 * 46, 300));
    palette.setStart(1); // startId 100
    QCOMPARE(palette.firstVisibleId(), 100);

    QSignalSpy spy(&palette, &TilePalette::newSize);
    resizeNow(palette, QSize(330, 300)); // 7 columns
    QCOMPARE(palette.columnCount(), 7);
    QCOMPARE(palette.firstVisibleId(), 98);
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.first(), (QList<QVariant>{2340, 14}));

    resizeNow(palette, QSize(460, 300));
    palette.setStart(12); // startId 120 with 10 columns
    resizeNow(palette, QSize(506, 300));
    QCOMPARE(palette.columnCount(), 11);
    QCOMPARE(palette.firstVisibleId(), 110);
    QCOMPARE(spy.last(), (QList<QVariant>{16384 / 11, 10}));

    // Narrower than a cell: nothing moves and nothing is announced.
    spy.clear();
    resizeNow(palette, QSize(40, 300));
    QCOMPARE(spy.count(), 0);
    palette.setStart(3);
    QCOMPARE(palette.firstVisibleId(), 0);
}

void PaletteGridTest::lastRowsOfTheTerrainRange()
{
    DataSetBuilder builder(64);
    for (int id = 16370; id < 16384; ++id)
        builder.setTerrainImage(id, TestDataSet::terrain(Qt::darkGreen));
    TestDataSet data(builder);
    TPalette palette(&data.art(), &data.tiles(), &data.anims());
    resizeNow(palette, QSize(460, 3 * 46));
    palette.setStart(1638);
    QCOMPARE(palette.firstVisibleId(), 16380);
    QCOMPARE(palette.tileAt(inCell(0, 3)), 16383);
    QCOMPARE(palette.tileAt(inCell(0, 4)), TilePalette::NoTile);
    QCOMPARE(palette.tileAt(inCell(1, 0)), TilePalette::NoTile);

    const QImage picture = render(palette);
    // Ids 16380..16383 have frames; the cells past the range are not drawn at all.
    QCOMPARE(picture.pixelColor(inCell(0, 3, 20, 0)), QColor(Qt::black));
    QCOMPARE(picture.pixelColor(inCell(0, 5, 20, 0)), QColor(Qt::white));
    QCOMPARE(picture.pixelColor(inCell(0, 5, 22, 22)), QColor(Qt::white));
    QCOMPARE(picture.pixelColor(inCell(1, 0, 20, 10)), QColor(Qt::white));
}

void PaletteGridTest::positionToTile_data()
{
    QTest::addColumn<QPoint>("position");
    QTest::addColumn<int>("id");
    // 7 columns (width 330, 8 pixels right of the last column), first visible id 70.
    QTest::newRow("top left pixel") << QPoint(0, 0) << 70;
    QTest::newRow("last pixel of the first cell") << QPoint(45, 45) << 70;
    QTest::newRow("second column") << QPoint(46, 0) << 71;
    QTest::newRow("second row") << QPoint(0, 46) << 77;
    QTest::newRow("last column") << QPoint(6 * 46 + 45, 46 * 2) << 90;
    QTest::newRow("right of the last column") << QPoint(7 * 46, 10) << int(TilePalette::NoTile);
    QTest::newRow("below the visible rows") << QPoint(10, 46 * 20) << 70 + 140;
    QTest::newRow("negative") << QPoint(-1, 10) << int(TilePalette::NoTile);
}

void PaletteGridTest::positionToTile()
{
    QFETCH(QPoint, position);
    QFETCH(int, id);
    TestDataSet data(DataSetBuilder(64));
    TPalette palette(&data.art(), &data.tiles(), &data.anims());
    resizeNow(palette, QSize(330, 200));
    palette.setStart(10);
    QCOMPARE(palette.tileAt(position), id);
}

void PaletteGridTest::staticRangeComesFromTheTileData()
{
    TestDataSet data(DataSetBuilder(1024 * 32));
    SPalette palette(&data.art(), &data.tiles(), &data.anims());
    QCOMPARE(palette.tileCount(), 32768);
    QSignalSpy spy(&palette, &TilePalette::newSize);
    resizeNow(palette, QSize(8 * 46, 200));
    QCOMPARE(spy.first(), (QList<QVariant>{4096, 0}));

    palette.setStart(4095);
    QCOMPARE(palette.tileAt(inCell(0, 7)), 32767);
    QCOMPARE(palette.tileAt(inCell(1, 0)), TilePalette::NoTile);
}

void PaletteGridTest::staticRangeIgnoresAPartialBlock()
{
    TestDataSet data(DataSetBuilder(96));
    QFile file(data.filePath(QStringLiteral("tiledata.mul")));
    QVERIFY(file.open(QIODevice::Append));
    file.write(QByteArray(500, '\1'));
    file.close();
    TileData tiles(file.fileName(), data.pendingParent());
    SPalette palette(&data.art(), &tiles, &data.anims());
    QCOMPARE(palette.tileCount(), 96);
    resizeNow(palette, QSize(10 * 46, 200));
    QCOMPARE(palette.tileAt(inCell(9, 5)), 95);
    QCOMPARE(palette.tileAt(inCell(9, 6)), TilePalette::NoTile);
}

void PaletteGridTest::cachesCoverTwoScreens()
{
    TestDataSet data(DataSetBuilder(64));
    TPalette palette(&data.art(), &data.tiles(), &data.anims());
    resizeNow(palette, QSize(460, 460));
    QCOMPARE(data.art().cacheCapacity(), int(ArtWork::MinCacheCapacity));

    // 83 columns and 47 rows (the last one partly visible) of a 3840 x 2160 screen.
    resizeNow(palette, QSize(3840, 2160));
    QCOMPARE(data.art().cacheCapacity(), 2 * 83 * 47);
}

void PaletteGridTest::cachesNeverShrink()
{
    TestDataSet data(DataSetBuilder(64));
    TPalette terrain(&data.art(), &data.tiles(), &data.anims());
    SPalette statics(&data.art(), &data.tiles(), &data.anims());
    resizeNow(terrain, QSize(2560, 1440));
    const int large = data.art().cacheCapacity();
    QVERIFY(large > int(ArtWork::MinCacheCapacity));
    // The other palette, still small, shares the store: it must not take the room away.
    resizeNow(statics, QSize(460, 460));
    QCOMPARE(data.art().cacheCapacity(), large);
}

QTEST_MAIN(PaletteGridTest)
#include "test_palette_grid.moc"
