#include "PaletteTestUtil.h"
#include "TestDataSet.h"
#include "browser/SPalette.h"
#include "browser/TPalette.h"

#include <QtTest>

using namespace PaletteTestUtil;

namespace {
// Records the palette's selection signals in the order they come.
class SignalLog : public QObject
{
public:
    explicit SignalLog(TilePalette *palette)
    {
        connect(palette, &TilePalette::updateSelected, this,
            [this](int id) { entries.append(QStringLiteral("selected %1").arg(id)); });
        connect(palette, &TilePalette::updateSize, this,
            [this](int w, int h) { entries.append(QStringLiteral("size %1x%2").arg(w).arg(h)); });
    }
    QStringList entries;
};

// Counts the paint events a widget receives.
class PaintCounter : public QObject
{
public:
    explicit PaintCounter(QWidget *widget) { widget->installEventFilter(this); }
    int paints = 0;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        paints += event->type() == QEvent::Paint ? 1 : 0;
        return false;
    }
};

DataSetBuilder staticsOfKnownSizes()
{
    DataSetBuilder builder(64);
    builder.setStaticImage(3, TestDataSet::solid(30, 50, Qt::blue));
    builder.setStaticImage(4, TestDataSet::solid(100, 30, Qt::red));
    return builder;
}
} // namespace

// Selection: the slot, the re-announcement and the left press.
class PaletteSelectionTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void terrainSelectionAnnouncesIdThenFixedSize();
    void staticSelectionAnnouncesItsImageSize();
    void reportSelectionWithNoSelection();
    void leftPressSelectsAndRepaints();
    void leftPressOnTheSelectedTileDoesNothing();
    void pressesOnNoTileChangeNothing();
    void otherButtonsDoNotSelect();
};

void PaletteSelectionTest::terrainSelectionAnnouncesIdThenFixedSize()
{
    TestDataSet data(DataSetBuilder(64));
    TPalette palette(&data.art(), &data.tiles(), &data.anims());
    SignalLog log(&palette);
    palette.setSelected(7);
    QCOMPARE(log.entries, (QStringList{"selected 7", "size 44x44"}));
    QCOMPARE(palette.selectedId(), 7);
}

void PaletteSelectionTest::staticSelectionAnnouncesItsImageSize()
{
    TestDataSet data(staticsOfKnownSizes());
    SPalette palette(&data.art(), &data.tiles(), &data.anims());
    SignalLog log(&palette);
    palette.setSelected(3);
    palette.setSelected(4);
    palette.setSelected(5); // no image
    QCOMPARE(log.entries,
        (QStringList{"selected 3", "size 30x50", "selected 4", "size 100x30", "selected 5", "size 0x0"}));

    // Re-announcing asks the store again: an image changed since is reported as it is now.
    QVERIFY(data.art().setStatic(5, TestDataSet::solid(12, 13, Qt::green)));
    log.entries.clear();
    palette.reportSelection();
    QCOMPARE(log.entries, (QStringList{"selected 5", "size 12x13"}));
}

void PaletteSelectionTest::reportSelectionWithNoSelection()
{
    TestDataSet data(DataSetBuilder(64));
    TPalette terrain(&data.art(), &data.tiles(), &data.anims());
    SPalette statics(&data.art(), &data.tiles(), &data.anims());
    SignalLog terrainLog(&terrain);
    SignalLog staticLog(&statics);
    terrain.reportSelection();
    statics.reportSelection();
    QCOMPARE(terrainLog.entries, (QStringList{"selected -1", "size 44x44"}));
    QCOMPARE(staticLog.entries, (QStringList{"selected -1", "size 0x0"}));
}

void PaletteSelectionTest::leftPressSelectsAndRepaints()
{
    TestDataSet data(staticsOfKnownSizes());
    SPalette palette(&data.art(), &data.tiles(), &data.anims());
    palette.resize(4 * 46, 3 * 46);
    palette.show();
    QVERIFY(QTest::qWaitForWindowExposed(&palette));
    QCoreApplication::processEvents();
    SignalLog log(&palette);
    PaintCounter counter(&palette);

    palette.setSelected(1);
    QCoreApplication::processEvents();
    QCOMPARE(counter.paints, 0); // the slot alone does not repaint

    log.entries.clear();
    press(palette, inCell(0, 3), Qt::LeftButton);
    QCOMPARE(palette.selectedId(), 3);
    QCOMPARE(log.entries, (QStringList{"selected 3", "size 30x50"}));
    QTRY_VERIFY(counter.paints > 0);
}

void PaletteSelectionTest::leftPressOnTheSelectedTileDoesNothing()
{
    TestDataSet data(DataSetBuilder(64));
    TPalette palette(&data.art(), &data.tiles(), &data.anims());
    palette.resize(4 * 46, 3 * 46);
    palette.show();
    QVERIFY(QTest::qWaitForWindowExposed(&palette));
    press(palette, inCell(1, 2), Qt::LeftButton);
    QCOMPARE(palette.selectedId(), 6);
    QCoreApplication::processEvents();

    SignalLog log(&palette);
    PaintCounter counter(&palette);
    press(palette, inCell(1, 2, 3, 40), Qt::LeftButton);
    QCoreApplication::processEvents();
    QVERIFY(log.entries.isEmpty());
    QCOMPARE(counter.paints, 0);
}

void PaletteSelectionTest::pressesOnNoTileChangeNothing()
{
    TestDataSet data(DataSetBuilder(64));
    SPalette palette(&data.art(), &data.tiles(), &data.anims());
    resizeNow(palette, QSize(5 * 46 + 30, 46 * 20));
    palette.setSelected(2);
    SignalLog log(&palette);
    press(palette, QPoint(5 * 46 + 10, 10), Qt::LeftButton); // right of the last column
    press(palette, inCell(12, 4), Qt::LeftButton); // id 64, past the 64 statics
    QVERIFY(log.entries.isEmpty());
    QCOMPARE(palette.selectedId(), 2);
    press(palette, inCell(12, 3), Qt::LeftButton); // id 63, the last one
    QCOMPARE(palette.selectedId(), 63);
}

void PaletteSelectionTest::otherButtonsDoNotSelect()
{
    TestDataSet data(DataSetBuilder(64));
    TPalette palette(&data.art(), &data.tiles(), &data.anims());
    resizeNow(palette, QSize(5 * 46, 46 * 5));
    SignalLog log(&palette);
    press(palette, inCell(0, 1), Qt::MiddleButton);
    QVERIFY(log.entries.isEmpty());
    QCOMPARE(palette.selectedId(), int(TilePalette::NoTile));
}

QTEST_MAIN(PaletteSelectionTest)
#include "test_palette_selection.moc"
