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
#include "browser/TPalette.h"
#include "browser/TWidget.h"
#include "browser/TilePalette.h"
#include "edits/TileEdits.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QProcess>
#include <QSettings>
#include <QStatusBar>
#include <QWindow>
#include <QtTest>

namespace {
QImage savedTerrain(const QString &directory, int id)
{
    return ArtWork(QDir(directory).filePath("artidx.mul"), QDir(directory).filePath("art.mul"))
        .getTerrain(id, false);
}

QImage savedStatic(const QString &directory, int id)
{
    return ArtWork(QDir(directory).filePath("artidx.mul"), QDir(directory).filePath("art.mul"))
        .getStatic(id, false);
}

QStringList entries(const QString &directory)
{
    return QDir(directory).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
}
} // namespace

// The window program: how it finds its data, its two states, the status bar, teardown,
// starting without a display, and File > Save with the question on close.
class MainWindowTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void windowStates_data();
    void windowStates();
    void filePathJoinsWithOneSeparator_data();
    void filePathJoinsWithOneSeparator();
    void statusTexts();
    void statusNamesTheTileDataLayout_data();
    void statusNamesTheTileDataLayout();
    void teardownRemovesPendingFiles();
    void programWithoutDisplay_data();
    void programWithoutDisplay();
    void saveAsksOnceAndClearsTheMark();
    void artContainerOfTheWindow();
    void closeAsksAboutUnsavedEdits_data();
    void closeAsksAboutUnsavedEdits();
    void openAsksAboutUnsavedEdits_data();
    void openAsksAboutUnsavedEdits();
    void openRefusesADirectoryWithoutADataSet();
    void settingsCarryOverToTheNextWindow();
    void saveAsChoosesAgainAndSaysWhere();
    void quitAsksLikeClose();
    void menusAndShortcuts();
    void firstWindowIsAWorkingSize();

private:
    QTemporaryDir scratch;
    std::unique_ptr<TestDataSet> data;
    // A second data set, of 64 statics.
    std::unique_ptr<TestDataSet> other;
};

void MainWindowTest::initTestCase()
{
    // Probes read the native settings store; point it at a private place.
    QVERIFY(scratch.isValid() && QDir(scratch.path()).mkpath(QStringLiteral("empty")));
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, scratch.filePath("user"));
    QSettings::setPath(QSettings::NativeFormat, QSettings::SystemScope, scratch.filePath("system"));
    // And on Linux the registry of a Wine prefix: an empty one.
    qputenv("WINEPREFIX", QFile::encodeName(scratch.filePath("empty")));

    DataSetBuilder builder(96);
    LandTileRecord land;
    land.setNameText(QStringLiteral("grass"));
    builder.setLandTile(123, land);
    builder.setTerrainImage(123, TestDataSet::terrain(Qt::darkGreen));
    StaticTileRecord item;
    item.setNameText(QStringLiteral("a name of twenty ch."));
    builder.setStaticTile(7, item);
    builder.setStaticImage(7, TestDataSet::solid(30, 50, Qt::gray));
    data = std::make_unique<TestDataSet>(builder);
    QVERIFY(data->isValid());
    other = std::make_unique<TestDataSet>(DataSetBuilder(64));
    QVERIFY(other->isValid());
}

void MainWindowTest::init()
{
    // Every case starts as a first run: Tessera remembers nothing yet, and no
    // installation is found.
    QSettings(AppSettings::organization(), AppSettings::application()).clear();
    for (int i = 0; i < DataDirectory::ProbeCount; ++i) {
        const DataDirectory::Probe &probe = DataDirectory::probe(i);
        QSettings(QString::fromLatin1(probe.organization), QString::fromLatin1(probe.application)).clear();
    }
}

void MainWindowTest::windowStates_data()
{
    // "@" stands for the data set's directory, "#" for a directory without data files.
    QTest::addColumn<QStringList>("probes"); // the four registry values, in probe order
    QTest::addColumn<QString>("directory"); // the one the window uses
    QTest::addColumn<int>("statics"); // static tiles shown; -1: the empty window
    QTest::addColumn<int>("choosers"); // directory choosers shown
    QTest::newRow("first, no separator") << QStringList{"@", "/aos", "/td", "/uo"} << "@" << 96 << 0;
    QTest::newRow("second") << QStringList{"", "@/", "/td", "/uo"} << "@/" << 96 << 0;
    QTest::newRow("third, a program path") << QStringList{"", "", "@/", "/uo"} << "@\\" << 96 << 0;
    QTest::newRow("fourth") << QStringList{"", "", "", "@"} << "@\\" << 96 << 0;
    // Named, then another directory is asked for.
    QTest::newRow("missing files") << QStringList{"#", "", "", ""} << "@/" << 96 << 1;
    QTest::newRow("chosen") << QStringList{"", "", "", ""} << "@/" << 96 << 1;
    QTest::newRow("chooser cancelled") << QStringList{"", "", "", ""} << "" << -1 << 1;
}

