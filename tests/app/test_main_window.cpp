#include "FakePrompts.h"
#include "TestDataSet.h"
#include "app/AppSettings.h"
#include "app/DataDirectory.h"
#include "app/DataSetSaveController.h"
#include "app/MyMainWindow.h"
#include "app/ProgramOptions.h"
#include "browser/ArtTab.h"
#include "browser/SPalette.h"
#include "browser/SWidget.h"
#include "browser/TilePalette.h"
#include "edits/TileEdits.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QProcess>
#include <QSettings>
#include <QStatusBar>
#include <QWindow>
#include <QtTest>

namespace {
QImage savedImage(const QString &directory, TileKind kind, int id)
{
    ArtWork art(QDir(directory).filePath("artidx.mul"), QDir(directory).filePath("art.mul"));
    return kind == TileKind::Terrain ? art.getTerrain(id, false) : art.getStatic(id, false);
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
} // namespace

// The window program: how it finds its data, its two states, the status bar, starting
// without a display, and File > Save, Open and Quit with the question about unsaved edits.
class MainWindowTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        // Probes read the native settings store; point it at a private place.
        QVERIFY(scratch.isValid() && QDir(scratch.path()).mkpath(QStringLiteral("empty")));
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, scratch.filePath("user"));
        QSettings::setPath(QSettings::NativeFormat, QSettings::SystemScope, scratch.filePath("system"));
        // And on Linux the registry of a Wine prefix: an empty one.
        qputenv("WINEPREFIX", QFile::encodeName(scratch.filePath("empty")));

        DataSetBuilder builder(96);
        builder.setTerrainImage(123, TestDataSet::terrain(Qt::darkGreen));
        builder.setStaticImage(7, TestDataSet::solid(30, 50, Qt::gray));
        data = std::make_unique<TestDataSet>(builder);
        QVERIFY(data->isValid());
        other = std::make_unique<TestDataSet>(DataSetBuilder(64));
        QVERIFY(other->isValid());
    }

    void init()
    {
        // Every case starts as a first run: Tessera remembers nothing yet, and no
        // installation is found.
        QSettings(AppSettings::organization(), AppSettings::application()).clear();
        for (int i = 0; i < DataDirectory::ProbeCount; ++i) {
            const DataDirectory::Probe &probe = DataDirectory::probe(i);
            QSettings(QString::fromLatin1(probe.organization), QString::fromLatin1(probe.application))
                .clear();
        }
    }

    void windowStates_data()
    {
        // "@" stands for the data set's directory, "#" for a directory without data files.
        QTest::addColumn<QStringList>("probes"); // the four registry values, in probe order
        QTest::addColumn<QString>("directory"); // the one the window uses; empty: the empty window
        QTest::addColumn<int>("choosers"); // directory choosers shown
        QTest::newRow("first, no separator") << QStringList{"@", "/aos", "/td", "/uo"} << "@" << 0;
        QTest::newRow("second") << QStringList{"", "@/", "/td", "/uo"} << "@/" << 0;
        QTest::newRow("third, a program path") << QStringList{"", "", "@/", "/uo"} << "@\\" << 0;
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
        for (int i = 0; i < DataDirectory::ProbeCount; ++i) {
            const DataDirectory::Probe &probe = DataDirectory::probe(i);
            QSettings(QString::fromLatin1(probe.organization), QString::fromLatin1(probe.application))
                .setValue(QString::fromLatin1(probe.key),
                    probes[i].replace('@', data->path()).replace('#', scratch.filePath("empty")));
        }
        FakePrompts prompts;
        const bool complete = !directory.isEmpty();
        if (complete) // the chooser is asked only when no probe holds a value
            prompts.directories.append(data->path());
        MyMainWindow window;

        QCOMPARE(window.dataDirectory(), directory.replace('@', data->path()));
        QTEST(prompts.count(QStringLiteral("directory")), "choosers");
        // A directory without data files is named with every file it lacks.
        const bool missing = probes.first() == scratch.filePath("empty");
        QCOMPARE(prompts.count(QStringLiteral("warning")), int(missing));
        for (const char *file : {"art.mul", "artidx.mul", "tiledata.mul", "animdata.mul"})
            QVERIFY(!missing || prompts.last(QStringLiteral("warning"))->text.contains(QLatin1String(file)));
        QCOMPARE(window.isComplete(), complete);
        QCOMPARE(window.findChild<QStatusBar *>() != nullptr, complete);
        if (!complete) {
            QCOMPARE(prompts.last(QStringLiteral("directory"))->caption, QStringLiteral("Mul file location"));
            QVERIFY(
                !window.centralWidget() && !window.artStore() && !window.tileStore() && !window.animStore());
            // File > Open builds what is missing.
            prompts.directories.append(data->path());
            window.fileOpen();
            QVERIFY(window.isComplete() && window.findChild<QStatusBar *>());
        }
        QCOMPARE(window.tabs()->currentIndex(), int(ArtTab::TerrainIndex));
        QCOMPARE(window.tabs()->statics()->staticPalette()->tileCount(), 96);
        QVERIFY(!window.artStore()->getTerrain(123, false).isNull());
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
            return label->text() + " in " + label->toolTip().section('/', -1);
        };
        const auto told = open({});
        QCOMPARE(shown(told), QStringLiteral("UOP art, high-seas tile data in artLegacyMUL.uop"));
        QCOMPARE(told->tabs()->statics()->staticPalette()->tileCount(), 201);
        QCOMPARE(shown(open({"--tiledata", "classic"})),
            QStringLiteral("UOP art, classic tile data in artLegacyMUL.uop"));
        // Forced to the other container, which is not there: named, then the chooser (cancelled).
        QVERIFY(!open({"--art", "mul"})->isComplete());
        QVERIFY(prompts.last(QStringLiteral("warning"))->text.contains("Missing: art.mul, artidx.mul."));
    }

    void programWithoutDisplay_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("message"); // part of the error output; empty: a 500x300 screenshot
        const QString shot = scratch.filePath("window.png");
        QTest::newRow("window") << QStringList{data->path()} << "--screenshot";
        QTest::newRow("screenshot") << QStringList{"--screenshot", shot, "--size", "500x300", data->path()}
                                    << "";
        QTest::newRow("bad size") << QStringList{"--screenshot", shot, "--size", "500 x 300", data->path()}
                                  << "500 x 300";
        QTest::newRow("unwritable") << QStringList{"--screenshot", "/no/such/dir/a.png", data->path()}
                                    << "/no/such/dir";
        QTest::newRow("unknown tile data layout") << QStringList{"--screenshot", shot, "--tiledata", "new",
            data->path()} << "--tiledata must be classic or high-seas";
        QTest::newRow("unknown art container")
            << QStringList{"--screenshot", shot, "--art", "zip", data->path()} << "--art must be mul or uop";
    }

    void programWithoutDisplay()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, message);
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            environment.remove(QString::fromLatin1(name));
        // Whatever the program would remember goes into the test's own place.
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
        // A picture leaves nothing for the next run to remember.
        QVERIFY(!QFileInfo::exists(scratch.filePath("program-config/Tessera")));
    }

    void saveAsksOnceAndSaveAsAgain()
    {
        FakePrompts prompts;
        QTemporaryDir first;
        QTemporaryDir second;
        MyMainWindow window(data->path());
        QVERIFY(showActive(window));
        QVERIFY(window.artStore()->setTerrain(123, TestDataSet::terrain(Qt::yellow)));
        QCOMPARE(window.windowHandle()->title(), QStringLiteral("Tessera*"));
        prompts.directories = QStringList{first.path(), second.path()};
        QTest::keyClick(&window, Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(prompts.last(QStringLiteral("directory"))->caption, DataSetSaveController::chooserCaption());
        QCOMPARE(
            entries(first.path()), (QStringList{"animdata.mul", "art.mul", "artidx.mul", "tiledata.mul"}));
        QCOMPARE(savedImage(first.path(), TileKind::Terrain, 123), window.artStore()->getTerrain(123, false));
        QCOMPARE(window.statusBar()->currentMessage(), QStringLiteral("Saved to %1").arg(first.path()));
        QVERIFY(!window.isWindowModified());
        // Save goes on into the same directory without asking.
        QVERIFY(deleteImage(window, TileKind::Terrain, 123));
        QVERIFY(window.isWindowModified());
        window.saveAction()->trigger();
        QCOMPARE(prompts.count(QStringLiteral("directory")), 1);
        QVERIFY(savedImage(first.path(), TileKind::Terrain, 123).isNull());
        // Save As asks again, starting there; Save then goes on into the directory chosen last.
        QTest::keyClick(&window, Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(prompts.count("directory"), 2);
        QCOMPARE(prompts.last("directory")->text, first.path());
        QCOMPARE(window.statusBar()->currentMessage(), QStringLiteral("Saved to %1").arg(second.path()));
        QVERIFY(deleteImage(window, TileKind::Static, 7));
        QTest::keyClick(&window, Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(prompts.count("directory"), 2);
        QVERIFY(savedImage(second.path(), TileKind::Static, 7).isNull());
        QVERIFY(!savedImage(first.path(), TileKind::Static, 7).isNull());
        // When the remembered directory has gone, Save warns, and the next one asks again.
        QVERIFY(deleteImage(window, TileKind::Terrain, 124));
        QVERIFY(second.remove());
        window.saveAction()->trigger();
        QCOMPARE(prompts.count(QStringLiteral("warning")), 1);
        window.saveAction()->trigger();
        QCOMPARE(prompts.count(QStringLiteral("directory")), 3);
    }

    void unsavedEditsAreAskedAbout_data()
    {
        // File > Quit or File > Open of the other data set, with an edit pending.
        QTest::addColumn<bool>("open");
        QTest::addColumn<int>("answer"); // a UserPrompts::SaveAnswer; -1: no data set where opened
        // The output chooser's answer: "out", "blocked" (out with a directory named
        // tiledata.mul in it), "data" (the data directory) or "" (cancelled).
        QTest::addColumn<QString>("output");
        QTest::addColumn<QString>("warning"); // a part of the warning shown; empty: none
        const auto row = [](const char *name, bool open, UserPrompts::SaveAnswer answer, const char *output,
                             const char *warning = "") {
            QTest::newRow(name) << open << int(answer) << QString(output) << QString(warning);
        };
        using Answer = UserPrompts::SaveAnswer;
        row("quit, cancel", false, Answer::Cancel, "out");
        row("quit, save", false, Answer::Save, "out");
        row("quit, save, chooser cancelled", false, Answer::Save, "");
        row("quit, save fails", false, Answer::Save, "blocked", "tiledata.mul");
        row("quit, save to the data directory", false, Answer::Save, "data", "data directory");
        row("open, discard", true, Answer::Discard, "out");
        row("open, save", true, Answer::Save, "out");
        // Refused, naming what the directory lacks, before anything is asked.
        row("open, no data set there", true, Answer(-1), "out", "animdata.mul");
    }

    void unsavedEditsAreAskedAbout()
    {
        QFETCH(bool, open);
        QFETCH(int, answer);
        QFETCH(QString, output);
        QFETCH(QString, warning);
        FakePrompts prompts;
        QTemporaryDir out;
        QVERIFY(output != "blocked" || QDir(out.path()).mkdir("tiledata.mul"));
        MyMainWindow window(data->path());
        QVERIFY(showActive(window));
        QVERIFY(deleteImage(window, TileKind::Terrain, 123));
        const QString pendingDirectory = window.artStore()->pendingDirectory();
        if (open)
            prompts.directories << (answer < 0 ? scratch.filePath("empty") : other->path());
        if (!output.isEmpty())
            prompts.directories << (output == "data" ? data->path() : out.path());
        prompts.saveAnswers = {UserPrompts::SaveAnswer(answer)};
        QTest::keyClick(&window, open ? Qt::Key_O : Qt::Key_Q, Qt::ControlModifier);

        QCOMPARE(prompts.count("saveChanges"), answer < 0 ? 0 : 1);
        QVERIFY(answer < 0
            || prompts.last("saveChanges")->text
                == (open ? MyMainWindow::openQuestion() : DataSetSaveController::unsavedQuestion()));
        QCOMPARE(prompts.count("warning"), warning.isEmpty() ? 0 : 1);
        QVERIFY(warning.isEmpty() || prompts.last("warning")->text.contains(warning));
        const bool saved = output == "out" && answer == int(UserPrompts::SaveAnswer::Save);
        const bool done = saved || answer == int(UserPrompts::SaveAnswer::Discard);
        QCOMPARE(window.isVisible(), open || !done);
        QCOMPARE(entries(out.path()).size(), saved ? 4 : int(output == "blocked"));
        QCOMPARE(entries(data->path()).size(), 4);
        QVERIFY(
            savedImage(out.path(), TileKind::Terrain, 123).isNull()); // deleted when saved, no file otherwise
        // The edit stays pending until its data set goes; it is marked until saved.
        const bool opened = open && done;
        QCOMPARE(window.isWindowModified(), !saved && !opened);
        QCOMPARE(QFileInfo::exists(pendingDirectory), !opened);
        QCOMPARE(window.artStore()->pendingTerrain().contains(123), !opened);
        QCOMPARE(window.edits()->history().count(), opened ? 0 : 1);
        QCOMPARE(window.tabs()->statics()->staticPalette()->tileCount(), opened ? 64 : 96);
        // The status bar starts again with the new data set.
        const QList<QLabel *> labels
            = window.statusBar()->findChildren<QLabel *>(QString(), Qt::FindDirectChildrenOnly);
        QCOMPARE(labels.size(), 4); // name, size, id, and what the data set is made of
        QVERIFY(!opened || labels.at(2)->text() == QStringLiteral("ID:         -1 (0x  -1)"));
    }

    void settingsCarryOverToTheNextWindow()
    {
        FakePrompts prompts;
        QTemporaryDir out;
        QStringList pending;
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
            QVERIFY(first.tileStore()->setLandRecord(123, first.tileStore()->landRecord(5)));
            pending
                = QStringList{first.artStore()->pendingDirectory(), first.tileStore()->pendingDirectory()};
            QVERIFY(!QDir(pending[0]).isEmpty() && !QDir(pending[1]).isEmpty());
            prompts.saveAnswers = {UserPrompts::SaveAnswer::Discard};
            QVERIFY(first.close());
        }
        // The pending edits went with the window; the settings stay under Tessera's own name,
        // in the settings place the test gave.
        QVERIFY(!QFileInfo::exists(pending[0]) && !QFileInfo::exists(pending[1]));
        QVERIFY(QFile::exists(scratch.filePath("user/Tessera/Tessera.conf")));

        // No directory given and no installation found: the last data directory.
        MyMainWindow second;
        QCOMPARE(prompts.count("directory"), 1);
        QCOMPARE(QDir(second.dataDirectory()), QDir(data->path()));
        QCOMPARE(second.size(), QSize(640, 480));
        QStringList recent;
        for (const QAction *action : second.recentMenu()->actions())
            recent << action->text();
        QCOMPARE(recent,
            (QStringList{QDir::toNativeSeparators(QDir(data->path()).absolutePath()),
                QDir::toNativeSeparators(QDir(other->path()).absolutePath())}));
        // The output chooser starts where the last save went.
        second.fileSaveAs();
        QCOMPARE(prompts.last("directory")->text, QDir(out.path()).absolutePath());
        // A recent directory opens as File > Open would open it.
        second.recentMenu()->actions().at(1)->trigger();
        QCOMPARE(second.tabs()->statics()->staticPalette()->tileCount(), 64);
    }

    void openStartsInTheDataDirectory()
    {
        FakePrompts prompts;
        MyMainWindow window(other->path());
        window.fileOpen(); // cancelled
        QCOMPARE(prompts.count("directory"), 1);
        QCOMPARE(QDir(prompts.last("directory")->text), QDir(other->path()));
        QCOMPARE(window.tabs()->statics()->staticPalette()->tileCount(), 64);
    }

    void recentDirectoriesHoldEightEachOnce()
    {
        // Nine directories opened in turn, then the third again, spelled another way.
        QStringList opened;
        for (int i = 0; i < 9; ++i)
            opened << scratch.filePath(QStringLiteral("recent/%1").arg(i));
        AppSettings settings;
        for (const QString &directory : opened)
            settings.rememberDataDirectory(directory);
        settings.rememberDataDirectory(opened[2] + "/./");
        QCOMPARE(settings.recentDirectories(),
            (QStringList{
                opened[2], opened[8], opened[7], opened[6], opened[5], opened[4], opened[3], opened[1]}));
        QCOMPARE(settings.lastDataDirectory(), opened[2]);
    }

private:
    QTemporaryDir scratch;
    std::unique_ptr<TestDataSet> data;
    // A second data set, of 64 statics.
    std::unique_ptr<TestDataSet> other;
};

QTEST_MAIN(MainWindowTest)
#include "test_main_window.moc"
