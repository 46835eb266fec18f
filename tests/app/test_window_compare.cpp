// Comparing the open data set with another one: the marks and tool tips of the cells,
// Differences Only, Locate and Find among the tiles shown, Take From Other, the compare
// pane and Stop Comparing.

#include "FakePrompts.h"
#include "ScratchSettings.h"
#include "TestDataSet.h"
#include "app/AppSettings.h"
#include "app/MyMainWindow.h"
#include "app/ProgramOptions.h"
#include "app/ViewCommands.h"
#include "app/WindowMenus.h"
#include "browser/ArtTab.h"
#include "browser/PaletteDifferenceMarks.h"
#include "browser/SWidget.h"
#include "browser/TWidget.h"
#include "browser/TileFilterBar.h"
#include "browser/TilePalette.h"
#include "edits/TileEdits.h"
#include "session/ComparisonSession.h"
#include "tiledata/TileFlags.h"
#include "tileprop/ComparePane.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QDockWidget>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QTableWidget>
#include <QUndoStack>
#include <QtTest>

namespace {

// How static and terrain tiles of the open set (A) differ from those of B.
constexpr int TerrainArt = 5;
constexpr int StaticArt = 3;
constexpr int Weight = 4;
constexpr int WeightAndFlags = 6;
constexpr int Animation = 10;
constexpr int Same = 12; // an image and a name, alike on both sides
constexpr int Whole = 14; // art, weight and animation differ
constexpr int OnlyInA = 80; // A has 96 statics, B 64
constexpr int ArtBit = 1 << PaletteDifferenceMarks::ArtMark;
constexpr int TileDataBit = 1 << PaletteDifferenceMarks::TileDataMark;
constexpr int AnimationBit = 1 << PaletteDifferenceMarks::AnimationMark;
constexpr int OnlyBit = 1 << PaletteDifferenceMarks::OnlyHereMark;

StaticTileRecord named(const char *name, quint8 weight = 1, quint64 flags = 0)
{
    StaticTileRecord record;
    record.setNameText(QString::fromLatin1(name));
    record.weight = weight;
    record.flags = flags;
    return record;
}

AnimDataEntry animation(qint8 interval)
{
    AnimDataEntry entry;
    entry.frameCount = 2;
    entry.frameOffsets[1] = 1;
    entry.frameInterval = interval;
    return entry;
}

// The two sets: everything alike, then each side's own.
DataSetBuilder builder(int statics, bool a)
{
    DataSetBuilder built(statics);
    built.setTerrainImage(TerrainArt, TestDataSet::terrain(a ? Qt::darkGreen : Qt::darkRed));
    built.setStaticImage(StaticArt, TestDataSet::solid(20, 20, a ? Qt::gray : Qt::darkGray));
    built.setStaticTile(Weight, named("anvil", a ? 3 : 4));
    built.setStaticTile(WeightAndFlags, named("tub", a ? 3 : 4, a ? TileFlags::Wet : TileFlags::Surface));
    built.setStaticTile(Animation, named("fire", 1, TileFlags::Animated));
    built.setAnim(Animation, animation(a ? 2 : 3));
    built.setStaticImage(Same, TestDataSet::solid(10, 30, Qt::gray));
    built.setStaticTile(Same, named("lamp"));
    built.setStaticImage(
        Whole, a ? TestDataSet::solid(20, 20, Qt::gray) : TestDataSet::solid(16, 24, Qt::blue));
    built.setStaticTile(Whole, named("torch", a ? 3 : 4, TileFlags::Animated));
    built.setAnim(Whole, animation(a ? 2 : 3));
    if (a)
        built.setStaticTile(OnlyInA, named("lamp post"));
    return built;
}

} // namespace

class WindowCompareTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(scratch.isValid());
        useScratchSettings(scratch.path());
        a = std::make_unique<TestDataSet>(builder(96, true));
        b = std::make_unique<TestDataSet>(builder(64, false));
        QVERIFY(a->isValid() && b->isValid());
    }
    void init()
    {
        QSettings(AppSettings::organization(), AppSettings::application()).clear();
        prompts = std::make_unique<FakePrompts>();
    }
    void cleanup()
    {
        window.reset();
        prompts.reset();
    }

    void marksAndToolTips_data()
    {
        QTest::addColumn<bool>("statics");
        QTest::addColumn<int>("id");
        QTest::addColumn<int>("marks");
        QTest::addColumn<QStringList>("told"); // the tool tip's lines after the name
        QTest::newRow("terrain art") << false << TerrainArt << ArtBit << QStringList{"art differs"};
        QTest::newRow("terrain alike") << false << TerrainArt + 1 << 0 << QStringList{};
        QTest::newRow("static art") << true << StaticArt << ArtBit << QStringList{"art differs"};
        QTest::newRow("weight") << true << Weight << TileDataBit << QStringList{"tile data differs: weight"};
        QTest::newRow("weight and flags")
            << true << WeightAndFlags << TileDataBit << QStringList{"tile data differs: weight, flags"};
        QTest::newRow("animation") << true << Animation << AnimationBit << QStringList{"animation differs"};
        QTest::newRow("alike") << true << Same << 0 << QStringList{};
        QTest::newRow("only here") << true << OnlyInA << OnlyBit << QStringList{"only in this set"};
        QTest::newRow("empty past B's end") << true << OnlyInA + 1 << 0 << QStringList{};
    }
    // Compared from the command line; the window is used meanwhile.
    void marksAndToolTips()
    {
        QFETCH(bool, statics);
        QFETCH(int, id);
        QFETCH(int, marks);
        QFETCH(QStringList, told);
        ProgramOptions options;
        QString error;
        QVERIFY2(options.parse({"tessera", "--compare", b->path(), a->path()}, &error), qPrintable(error));
        openWindow(MyMainWindow::StartOptions{
            options.dataDirectory, true, options.dataSetOptions, true, options.compareDirectory});
        QVERIFY(window->windowMenus()->stopComparingAction()->isEnabled());
        QTRY_VERIFY(!window->comparison()->isRunning());
        QVERIFY(window->comparison()->isActive());

        window->tabs()->setCurrentIndex(statics ? ArtTab::StaticsIndex : ArtTab::TerrainIndex);
        TilePalette *palette = window->currentPalette();
        palette->selectTile(id);
        QCOMPARE(palette->toolTipText(id).split('\n').mid(2), told);
        // Each mark is there in its colour, and no other.
        const QImage shown = palette->grab().toImage();
        const int cell = palette->indexOf(id) - palette->indexOf(palette->firstVisibleId());
        const QRect box(TilePalette::CellPitch * (cell % palette->columnCount()) + 1,
            TilePalette::CellPitch * (cell / palette->columnCount()) + 1, TilePalette::ImageBoxSize,
            TilePalette::ImageBoxSize);
        for (int mark = 0; mark < PaletteDifferenceMarks::MarkCount; ++mark) {
            const auto which = PaletteDifferenceMarks::Mark(mark);
            const QColor colour = shown.pixelColor(PaletteDifferenceMarks::rect(box, which).center());
            QCOMPARE(colour == PaletteDifferenceMarks::color(which), bool(marks & (1 << mark)));
        }
    }

    // Compared from the menu: Differences Only shows exactly the differing tiles, Locate
    // and Find reach only them, and Stop Comparing brings every tile back unmarked.
    void differencesOnlyAndStop()
    {
        openWindow(MyMainWindow::StartOptions{a->path(), true, DataSet::Options(), true, QString()});
        WindowMenus *menus = window->windowMenus();
        QVERIFY(!menus->stopComparingAction()->isEnabled() && !menus->differencesOnlyAction()->isEnabled());
        prompts->directories << b->path();
        menus->compareAction()->trigger();
        QCOMPARE(prompts->last("directory")->caption, MyMainWindow::compareCaption());
        QTRY_VERIFY(!window->comparison()->isRunning());
        TilePalette *terrain = window->tabs()->terrain()->tilePalette();
        TilePalette *statics = window->tabs()->statics()->tilePalette();
        statics->selectTile(Same);
        terrain->selectTile(TerrainArt);
        menus->differencesOnlyAction()->trigger();
        // Nothing out of sight stays selected for the keys to act on.
        QCOMPARE(statics->selectedId(), int(TilePalette::NoTile));
        QCOMPARE(terrain->selectedId(), TerrainArt);

        const auto cells = [](const TilePalette *palette) {
            QList<int> ids;
            for (int index = 0; index < palette->shownCount(); ++index)
                ids << palette->idAt(index);
            return ids;
        };
        QCOMPARE(cells(terrain), QList<int>{TerrainArt});
        QCOMPARE(cells(statics), (QList<int>{StaticArt, Weight, WeightAndFlags, Animation, Whole, OnlyInA}));
        QCOMPARE(terrain->tileAt(QPoint(1, 1)), TerrainArt);
        // Locate reaches a differing tile, and says why one alike is not there.
        window->tabs()->setCurrentIndex(ArtTab::StaticsIndex);
        QTRY_VERIFY(statics->columnCount() > 0);
        QCOMPARE(statics->tileAt(QPoint(TilePalette::CellPitch + 1, 1)), Weight);
        prompts->texts << QString::number(Animation) << QString::number(Same);
        const auto locate = [&] {
            for (QAction *action : window->findChildren<QAction *>())
                if (action->text() == QStringLiteral("Locate..."))
                    action->trigger();
        };
        locate();
        QCOMPARE(statics->selectedId(), Animation);
        locate();
        QCOMPARE(statics->selectedId(), Animation);
        QCOMPARE(prompts->count("warning"), 1);
        QVERIFY(prompts->last("warning")->text.contains("Differences Only"));
        // Find goes past "lamp" (alike) to "lamp post", around from the selection.
        prompts->texts << QStringLiteral("LAMP");
        for (QAction *action : window->findChildren<QAction *>())
            if (action->text() == QStringLiteral("Find..."))
                action->trigger();
        QCOMPARE(statics->selectedId(), OnlyInA);
        // The keys move between the cells shown.
        QTest::keyClick(statics, Qt::Key_Left);
        QCOMPARE(statics->selectedId(), Whole);
        QTest::keyClick(statics, Qt::Key_End);
        QCOMPARE(statics->selectedId(), OnlyInA);

        // With the filter: the tiles that both differ and match; Locate tells which hides a tile.
        menus->filterAction()->trigger();
        QTest::keyClicks(window->viewCommands()->filterBar()->nameEdit(), "lamp");
        QCOMPARE(cells(statics), QList<int>{OnlyInA});
        menus->differencesOnlyAction()->trigger();
        QCOMPARE(cells(statics), (QList<int>{Same, OnlyInA}));
        prompts->texts << QString::number(Weight);
        locate();
        QVERIFY(prompts->last("warning")->text.contains("the filter shows only the tiles that match"));
        menus->differencesOnlyAction()->trigger();
        QCOMPARE(cells(statics), QList<int>{OnlyInA});
        menus->filterAction()->trigger();
        QCOMPARE(cells(statics), (QList<int>{StaticArt, Weight, WeightAndFlags, Animation, Whole, OnlyInA}));
        QCOMPARE(statics->selectedId(), OnlyInA);

        auto *dock = window->findChild<QDockWidget *>();
        QVERIFY(dock->isVisible() && dock->toggleViewAction()->isVisible());
        menus->stopComparingAction()->trigger();
        QVERIFY(!window->comparison()->isActive());
        QVERIFY(!dock->isVisible() && !dock->toggleViewAction()->isVisible());
        QVERIFY(!menus->differencesOnlyAction()->isChecked() && !menus->differencesOnlyAction()->isEnabled());
        QVERIFY(statics->showsAll() && terrain->showsAll());
        QCOMPARE(statics->shownCount(), 96);
        QCOMPARE(statics->toolTipText(Weight).split('\n').size(), 2);
        QCOMPARE(statics->selectedId(), OnlyInA);

        // Stopped while it runs: nothing of it is left.
        prompts->directories << b->path();
        menus->compareAction()->trigger();
        QVERIFY(window->comparison()->isRunning());
        menus->stopComparingAction()->trigger();
        QCoreApplication::processEvents();
        QVERIFY(!window->comparison()->isActive() && !window->comparison()->isRunning());
        QCOMPARE(statics->toolTipText(Weight).split('\n').size(), 2);
        QVERIFY(!menus->stopComparingAction()->isEnabled());
    }

    void takeFromOther_data()
    {
        QTest::addColumn<QList<int>>("ids");
        QTest::newRow("art") << QList<int>{StaticArt};
        QTest::newRow("tile data") << QList<int>{WeightAndFlags};
        QTest::newRow("animation") << QList<int>{Animation};
        QTest::newRow("three selected") << QList<int>{StaticArt, WeightAndFlags, Animation};
    }
    // The selected tiles become B's whole, as one edit that undoes back to A's, and their
    // marks follow.
    void takeFromOther()
    {
        QFETCH(QList<int>, ids);
        const int id = ids.last();
        openWindow(MyMainWindow::StartOptions{a->path(), true, DataSet::Options(), true, QString()});
        WindowMenus *menus = window->windowMenus();
        window->tabs()->setCurrentIndex(ArtTab::StaticsIndex);
        TilePalette *statics = window->currentPalette();
        statics->selectIds(ids, id);
        QVERIFY(!menus->takeFromOtherAction()->isEnabled());
        prompts->directories << b->path();
        menus->compareAction()->trigger();
        QTRY_VERIFY(!window->comparison()->isRunning());
        QVERIFY(window->comparison()->difference(TileKind::Static, id));
        QVERIFY(menus->takeFromOtherAction()->isEnabled());

        const auto holds = [&](TestDataSet &set) {
            bool all = true;
            for (int id : ids)
                all = all
                    && window->artStore()->image(TileKind::Static, id, false)
                        == set.art().image(TileKind::Static, id, false)
                    && window->tileStore()->staticRecord(id) == set.tiles().staticRecord(id)
                    && window->animStore()->readEntry(id) == set.anims().readEntry(id);
            return all;
        };
        QVERIFY(!holds(*b));
        menus->takeFromOtherAction()->trigger();
        QCOMPARE(prompts->count("warning"), 0);
        QVERIFY(holds(*b));
        for (int id : ids) {
            QVERIFY(!window->comparison()->difference(TileKind::Static, id));
            QCOMPARE(statics->toolTipText(id).split('\n').mid(2), QStringList{"Edited, not saved yet"});
        }

        QAction *undo = nullptr;
        for (QAction *action : window->findChildren<QAction *>())
            if (action->text().startsWith(QStringLiteral("Undo ")))
                undo = action;
        QVERIFY(undo);
        const QString taken = ids.size() == 1
            ? QStringLiteral("Static 0x%1").arg(QString::number(id, 16).toUpper())
            : QStringLiteral("%1 Tiles").arg(ids.size());
        QCOMPARE(undo->text(), QStringLiteral("Undo Take %1 From %2").arg(taken, QDir(b->path()).dirName()));
        undo->trigger();
        QVERIFY(holds(*a));
        for (int id : ids)
            QVERIFY(window->comparison()->difference(TileKind::Static, id));

        // A tile B does not hold is refused, and the user told so.
        statics->selectTile(OnlyInA);
        menus->takeFromOtherAction()->trigger();
        QCOMPARE(prompts->count("warning"), 1);
        QVERIFY(prompts->last("warning")->text.contains(QStringLiteral("0x%1").arg(OnlyInA, 0, 16)));
        QVERIFY(!window->edits()->history().canUndo());

        menus->stopComparingAction()->trigger();
        QVERIFY(!menus->takeFromOtherAction()->isEnabled());
    }

    void paneShowsBothSides_data()
    {
        QTest::addColumn<bool>("statics");
        QTest::addColumn<int>("id");
        QTest::addColumn<bool>("art");
        // Rows as "field: A's | B's": exactly those highlighted, then some shown alike.
        QTest::addColumn<QStringList>("highlighted");
        QTest::addColumn<QStringList>("alike");
        QTest::newRow("weight") << true << Weight << false << QStringList{"weight: 3 | 4"}
                                << QStringList{"name: anvil | anvil", "flags: none | none",
                                       "frames: not animated | not animated", "quality: 0 | 0"};
        QTest::newRow("weight and flags")
            << true << WeightAndFlags << false
            << QStringList{"weight: 3 | 4", "flags: Wet | ", "flags:  | Surface"}
            << QStringList{"name: tub | tub"};
        QTest::newRow("animation") << true << Animation << false << QStringList{"interval: 2 | 3"}
                                   << QStringList{"frames: 2 (0, 1) | 2 (0, 1)", "start: 0 | 0",
                                          "flags: Animated | Animated", "weight: 1 | 1"};
        QTest::newRow("alike") << true << Same << false << QStringList{} << QStringList{"name: lamp | lamp"};
        QTest::newRow("only here") << true << OnlyInA << false
                                   << QStringList{"weight: 1 | 0", "name: lamp post | "}
                                   << QStringList{"flags: none | none"};
        QTest::newRow("static art") << true << StaticArt << true << QStringList{} << QStringList{};
        QTest::newRow("terrain art") << false << TerrainArt << true << QStringList{} << QStringList{};
    }
    // The pane follows the current tile of the palette in view, both sides captioned with
    // their folders, the differing rows highlighted and no other.
    void paneShowsBothSides()
    {
        QFETCH(bool, statics);
        QFETCH(int, id);
        QFETCH(bool, art);
        QFETCH(QStringList, highlighted);
        QFETCH(QStringList, alike);
        openWindow(MyMainWindow::StartOptions{a->path(), true, DataSet::Options(), true, QString()});
        auto *dock = window->findChild<QDockWidget *>();
        QVERIFY(!dock->isVisible() && !dock->toggleViewAction()->isVisible());
        compareWithB();
        QVERIFY(dock->isVisible() && dock->toggleViewAction()->isVisible());
        QCOMPARE(dock->windowTitle(), QStringLiteral("Compare"));
        window->tabs()->setCurrentIndex(statics ? ArtTab::StaticsIndex : ArtTab::TerrainIndex);
        window->currentPalette()->selectTile(id);

        const auto *table = dock->findChild<QTableWidget *>();
        QVERIFY(table->horizontalHeaderItem(0) && table->horizontalHeaderItem(1));
        QCOMPARE(table->horizontalHeaderItem(0)->text(), QDir(a->path()).dirName());
        QCOMPARE(table->horizontalHeaderItem(1)->text(), QDir(b->path()).dirName());
        QCOMPARE(dock->findChild<QLabel *>(QStringLiteral("artNote"))->text(),
            art ? QStringLiteral("art differs") : QStringLiteral("art alike"));
        const PaneRows rows = paneRows();
        QCOMPARE(rows.highlighted, highlighted);
        for (const QString &row : alike)
            QVERIFY2(rows.all.contains(row) && !rows.highlighted.contains(row), qPrintable(row));
        // Terrain has no animation to play; statics play where they are animated.
        const auto buttons = dock->findChildren<QPushButton *>();
        QCOMPARE(buttons.size(), 2);
        for (QPushButton *play : buttons) {
            QCOMPARE(play->isVisible(), statics);
            QCOMPARE(play->isEnabled(), id == Animation);
            if (play->isEnabled()) {
                play->click();
                QCOMPARE(play->text(), QStringLiteral("Stop"));
                play->click();
                QCOMPARE(play->text(), QStringLiteral("Play"));
            }
        }
    }

    // Images are shown at the zoom chosen, which the next window remembers.
    void paneZoom()
    {
        openWindow(MyMainWindow::StartOptions{a->path(), true, DataSet::Options(), true, QString()});
        compareWithB();
        window->tabs()->setCurrentIndex(ArtTab::StaticsIndex);
        window->currentPalette()->selectTile(Whole);
        auto *zoom = window->findChild<QDockWidget *>()->findChild<QComboBox *>();
        zoom->setCurrentIndex(zoom->findText(QStringLiteral("3x")));
        const auto shownSize = [this](const char *side) {
            return window->findChild<QLabel *>(QLatin1String(side))->pixmap().size();
        };
        QCOMPARE(shownSize("mineImage"), QSize(60, 60));
        QCOMPARE(shownSize("otherImage"), QSize(48, 72));
        window.reset();
        openWindow(MyMainWindow::StartOptions{a->path(), true, DataSet::Options(), true, QString()});
        QCOMPARE(window->findChild<QDockWidget *>()->findChild<QComboBox *>()->currentText(),
            QStringLiteral("3x"));
    }

    void takeChosenParts_data()
    {
        QTest::addColumn<bool>("art");
        QTest::addColumn<bool>("tileData");
        QTest::addColumn<bool>("animation");
        QTest::newRow("all") << true << true << true;
        QTest::newRow("no art") << false << true << true;
        QTest::newRow("art only") << true << false << false;
        QTest::newRow("animation only") << false << false << true;
        QTest::newRow("nothing") << false << false << false;
    }
    // The pane's check boxes choose what Take From Other takes; the pane shows the tile
    // as it is after the take and after its undo.
    void takeChosenParts()
    {
        QFETCH(bool, art);
        QFETCH(bool, tileData);
        QFETCH(bool, animation);
        openWindow(MyMainWindow::StartOptions{a->path(), true, DataSet::Options(), true, QString()});
        compareWithB();
        window->tabs()->setCurrentIndex(ArtTab::StaticsIndex);
        window->currentPalette()->selectTile(Whole);
        QCOMPARE(paneRows().highlighted, (QStringList{"weight: 3 | 4", "interval: 2 | 3"}));
        for (QCheckBox *box : window->findChild<QDockWidget *>()->findChildren<QCheckBox *>()) {
            const QString part = box->text();
            QVERIFY(box->isChecked());
            box->setChecked(part == QLatin1String("Art") ? art
                    : part == QLatin1String("Tile data") ? tileData
                                                         : animation);
        }
        QAction *take = window->windowMenus()->takeFromOtherAction();
        QCOMPARE(take->isEnabled(), art || tileData || animation);
        take->trigger();
        QCOMPARE(window->edits()->history().canUndo(), art || tileData || animation);

        const auto shown = [&](TestDataSet &set) {
            return QVector<bool>{window->artStore()->image(TileKind::Static, Whole, false)
                    == set.art().image(TileKind::Static, Whole, false),
                window->tileStore()->staticRecord(Whole) == set.tiles().staticRecord(Whole),
                window->animStore()->readEntry(Whole) == set.anims().readEntry(Whole)};
        };
        QCOMPARE(shown(*b), (QVector<bool>{art, tileData, animation}));
        QCOMPARE(shown(*a), (QVector<bool>{!art, !tileData, !animation}));
        QStringList left;
        if (!tileData)
            left << QStringLiteral("weight: 3 | 4");
        if (!animation)
            left << QStringLiteral("interval: 2 | 3");
        QCOMPARE(paneRows().highlighted, left);
        if (art || tileData || animation) {
            window->edits()->undo(nullptr);
            QCOMPARE(paneRows().highlighted, (QStringList{"weight: 3 | 4", "interval: 2 | 3"}));
        }
    }

    // Under Differences Only a taken tile leaves the cells and hands the selection to the
    // next; undone, it comes back without taking the selection.
    void differencesOnlyDropsTaken()
    {
        openWindow(MyMainWindow::StartOptions{a->path(), true, DataSet::Options(), true, QString()});
        compareWithB();
        WindowMenus *menus = window->windowMenus();
        menus->differencesOnlyAction()->trigger();
        window->tabs()->setCurrentIndex(ArtTab::StaticsIndex);
        TilePalette *statics = window->currentPalette();
        const auto cells = [statics] {
            QList<int> ids;
            for (int index = 0; index < statics->shownCount(); ++index)
                ids << statics->idAt(index);
            return ids;
        };
        const QList<int> differing{StaticArt, Weight, WeightAndFlags, Animation, Whole, OnlyInA};
        QCOMPARE(cells(), differing);
        statics->selectTile(Weight);
        menus->takeFromOtherAction()->trigger();
        QList<int> taken = differing;
        taken.removeOne(Weight);
        QCOMPARE(cells(), taken);
        QCOMPARE(statics->selectedId(), WeightAndFlags);
        QVERIFY(paneRows().all.contains(QStringLiteral("name: tub | tub")));
        window->edits()->undo(nullptr);
        QCOMPARE(cells(), differing);
        QCOMPARE(statics->selectedId(), WeightAndFlags);
        window->edits()->redo(nullptr);
        QCOMPARE(cells(), taken);
        QCOMPARE(statics->selectedId(), WeightAndFlags);
        statics->selectTile(Whole);
        menus->takeFromOtherAction()->trigger();
        taken.removeOne(Whole);
        QCOMPARE(cells(), taken);
        QCOMPARE(statics->selectedId(), OnlyInA);
    }