void MainWindowTest::windowStates()
{
    QFETCH(QStringList, probes);
    QFETCH(QString, directory);
    QFETCH(int, statics);
    QFETCH(int, choosers);
    for (int i = 0; i < DataDirectory::ProbeCount; ++i) {
        const DataDirectory::Probe &probe = DataDirectory::probe(i);
        QSettings(QString::fromLatin1(probe.organization), QString::fromLatin1(probe.application))
            .setValue(QString::fromLatin1(probe.key),
                probes[i].replace('@', data->path()).replace('#', scratch.filePath("empty")));
    }
    FakePrompts prompts;
    if (statics >= 0) // the chooser is asked only when no probe holds a value
        prompts.directories.append(data->path());
    MyMainWindow window;

    QCOMPARE(window.dataDirectory(), directory.replace('@', data->path()));
    QCOMPARE(prompts.count(QStringLiteral("directory")), choosers);
    // A directory without data files is named with every file it lacks.
    if (probes.first() == scratch.filePath("empty")) {
        QCOMPARE(prompts.count(QStringLiteral("warning")), 1);
        const QString text = prompts.last(QStringLiteral("warning"))->text;
        for (const char *file : {"art.mul", "artidx.mul", "tiledata.mul", "animdata.mul"})
            QVERIFY2(text.contains(QLatin1String(file)), qPrintable(text));
    } else {
        QCOMPARE(prompts.count(QStringLiteral("warning")), 0);
    }
    QCOMPARE(window.isComplete(), statics >= 0);
    QCOMPARE(window.findChild<QStatusBar *>() != nullptr, statics >= 0);
    if (statics < 0) {
        QCOMPARE(prompts.last(QStringLiteral("directory"))->caption, QStringLiteral("Mul file location"));
        QVERIFY(!window.centralWidget() && !window.artStore() && !window.tileStore() && !window.animStore());
        // File > Open builds what is missing.
        prompts.directories.append(data->path());
        window.fileOpen();
        QVERIFY(window.isComplete() && window.findChild<QStatusBar *>());
        return;
    }
    QCOMPARE(window.tabs()->currentIndex(), int(ArtTab::TerrainIndex));
    QCOMPARE(window.tabs()->statics()->staticPalette()->tileCount(), statics);
    QCOMPARE(window.artStore()->getTerrain(123, false).isNull(), statics == 0);
}

void MainWindowTest::filePathJoinsWithOneSeparator_data()
{
    QTest::addColumn<QString>("directory");
    QTest::addColumn<QString>("path");
    QTest::newRow("no separator") << "/data/uo" << QString("/data/uo/art.mul");
    QTest::newRow("several") << "C:\\UO\\/" << QString("C:\\UO/art.mul");
    QTest::newRow("root") << "/" << QString("/art.mul");
}

void MainWindowTest::filePathJoinsWithOneSeparator()
{
    QFETCH(QString, directory);
    QFETCH(QString, path);
    QCOMPARE(DataDirectory::filePath(directory, QStringLiteral("art.mul")), path);
}

void MainWindowTest::statusTexts()
{
    FakePrompts prompts;
    MyMainWindow window(data->path());
    const QList<QLabel *> labels
        = window.statusBar()->findChildren<QLabel *>(QString(), Qt::FindDirectChildrenOnly);
    QCOMPARE(labels.size(), 4);
    QCOMPARE(labels.at(2)->text(), QStringLiteral("ID:         -1 (0x  -1)"));
    QCOMPARE(labels.at(3)->text(), QStringLiteral("MUL art, classic tile data"));

    window.tabs()->terrain()->terrainPalette()->setSelected(123);
    QCOMPARE(labels.at(0)->text(), QStringLiteral("Name:                grass"));
    QCOMPARE(labels.at(1)->text(), QStringLiteral("Size:   44 x   44"));
    QCOMPARE(labels.at(2)->text(), QStringLiteral("ID:   123 (0x  7b)"));
    window.tabs()->setCurrentIndex(ArtTab::StaticsIndex);
    QCOMPARE(labels.at(2)->text(), QStringLiteral("ID:    -1 (0x  -1)"));
    window.tabs()->statics()->staticPalette()->setSelected(7);
    QCOMPARE(labels.at(0)->text(), QStringLiteral("Name: a name of twenty ch."));
    QCOMPARE(labels.at(1)->text(), QStringLiteral("Size:   30 x   50"));
    QCOMPARE(labels.at(2)->text(), QStringLiteral("ID:     7 (0x   7)"));
}

