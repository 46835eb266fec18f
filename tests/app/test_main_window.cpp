#include "FakePrompts.h"
#include "TestDataSet.h"
#include "app/DataDirectory.h"
#include "app/MyBar.h"
#include "app/MyMainWindow.h"
#include "browser/ArtTab.h"
#include "browser/SPalette.h"
#include "browser/SWidget.h"
#include "browser/TPalette.h"
#include "browser/TWidget.h"

#include <QAction>
#include <QDir>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QSettings>
#include <QStatusBar>
#include <QtTest>

namespace {
QString spaces(int n)
{
    return QString(n, QLatin1Char(' '));
}

QStringList actionTexts(const QList<QAction *> &actions)
{
    QStringList texts;
    for (const QAction *action : actions)
        texts.append(action->isSeparator() ? QStringLiteral("-") : action->text());
    return texts;
}

QList<QLabel *> statusLabels(const MyMainWindow &window)
{
    const QStatusBar *bar = window.findChild<QStatusBar *>();
    return bar ? bar->findChildren<QLabel *>(QString(), Qt::FindDirectChildrenOnly) : QList<QLabel *>();
}

DataSetBuilder sampleSet()
{
    DataSetBuilder builder(96);
    LandTileRecord land;
    land.setNameText(QStringLiteral("grass"));
    builder.setLandTile(123, land);
    builder.setTerrainImage(123, TestDataSet::terrain(Qt::darkGreen));
    StaticTileRecord item;
    item.setNameText(QStringLiteral("a name of twenty ch."));
    builder.setStaticTile(7, item);
    builder.setStaticImage(7, TestDataSet::solid(30, 50, Qt::gray));
    return builder;
}

void clearProbes()
{
    for (int i = 0; i < DataDirectory::ProbeCount; ++i) {
        const DataDirectory::Probe &probe = DataDirectory::probe(i);
        QSettings settings(QString::fromLatin1(probe.organization), QString::fromLatin1(probe.application));
        settings.clear();
    }
}

void setProbe(int index, const QString &value)
{
    const DataDirectory::Probe &probe = DataDirectory::probe(index);
    QSettings settings(QString::fromLatin1(probe.organization), QString::fromLatin1(probe.application));
    settings.setValue(QString::fromLatin1(probe.key), value);
}
} // namespace

// The main window: how it finds its data, its two states, menus, status bar and teardown.
class MainWindowTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();

    void completeWindow();
    void menus();
    void statusBarFirstTexts();
    void emptyWindowAfterCancelledChooser();
    void emptyWindowStillOffersSettingsAndAbout();
    void chooserAnswerBuildsTheWindow();
    void settingsAfterStartChangesOnlyTheDirectory();
    void probeOrder_data();
    void probeOrder();
    void exePathProbeNamesADirectory();
    void installDirWithoutSeparatorFindsTheFiles();
    void filePathJoinsWithOneSeparator_data();
    void filePathJoinsWithOneSeparator();
    void missingFilesStillGiveTheCompleteWindow();
    void selectionReachesTheStatusBar();
    void statusTexts();
    void teardownRemovesPendingFiles();

private:
    QTemporaryDir settingsDir;
};

void MainWindowTest::initTestCase()
{
    // Probes read the native settings store; point it at a private place.
    QVERIFY(settingsDir.isValid());
    QSettings::setPath(
        QSettings::NativeFormat, QSettings::UserScope, settingsDir.filePath(QStringLiteral("user")));
    QSettings::setPath(
        QSettings::NativeFormat, QSettings::SystemScope, settingsDir.filePath(QStringLiteral("system")));
}

void MainWindowTest::init()
{
    clearProbes();
}

void MainWindowTest::completeWindow()
{
    TestDataSet data(sampleSet());
    FakePrompts prompts;
    MyMainWindow window(data.path());
    QCOMPARE(prompts.shown.size(), 0);
    QCOMPARE(window.windowTitle(), QStringLiteral("Tessera[*]"));
    QVERIFY(window.isComplete());
    QVERIFY(window.artStore() && window.tileStore() && window.animStore() && window.statusController());
    auto *tabs = qobject_cast<ArtTab *>(window.centralWidget());
    QVERIFY(tabs);
    QCOMPARE(tabs->currentIndex(), int(ArtTab::TerrainIndex));
    QCOMPARE(tabs->tabText(0), QStringLiteral("Terrain"));
    QCOMPARE(statusLabels(window).size(), 3);
    QCOMPARE(tabs->statics()->staticPalette()->tileCount(), 96);
    QCOMPARE(window.tileStore()->fileName(), data.filePath(QStringLiteral("tiledata.mul")));
    QCOMPARE(window.artStore()->indexPath(), data.filePath(QStringLiteral("artidx.mul")));
    QCOMPARE(window.artStore()->artPath(), data.filePath(QStringLiteral("art.mul")));
    QCOMPARE(window.animStore()->fileName(), data.filePath(QStringLiteral("animdata.mul")));
}