private:
    // The pane's rows as "field: A's | B's", all and those highlighted.
    struct PaneRows
    {
        QStringList all;
        QStringList highlighted;
    };
    PaneRows paneRows() const
    {
        PaneRows rows;
        const auto *table = window->findChild<QDockWidget *>()->findChild<QTableWidget *>();
        for (int row = 0; row < table->rowCount(); ++row) {
            const QString text = QStringLiteral("%1: %2 | %3")
                                     .arg(table->verticalHeaderItem(row)->text(), table->item(row, 0)->text(),
                                         table->item(row, 1)->text());
            rows.all << text;
            const bool mine = table->item(row, 0)->background().style() != Qt::NoBrush;
            const bool other = table->item(row, 1)->background().style() != Qt::NoBrush;
            if (mine || other)
                rows.highlighted << (mine == other ? text : text + QStringLiteral(" (one side)"));
        }
        return rows;
    }
    void compareWithB()
    {
        prompts->directories << b->path();
        window->windowMenus()->compareAction()->trigger();
        QTRY_VERIFY(!window->comparison()->isRunning());
    }
    void openWindow(const MyMainWindow::StartOptions &options)
    {
        window = std::make_unique<MyMainWindow>(options);
        window->resize(800, 600);
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    }

    QTemporaryDir scratch;
    std::unique_ptr<TestDataSet> a;
    std::unique_ptr<TestDataSet> b;
    std::unique_ptr<FakePrompts> prompts;
    std::unique_ptr<MyMainWindow> window;
};

QTEST_MAIN(WindowCompareTest)
#include "test_window_compare.moc"
