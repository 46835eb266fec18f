#include "PaletteTestUtil.h"
#include "TestDataSet.h"
#include "app/MyBar.h"
#include "browser/ArtTab.h"
#include "browser/SPalette.h"
#include "browser/SWidget.h"
#include "browser/TPalette.h"
#include "browser/TWidget.h"

#include <QLabel>
#include <QScrollBar>
#include <QSignalSpy>
#include <QtTest>

using namespace PaletteTestUtil;

namespace {
// The status bar's three labels and their controller.
struct StatusLabels
{
    explicit StatusLabels(TileData *tiles) : bar(&name, &size, &id, tiles) { }
    QLabel name;
    QLabel size;
    QLabel id;
    MyBar bar;
};

void showAndSettle(QWidget &widget, const QSize &size)
{
    widget.resize(size);
    widget.show();
    QVERIFY(QTest::qWaitForWindowExposed(&widget));
    QCoreApplication::processEvents();
}

DataSetBuilder namedTiles()
{
    DataSetBuilder builder(64);
    LandTileRecord land;
    land.setNameText(QStringLiteral("meadow"));
    builder.setLandTile(5, land);
    StaticTileRecord item;
    item.setNameText(QStringLiteral("barrel"));
    builder.setStaticTile(9, item);
    builder.setStaticImage(9, TestDataSet::solid(30, 50, Qt::darkYellow));
    return builder;
}
} // namespace

// The pages between palette and scroll bar, and the tabs re-announcing the selection.
class PagesTabsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void pageLaysOutPaletteBesideScrollBar();
    void scrollBarFollowsTheResize();
    void scrollBarMovesThePalette();
    void narrowPaletteGivesNoRows();
    void wheelOverThePaletteScrolls();
    void tabsStartOnTerrainAndAnnounceNothing();
    void switchingTabsReannounces();
    void switchingBeforeAnySelection();
    void hiddenPageKeepsItsState();
    void tabsCanGoAfterTheStores();
};

void PagesTabsTest::pageLaysOutPaletteBesideScrollBar()
{
    TestDataSet data(DataSetBuilder(64));
    TWidget page(nullptr, &data.art(), &data.anims(), &data.tiles());
    showAndSettle(page, QSize(500, 400));
    QWidget *palette = page.terrainPalette();
    QScrollBar *scrollBar = page.rowScrollBar();
    QCOMPARE(scrollBar->orientation(), Qt::Vertical);
    QVERIFY(palette->geometry().right() < scrollBar->geometry().left());
    QCOMPARE(scrollBar->minimum(), 0);
    QCOMPARE(scrollBar->singleStep(), 1);
}

void PagesTabsTest::scrollBarFollowsTheResize()
{
    TestDataSet data(DataSetBuilder(64));
    TWidget page(nullptr, &data.art(), &data.anims(), &data.tiles());
    showAndSettle(page, QSize(500, 400));
    TilePalette *palette = page.terrainPalette();
    QScrollBar *scrollBar = page.rowScrollBar();
    const int columns = palette->columnCount();
    QVERIFY(columns > 0);
    QCOMPARE(scrollBar->maximum(), 16384 / columns);

    scrollBar->setValue(40);
    const int firstId = palette->firstVisibleId();
    QCOMPARE(firstId, 40 * columns);
    page.resize(page.width() + 3 * 46, page.height());
    QCoreApplication::processEvents();
    const int newColumns = palette->columnCount();
    QCOMPARE(newColumns, columns + 3);
    QCOMPARE(scrollBar->maximum(), 16384 / newColumns);
    QCOMPARE(scrollBar->value(), firstId / newColumns);
    QCOMPARE(palette->firstVisibleId(), firstId / newColumns * newColumns);
}

void PagesTabsTest::scrollBarMovesThePalette()
{
    TestDataSet data(DataSetBuilder(64 * 32));
    SWidget page(nullptr, &data.art(), &data.anims(), &data.tiles());
    showAndSettle(page, QSize(400, 300));
    TilePalette *palette = page.staticPalette();
    QScrollBar *scrollBar = page.rowScrollBar();
    const int columns = palette->columnCount();
    QCOMPARE(scrollBar->maximum(), 2048 / columns);

    QSignalSpy starts(scrollBar, &QScrollBar::valueChanged);
    scrollBar->setValue(scrollBar->maximum());
    QCOMPARE(starts.last().first().toInt(), 2048 / columns);
    QCOMPARE(palette->firstVisibleId(), 2048 / columns * columns);
    scrollBar->triggerAction(QAbstractSlider::SliderPageStepSub);
    QCOMPARE(palette->firstVisibleId(), (2048 / columns - 10) * columns);
}

void PagesTabsTest::narrowPaletteGivesNoRows()
{
    TestDataSet data(DataSetBuilder(64));
    TWidget page(nullptr, &data.art(), &data.anims(), &data.tiles());
    showAndSettle(page, QSize(400, 300));
    QScrollBar *scrollBar = page.rowScrollBar();
    const int maximum = scrollBar->maximum();
    // A page so narrow that its palette holds no column: nothing divides by zero and
    // the scroll bar keeps what it had.
    page.resize(scrollBar->width() + 30, 300);
    QCoreApplication::processEvents();
    QCOMPARE(page.terrainPalette()->columnCount(), 0);
    QCOMPARE(scrollBar->maximum(), maximum);
    QCOMPARE(page.terrainPalette()->tileAt(QPoint(1, 1)), int(TilePalette::NoTile));
}