void MainWindowTest::menus()
{
    TestDataSet data(sampleSet());
    FakePrompts prompts;
    MyMainWindow window(data.path());
    const QList<QAction *> bar = window.menuBar()->actions();
    QCOMPARE(actionTexts(bar), (QStringList{"File", "Edit", "About"}));
    QVERIFY(bar.at(0)->menu());
    QVERIFY(bar.at(1)->menu());
    QVERIFY(!bar.at(2)->menu());
    QCOMPARE(actionTexts(bar.at(0)->menu()->actions()), (QStringList{"Save", "-", "Close", "-", "Settings"}));
    QCOMPARE(actionTexts(bar.at(1)->menu()->actions()),
        (QStringList{"Cut", "Copy", "Paste", "-", "Find", "Next", "Locate"}));
    // Save is the one item with a shortcut, Ctrl+S.
    for (const QAction *action : bar.at(0)->menu()->actions() + bar.at(1)->menu()->actions()) {
        const QKeySequence shortcut
            = action == window.saveAction() ? QKeySequence(QKeySequence::Save) : QKeySequence();
        QVERIFY2(action->shortcut() == shortcut && action->icon().isNull(), qPrintable(action->text()));
    }

    // "About" is an item of the bar itself: one trigger shows the box.
    bar.at(2)->trigger();
    QCOMPARE(prompts.count(QStringLiteral("about")), 1);
    QVERIFY(prompts.last(QStringLiteral("about"))->text.contains(QStringLiteral("Tessera")));
}

void MainWindowTest::statusBarFirstTexts()
{
    TestDataSet data(sampleSet());
    FakePrompts prompts;
    MyMainWindow window(data.path());
    const QList<QLabel *> labels = statusLabels(window);
    QCOMPARE(labels.size(), 3);
    QCOMPARE(labels.at(0)->text(), QStringLiteral("Name: ") + spaces(20));
    QCOMPARE(labels.at(1)->text(), QStringLiteral("Size:    0 x    0"));
    QCOMPARE(labels.at(2)->text(), QStringLiteral("ID: ") + spaces(8) + QStringLiteral("-1 (0x  -1)"));
}

void MainWindowTest::emptyWindowAfterCancelledChooser()
{
    FakePrompts prompts; // answers the chooser with "cancel"
    MyMainWindow window;
    QCOMPARE(prompts.count(QStringLiteral("directory")), 1);
    QCOMPARE(prompts.last(QStringLiteral("directory"))->caption, QStringLiteral("Mul file location"));
    QCOMPARE(prompts.last(QStringLiteral("directory"))->text, QString());
    QVERIFY(!window.isComplete());
    QVERIFY(window.dataDirectory().isEmpty());
    QVERIFY(!window.centralWidget());
    QVERIFY(!window.findChild<QStatusBar *>());
    QVERIFY(!window.artStore() && !window.tileStore() && !window.animStore() && !window.statusController());
    QCOMPARE(window.windowTitle(), QStringLiteral("Tessera[*]"));
    QCOMPARE(actionTexts(window.menuBar()->actions()), (QStringList{"File", "Edit", "About"}));
}

void MainWindowTest::emptyWindowStillOffersSettingsAndAbout()
{
    TestDataSet data(sampleSet());
    FakePrompts prompts;
    MyMainWindow window;
    window.about();
    QCOMPARE(prompts.count(QStringLiteral("about")), 1);
    prompts.directories.append(data.path());
    window.fileMulPath();
    QCOMPARE(window.dataDirectory(), data.path() + QLatin1Char('/'));
    // A directory chosen after start is remembered; nothing is built from it.
    QVERIFY(!window.isComplete());
    QVERIFY(!window.centralWidget());
}

void MainWindowTest::chooserAnswerBuildsTheWindow()
{
    TestDataSet data(sampleSet());
    FakePrompts prompts;
    prompts.directories.append(data.path());
    MyMainWindow window;
    QCOMPARE(prompts.count(QStringLiteral("directory")), 1);
    QCOMPARE(window.dataDirectory(), data.path() + QLatin1Char('/'));
    QVERIFY(window.isComplete());
    QCOMPARE(window.tileStore()->fileName(), data.filePath(QStringLiteral("tiledata.mul")));
}

