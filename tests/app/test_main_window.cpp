#include "FakePrompts.h"
#include "ScratchSettings.h"
#include "TestDataSet.h"
#include "app/AppSettings.h"
#include "app/DataDirectory.h"
#include "app/DataSetSaveController.h"
#include "app/EmptyWindowPage.h"
#include "app/MyMainWindow.h"
#include "app/ProgramOptions.h"
#include "app/ViewCommands.h"
#include "app/WindowMenus.h"
#include "browser/ArtTab.h"
#include "browser/SPalette.h"
#include "browser/SWidget.h"
#include "browser/TWidget.h"
#include "browser/TileFilterBar.h"
#include "browser/TilePalette.h"
#include "edits/TileEdits.h"
#include "tiledata/TileFlags.h"
#include "tileprop/ArtWidget.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProcess>
#include <QPushButton>
#include <QSettings>
#include <QStatusBar>
#include <QWindow>
#include <QtTest>
#include <numeric>

namespace {
QImage savedImage(const QString &directory, TileKind kind, int id)
{
    ArtWork art(QDir(directory).filePath("artidx.mul"), QDir(directory).filePath("art.mul"));
    return art.image(kind, id, false);
}

QStringList entries(const QString &directory)
{
    return QDir(directory).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
}

bool deleteImage(MyMainWindow &window, TileKind kind, int id)
{
    QString error;
    return window.edits()->changeImage(kind, id, QImage(), TileEdits::deleteName(), &error);
}

bool showActive(MyMainWindow &window)
{
    window.show();
    window.activateWindow();
    return QTest::qWaitForWindowActive(&window);
}

// The ids of the cells, in order.
QList<int> cells(const TilePalette &palette)
{
    QList<int> ids;
    for (int index = 0; index < palette.shownCount(); ++index)
        ids << palette.idAt(index);
    return ids;
}

// Ticks the flags named by their labels in a menu of the filter bar with the keys, one after the other
// (the menu stays open).
void tick(QMenu *menu, const QStringList &labels)
{
    QSignalSpy hidden(menu, &QMenu::aboutToHide);
    for (QAction *action : menu->actions()) {
        if (labels.contains(action->text())) {
            menu->setActiveAction(action);
            QTest::keyClick(menu, Qt::Key_Space);
        }
    }
    QVERIFY(hidden.isEmpty());
}

StaticTileRecord item(const char *name, quint64 flags, quint8 weight = 0)
{
    StaticTileRecord record;
    record.setNameText(QLatin1String(name));
    record.flags = flags;
    record.weight = weight;
    return record;
}
} // namespace

class MainWindowTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        // Probes read the native settings store and a Wine prefix's registry: private, empty ones.
        QVERIFY(scratch.isValid() && QDir(scratch.path()).mkpath(QStringLiteral("empty")));
        useScratchSettings(scratch.path());
        qputenv("WINEPREFIX", QFile::encodeName(scratch.filePath("empty")));

        DataSetBuilder builder(96);
        builder.setTerrainImage(123, TestDataSet::terrain(Qt::darkGreen));
        builder.setStaticImage(7, TestDataSet::solid(30, 50, Qt::gray));
        builder.setStaticTile(10, item("stone wall", TileFlags::Wall | TileFlags::Impassable));
        builder.setStaticTile(11, item("wall", TileFlags::Wall, 255));
        builder.setStaticTile(12, item("lamp", TileFlags::LightSource));
        data = std::make_unique<TestDataSet>(builder);
        QVERIFY(data->isValid());
        other = std::make_unique<TestDataSet>(DataSetBuilder(64));
        QVERIFY(other->isValid());
    }

    void init()
    {
        // Every case starts as a first run: nothing remembered, no installation found.
        QSettings(AppSettings::organization(), AppSettings::application()).clear();
        for (int i = 0; i < DataDirectory::ProbeCount; ++i)
            probeSettings(i)->clear();
    }

    void windowStates_data()
    {
        // "@" stands for the data set's directory, "#" for a directory without data files.
        QTest::addColumn<QStringList>("probes"); // the four registry values, in probe order
        QTest::addColumn<QString>("directory"); // the one the window uses; empty: the empty window
        QTest::addColumn<int>("choosers"); // directory choosers shown
        QTest::newRow("first, no separator") << QStringList{"@", "/aos", "/td", "/uo"} << "@" << 0;
        QTest::newRow("fourth") << QStringList{"", "", "", "@"} << "@\\" << 0;
        // Named, then another directory is asked for.
        QTest::newRow("missing files") << QStringList{"#", "", "", ""} << "@/" << 1;
        QTest::newRow("chosen") << QStringList{"", "", "", ""} << "@/" << 1;
        QTest::newRow("chooser cancelled") << QStringList{"", "", "", ""} << "" << 1;
    }

    void windowStates()
    {
        QFETCH(QStringList, probes);
        QFETCH(QString, directory);
        for (int i = 0; i < DataDirectory::ProbeCount; ++i)
            probeSettings(i)->setValue(QString::fromLatin1(DataDirectory::probe(i).key),
                probes[i].replace('@', data->path()).replace('#', scratch.filePath("empty")));
        FakePrompts prompts;
        const bool complete = !directory.isEmpty();
        if (complete) // the chooser is asked only when no probe holds a value
            prompts.directories.append(data->path());
        MyMainWindow window;

        // A first run opens at two thirds of the offscreen 800 x 800 screen, in its middle.
        QCOMPARE(window.geometry(), QRect(133, 133, 533, 533));
        QCOMPARE(window.dataDirectory(), directory.replace('@', data->path()));
        QTEST(prompts.count("directory"), "choosers");
        // A directory without data files is warned about (the message is the data set's own).
        QCOMPARE(prompts.count("warning"), int(probes.first() == scratch.filePath("empty")));
        QCOMPARE(window.isComplete(), complete);
        // The chooser names the files of either art container.
        for (const FakePrompts::Shown &shown : prompts.shown)
            QVERIFY(shown.kind != "directory"
                || (shown.caption.contains("artidx.mul") && shown.caption.contains("artLegacyMUL.uop")));
        if (!complete) {
            // The empty window says how to open a data set, and its button does.
            QVERIFY(!window.artStore() && !window.tileStore() && !window.animStore());
            QCOMPARE(window.windowTitle(), QStringLiteral("Tessera[*]"));
            auto *page = qobject_cast<EmptyWindowPage *>(window.centralWidget());
            QVERIFY(page && page->findChild<QLabel *>()->text().contains("animdata.mul"));
            prompts.directories.append(data->path());
            page->openButton()->click();
            QVERIFY(window.isComplete() && window.findChild<QStatusBar *>());
        }
        QCOMPARE(window.tabs()->currentIndex(), int(ArtTab::TerrainIndex));
        QCOMPARE(window.tabs()->statics()->staticPalette()->tileCount(), 96);
    }

    void optionsForceHowTheDataSetIsRead()
    {
        // Tile data of the high-seas layout for 96 statics, art up to static 200 as artLegacyMUL.uop.
        DataSetBuilder builder(96);
        builder.setStaticImage(200, TestDataSet::solid(8, 8, Qt::red));
        builder.setTileDataLayout(TileDataLayout::highSeas());
        QTemporaryDir dir;
        DataSetBuilder::Output output;
        output.art = ArtContainer::Format::Uop;
        QVERIFY(builder.write(dir.path(), output));
        FakePrompts prompts;
        const auto open = [&](const QStringList &forced) {
            ProgramOptions options;
            QString error;
            const bool parsed
                = options.parse(QStringList{"tessera"} + forced + QStringList{dir.path()}, &error);
            return parsed ? std::make_unique<MyMainWindow>(options.dataDirectory, options.dataSetOptions)
                          : nullptr;
        };
        const auto shown = [](const std::unique_ptr<MyMainWindow> &window) {
            const auto *label = window->statusBar()->findChild<QLabel *>(QStringLiteral("formatLabel"));
            return label->text() + " in " + label->toolTip().section('\n', 0, 0).section('/', -1);
        };
        const auto told = open({});
        QCOMPARE(shown(told), QStringLiteral("UOP art, high-seas tile data in artLegacyMUL.uop"));
        QCOMPARE(told->tabs()->statics()->staticPalette()->tileCount(), 201);
        // A layout that leaves part of a block is told as damage.
        const auto forced = open({"--tiledata", "classic", "--art", "uop"});
        QCOMPARE(
            shown(forced), QStringLiteral("UOP art, classic tile data (damaged file) in artLegacyMUL.uop"));
        // Forced to the other container, which is not there: refused, then the chooser (cancelled).
        QVERIFY(!open({"--art", "mul"})->isComplete());
    }

    void programWithoutDisplay_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("message"); // part of the error output; empty: a 500x300 screenshot
        const QString set = data->path();
        const QStringList shot{"--screenshot", scratch.filePath("window.png")};
        QTest::newRow("window") << QStringList{set} << "--screenshot";
        QTest::newRow("screenshot") << shot + QStringList{"--size", "500x300", set} << "";
        QTest::newRow("bad size") << shot + QStringList{"--size", "500 x 300", set} << "500 x 300";
        QTest::newRow("unwritable") << QStringList{"--screenshot", "/no/such/dir/a.png", set}
                                    << "/no/such/dir";
        // Said on stderr: no dialog waits for an answer nobody gives.
        QTest::newRow("no data set") << shot + QStringList{scratch.path()}
                                     << "does not hold a usable data set";
        // Named as typed.
        QTest::newRow("unknown art container, long name")
            << shot + QStringList{"--tiledata", "classic", "--in-art", "zip", set}
            << "--in-art must be mul or uop";
    }

    void programWithoutDisplay()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, message);
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            environment.remove(QString::fromLatin1(name));
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), scratch.filePath("program-config"));
        QProcess program;
        program.setProcessEnvironment(environment);
        program.start(QStringLiteral(TESSERA_EXECUTABLE), arguments);
        QVERIFY(program.waitForFinished(60000));
        const QString error = QString::fromLocal8Bit(program.readAllStandardError());
        QVERIFY2(
            error.contains(message) && (program.exitCode() == 0) == message.isEmpty(), qPrintable(error));
        if (message.isEmpty())
            QCOMPARE(QImage(arguments[1]).size(), QSize(500, 300));
        QVERIFY(!QFileInfo::exists(scratch.filePath("program-config/Tessera")));
    }

    void saveAsksOnceAndSaveAsAgain()
    {
        FakePrompts prompts;
        QTemporaryDir first;
        QTemporaryDir second;
        MyMainWindow window(data->path());
        window.resize(800, 500);
        QVERIFY(showActive(window));
        QVERIFY(window.artStore()->setImage(TileKind::Terrain, 123, TestDataSet::terrain(Qt::yellow)));
        QCOMPARE(window.windowHandle()->title(), QDir(data->path()).dirName() + "* - Tessera");
        // Deep enough not to fit the status bar at this width.
        const QString deep = first.filePath("a folder with a rather long name for the data set/"
                                            "and another one below it, to be sure/and the output");
        QVERIFY(QDir().mkpath(deep));
        prompts.directories = QStringList{deep, second.path()};
        QTest::keyClick(&window, Qt::Key_S, Qt::ControlModifier);
        // The first output chooser starts beside the data directory.
        QCOMPARE(prompts.last("directory")->text, QFileInfo(data->path()).absolutePath());
        QCOMPARE(savedImage(deep, TileKind::Terrain, 123),
            window.artStore()->image(TileKind::Terrain, 123, false));
        // The whole path in the tool tip; the message elided in the middle, left of the labels.
        QCOMPARE(window.statusBar()->toolTip(), QStringLiteral("Saved to %1").arg(deep));
        const QString message = window.statusBar()->currentMessage();
        QVERIFY2(message.startsWith("Saved to /") && message.endsWith("/and the output")
                && message.contains(QChar(0x2026)),
            qPrintable(message));
        const auto *nameLabel = window.statusBar()->findChild<QLabel *>();
        QVERIFY(window.statusBar()->fontMetrics().horizontalAdvance(message) < nameLabel->x());
        // Save goes on into the same directory without asking.
        QVERIFY(deleteImage(window, TileKind::Terrain, 123) && window.isWindowModified());
        window.saveAction()->trigger();
        QCOMPARE(prompts.count("directory"), 1);
        QVERIFY(savedImage(deep, TileKind::Terrain, 123).isNull());
        // Save As asks again, starting there; Save then goes on into the directory chosen last.
        QTest::keyClick(&window, Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(prompts.count("directory"), 2);
        QCOMPARE(prompts.last("directory")->text, deep);
        QCOMPARE(window.statusBar()->toolTip(), QStringLiteral("Saved to %1").arg(second.path()));
        QVERIFY(deleteImage(window, TileKind::Static, 7));
        QTest::keyClick(&window, Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(prompts.count("directory"), 2);
        QVERIFY(savedImage(second.path(), TileKind::Static, 7).isNull()
            && !savedImage(deep, TileKind::Static, 7).isNull());
        // When the remembered directory has gone, Save warns, and the next one asks again.
        QVERIFY(deleteImage(window, TileKind::Terrain, 124) && second.remove());
        window.saveAction()->trigger();
        QCOMPARE(prompts.count("warning"), 1);
        // There, another data set is replaced only when the user agrees.
        prompts.directories = QStringList{deep, deep};
        window.saveAction()->trigger();
        QCOMPARE(prompts.count("confirm"), 1);
        QVERIFY(prompts.last("confirm")->text.startsWith(deep + " already holds a data set"));
        QVERIFY(!savedImage(deep, TileKind::Static, 7).isNull());
        prompts.confirmations = {true};
        window.saveAction()->trigger();
        QVERIFY(savedImage(deep, TileKind::Static, 7).isNull() && !window.isWindowModified());
    }

    void unsavedEditsAreAskedAbout_data()
    {
        // File > Quit, Open (of the other data set) or Close, with an edit pending.
        QTest::addColumn<QString>("command");
        QTest::addColumn<int>("answer"); // a UserPrompts::SaveAnswer; -1: no data set where opened
        // The output chosen: "out", "blocked" (holding a directory tiledata.mul), "data" (the data
        // directory) or "" (cancelled).
        QTest::addColumn<QString>("output");
        QTest::addColumn<QString>("warning"); // a part of the warning shown; empty: none
        const auto row = [](const char *name, const char *command, UserPrompts::SaveAnswer answer,
                             const char *output, const char *warning = "") {
            QTest::newRow(name) << QString(command) << int(answer) << QString(output) << QString(warning);
        };
        using Answer = UserPrompts::SaveAnswer;
        row("quit, cancel", "quit", Answer::Cancel, "out");
        row("quit, save", "quit", Answer::Save, "out");
        row("quit, save, chooser cancelled", "quit", Answer::Save, "");
        row("quit, save fails", "quit", Answer::Save, "blocked", "tiledata.mul");
        row("quit, save to the data directory", "quit", Answer::Save, "data", "data directory");
        row("open, cancel", "open", Answer::Cancel, "out");
        row("open, discard", "open", Answer::Discard, "out");
        // Refused, naming what the directory lacks, before anything is asked.
        row("open, no data set there", "open", Answer(-1), "out", "animdata.mul");
        row("close, cancel", "close", Answer::Cancel, "out");
        row("close, discard", "close", Answer::Discard, "out");
    }

    void unsavedEditsAreAskedAbout()
    {
        QFETCH(QString, command);
        QFETCH(int, answer);
        QFETCH(QString, output);
        QFETCH(QString, warning);
        FakePrompts prompts;
        QTemporaryDir out;
        QVERIFY(output != "blocked" || QDir(out.path()).mkdir("tiledata.mul"));
        MyMainWindow window(data->path());
        QVERIFY(showActive(window));
        QVERIFY(deleteImage(window, TileKind::Terrain, 123));
        const QString pendingDirectory = window.artStore()->pendingEdits().directory();
        const bool open = command == "open";
        if (open)
            prompts.directories << (answer < 0 ? scratch.filePath("empty") : other->path());
        if (!output.isEmpty())
            prompts.directories << (output == "data" ? data->path() : out.path());
        prompts.saveAnswers = {UserPrompts::SaveAnswer(answer)};
        const QMap<QString, Qt::Key> keys{{"quit", Qt::Key_Q}, {"open", Qt::Key_O}, {"close", Qt::Key_W}};
        QTest::keyClick(&window, keys.value(command), Qt::ControlModifier);

        QCOMPARE(prompts.count("saveChanges"), answer < 0 ? 0 : 1);
        QCOMPARE(prompts.count("warning"), warning.isEmpty() ? 0 : 1);
        QVERIFY(warning.isEmpty() || prompts.last("warning")->text.contains(warning));
        const bool saved = output == "out" && answer == int(UserPrompts::SaveAnswer::Save);
        const bool done = saved || answer == int(UserPrompts::SaveAnswer::Discard);
        QCOMPARE(window.isVisible(), command != "quit" || !done);
        QCOMPARE(entries(out.path()).size(), saved ? 4 : int(output == "blocked"));
        QCOMPARE(entries(data->path()).size(), 4);
        QVERIFY(savedImage(out.path(), TileKind::Terrain, 123).isNull()); // deleted when saved
        // The edit stays pending until its data set goes; it is marked until saved.
        const bool gone = (open || command == "close") && done;
        QCOMPARE(window.isWindowModified(), !saved && !gone);
        QCOMPARE(QFileInfo::exists(pendingDirectory), !gone);
        // Closed: the empty window again, without a status bar, and nothing of the data set.
        QCOMPARE(window.isComplete(), !(gone && !open));
        if (gone && !open) {
            QVERIFY(qobject_cast<EmptyWindowPage *>(window.centralWidget()) && !window.edits()
                && !window.findChild<QStatusBar *>() && !window.saveAction()->isEnabled());
            return;
        }
        QCOMPARE(window.artStore()->pendingEdits().isEdited(TileKind::Terrain, 123), !gone);
        QCOMPARE(window.tabs()->statics()->staticPalette()->tileCount(), gone ? 64 : 96);
        // The status bar starts again with the new data set, with no tile selected.
        const auto labels = window.statusBar()->findChildren<QLabel *>(QString(), Qt::FindDirectChildrenOnly);
        QVERIFY(labels.size() == 5
            && (!gone || labels.at(2)->text() == QStringLiteral("ID:"))); // name, size, id, form, count
    }

    void settingsCarryOverToTheNextWindow()
    {
        FakePrompts prompts;
        QTemporaryDir out;
        QString pending;
        {
            MyMainWindow first(other->path());
            first.show();
            QVERIFY(QTest::qWaitForWindowExposed(&first));
            // The first window is a working size.
            const TilePalette *palette = first.currentPalette();
            QVERIFY2(palette->columnCount() >= 10 && palette->height() >= 6 * 46,
                qPrintable(QStringLiteral("%1 x %2").arg(palette->width()).arg(palette->height())));
            QVERIFY(first.openDirectory(data->path()));
            first.resize(640, 480);
            QVERIFY(deleteImage(first, TileKind::Terrain, 5));
            prompts.directories = QStringList{out.path()};
            QVERIFY(first.saveController()->save());
            QVERIFY(first.tileStore()->setLandRecord(123, *first.tileStore()->landRecord(5)));
            pending = first.artStore()->pendingEdits().directory();
            QVERIFY(!QDir(pending).isEmpty());
            prompts.saveAnswers = {UserPrompts::SaveAnswer::Discard};
            QVERIFY(first.close());
        }
        // The pending edits went with the window; the settings stay under Tessera's own name,
        // in the settings place the test gave.
        QVERIFY(!QFileInfo::exists(pending) && QFile::exists(scratch.filePath("user/Tessera/Tessera.conf")));

        // No directory given and no installation found: the last data directory.
        MyMainWindow second;
        QCOMPARE(QDir(second.dataDirectory()), QDir(data->path()));
        QCOMPARE(second.size(), QSize(640, 480));
        // A size too small to work in is not restored.
        second.resize(300, 200);
        QVERIFY(second.close());
        QCOMPARE(MyMainWindow(data->path()).size(), QSize(533, 533));
        // The output chooser starts where the last save went.
        second.fileSaveAs();
        QCOMPARE(prompts.last("directory")->text, QDir(out.path()).absolutePath());
        // The recent directory before the last opens as File > Open would; Open's chooser starts in it.
        second.recentMenu()->actions().at(1)->trigger();
        second.fileOpen(); // cancelled
        QCOMPARE(QDir(prompts.last("directory")->text), QDir(other->path()));
        QCOMPARE(second.tabs()->statics()->staticPalette()->tileCount(), 64);
    }

    void recentDirectoriesHoldEightEachOnce()
    {
        // Nine directories opened in turn, then the third again, spelled another way.
        QStringList opened;
        AppSettings settings;
        for (int i = 0; i < 9; ++i) {
            opened << scratch.filePath(QStringLiteral("recent/%1").arg(i));
            settings.rememberDataDirectory(opened.last());
        }
        settings.rememberDataDirectory(opened[2] + "/./");
        QCOMPARE(settings.recentDirectories(),
            (QStringList{
                opened[2], opened[8], opened[7], opened[6], opened[5], opened[4], opened[3], opened[1]}));
        QCOMPARE(settings.lastDataDirectory(), opened[2]);
    }

    void filterBarNarrowsThePaletteInView_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QStringList>(
            "set"); // flags ticked in turn, in Flags Set; "!" before: in Flags Not Set
        QTest::addColumn<QString>("fields");
        QTest::addColumn<int>("image"); // the choice's index
        QTest::addColumn<int>("edited");
        QTest::addColumn<QList<int>>("ids"); // the cells; empty: every static
        QTest::addColumn<QString>("status");
        QTest::newRow("name") << "WALL" << QStringList() << "" << 0 << 0 << QList<int>{10, 11}
                              << "2 of 96 statics match";
        QTest::newRow("flags set") << "" << QStringList{"Wall", "Impassable"} << "" << 0 << 0
                                   << QList<int>{10} << "1 of 96 statics matches";
        QTest::newRow("set and not set") << "" << QStringList{"Wall", "!Impassable"} << "" << 0 << 0
                                         << QList<int>{11} << "1 of 96 statics matches";
        // Ticked in Flags Not Set, a flag is no longer among those set.
        QTest::newRow("set, then not set") << "a" << QStringList{"Wall", "Impassable", "!Wall"} << "" << 0
                                           << 0 << QList<int>{} << "0 of 96 statics match";
        QTest::newRow("field") << "" << QStringList() << "weight = 255" << 0 << 0 << QList<int>{11}
                               << "1 of 96 statics matches";
        QTest::newRow("field of an edit")
            << "" << QStringList() << "height > 0" << 0 << 0 << QList<int>{12} << "1 of 96 statics matches";
        QTest::newRow("image") << "" << QStringList() << "" << 1 << 0 << QList<int>{7}
                               << "1 of 96 statics matches";
        QTest::newRow("edited") << "" << QStringList() << "" << 0 << 1 << QList<int>{12}
                                << "1 of 96 statics matches";
        QTest::newRow("a field statics lack")
            << "" << QStringList() << "texid = 1" << 0 << 0 << QList<int>{}
            << "Statics have no field \"texid\"; theirs are id, flags, weight";
    }
    // Through the bar's widgets, on the statics in view; Esc shows every tile again, the selection kept.
    void filterBarNarrowsThePaletteInView()
    {
        QFETCH(QString, name);
        QFETCH(QStringList, set);
        QFETCH(QString, fields);
        QFETCH(QList<int>, ids);
        QFETCH(QString, status);
        FakePrompts prompts;
        MyMainWindow window(data->path());
        QVERIFY(showActive(window));
        QString error;
        StaticTileRecord lamp = *window.tileStore()->staticRecord(12);
        lamp.height = 5;
        QVERIFY(window.edits()->changeProperties(TileKind::Static, 12, std::nullopt, lamp, &error));
        window.tabs()->setCurrentIndex(ArtTab::StaticsIndex);
        TilePalette *palette = window.currentPalette();
        palette->selectTile(11);
        TileFilterBar *bar = window.viewCommands()->filterBar();
        QVERIFY(!bar->isVisible());

        QTest::keyClick(&window, Qt::Key_L, Qt::ControlModifier);
        QVERIFY(bar->isVisible() && bar->nameEdit()->hasFocus());
        QTest::keyClicks(bar->nameEdit(), name);
        for (const QString &flag : set)
            tick(flag.startsWith('!') ? bar->flagsNotSetMenu() : bar->flagsSetMenu(),
                {flag.mid(flag.startsWith('!'))});
        QTest::keyClicks(bar->fieldsEdit(), fields);
        QFETCH(int, image);
        QFETCH(int, edited);
        bar->imageChoice()->setCurrentIndex(image);
        bar->editedChoice()->setCurrentIndex(edited);
        QVERIFY2(bar->statusText().startsWith(status), qPrintable(bar->statusText()));
        const bool all = ids.isEmpty() && !status.startsWith("0 of");
        QList<int> every(96);
        std::iota(every.begin(), every.end(), 0);
        QCOMPARE(cells(*palette), all ? every : ids);
        // The terrain tiles are not narrowed until they are in view.
        QVERIFY(window.tabs()->terrain()->tilePalette()->showsAll());
        // A tile that matches stays selected, though conditions typed on the way left it out; one that does
        // not is no longer, until the filter is closed (with no other selected).
        QCOMPARE(palette->selectedId(), ids.contains(11) || all ? 11 : int(TilePalette::NoTile));
        // An edit that makes a tile match brings it in, once all its changes are made.
        if (edited == 1) {
            QVERIFY(deleteImage(window, TileKind::Static, 20));
            QTRY_COMPARE(cells(*palette), (QList<int>{12, 20}));
            ids << 20;
        }
        // Brought into view, the terrain tiles are narrowed by the same conditions.
        window.tabs()->setCurrentIndex(ArtTab::TerrainIndex);
        QVERIFY2(
            bar->statusText().contains("terrain tile", Qt::CaseInsensitive), qPrintable(bar->statusText()));
        window.tabs()->setCurrentIndex(ArtTab::StaticsIndex);
        if (!ids.isEmpty())
            palette->selectTile(ids.last());
        const int selected = ids.isEmpty() ? 11 : ids.last();

        QTest::keyClick(bar->nameEdit(), Qt::Key_Escape);
        QVERIFY(!bar->isVisible() && !window.windowMenus()->filterAction()->isChecked());
        QVERIFY(palette->showsAll() && palette->hasFocus());
        QCOMPARE(palette->selectedId(), selected);
        // Shown again, the bar keeps what it held and narrows again.
        window.windowMenus()->filterAction()->trigger();
        QCOMPARE(cells(*palette), all ? every : ids);
    }

    // Whole steps up to four times the size, remembered for the next window; the properties window's
    // image follows, and the cells take the points of their zoomed grid.
    void zoomScalesTheCellsAndIsRemembered()
    {
        FakePrompts prompts;
        {
            MyMainWindow window(data->path());
            QVERIFY(showActive(window));
            WindowMenus *menus = window.windowMenus();
            window.tabs()->setCurrentIndex(ArtTab::StaticsIndex);
            TilePalette *palette = window.currentPalette();
            palette->selectTile(7);
            QVERIFY(!menus->zoomOutAction()->isEnabled() && menus->zoomInAction()->isEnabled());
            QTest::keyClick(palette, Qt::Key_Plus, Qt::ControlModifier);
            QCOMPARE(palette->zoom(), 2);
            QCOMPARE(palette->columnCount(), palette->width() / 90);
            QCOMPARE(palette->tileAt(QPoint(91, 1)), palette->firstVisibleId() + 1);
            QCOMPARE(palette->tileAt(QPoint(89, 89)), palette->firstVisibleId());
            QCOMPARE(palette->selectedId(), 7);
            QVERIFY(palette->indexOf(7) - palette->indexOf(palette->firstVisibleId())
                < palette->visibleCellCount());

            QTest::keyClick(palette, Qt::Key_Return);
            auto *properties = window.findChild<ArtWidget *>();
            QVERIFY(properties);
            const QLabel *image = properties->findChild<QLabel *>("labelImage");
            QCOMPARE(image->pixmap().size(), QSize(60, 100));
            for (int step = 0; step < 3; ++step)
                menus->zoomInAction()->trigger();
            QVERIFY(!menus->zoomInAction()->isEnabled() && menus->zoomOutAction()->isEnabled());
            QCOMPARE(palette->zoom(), 4);
            QCOMPARE(window.tabs()->terrain()->tilePalette()->zoom(), 4);
            QCOMPARE(image->pixmap().size(), QSize(120, 200));
            QCOMPARE(image->pixmap().toImage().pixelColor(119, 199),
                window.artStore()->image(TileKind::Static, 7, false).pixelColor(29, 49));
        }
        QCOMPARE(AppSettings().zoom(), 4);
        MyMainWindow window(data->path());
        QVERIFY(showActive(window));
        QCOMPARE(window.currentPalette()->zoom(), 4);
        QTest::keyClick(window.currentPalette(), Qt::Key_0, Qt::ControlModifier);
        QCOMPARE(window.currentPalette()->zoom(), 1);
        QTest::keyClick(window.currentPalette(), Qt::Key_Plus, Qt::ControlModifier);
        QTest::keyClick(window.currentPalette(), Qt::Key_Minus, Qt::ControlModifier);
        QCOMPARE(window.currentPalette()->zoom(), 1);
        QCOMPARE(AppSettings().zoom(), 1);
    }

private:
    static std::unique_ptr<QSettings> probeSettings(int i)
    {
        const DataDirectory::Probe &probe = DataDirectory::probe(i);
        return std::make_unique<QSettings>(
            QString::fromLatin1(probe.organization), QString::fromLatin1(probe.application));
    }

    QTemporaryDir scratch;
    std::unique_ptr<TestDataSet> data;
    std::unique_ptr<TestDataSet> other; // of 64 statics
};

QTEST_MAIN(MainWindowTest)
#include "test_main_window.moc"