void PagesTabsTest::wheelOverThePaletteScrolls()
{
    TestDataSet data(DataSetBuilder(64));
    TWidget page(nullptr, &data.art(), &data.anims(), &data.tiles());
    showAndSettle(page, QSize(400, 300));
    TilePalette *palette = page.terrainPalette();
    // The palette ignores the wheel; the window system hands what it ignores to the page.
    const QPoint inside(20, 20);
    QWheelEvent wheel(QPointF(inside), page.mapToGlobal(QPointF(inside)), QPoint(), QPoint(0, -120),
        Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(&page, &wheel);
    QVERIFY(page.rowScrollBar()->value() > 0);
    QCOMPARE(palette->firstVisibleId(), page.rowScrollBar()->value() * palette->columnCount());
}

void PagesTabsTest::tabsStartOnTerrainAndAnnounceNothing()
{
    TestDataSet data(DataSetBuilder(64));
    StatusLabels labels(&data.tiles());
    labels.id.setText(QStringLiteral("first"));
    ArtTab tabs(&labels.bar, &data.art(), &data.anims(), &data.tiles());
    QCOMPARE(tabs.count(), 2);
    QCOMPARE(tabs.tabText(0), QStringLiteral("Terrain"));
    QCOMPARE(tabs.tabText(1), QStringLiteral("Statics"));
    QCOMPARE(tabs.currentWidget(), static_cast<QWidget *>(tabs.terrain()));
    QCOMPARE(tabs.widget(1), static_cast<QWidget *>(tabs.statics()));
    showAndSettle(tabs, QSize(500, 400));
    QCOMPARE(labels.id.text(), QStringLiteral("first"));
}

void PagesTabsTest::switchingTabsReannounces()
{
    TestDataSet data(namedTiles());
    StatusLabels labels(&data.tiles());
    ArtTab tabs(&labels.bar, &data.art(), &data.anims(), &data.tiles());
    showAndSettle(tabs, QSize(500, 400));
    tabs.terrain()->terrainPalette()->setSelected(5);
    QCOMPARE(labels.id.text(), QStringLiteral("ID:     5 (0x   5)"));
    QCOMPARE(labels.name.text(), QStringLiteral("Name:               meadow"));

    tabs.setCurrentIndex(ArtTab::StaticsIndex);
    tabs.statics()->staticPalette()->setSelected(9);
    QCOMPARE(labels.name.text(), QStringLiteral("Name:               barrel"));
    QCOMPARE(labels.size.text(), QStringLiteral("Size:   30 x   50"));

    tabs.setCurrentIndex(ArtTab::TerrainIndex);
    QCOMPARE(labels.id.text(), QStringLiteral("ID:     5 (0x   5)"));
    QCOMPARE(labels.name.text(), QStringLiteral("Name:               meadow"));
    QCOMPARE(labels.size.text(), QStringLiteral("Size:   44 x   44"));

    tabs.setCurrentIndex(ArtTab::StaticsIndex);
    QCOMPARE(labels.id.text(), QStringLiteral("ID:     9 (0x   9)"));
    QCOMPARE(labels.size.text(), QStringLiteral("Size:   30 x   50"));
}

void PagesTabsTest::switchingBeforeAnySelection()
{
    TestDataSet data(namedTiles());
    StatusLabels labels(&data.tiles());
    ArtTab tabs(&labels.bar, &data.art(), &data.anims(), &data.tiles());
    tabs.setCurrentIndex(ArtTab::StaticsIndex);
    QCOMPARE(labels.id.text(), QStringLiteral("ID:    -1 (0x  -1)"));
    QCOMPARE(labels.name.text(), QStringLiteral("Name: ") + QString(20, QLatin1Char(' ')));
    QCOMPARE(labels.size.text(), QStringLiteral("Size:    0 x    0"));
    tabs.setCurrentIndex(ArtTab::TerrainIndex);
    QCOMPARE(labels.size.text(), QStringLiteral("Size:   44 x   44"));
}

void PagesTabsTest::hiddenPageKeepsItsState()
{
    TestDataSet data(DataSetBuilder(64));
    ArtTab tabs(nullptr, &data.art(), &data.anims(), &data.tiles());
    showAndSettle(tabs, QSize(500, 400));
    TilePalette *terrain = tabs.terrain()->terrainPalette();
    tabs.terrain()->rowScrollBar()->setValue(7);
    press(*terrain, inCell(1, 1), Qt::LeftButton);
    const int selected = terrain->selectedId();
    const int first = terrain->firstVisibleId();
    QVERIFY(selected > first);

    tabs.setCurrentIndex(ArtTab::StaticsIndex);
    QCoreApplication::processEvents();
    tabs.setCurrentIndex(ArtTab::TerrainIndex);
    QCoreApplication::processEvents();
    QCOMPARE(terrain->selectedId(), selected);
    QCOMPARE(terrain->firstVisibleId(), first);
    QCOMPARE(tabs.terrain()->rowScrollBar()->value(), 7);
}

void PagesTabsTest::tabsCanGoAfterTheStores()
{
    // The window deletes the stores before its widgets; removing the pages must not
    // reach a store (a resize of the page that becomes current, or a re-announcement).
    auto data = std::make_unique<TestDataSet>(namedTiles());
    StatusLabels labels(&data->tiles());
    auto *tabs = new ArtTab(&labels.bar, &data->art(), &data->anims(), &data->tiles());
    showAndSettle(*tabs, QSize(500, 400));
    tabs->statics()->staticPalette()->setSelected(9);
    data.reset();
    labels.name.setText(QStringLiteral("unchanged"));
    delete tabs;
    QCOMPARE(labels.name.text(), QStringLiteral("unchanged"));
}

QTEST_MAIN(PagesTabsTest)
#include "test_pages_tabs.moc"