void MainWindowTest::settingsAfterStartChangesOnlyTheDirectory()
{
    TestDataSet data(sampleSet());
    TestDataSet other(DataSetBuilder(32));
    FakePrompts prompts;
    MyMainWindow window(data.path());
    prompts.directories.append(other.path());
    window.fileMulPath();
    QCOMPARE(prompts.last(QStringLiteral("directory"))->text, data.path());
    QCOMPARE(window.dataDirectory(), other.path() + QLatin1Char('/'));
    QCOMPARE(window.tileStore()->fileName(), data.filePath(QStringLiteral("tiledata.mul")));
    QCOMPARE(window.tabs()->statics()->staticPalette()->tileCount(), 96);

    window.fileMulPath(); // cancelled
    QCOMPARE(prompts.last(QStringLiteral("directory"))->text, other.path() + QLatin1Char('/'));
    QCOMPARE(window.dataDirectory(), other.path() + QLatin1Char('/'));
}

void MainWindowTest::probeOrder_data()
{
    QTest::addColumn<QStringList>("values"); // per probe; empty: not set
    QTest::addColumn<QString>("expected");
    QTest::newRow("none") << QStringList{"", "", "", ""} << QString();
    QTest::newRow("first wins over all") << QStringList{"/se/", "/aos/", "/td", "/uo"} << "/se/";
    QTest::newRow("second") << QStringList{"", "/aos", "/td", "/uo"} << "/aos";
    QTest::newRow("third") << QStringList{"", "", "/td/", "/uo"} << "/td\\";
    QTest::newRow("fourth") << QStringList{"", "", "", "/games/uo"} << "/games/uo\\";
}

void MainWindowTest::probeOrder()
{
    QFETCH(QStringList, values);
    QFETCH(QString, expected);
    for (int i = 0; i < values.size(); ++i) {
        if (!values.at(i).isEmpty())
            setProbe(i, values.at(i));
    }
    QCOMPARE(DataDirectory::search(), expected);
}

void MainWindowTest::exePathProbeNamesADirectory()
{
    TestDataSet data(sampleSet());
    setProbe(2, data.path() + QLatin1Char('/'));
    FakePrompts prompts;
    MyMainWindow window;
    QCOMPARE(prompts.shown.size(), 0);
    QCOMPARE(window.dataDirectory(), data.path() + QLatin1Char('\\'));
    QVERIFY(window.isComplete());
    QCOMPARE(window.tileStore()->fileName(), data.filePath(QStringLiteral("tiledata.mul")));
    QCOMPARE(window.tabs()->statics()->staticPalette()->tileCount(), 96);
}

void MainWindowTest::installDirWithoutSeparatorFindsTheFiles()
{
    TestDataSet data(sampleSet());
    setProbe(0, data.path());
    FakePrompts prompts;
    MyMainWindow window;
    QCOMPARE(window.dataDirectory(), data.path());
    QCOMPARE(window.artStore()->artPath(), data.filePath(QStringLiteral("art.mul")));
    QVERIFY(!window.artStore()->getTerrain(123, false).isNull());
}

void MainWindowTest::filePathJoinsWithOneSeparator_data()
{
    QTest::addColumn<QString>("directory");
    QTest::addColumn<QString>("path");
    QTest::newRow("no separator") << "/data/uo"
                                  << "/data/uo/art.mul";
    QTest::newRow("slash") << "/data/uo/"
                           << "/data/uo/art.mul";
    QTest::newRow("backslash") << "/data/uo\\"
                               << "/data/uo/art.mul";
    QTest::newRow("several") << "/data/uo//"
                             << "/data/uo/art.mul";
    QTest::newRow("windows") << "C:\\Games\\UO\\"
                             << "C:\\Games\\UO/art.mul";
    QTest::newRow("root") << "/"
                          << "/art.mul";
}

void MainWindowTest::filePathJoinsWithOneSeparator()
{
    QFETCH(QString, directory);
    QFETCH(QString, path);
    QCOMPARE(DataDirectory::filePath(directory, QStringLiteral("art.mul")), path);
}

void MainWindowTest::missingFilesStillGiveTheCompleteWindow()
{
    QTemporaryDir empty;
    FakePrompts prompts;
    MyMainWindow window(empty.path());
    QVERIFY(window.isComplete());
    QCOMPARE(prompts.shown.size(), 0);
    QCOMPARE(window.tabs()->statics()->staticPalette()->tileCount(), 0);
    QVERIFY(window.artStore()->getTerrain(0, false).isNull());
}