void MainWindowTest::statusNamesTheTileDataLayout_data()
{
    QTest::addColumn<QString>("forced"); // empty: told by the file's size
    QTest::addColumn<QString>("shown");
    QTest::newRow("told") << QString() << "MUL art, high-seas tile data";
    QTest::newRow("forced") << "classic"
                            << "MUL art, classic tile data";
}

void MainWindowTest::statusNamesTheTileDataLayout()
{
    QFETCH(QString, forced);
    QFETCH(QString, shown);
    DataSetBuilder builder(64);
    builder.setTileDataLayout(TileDataLayout::highSeas());
    TestDataSet highSeas(builder);
    DataSet::Options options;
    if (!forced.isEmpty()) {
        TileDataLayout layout;
        QVERIFY(TileDataLayout::fromName(forced, &layout));
        options.tileDataLayout = layout;
    }
    FakePrompts prompts;
    MyMainWindow window(highSeas.path(), options);
    QVERIFY(window.isComplete());
    QCOMPARE(window.statusBar()->findChild<QLabel *>(QStringLiteral("formatLabel"))->text(), shown);
}

void MainWindowTest::teardownRemovesPendingFiles()
{
    FakePrompts prompts;
    QStringList pending;
    {
        MyMainWindow window(data->path());
        QVERIFY(window.artStore()->setTerrain(123, TestDataSet::terrain(Qt::red)));
        QVERIFY(window.tileStore()->setLandRecord(123, window.tileStore()->landRecord(5)));
        pending = QStringList{window.artStore()->pendingDirectory(), window.tileStore()->pendingDirectory()};
        QVERIFY(!QDir(pending[0]).isEmpty() && !QDir(pending[1]).isEmpty());
    }
    QVERIFY(!QFileInfo::exists(pending[0]) && !QFileInfo::exists(pending[1]));
}

void MainWindowTest::programWithoutDisplay_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("message"); // part of the error output; empty: a 500x300 screenshot
    const QString shot = scratch.filePath("window.png");
    QTest::newRow("window") << QStringList{data->path()} << "--screenshot";
    QTest::newRow("screenshot") << QStringList{"--screenshot", shot, "--size", "500x300", data->path()} << "";
    QTest::newRow("bad size") << QStringList{"--screenshot", shot, "--size", "500 x 300", data->path()}
                              << "500 x 300";
    QTest::newRow("unwritable") << QStringList{"--screenshot", "/no/such/dir/a.png", data->path()}
                                << "/no/such/dir";
    QTest::newRow("tile data layout given")
        << QStringList{"--screenshot", shot, "--size", "500x300", "--tiledata", "classic", data->path()}
        << "";
    QTest::newRow("unknown tile data layout") << QStringList{"--screenshot", shot, "--tiledata", "new",
        data->path()} << "--tiledata must be classic or high-seas";
}

void MainWindowTest::programWithoutDisplay()
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
    QVERIFY2(error.contains(message) && (program.exitCode() == 0) == message.isEmpty(), qPrintable(error));
    if (message.isEmpty())
        QCOMPARE(QImage(arguments[1]).size(), QSize(500, 300));
}

