// Files the window does not own: changed on disk, a cut-short save, a crashed run's edits.

#include "FakePrompts.h"
#include "TestDataSet.h"
#include "app/DataSetSaveController.h"
#include "app/MyMainWindow.h"
#include "art/ArtWork.h"
#include "browser/ArtTab.h"
#include "browser/TilePalette.h"
#include "dataset/DataSet.h"
#include "edits/TileEdits.h"
#include "io/PendingEditDirectory.h"
#include "saving/DataSetSaver.h"
#include "tiledata/TileDataLayout.h"

#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QtTest>
#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

namespace {

DataSetBuilder smallSet()
{
    DataSetBuilder builder(64);
    builder.setTerrainImage(3, TestDataSet::terrain(Qt::blue));
    builder.setStaticImage(2, TestDataSet::solid(10, 12, Qt::green));
    return builder;
}

bool append(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::Append) && file.write(bytes) == bytes.size();
}

// Runs work in a child process, which ends abnormally: killed, or by _exit without cleaning up.
template <typename Work> bool inChild(Work work, bool killed)
{
    const pid_t child = fork();
    if (child == 0) {
        work();
        ::_exit(1);
    }
    int status = 0;
    return child > 0 && waitpid(child, &status, 0) == child
        && (killed ? WIFSIGNALED(status) : WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

} // namespace

class WindowSafetyTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QVERIFY(pending.isValid()); }

    void changedDataFileOffersToReopen()
    {
        TestDataSet data(smallSet());
        FakePrompts prompts;
        MyMainWindow window(startIn(data.path()));
        QVERIFY(window.isComplete());
        QVERIFY(window.edits()->changeImage(
            TileKind::Terrain, 3, TestDataSet::terrain(Qt::red), "Import", nullptr));
        QVERIFY(window.edits()->changeImage(TileKind::Static, 2, QImage(), "Delete", nullptr));

        // Another program adds a block of statics: the watching window asks by itself. Declined:
        // a save is refused, and File > Save offers to reopen again.
        QVERIFY(append(data.filePath("tiledata.mul"), QByteArray(1188, '\0')));
        QTRY_COMPARE_WITH_TIMEOUT(prompts.count("confirm"), 1, 10000);
        QVERIFY(prompts.last("confirm")->text.contains("tiledata.mul has changed on disk"));
        QTemporaryDir out;
        prompts.directories = {out.path()};
        QVERIFY(!window.saveController()->save());
        QVERIFY(prompts.last("warning")->text.contains("changed on disk since it was opened"));
        window.fileSave();
        QCOMPARE(prompts.count("confirm"), 2);
        QVERIFY(prompts.last("confirm")->text.contains("File > Reopen"));

        // File > Reopen reads it again, keeping the tab and the selection, every tile of it (and
        // the edits, as below).
        window.tabs()->setCurrentIndex(ArtTab::StaticsIndex);
        window.currentPalette()->selectIds({3, 40, 41}, 40);
        for (QAction *item : window.menuBar()->actions().at(0)->menu()->actions()) {
            if (item->text() == QStringLiteral("Reopen"))
                item->trigger();
        }
        QCOMPARE(window.tileStore()->count(TileKind::Static), 64 + 32);
        QCOMPARE(window.tabs()->currentIndex(), int(ArtTab::StaticsIndex));
        QCOMPARE(window.currentPalette()->selectedId(), 40);
        QCOMPARE(window.currentPalette()->selectedIds(), (QVector<int>{3, 40, 41}));

        // Accepted: read again, with the new statics and the pending edits, which then save.
        QVERIFY(append(data.filePath("tiledata.mul"), QByteArray(1188, '\0')));
        prompts.confirmations = {true};
        window.checkDataFiles();
        QCOMPARE(prompts.count("confirm"), 3);
        QCOMPARE(window.tileStore()->count(TileKind::Static), 64 + 2 * 32);
        QVERIFY(window.artStore()->image(TileKind::Static, 2, false).isNull() && window.isWindowModified());
        prompts.directories = {out.path()};
        QVERIFY(window.saveController()->save());
        QCOMPARE(ArtWork(out.filePath("artidx.mul"), out.filePath("art.mul"))
                     .image(TileKind::Terrain, 3, false)
                     .pixel(22, 22),
            qRgb(248, 0, 0));
    }

    void tileDataEndingInsideABlockIsTold()
    {
        // High-seas tile data grown by 100 bytes: Reopen and a later open still read it as
        // high-seas, and say so in a message and in the status bar.
        DataSetBuilder builder = smallSet();
        builder.setTileDataLayout(TileDataLayout::highSeas());
        TestDataSet data(builder);
        const QString told = "tiledata.mul is cut or damaged (it ends 100 bytes into a high-seas block): "
                             "it is read as high-seas tile data";
        FakePrompts prompts;
        const auto showsDamage = [&](MyMainWindow &window, int warnings) {
            const auto *label = window.statusBar()->findChild<QLabel *>(QStringLiteral("formatLabel"));
            return prompts.count("warning") == warnings && prompts.last("warning")->text.contains(told)
                && window.statusBar()->currentMessage().contains(told)
                && label->text() == QStringLiteral("MUL art, high-seas tile data (damaged file)");
        };
        {
            MyMainWindow window(startIn(data.path()));
            QVERIFY(window.isComplete());
            QVERIFY(append(data.filePath("tiledata.mul"), QByteArray(100, '\x55')));
            prompts.confirmations = {true};
            window.checkDataFiles();
            QVERIFY2(showsDamage(window, 1), qPrintable(window.statusBar()->currentMessage()));
        }
        MyMainWindow window(startIn(data.path()));
        QVERIFY(showsDamage(window, 2));
    }

    void interruptedSaveIsToldWhenOpened()
    {
        // A save killed after putting art.mul and artidx.mul in place, before tiledata.mul.
        TestDataSet data(smallSet());
        QTemporaryDir out;
        QVERIFY(inChild(
            [&] {
                DataSetSaver saver(data.art(), data.tiles(), data.anims());
                saver.setFaultHook([](DataSetSaver::Step step, const QString &fileName) {
                    if (step == DataSetSaver::Step::Rename && fileName == QLatin1String("tiledata.mul"))
                        ::raise(SIGKILL);
                    return QString();
                });
                saver.save(out.path());
            },
            true));
        FakePrompts prompts;
        MyMainWindow window(startIn(out.path()));
        QVERIFY(window.isComplete());
        QCOMPARE(prompts.count("information"), 1);
        QVERIFY2(prompts.last("information")->text.contains("was interrupted"),
            qPrintable(prompts.last("information")->text));
    }

    void editsOfACrashedRunAreOffered_data()
    {
        QTest::addColumn<bool>("recover");
        QTest::newRow("recovered") << true;
        QTest::newRow("discarded") << false;
    }
    void editsOfACrashedRunAreOffered()
    {
        QFETCH(bool, recover);
        TestDataSet data(smallSet());
        TestDataSet other(smallSet());
        // A run on each data set ends abnormally, its edits still pending.
        for (const QString &directory : {data.path(), other.path()}) {
            QVERIFY(inChild(
                [&] {
                    DataSet::Options options;
                    options.pendingParent = pending.path();
                    QString error;
                    auto set = DataSet::open(directory, options, &error);
                    ::_exit(set && set->art().setImage(TileKind::Terrain, 3, TestDataSet::terrain(Qt::red))
                                && set->art().setImage(TileKind::Static, 2, QImage())
                            ? 0
                            : 1);
                },
                false));
        }
        // Each data set's edits are offered when it is opened, at start or later, and only then;
        // the other's stay untouched meanwhile.
        FakePrompts prompts;
        prompts.confirmations = {recover, recover};
        prompts.saveAnswers = {UserPrompts::SaveAnswer::Discard};
        MyMainWindow window(startIn(data.path()));
        for (const QString &directory : {data.path(), other.path()}) {
            if (directory == other.path()) {
                QCOMPARE(PendingEditDirectory::orphans(pending.path()).size(), 1);
                QVERIFY(window.openDirectory(other.path()));
            }
            QCOMPARE(prompts.count("confirm"), directory == data.path() ? 1 : 2);
            const QString question = prompts.last("confirm")->text;
            QVERIFY2(question.contains("2 pending edits of this data set") && question.contains(directory),
                qPrintable(question));
            QCOMPARE(window.artStore()->pendingEdits().isEdited(TileKind::Terrain, 3), recover);
            QCOMPARE(window.isWindowModified(), recover);
        }
        // Whatever the answer, the ended runs' leftovers are gone; only the art's pending
        // directory the window recovered stays.
        QCOMPARE(PendingEditDirectory::orphans(pending.path()).size(), 0);
        QCOMPARE(QDir(pending.path()).entryList(QDir::Dirs | QDir::NoDotAndDotDot).size(), recover ? 1 : 0);
    }

private:
    MyMainWindow::StartOptions startIn(const QString &directory) const
    {
        MyMainWindow::StartOptions options;
        options.dataDirectory = directory;
        options.useSettings = false;
        options.dataSet.pendingParent = pending.path();
        return options;
    }

    QTemporaryDir pending;
};

QTEST_MAIN(WindowSafetyTest)
#include "test_window_safety.moc"
