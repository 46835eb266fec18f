// Reaching tiles by id and name, the clipboard, undo and redo of every kind of edit, and what shows after.

#include "FakePrompts.h"
#include "ScratchSettings.h"
#include "TestDataSet.h"
#include "TestFiles.h"
#include "app/AppSettings.h"
#include "app/MyMainWindow.h"
#include "browser/ArtTab.h"
#include "browser/SWidget.h"
#include "browser/TilePalette.h"
#include "edits/TileEdits.h"
#include "tileprop/ArtWidget.h"

#include <QAction>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPainter>
#include <QSettings>
#include <QStatusBar>
#include <QTabBar>
#include <QtTest>

namespace {

constexpr int Gray = 7; // 30 x 50, named
constexpr int HalfClear = 8; // 20 x 10, the left half transparent
constexpr int Empty = 9; // no image
constexpr int Lamp = 20; // "lamp", with tile data of its own
constexpr int Red = 40; // 10 x 10
const QColor EditMark(255, 96, 0); // the corner of a cell with pending edits

QImage halfClear()
{
    QImage image(20, 10, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter(&image).fillRect(10, 0, 10, 10, QColor(248, 0, 0));
    return image;
}

QImage argb(const QImage &image)
{
    return image.convertToFormat(QImage::Format_ARGB32);
}

} // namespace

class WindowEditingTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(scratch.isValid());
        useScratchSettings(scratch.path());
        DataSetBuilder builder(96);
        builder.setTerrainImage(123, TestDataSet::terrain(Qt::darkGreen));
        StaticTileRecord item;
        item.setNameText(QStringLiteral("a name of twenty ch."));
        builder.setStaticTile(Gray, item);
        builder.setStaticImage(Gray, TestDataSet::solid(30, 50, Qt::gray));
        builder.setStaticImage(HalfClear, halfClear());
        for (const auto &[id, name] :
            QList<std::pair<int, QString>>{{20, "lamp"}, {30, "Lamp post"}, {50, "street LAMP"}}) {
            item.setNameText(name);
            if (id == Lamp) {
                item.flags = 0x2041;
                item.weight = 9;
                item.height = 4;
                item.animid = 0x1234;
            }
            builder.setStaticTile(id, item);
        }
        builder.setStaticImage(Red, TestDataSet::solid(10, 10, Qt::red));
        LandTileRecord dune; // the terrain tile of a lamp's id
        dune.setNameText(QStringLiteral("sand dune"));
        builder.setLandTile(20, dune);
        data = std::make_unique<TestDataSet>(builder);
        QVERIFY(data->isValid());
        QVERIFY(TestDataSet::solid(12, 6, Qt::blue).save(data->filePath("blue.png"), "PNG"));
    }
    void init()
    {
        QSettings(AppSettings::organization(), AppSettings::application()).clear();
        prompts = std::make_unique<FakePrompts>();
        window = std::make_unique<MyMainWindow>(data->path());
        window->resize(800, 600);
        window->show();
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        QGuiApplication::clipboard()->clear();
    }
    void cleanup()
    {
        window.reset();
        prompts.reset();
    }

    void locate_data()
    {
        QTest::addColumn<bool>("statics");
        QTest::addColumn<QString>("typed"); // a null string cancels
        QTest::addColumn<int>("selected"); // 40, selected before: unchanged
        QTest::addColumn<QString>("said"); // the status bar's id when found, else a part of the warning
        const auto row
            = [](const char *name, bool statics, const QString &typed, int selected, const char *said = "") {
                  QTest::newRow(name) << statics << typed << selected << QString(said);
              };
        row("hexadecimal, spaces around", false, " 0x7B ", 123, "ID:   123 (0x7B)");
        row("hexadecimal in capitals", false, "0X3fF", 1023, "ID:  1023 (0x3FF)");
        row("last terrain", false, "16383", 16383, "ID: 16383 (0x3FFF)");
        row("first static", true, "0", 0, "ID:     0 (0x0)");
        row("past the terrain", false, "16384", 40, "0 to 16383 (0x0 to 0x3FFF)");
        row("past the statics", true, "96", 40, "0 to 95 (0x0 to 0x5F)");
        row("signed", true, "+5", 40, "\"+5\" is not an id");
        row("cancelled", true, QString(), 40);
    }
    void locate()
    {
        QFETCH(bool, statics);
        QFETCH(QString, typed);
        QFETCH(int, selected);
        QFETCH(QString, said);
        window->tabs()->setCurrentIndex(statics ? ArtTab::StaticsIndex : ArtTab::TerrainIndex);
        window->currentPalette()->selectTile(40);
        const QString before = label(2);
        prompts->texts = QStringList{typed};
        // Asked from the tab bar, as after a click on a tab.
        window->tabs()->tabBar()->setFocus();
        QTest::keyClick(window.get(), Qt::Key_G, Qt::ControlModifier);
        QCOMPARE(prompts->count("text"), 1);
        QCOMPARE(window->currentPalette()->selectedId(), selected);
        const bool found = selected != 40;
        QCOMPARE(label(2), found ? said : before);
        QCOMPARE(prompts->count("warning"), found || said.isEmpty() ? 0 : 1);
        QVERIFY(found || said.isEmpty() || prompts->last("warning")->text.contains(said));
        if (!found)
            return;
        // As a click: the keys go to the grid (keeping it in view is the palette's, as for keys).
        QCOMPARE(QApplication::focusWidget(), window->currentPalette());
    }

    void findAndNext()
    {
        window->tabs()->setCurrentIndex(ArtTab::StaticsIndex);
        window->tabs()->tabBar()->setFocus();
        TilePalette *palette = window->currentPalette();
        prompts->texts = QStringList{"LAMP"};
        QTest::keyClick(window.get(), Qt::Key_F3); // nothing to find yet: asks
        QCOMPARE(palette->selectedId(), 20);
        // Terrain and statics are numbered apart: terrain 20 is a sand dune.
        window->tabs()->setCurrentIndex(ArtTab::TerrainIndex);
        window->currentPalette()->selectTile(20);
        QVERIFY2(label(0).endsWith(" sand dune"), qPrintable(label(0)));
        window->tabs()->setCurrentIndex(ArtTab::StaticsIndex);
        QCOMPARE(label(0), QStringLiteral("Name:                 lamp"));
        QTest::keyClick(window.get(), Qt::Key_F3);
        QCOMPARE(palette->selectedId(), 30);
        // Find asks again, offering the last text.
        prompts->texts = QStringList{"street"};
        QTest::keyClick(window.get(), Qt::Key_F, Qt::ControlModifier);
        QCOMPARE(prompts->last("text")->text.section('|', 1), QStringLiteral("LAMP"));
        QCOMPARE(palette->selectedId(), 50);
        prompts->texts = QStringList{"lantern"};
        QTest::keyClick(window.get(), Qt::Key_F, Qt::ControlModifier);
        QCOMPARE(prompts->count("information"), 1);
        QVERIFY(prompts->last("information")->text.startsWith("Not found"));
        QCOMPARE(palette->selectedId(), 50);
    }

    void copyPasteAndCutThroughTheClipboard()
    {
        QVERIFY(!action("Copy")->isEnabled()); // nothing selected yet
        select(HalfClear);
        QVERIFY(action("Copy")->isEnabled());
        QTest::keyClick(window.get(), Qt::Key_C, Qt::ControlModifier);
        const QMimeData *mime = QGuiApplication::clipboard()->mimeData();
        QVERIFY(mime && mime->hasImage());
        const QImage copied = argb(qvariant_cast<QImage>(mime->imageData()));
        const QImage png = argb(QImage::fromData(mime->data(QStringLiteral("image/png")), "PNG"));
        // Transparent pixels stay transparent, for any image editor that pastes it.
        for (const QImage &image : {copied, png}) {
            QCOMPARE(image.size(), QSize(20, 10));
            QCOMPARE(qAlpha(image.pixel(3, 3)), 0);
            QCOMPARE(image.pixel(15, 3), qRgb(248, 0, 0));
        }

        select(Empty);
        QTest::keyClick(window.get(), Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(staticImage(Empty), staticImage(HalfClear));

        select(Gray);
        const QImage gray = staticImage(Gray);
        QTest::keyClick(window.get(), Qt::Key_X, Qt::ControlModifier);
        QVERIFY(staticImage(Gray).isNull());
        QCOMPARE(argb(QGuiApplication::clipboard()->image()), gray);
        // Cutting a tile without an image copies nothing and deletes nothing.
        QTest::keyClick(window.get(), Qt::Key_X, Qt::ControlModifier);
        QCOMPARE(prompts->count("warning"), 1);
        QVERIFY(prompts->last("warning")->text.contains("Static 0x7 has no image"));
        QCOMPARE(argb(QGuiApplication::clipboard()->image()), gray);
        // Text is refused with a warning; a copied image file is read as Import reads it.
        QGuiApplication::clipboard()->setText(QStringLiteral("not a picture"));
        QTest::keyClick(window.get(), Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(window->edits()->history().count(), 2);
        auto *files = new QMimeData;
        files->setUrls({QUrl::fromLocalFile(data->filePath("blue.png"))});
        QGuiApplication::clipboard()->setMimeData(files);
        QTest::keyClick(window.get(), Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(staticImage(Gray).size(), QSize(12, 6));
        QCOMPARE(prompts->count("warning"), 2);
    }

    void undoAndRedoEveryKindOfEdit()
    {
        // After each step: the Undo item's text, and static 7's image.
        QStringList undoTexts;
        QList<QImage> seen;
        const auto step = [&](const std::function<void()> &edit) {
            edit();
            undoTexts << undoText();
            seen << staticImage(Gray);
        };
        const QImage original = staticImage(Gray);
        TilePalette *statics = window->tabs()->statics()->tilePalette();
        step([&] { // import, through the tile's menu
            select(Gray);
            prompts->menuChoices = QStringList{"Import"};
            prompts->openFiles = {{data->filePath("blue.png"), QString()}};
            QTest::mouseClick(statics, Qt::RightButton, {}, cellOf(Gray));
        });
        step([&] { // the properties window's OK, by Enter: a new name
            QTest::keyClick(statics, Qt::Key_Return);
            auto *properties = window->findChild<ArtWidget *>();
            QVERIFY(properties);
            auto *name = properties->findChild<QLineEdit *>("lineName");
            name->selectAll();
            QTest::keyClicks(name, "renamed");
            QTest::keyClick(name, Qt::Key_Return);
        });
        step([&] { QTest::keyClick(window.get(), Qt::Key_X, Qt::ControlModifier); });
        step([&] { QTest::keyClick(window.get(), Qt::Key_V, Qt::ControlModifier); });
        const QStringList texts{"Undo Import of Static 0x7", "Undo Properties of Static 0x7",
            "Undo Cut of Static 0x7", "Undo Paste of Static 0x7"};
        QCOMPARE(undoTexts, texts);
        // The status bar showed the new name at once.
        QCOMPARE(label(0), QStringLiteral("Name:              renamed"));

        for (int i = 0; i < seen.size(); ++i)
            QTest::keyClick(window.get(), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(staticImage(Gray), original);
        QCOMPARE(label(0), QStringLiteral("Name: a name of twenty ch."));
        QVERIFY(shownPixel(cellOf(Gray) + QPoint(24, -19)) != EditMark); // the image box's top right
        // Off screen, the closed properties window leaves no window active: the keys need one.
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        // Both redo keys make the steps again.
        for (int i = 0; i < seen.size(); ++i)
            QTest::keyClick(window.get(), i % 2 ? Qt::Key_Y : Qt::Key_Z,
                i % 2 ? Qt::ControlModifier : Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(staticImage(Gray), seen.last());
        QCOMPARE(label(0), QStringLiteral("Name:              renamed"));
    }

    void marksOfUnsavedEditsFollowTheSave()
    {
        QTemporaryDir out;
        TilePalette *statics = window->tabs()->statics()->tilePalette();
        select(Gray);
        // A right-click selects the tile it opens the menu of: the status bar and the
        // history name the same tile.
        prompts->menuChoices = QStringList{"Delete"};
        QTest::mouseClick(statics, Qt::RightButton, {}, cellOf(HalfClear));
        QCOMPARE(label(2), QStringLiteral("ID:     8 (0x8)"));
        QCOMPARE(undoText(), QStringLiteral("Undo Delete of Static 0x8"));
        const QPoint corner = cellOf(HalfClear) + QPoint(24, -19);
        const auto marked = [&] { return shownPixel(corner) == EditMark; };
        QVERIFY(marked());
        prompts->directories = QStringList{out.path()};
        QTest::keyClick(window.get(), Qt::Key_S, Qt::ControlModifier);
        QVERIFY(!marked()); // saved
        QTest::keyClick(window.get(), Qt::Key_Z, Qt::ControlModifier);
        QVERIFY(marked()); // differs from what was saved
        QTest::keyClick(window.get(), Qt::Key_Y, Qt::ControlModifier);
        QVERIFY(!marked());
        // A deleted terrain tile has no size, as a static without an image has none.
        window->tabs()->setCurrentIndex(ArtTab::TerrainIndex);
        window->currentPalette()->selectTile(123);
        QCOMPARE(label(1), QStringLiteral("Size:   44 x   44"));
        QTest::keyClick(window->currentPalette(), Qt::Key_Delete);
        QCOMPARE(label(1), QStringLiteral("Size:    0 x    0"));
    }

    void statusBarCountsTheSelectedTiles()
    {
        select(Gray);
        TilePalette *statics = window->currentPalette();
        const auto *count = window->statusBar()->findChild<QLabel *>(QStringLiteral("selectedLabel"));
        QVERIFY(count && count->isHidden()); // one tile: nothing more is said
        for (int id : {HalfClear, Red})
            QTest::mouseClick(statics, Qt::LeftButton, Qt::ControlModifier, cellOf(id));
        QVERIFY(count->isVisible());
        QCOMPARE(count->text(), QStringLiteral("3 selected"));
        QCOMPARE(label(2), QStringLiteral("ID:    40 (0x28)")); // the last clicked is the current tile
        window->tabs()->setCurrentIndex(ArtTab::TerrainIndex);
        QVERIFY(count->isHidden());
        window->tabs()->setCurrentIndex(ArtTab::StaticsIndex);
        QCOMPARE(count->text(), QStringLiteral("3 selected"));
        QVERIFY(count->isVisible());
        QVERIFY(!action("Cut")->isEnabled() && action("Copy")->isEnabled());
        QTest::keyClick(window.get(), Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(count->text(), QStringLiteral("96 selected"));
        QTest::mouseClick(statics, Qt::LeftButton, {}, cellOf(Gray));
        QVERIFY(count->isHidden() && action("Cut")->isEnabled());
    }

    void propertiesOpenOnTheSelection()
    {
        select(Gray);
        TilePalette *statics = window->currentPalette();
        for (int id : {HalfClear, Red})
            QTest::mouseClick(statics, Qt::LeftButton, Qt::ControlModifier, cellOf(id));
        QTest::keyClick(statics, Qt::Key_Return);
        auto *properties = window->findChild<ArtWidget *>();
        QVERIFY(properties);
        QCOMPARE(properties->windowTitle(), QStringLiteral("3 Statics"));
        auto *weight = properties->findChild<QLineEdit *>("lineWeight");
        weight->selectAll();
        QTest::keyClicks(weight, "7");
        QTest::keyClick(weight, Qt::Key_Return);
        for (int id : {Gray, HalfClear, Red})
            QCOMPARE(window->tileStore()->staticRecord(id)->weight, 7);
        QCOMPARE(undoText(), QStringLiteral("Undo Properties of 3 Statics"));
    }

    void imageEditsOfSeveralTiles_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<bool>("confirmed");
        QTest::addColumn<QString>("question"); // empty: none asked
        QTest::addColumn<QString>("after"); // every image: "none", "12x6", or "kept"
        QTest::addColumn<QString>("undo"); // the Undo item's text after
        const auto row = [](const char *name, const char *command, bool confirmed, const char *question,
                             const char *after, const char *undo) {
            QTest::newRow(name) << QString(command) << confirmed << QString(question) << QString(after)
                                << QString(undo);
        };
        row("the Delete key", "Delete", false, "", "none", "Undo Delete of 3 Statics");
        row("Edit > Delete", "Edit Delete", false, "", "none", "Undo Delete of 3 Statics");
        row("the menu's Delete", "Menu Delete", false, "", "none", "Undo Delete of 3 Statics");
        row("paste, confirmed", "Paste", true, "Paste the image into 3 statics?", "12x6",
            "Undo Paste of 3 Statics");
        row("paste, declined", "Paste", false, "Paste the image into 3 statics?", "kept", "Undo");
        row("import, confirmed", "Menu Import", true, "Import the image into 3 statics?", "12x6",
            "Undo Import of 3 Statics");
        row("import, declined", "Menu Import", false, "Import the image into 3 statics?", "kept", "Undo");
        row("cut is for one tile", "Cut", true, "", "kept", "Undo");
    }
    void imageEditsOfSeveralTiles()
    {
        QFETCH(QString, command);
        QFETCH(QString, question);
        QFETCH(QString, after);
        const QList<int> ids{Gray, HalfClear, Red};
        QList<QImage> before;
        for (int id : ids)
            before << staticImage(id);
        select(Gray);
        TilePalette *statics = window->currentPalette();
        for (int id : {HalfClear, Red})
            QTest::mouseClick(statics, Qt::LeftButton, Qt::ControlModifier, cellOf(id));
        QGuiApplication::clipboard()->setImage(TestDataSet::solid(12, 6, Qt::blue));
        QFETCH(bool, confirmed);
        prompts->confirmations = {confirmed};
        if (command == "Delete") {
            QTest::keyClick(statics, Qt::Key_Delete);
        } else if (command == "Edit Delete") {
            action("Delete")->trigger();
        } else if (command.startsWith("Menu")) {
            prompts->menuChoices = QStringList{command.section(' ', 1)};
            prompts->openFiles = {{data->filePath("blue.png"), QString()}};
            QTest::mouseClick(statics, Qt::RightButton, {}, cellOf(HalfClear)); // of the selection: kept
        } else {
            QTest::keyClick(window.get(), command == "Paste" ? Qt::Key_V : Qt::Key_X, Qt::ControlModifier);
        }
        QCOMPARE(statics->selectedIds(), (QVector<int>{Gray, HalfClear, Red}));
        QCOMPARE(prompts->count("confirm"), question.isEmpty() ? 0 : 1);
        QVERIFY(question.isEmpty() || prompts->last("confirm")->text == question);
        QCOMPARE(prompts->count("warning"), 0);
        for (int i = 0; i < ids.size(); ++i) {
            const QImage image = staticImage(ids.at(i));
            if (after == "kept")
                QCOMPARE(image, before.at(i));
            else
                QCOMPARE(image.isNull() ? QStringLiteral("none")
                                        : QStringLiteral("%1x%2").arg(image.width()).arg(image.height()),
                    after);
        }
        QTEST(undoText(), "undo");
        // One undo brings every tile back.
        QTest::keyClick(window.get(), Qt::Key_Z, Qt::ControlModifier);
        for (int i = 0; i < ids.size(); ++i)
            QCOMPARE(staticImage(ids.at(i)), before.at(i));
    }

    void tileDataIsPastedOntoSeveralTiles_data()
    {
        QTest::addColumn<bool>("fromTerrain"); // copied from terrain tile 20, pasted on statics
        QTest::addColumn<int>("choice"); // -1: cancelled
        QTest::addColumn<QStringList>("names"); // of Gray, 30, 50 after
        const QStringList own{"a name of twenty ch.", "Lamp post", "street LAMP"};
        QTest::newRow("all fields but the name") << false << 0 << own;
        QTest::newRow("all fields and the name") << false << 1 << QStringList{"lamp", "lamp", "lamp"};
        QTest::newRow("cancelled") << false << -1 << own;
        QTest::newRow("across kinds") << true << 1 << own;
    }
    void tileDataIsPastedOntoSeveralTiles()
    {
        QFETCH(bool, fromTerrain);
        QFETCH(int, choice);
        QFETCH(QStringList, names);
        const QList<int> ids{Gray, 30, 50};
        QList<StaticTileRecord> before;
        for (int id : ids)
            before << *window->tileStore()->staticRecord(id);
        QVERIFY(!action("Paste Tile Data")->isEnabled()); // nothing copied yet
        if (fromTerrain)
            window->tabs()->setCurrentIndex(ArtTab::TerrainIndex);
        else
            select(Lamp);
        window->currentPalette()->selectTile(Lamp);
        action("Copy Tile Data")->trigger();
        select(Gray);
        for (int id : {30, 50})
            QTest::mouseClick(window->currentPalette(), Qt::LeftButton, Qt::ControlModifier, cellOf(id));
        prompts->choices = {choice};
        QCOMPARE(action("Paste Tile Data")->isEnabled(), !fromTerrain);
        QTest::keyClick(window.get(), Qt::Key_V, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(prompts->count("choose"), fromTerrain ? 0 : 1);
        if (!fromTerrain) {
            QCOMPARE(prompts->last("choose")->text,
                QStringLiteral("Paste the tile data of Static 0x14 onto 3 statics?"));
            QCOMPARE(prompts->last("choose")->filter,
                QStringLiteral("All fields but the name|All fields and the name"));
        }
        const bool pasted = !fromTerrain && choice >= 0;
        for (int i = 0; i < ids.size(); ++i) {
            const StaticTileRecord record = *window->tileStore()->staticRecord(ids.at(i));
            QCOMPARE(record.nameText(), names.at(i));
            // The fields of the lamp, written in the test's set-up.
            QCOMPARE(record.flags, pasted ? 0x2041 : before.at(i).flags);
            QCOMPARE(record.weight, pasted ? 9 : before.at(i).weight);
            QCOMPARE(record.height, pasted ? 4 : before.at(i).height);
            QCOMPARE(record.animid, pasted ? 0x1234 : before.at(i).animid);
        }
        QCOMPARE(undoText(),
            pasted ? QStringLiteral("Undo Paste Tile Data of 3 Statics") : QStringLiteral("Undo"));
        QCOMPARE(label(0), QStringLiteral("Name: %1").arg(names.last(), 20)); // the current tile's, at once
        QTest::keyClick(window.get(), Qt::Key_Z, Qt::ControlModifier);
        for (int i = 0; i < ids.size(); ++i)
            QVERIFY(*window->tileStore()->staticRecord(ids.at(i)) == before.at(i));
    }

    void tablesInAndOut_data()
    {
        QTest::addColumn<QStringList>("item"); // File > Import or Export, then the item
        QTest::addColumn<bool>("statics"); // the tab in view
        QTest::addColumn<QByteArray>("table"); // the file imported; exported: a part of the file written
        QTest::addColumn<QString>("file"); // @: the data directory, else a scratch file
        QTest::addColumn<QString>("undo"); // the Undo item after, when the import is an edit
        QTest::addColumn<QString>("warning"); // a part of it, when refused
        const auto row = [](const char *name, const QString &item, bool statics, const QByteArray &table,
                             const char *file, const char *undo = "", const char *warning = "") {
            QTest::newRow(name) << item.split('>') << statics << table << QString(file) << QString(undo)
                                << QString(warning);
        };
        const QByteArray staticHeader
            = "id,name,flags,flagNames,weight,quality,unknown,unknown1,quantity,animid,"
              "unknown2,hue,unknown3,height\n";
        row("statics in view", "Export>Tile Data...", true,
            "\r\n0x0007,a name of twenty ch.,0x00000000,,0,0,0,0,0,0,0,0,0,0\r\n", "out.csv");
        row("terrain in view", "Export>Tile Data...", false, "\r\n0x0014,sand dune,0x00000000,,0\r\n",
            "out.csv");
        row("animation", "Export>Animation Data...", false,
            "id,frameInterval,frameStart,frameCount,frameOffsets\r\n0x0000,0,0,0,\r\n", "animations");
        row("not over the data set", "Export>Animation Data...", false, "", "@/animdata.mul", "",
            "is a file of the data set");
        row("two statics", "Import>Tile Data...", false,
            staticHeader + "20,lamp,0x40,,0,0,0,0,0,0,0,0,0,0\n0x1E,Street lamp,,,0,0,0,0,0,0,0,0,0,0\n",
            "in.csv", "Undo Import of 2 Statics");
        row("a terrain tile", "Import>Tile Data...", true, "id,name,flags,flagNames,texid\n20,dune,,Wet,0\n",
            "in.csv", "Undo Import of Terrain 0x14");
        row("an animation entry", "Import>Animation Data...", true,
            "id,frameInterval,frameStart,frameCount,frameOffsets\n3,1,0,2,0 1\n", "in.csv",
            "Undo Import of Static 0x3");
        // Refused whole, by the line and column of its error.
        row("an error", "Import>Tile Data...", true,
            staticHeader + "20,lamp,0x40,,0,0,0,0,0,0,0,0,0,0\n30,Street lamp,,,256,0,0,0,0,0,0,0,0,0\n",
            "in.csv", "", "was not imported; nothing was changed.\n\nLine 3, column 5: weight must be");
    }
    void tablesInAndOut()
    {
        QFETCH(QStringList, item);
        QFETCH(bool, statics);
        QFETCH(QByteArray, table);
        QFETCH(QString, file);
        QFETCH(QString, undo);
        QFETCH(QString, warning);
        QTemporaryDir out;
        const QString path = file.startsWith('@') ? data->filePath(file.mid(2)) : out.filePath(file);
        const bool importing = item.first() == "Import";
        if (importing)
            QVERIFY(TestFiles::writeFile(path, table));
        (importing ? prompts->openFiles : prompts->saveFiles) = {{path, QString()}};
        const QByteArray before = TestFiles::fileBytes(data->filePath("animdata.mul"));
        const auto names = [this] {
            return QStringList{window->tileStore()->name(TileKind::Static, 20),
                window->tileStore()->name(TileKind::Static, 30),
                window->tileStore()->name(TileKind::Terrain, 20)};
        };
        const QStringList named = names();
        const AnimDataEntry anim = window->animStore()->readEntry(3);
        window->tabs()->setCurrentIndex(statics ? ArtTab::StaticsIndex : ArtTab::TerrainIndex);

        QMenu *fileMenu = window->menuBar()->actions().at(0)->menu();
        QMenu *submenu = nullptr;
        for (QAction *action : fileMenu->actions())
            submenu = action->text() == item.first() ? action->menu() : submenu;
        QVERIFY(submenu);
        const auto found = std::find_if(submenu->actions().cbegin(), submenu->actions().cend(),
            [&](QAction *action) { return action->text() == item.last(); });
        QVERIFY(found != submenu->actions().cend() && (*found)->isEnabled());
        (*found)->trigger();

        QCOMPARE(prompts->count("warning"), warning.isEmpty() ? 0 : 1);
        if (!warning.isEmpty())
            QVERIFY2(
                prompts->last("warning")->text.contains(warning), qPrintable(prompts->last("warning")->text));
        QCOMPARE(TestFiles::fileBytes(data->filePath("animdata.mul")), before);
        if (!importing) {
            // Named without an extension, the file gets the table's.
            const QByteArray written
                = TestFiles::fileBytes(QFileInfo(path).suffix().isEmpty() ? path + ".csv" : path);
            QVERIFY2(written.contains(table), written.left(300));
            return;
        }
        QCOMPARE(window->edits()->history().count(), undo.isEmpty() ? 0 : 1);
        if (undo.isEmpty()) {
            QCOMPARE(names(), named);
            return;
        }
        QCOMPARE(undoText(), undo);
        QVERIFY(names() != named || !(window->animStore()->readEntry(3) == anim));
        QTest::keyClick(window.get(), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(names(), named);
        QVERIFY(window->animStore()->readEntry(3) == anim);
    }

private:
    void select(int id)
    {
        window->tabs()->setCurrentIndex(ArtTab::StaticsIndex);
        window->currentPalette()->selectTile(id);
        window->currentPalette()->setFocus();
    }
    // The middle of the cell of id in the palette in view.
    QPoint cellOf(int id) const
    {
        const TilePalette *palette = window->currentPalette();
        const int cell = id - palette->firstVisibleId();
        return QPoint(46 * (cell % palette->columnCount()) + 20, 46 * (cell / palette->columnCount()) + 20);
    }
    // The pixel at position of the palette in view, as on screen.
    QColor shownPixel(const QPoint &position) const
    {
        QCoreApplication::processEvents();
        const QImage screen = QGuiApplication::primaryScreen()->grabWindow(window->winId()).toImage();
        return screen.pixelColor(window->currentPalette()->mapTo(window.get(), position));
    }
    QImage staticImage(int id) const { return argb(window->artStore()->image(TileKind::Static, id, false)); }
    // The status bar's name (0), size (1) and id (2).
    QString label(int index) const
    {
        const auto labels
            = window->statusBar()->findChildren<QLabel *>(QString(), Qt::FindDirectChildrenOnly);
        return labels.at(index)->text();
    }
    // The item of the Edit menu whose text starts with text.
    QAction *action(const QString &text) const
    {
        for (QAction *item : window->menuBar()->actions().at(1)->menu()->actions())
            if (item->text().startsWith(text))
                return item;
        return nullptr;
    }
    QString undoText() const { return action("Undo")->text(); }

    QTemporaryDir scratch;
    std::unique_ptr<TestDataSet> data;
    std::unique_ptr<FakePrompts> prompts;
    std::unique_ptr<MyMainWindow> window;
};

QTEST_MAIN(WindowEditingTest)
#include "test_window_editing.moc"