void MainWindowTest::saveAsksOnceAndClearsTheMark()
{
    FakePrompts prompts;
    QTemporaryDir output;
    MyMainWindow window(data->path());
    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    QVERIFY(window.artStore()->setTerrain(123, TestDataSet::terrain(Qt::yellow)));
    QCOMPARE(window.windowHandle()->title(), QStringLiteral("Tessera*"));
    prompts.directories.append(output.path());
    QTest::keyClick(&window, Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(prompts.last(QStringLiteral("directory"))->caption, DataSetSaveController::chooserCaption());
    QCOMPARE(entries(output.path()), (QStringList{"animdata.mul", "art.mul", "artidx.mul", "tiledata.mul"}));
    QCOMPARE(savedTerrain(output.path(), 123), window.artStore()->getTerrain(123, false));
    QVERIFY(!window.isWindowModified());

    QVERIFY(window.artStore()->setTerrain(123, QImage()));
    QVERIFY(window.isWindowModified());
    window.saveAction()->trigger();
    QCOMPARE(prompts.count(QStringLiteral("directory")), 1);
    QVERIFY(savedTerrain(output.path(), 123).isNull());

    // When the remembered directory has gone, the next Save asks again.
    QVERIFY(window.artStore()->setTerrain(124, QImage()));
    QVERIFY(output.remove());
    window.saveAction()->trigger();
    QCOMPARE(prompts.count(QStringLiteral("warning")), 1);
    window.saveAction()->trigger();
    QCOMPARE(prompts.count(QStringLiteral("directory")), 2);
}

void MainWindowTest::artContainerOfTheWindow()
{
    // Tile data for 96 statics, art up to static 200, as artLegacyMUL.uop.
    DataSetBuilder builder(96);
    builder.setStaticImage(200, TestDataSet::solid(8, 8, Qt::red));
    QTemporaryDir dir;
    DataSetBuilder::Output output;
    output.art = ArtContainer::Format::Uop;
    QVERIFY(builder.write(dir.path(), output));
    FakePrompts prompts;
    {
        MyMainWindow window(dir.path());
        QVERIFY(window.isComplete());
        const QList<QLabel *> labels
            = window.statusBar()->findChildren<QLabel *>(QString(), Qt::FindDirectChildrenOnly);
        QCOMPARE(labels.last()->text(), QStringLiteral("UOP art, classic tile data"));
        QVERIFY(labels.last()->toolTip().endsWith("artLegacyMUL.uop"));
        QCOMPARE(window.tabs()->statics()->staticPalette()->tileCount(), 201);
    }
    // Forced to the other container, which is not there: named, then the chooser (cancelled).
    ProgramOptions options;
    QString error;
    QVERIFY(options.parse({"tessera", "--art", "mul", dir.path()}, &error));
    MyMainWindow forced(options.dataDirectory, options.dataSetOptions);
    QVERIFY(!forced.isComplete());
    QVERIFY(prompts.last(QStringLiteral("warning"))->text.contains("Missing: art.mul, artidx.mul."));
    QVERIFY(!ProgramOptions().parse({"tessera", "--art", "zip", dir.path()}, &error));
    QVERIFY(error.contains("--art must be mul or uop"));
}

void MainWindowTest::closeAsksAboutUnsavedEdits_data()
{
    // The chooser's answer: "out", "blocked" (out with a directory named tiledata.mul in
    // it), "data" (the data directory) or "" (cancelled).
    QTest::addColumn<QString>("output");
    QTest::addColumn<int>("answer"); // a UserPrompts::SaveAnswer
    QTest::addColumn<QString>("warning"); // a part of the warning shown; empty: none
    QTest::newRow("cancel") << "out" << int(UserPrompts::SaveAnswer::Cancel) << QString();
    QTest::newRow("discard") << "out" << int(UserPrompts::SaveAnswer::Discard) << QString();
    QTest::newRow("save") << "out" << int(UserPrompts::SaveAnswer::Save) << QString();
    QTest::newRow("save, chooser cancelled") << "" << int(UserPrompts::SaveAnswer::Save) << QString();
    QTest::newRow("save fails") << "blocked" << int(UserPrompts::SaveAnswer::Save) << "tiledata.mul";
    QTest::newRow("save to the data directory")
        << "data" << int(UserPrompts::SaveAnswer::Save) << "data directory";
}

void MainWindowTest::closeAsksAboutUnsavedEdits()
{
    QFETCH(QString, output);
    QFETCH(int, answer);
    QFETCH(QString, warning);
    FakePrompts prompts;
    QTemporaryDir out;
    QVERIFY(output != "blocked" || QDir(out.path()).mkdir("tiledata.mul"));
    prompts.saveAnswers.append(UserPrompts::SaveAnswer(answer));
    if (!output.isEmpty())
        prompts.directories.append(output == "data" ? data->path() : out.path());
    MyMainWindow window(data->path());
    window.show();
    QVERIFY(window.artStore()->setTerrain(123, QImage()));
    const bool saved = output == "out" && answer == int(UserPrompts::SaveAnswer::Save);
    const bool closes = saved || answer == int(UserPrompts::SaveAnswer::Discard);
    QCOMPARE(window.close(), closes);
    QCOMPARE(window.isVisible(), !closes);
    QCOMPARE(prompts.last(QStringLiteral("saveChanges"))->text, DataSetSaveController::unsavedQuestion());
    QCOMPARE(prompts.count(QStringLiteral("warning")), warning.isEmpty() ? 0 : 1);
    QVERIFY(warning.isEmpty() || prompts.last(QStringLiteral("warning"))->text.contains(warning));
    QCOMPARE(entries(out.path()).size(), saved ? 4 : int(output == "blocked"));
    QCOMPARE(entries(data->path()).size(), 4);
    QVERIFY(savedTerrain(out.path(), 123).isNull()); // deleted when saved, no file otherwise
    QCOMPARE(window.isWindowModified(), !saved);
    QVERIFY(window.artStore()->pendingTerrain().contains(123));
}

void MainWindowTest::openAsksAboutUnsavedEdits_data()
{
    QTest::addColumn<int>("answer"); // a UserPrompts::SaveAnswer
    QTest::newRow("save") << int(UserPrompts::SaveAnswer::Save);
    QTest::newRow("discard") << int(UserPrompts::SaveAnswer::Discard);
    QTest::newRow("cancel") << int(UserPrompts::SaveAnswer::Cancel);
}

void MainWindowTest::openAsksAboutUnsavedEdits()
{
    QFETCH(int, answer);
    const auto chosen = UserPrompts::SaveAnswer(answer);
    FakePrompts prompts;
    QTemporaryDir out;
    MyMainWindow window(data->path());
    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    QString error;
    QVERIFY(window.edits()->changeImage(TileKind::Terrain, 123, QImage(), TileEdits::deleteName(), &error));
    const QString pendingDirectory = window.artStore()->pendingDirectory();
    prompts.directories = QStringList{other->path(), out.path()}; // the data set, then where to save
    prompts.saveAnswers = {chosen};
    QTest::keyClick(&window, Qt::Key_O, Qt::ControlModifier);

    QCOMPARE(prompts.last("saveChanges")->text, MyMainWindow::openQuestion());
    const bool opened = chosen != UserPrompts::SaveAnswer::Cancel;
    QCOMPARE(window.tabs()->statics()->staticPalette()->tileCount(), opened ? 64 : 96);
    QCOMPARE(QDir(window.dataDirectory()) == QDir(other->path()), opened);
    // Saved edits are in the output; the others are gone with the data set, or kept with it.
    const bool saved = chosen == UserPrompts::SaveAnswer::Save;
    QCOMPARE(entries(out.path()).size(), saved ? 4 : 0);
    QVERIFY(!saved || savedTerrain(out.path(), 123).isNull());
    QCOMPARE(QFileInfo::exists(pendingDirectory), !opened);
    QCOMPARE(window.isWindowModified(), !opened);
    QCOMPARE(window.edits()->history().count(), opened ? 0 : 1);
    QCOMPARE(window.artStore()->pendingTerrain().contains(123), !opened);
    // The status bar starts again with the new data set.
    const QList<QLabel *> labels
        = window.statusBar()->findChildren<QLabel *>(QString(), Qt::FindDirectChildrenOnly);
    QCOMPARE(labels.size(), 4); // name, size, id, and what the data set is made of
    if (opened)
        QCOMPARE(labels.at(2)->text(), QStringLiteral("ID:         -1 (0x  -1)"));
}

void MainWindowTest::openRefusesADirectoryWithoutADataSet()
{
    FakePrompts prompts;
    MyMainWindow window(data->path());
    QString error;
    QVERIFY(window.edits()->changeImage(TileKind::Static, 7, QImage(), TileEdits::deleteName(), &error));
    prompts.directories = QStringList{scratch.filePath("empty")};
    window.fileOpen();
    QCOMPARE(prompts.count("saveChanges"), 0); // refused before anything is asked
    QCOMPARE(prompts.count("warning"), 1);
    const QString text = prompts.last("warning")->text;
    for (const char *file : {"art.mul", "artidx.mul", "tiledata.mul", "animdata.mul"})
        QVERIFY2(text.contains(QLatin1String(file)), qPrintable(text));
    QCOMPARE(window.dataDirectory(), data->path());
    QVERIFY(window.artStore()->pendingStatics().contains(7));
    QCOMPARE(window.edits()->history().count(), 1);
}

void MainWindowTest::settingsCarryOverToTheNextWindow()
{
    FakePrompts prompts;
    QTemporaryDir out;
    {
        MyMainWindow first(other->path());
        first.show();
        QVERIFY(first.openDirectory(data->path()));
        first.resize(640, 480);
        QString error;
        QVERIFY(first.edits()->changeImage(TileKind::Terrain, 5, QImage(), TileEdits::deleteName(), &error));
        prompts.directories = QStringList{out.path()};
        QVERIFY(first.saveController()->save());
        QVERIFY(first.close());
    }
    // Under Tessera's own name, in the settings place the test gave.
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

void MainWindowTest::saveAsChoosesAgainAndSaysWhere()
{
    FakePrompts prompts;
    QTemporaryDir first;
    QTemporaryDir second;
    MyMainWindow window(data->path());
    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    QString error;
    QVERIFY(window.edits()->changeImage(TileKind::Terrain, 123, QImage(), TileEdits::deleteName(), &error));
    prompts.directories = QStringList{first.path(), second.path()};
    QTest::keyClick(&window, Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(window.statusBar()->currentMessage(), QStringLiteral("Saved to %1").arg(first.path()));
    QTest::keyClick(&window, Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(prompts.count("directory"), 2);
    QCOMPARE(prompts.last("directory")->text, first.path());
    QCOMPARE(window.statusBar()->currentMessage(), QStringLiteral("Saved to %1").arg(second.path()));
    QVERIFY(savedTerrain(second.path(), 123).isNull());
    // Save goes on into the directory chosen last.
    QVERIFY(window.edits()->changeImage(TileKind::Static, 7, QImage(), TileEdits::deleteName(), &error));
    QTest::keyClick(&window, Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(prompts.count("directory"), 2);
    QVERIFY(savedStatic(second.path(), 7).isNull());
    QVERIFY(!savedStatic(first.path(), 7).isNull());
}

void MainWindowTest::quitAsksLikeClose()
{
    FakePrompts prompts;
    MyMainWindow window(data->path());
    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    QString error;
    QVERIFY(window.edits()->changeImage(TileKind::Terrain, 123, QImage(), TileEdits::deleteName(), &error));
    prompts.saveAnswers = {UserPrompts::SaveAnswer::Cancel, UserPrompts::SaveAnswer::Discard};
    QTest::keyClick(&window, Qt::Key_Q, Qt::ControlModifier);
    QVERIFY(window.isVisible());
    QTest::keyClick(&window, Qt::Key_Q, Qt::ControlModifier);
    QVERIFY(!window.isVisible());
    QCOMPARE(prompts.count("saveChanges"), 2);
}

void MainWindowTest::menusAndShortcuts()
{
    FakePrompts prompts;
    MyMainWindow window(data->path());
    QStringList menus;
    for (const QAction *action : window.menuBar()->actions())
        menus << action->text();
    QCOMPARE(menus, (QStringList{"File", "Edit", "Help"}));
    QMenu *help = window.menuBar()->actions().at(2)->menu();
    QCOMPARE(help->actions().size(), 2);
    help->actions().at(0)->trigger();
    QCOMPARE(prompts.last("information")->caption, QStringLiteral("Keyboard Shortcuts"));
    const QStringList lines = prompts.last("information")->text.split('\n');
    for (const char *line :
        {"Open Data Directory: Ctrl+O", "Save: Ctrl+S", "Save As: Ctrl+Shift+S", "Quit: Ctrl+Q",
            "Undo: Ctrl+Z", "Redo: Ctrl+Shift+Z or Ctrl+Y", "Cut: Ctrl+X", "Copy: Ctrl+C", "Paste: Ctrl+V",
            "Find: Ctrl+F", "Next: F3", "Locate: Ctrl+G", "Enter: Open the selected tile's properties"})
        QVERIFY2(lines.contains(QLatin1String(line)), line);
    help->actions().at(1)->trigger();
    QCOMPARE(prompts.last("about")->caption, QStringLiteral("About Tessera"));
}

void MainWindowTest::firstWindowIsAWorkingSize()
{
    FakePrompts prompts;
    MyMainWindow window(data->path());
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    TilePalette *palette = window.currentPalette();
    QVERIFY2(palette->columnCount() >= 10 && palette->height() >= 6 * 46,
        qPrintable(QStringLiteral("%1 x %2").arg(palette->width()).arg(palette->height())));
}

QTEST_MAIN(MainWindowTest)
#include "test_main_window.moc"