void MainWindowTest::selectionReachesTheStatusBar()
{
    TestDataSet data(sampleSet());
    FakePrompts prompts;
    MyMainWindow window(data.path());
    window.resize(800, 600);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const QList<QLabel *> labels = statusLabels(window);
    QVERIFY(labels.at(0)->x() < labels.at(1)->x());
    QVERIFY(labels.at(1)->x() < labels.at(2)->x());

    window.tabs()->terrain()->terrainPalette()->setSelected(123);
    QCOMPARE(labels.at(0)->text(), QStringLiteral("Name: ") + spaces(15) + QStringLiteral("grass"));
    QCOMPARE(labels.at(1)->text(), QStringLiteral("Size:   44 x   44"));
    QCOMPARE(labels.at(2)->text(), QStringLiteral("ID:   123 (0x  7b)"));

    window.tabs()->setCurrentIndex(ArtTab::StaticsIndex);
    QCOMPARE(labels.at(2)->text(), QStringLiteral("ID:    -1 (0x  -1)"));
    QCOMPARE(labels.at(1)->text(), QStringLiteral("Size:    0 x    0"));
    window.tabs()->statics()->staticPalette()->setSelected(7);
    QCOMPARE(labels.at(0)->text(), QStringLiteral("Name: a name of twenty ch."));
    QCOMPARE(labels.at(1)->text(), QStringLiteral("Size:   30 x   50"));
    QCOMPARE(labels.at(2)->text(), QStringLiteral("ID:     7 (0x   7)"));
}

void MainWindowTest::statusTexts()
{
    QCOMPARE(MyBar::nameText(QString()), QStringLiteral("Name: ") + spaces(20));
    QCOMPARE(MyBar::nameText(QStringLiteral("twenty-one characters")),
        QStringLiteral("Name: twenty-one characters"));
    QCOMPARE(MyBar::sizeText(4, 1234), QStringLiteral("Size:    4 x 1234"));
    QCOMPARE(MyBar::sizeText(12345, 0), QStringLiteral("Size: 12345 x    0"));
    QCOMPARE(MyBar::idText(16383, 5), QStringLiteral("ID: 16383 (0x3fff)"));
    QCOMPARE(MyBar::idText(65535, 5), QStringLiteral("ID: 65535 (0xffff)"));
    QCOMPARE(MyBar::idText(123456, 5), QStringLiteral("ID: 123456 (0x1e240)"));
    QCOMPARE(MyBar::idText(10, 10), QStringLiteral("ID:         10 (0x   a)"));

    QLabel name, size, id;
    TestDataSet data(sampleSet());
    MyBar bar(&name, &size, &id, &data.tiles());
    bar.updateName(QStringLiteral("%1 and %2"));
    QCOMPARE(name.text(), QStringLiteral("Name: ") + spaces(11) + QStringLiteral("%1 and %2"));
    bar.updateTId(124); // no name
    QCOMPARE(name.text(), QStringLiteral("Name: ") + spaces(20));
    QCOMPARE(id.text(), QStringLiteral("ID:   124 (0x  7c)"));
    bar.updateSId(7);
    QCOMPARE(name.text(), QStringLiteral("Name: a name of twenty ch."));
}

void MainWindowTest::teardownRemovesPendingFiles()
{
    TestDataSet data(sampleSet());
    FakePrompts prompts;
    QString artPending;
    QString tilePending;
    {
        MyMainWindow window(data.path());
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QVERIFY(window.artStore()->setTerrain(123, TestDataSet::terrain(Qt::red)));
        QVERIFY(window.artStore()->setStatic(7, QImage()));
        QVERIFY(window.tileStore()->setLandRecord(123, window.tileStore()->landRecord(5)));
        artPending = window.artStore()->pendingDirectory();
        tilePending = window.tileStore()->pendingDirectory();
        QVERIFY(QFileInfo::exists(artPending));
        QVERIFY(!QDir(artPending).isEmpty());
        QVERIFY(!QDir(tilePending).isEmpty());
        QVERIFY(artPending.startsWith(QDir::tempPath()));
        window.tabs()->setCurrentIndex(ArtTab::StaticsIndex);
        window.tabs()->statics()->staticPalette()->setSelected(7);
    }
    QVERIFY(!QFileInfo::exists(artPending));
    QVERIFY(!QFileInfo::exists(tilePending));
}

QTEST_MAIN(MainWindowTest)
#include "test_main_window.moc"
