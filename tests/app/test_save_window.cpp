// File > Save in the window: choosing the output once, progress and cancelling,
// failures, the unsaved-edits mark and the question on close.

#include "FakePrompts.h"
#include "TestDataSet.h"
#include "app/DataSetSaveController.h"
#include "app/MyMainWindow.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QProgressDialog>
#include <QTimer>
#include <QWindow>
#include <QtTest>

namespace {

DataSetBuilder sampleSet()
{
    DataSetBuilder builder(64);
    builder.setTerrainImage(1, TestDataSet::terrain(Qt::red));
    builder.setTerrainImage(2, TestDataSet::terrain(Qt::green));
    builder.setStaticImage(3, TestDataSet::solid(9, 14, Qt::blue));
    return builder;
}

QStringList outputFiles(const QString &directory)
{
    return QDir(directory).entryList(QDir::Files | QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot);
}

QImage savedTerrain(const QString &directory, int id)
{
    ArtWork art(QDir(directory).filePath("artidx.mul"), QDir(directory).filePath("art.mul"));
    return art.getTerrain(id, false);
}

} // namespace

class SaveWindowTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void editsMarkTheWindowModified();
    void firstSaveAsksForTheDirectoryLaterSavesReuseIt();
    void ctrlSSaves();
    void cancelledChooserSavesNothing();
    void failureIsReportedAndEditsKept();
    void dataDirectoryIsRefused();
    void cancellingTheProgressReplacesNothing();
    void closeWithoutEditsAsksNothing();
    void closeAnsweredCancelStaysOpen();
    void closeAnsweredDiscardCloses();
    void closeAnsweredSaveSavesThenCloses();
    void closeStaysOpenWhenTheSaveDoesNotHappen();

private:
    std::unique_ptr<TestDataSet> data;
    std::unique_ptr<QTemporaryDir> output;
};

void SaveWindowTest::init()
{
    data = std::make_unique<TestDataSet>(sampleSet());
    output = std::make_unique<QTemporaryDir>();
    QVERIFY(data->isValid());
    QVERIFY(output->isValid());
}

void SaveWindowTest::editsMarkTheWindowModified()
{
    FakePrompts prompts;
    MyMainWindow window(data->path());
    window.show();
    QVERIFY(window.saveAction()->isEnabled());
    QVERIFY(!window.isWindowModified());
    QCOMPARE(window.windowHandle()->title(), QStringLiteral("Tessera"));

    QVERIFY(window.artStore()->setTerrain(1, TestDataSet::terrain(Qt::yellow)));
    QVERIFY(window.isWindowModified());
    QCOMPARE(window.windowHandle()->title(), QStringLiteral("Tessera*"));

    prompts.directories.append(output->path());
    window.saveAction()->trigger();
    QVERIFY(!window.isWindowModified());

    QVERIFY(window.tileStore()->setLandRecord(1, QByteArray(26, 'n')));
    QVERIFY(window.isWindowModified());
}

void SaveWindowTest::firstSaveAsksForTheDirectoryLaterSavesReuseIt()
{
    FakePrompts prompts;
    MyMainWindow window(data->path());
    QVERIFY(window.artStore()->setTerrain(1, TestDataSet::terrain(Qt::yellow)));
    prompts.directories.append(output->path());
    window.saveAction()->trigger();
    QCOMPARE(prompts.count(QStringLiteral("directory")), 1);
    QCOMPARE(prompts.last(QStringLiteral("directory"))->caption, DataSetSaveController::chooserCaption());
    QCOMPARE(prompts.count(QStringLiteral("warning")), 0);
    QCOMPARE(
        outputFiles(output->path()), (QStringList{"animdata.mul", "art.mul", "artidx.mul", "tiledata.mul"}));
    QCOMPARE(savedTerrain(output->path(), 1), window.artStore()->getTerrain(1, false));
    QCOMPARE(window.saveController()->outputDirectory(), output->path());

    QVERIFY(window.artStore()->setTerrain(1, QImage()));
    window.saveAction()->trigger();
    QCOMPARE(prompts.count(QStringLiteral("directory")), 1);
    QVERIFY(savedTerrain(output->path(), 1).isNull());
    QCOMPARE(savedTerrain(output->path(), 2), window.artStore()->getTerrain(2, false));
}

void SaveWindowTest::ctrlSSaves()
{
    FakePrompts prompts;
    MyMainWindow window(data->path());
    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    QVERIFY(window.artStore()->setTerrain(2, TestDataSet::terrain(Qt::cyan)));
    prompts.directories.append(output->path());
    QTest::keyClick(&window, Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(prompts.count(QStringLiteral("directory")), 1);
    QCOMPARE(savedTerrain(output->path(), 2), window.artStore()->getTerrain(2, false));
}

void SaveWindowTest::cancelledChooserSavesNothing()
{
    FakePrompts prompts; // the chooser is cancelled
    MyMainWindow window(data->path());
    QVERIFY(window.artStore()->setTerrain(1, TestDataSet::terrain(Qt::yellow)));
    window.saveAction()->trigger();
    QCOMPARE(prompts.count(QStringLiteral("directory")), 1);
    QCOMPARE(prompts.count(QStringLiteral("warning")), 0);
    QVERIFY(outputFiles(output->path()).isEmpty());
    QVERIFY(window.isWindowModified());
}

void SaveWindowTest::failureIsReportedAndEditsKept()
{
    FakePrompts prompts;
    MyMainWindow window(data->path());
    QVERIFY(QDir(output->path()).mkdir(QStringLiteral("tiledata.mul")));
    QVERIFY(window.artStore()->setTerrain(1, TestDataSet::terrain(Qt::yellow)));
    const QImage edited = window.artStore()->getTerrain(1, false);
    prompts.directories.append(output->path());
    window.saveAction()->trigger();

    QCOMPARE(prompts.count(QStringLiteral("warning")), 1);
    const QString message = prompts.last(QStringLiteral("warning"))->text;
    QVERIFY2(message.contains(QStringLiteral("tiledata.mul")), qPrintable(message));
    QCOMPARE(outputFiles(output->path()), QStringList{"tiledata.mul"});
    QVERIFY(window.isWindowModified());
    QCOMPARE(window.artStore()->getTerrain(1, false), edited);
    QVERIFY(window.artStore()->pendingTerrain().contains(1));

    // Nothing was saved there, so the next save asks again.
    QVERIFY(QDir(output->path()).rmdir(QStringLiteral("tiledata.mul")));
    prompts.directories.append(output->path());
    window.saveAction()->trigger();
    QCOMPARE(prompts.count(QStringLiteral("directory")), 2);
    QVERIFY(!window.isWindowModified());
    QCOMPARE(savedTerrain(output->path(), 1), edited);
}

void SaveWindowTest::dataDirectoryIsRefused()
{
    FakePrompts prompts;
    MyMainWindow window(data->path());
    const QStringList before = outputFiles(data->path());
    QVERIFY(window.artStore()->setTerrain(1, TestDataSet::terrain(Qt::yellow)));
    prompts.directories.append(data->path());
    window.saveAction()->trigger();
    QCOMPARE(prompts.count(QStringLiteral("warning")), 1);
    QVERIFY(prompts.last(QStringLiteral("warning"))->text.contains(QStringLiteral("data directory")));
    QCOMPARE(outputFiles(data->path()), before);
    QVERIFY(window.isWindowModified());
}

void SaveWindowTest::cancellingTheProgressReplacesNothing()
{
    FakePrompts prompts;
    MyMainWindow window(data->path());
    QVERIFY(window.artStore()->setTerrain(1, TestDataSet::terrain(Qt::yellow)));
    prompts.directories.append(output->path());
    bool cancelled = false;
    // Runs inside the save, from the event processing that keeps the dialog alive.
    QTimer::singleShot(0, &window, [&] {
        if (auto *progress = window.findChild<QProgressDialog *>()) {
            QCOMPARE(progress->labelText(), DataSetSaveController::progressText());
            progress->cancel();
            cancelled = true;
        }
    });
    window.saveAction()->trigger();
    QVERIFY(cancelled);
    QCOMPARE(prompts.count(QStringLiteral("warning")), 0);
    QVERIFY(outputFiles(output->path()).isEmpty());
    QVERIFY(window.isWindowModified());
    QVERIFY(!window.findChild<QProgressDialog *>());
}

void SaveWindowTest::closeWithoutEditsAsksNothing()
{
    FakePrompts prompts;
    MyMainWindow window(data->path());
    window.show();
    QVERIFY(window.close());
    QCOMPARE(prompts.count(QStringLiteral("saveChanges")), 0);
}

void SaveWindowTest::closeAnsweredCancelStaysOpen()
{
    FakePrompts prompts;
    prompts.saveAnswers.append(UserPrompts::SaveAnswer::Cancel);
    MyMainWindow window(data->path());
    window.show();
    QVERIFY(window.artStore()->setStatic(3, QImage()));
    QVERIFY(!window.close());
    QVERIFY(window.isVisible());
    QCOMPARE(prompts.count(QStringLiteral("saveChanges")), 1);
    QCOMPARE(prompts.last(QStringLiteral("saveChanges"))->text, DataSetSaveController::unsavedQuestion());
    QCOMPARE(prompts.count(QStringLiteral("directory")), 0);
    QVERIFY(window.isWindowModified());
    QVERIFY(window.artStore()->pendingStatics().contains(3));
}

void SaveWindowTest::closeAnsweredDiscardCloses()
{
    FakePrompts prompts;
    prompts.saveAnswers.append(UserPrompts::SaveAnswer::Discard);
    MyMainWindow window(data->path());
    window.show();
    QVERIFY(window.artStore()->setStatic(3, QImage()));
    QVERIFY(window.close());
    QVERIFY(!window.isVisible());
    QCOMPARE(prompts.count(QStringLiteral("directory")), 0);
    QVERIFY(outputFiles(output->path()).isEmpty());
}

void SaveWindowTest::closeAnsweredSaveSavesThenCloses()
{
    FakePrompts prompts;
    prompts.saveAnswers.append(UserPrompts::SaveAnswer::Save);
    prompts.directories.append(output->path());
    MyMainWindow window(data->path());
    window.show();
    QVERIFY(window.artStore()->setStatic(3, QImage()));
    QVERIFY(window.close());
    QCOMPARE(prompts.count(QStringLiteral("directory")), 1);
    ArtWork saved(QDir(output->path()).filePath("artidx.mul"), QDir(output->path()).filePath("art.mul"));
    QVERIFY(saved.getStatic(3, false).isNull());
    QVERIFY(!window.artStore()->getTerrain(1, false).isNull());
    QCOMPARE(saved.getTerrain(1, false), window.artStore()->getTerrain(1, false));
}

void SaveWindowTest::closeStaysOpenWhenTheSaveDoesNotHappen()
{
    FakePrompts prompts;
    prompts.saveAnswers = {UserPrompts::SaveAnswer::Save, UserPrompts::SaveAnswer::Save};
    MyMainWindow window(data->path());
    window.show();
    QVERIFY(window.artStore()->setStatic(3, QImage()));

    QVERIFY(!window.close()); // the chooser is cancelled
    QVERIFY(window.isVisible());

    QVERIFY(QDir(output->path()).mkdir(QStringLiteral("art.mul")));
    prompts.directories.append(output->path());
    QVERIFY(!window.close()); // the save fails
    QCOMPARE(prompts.count(QStringLiteral("warning")), 1);
    QVERIFY(window.isVisible());
    QVERIFY(window.isWindowModified());
}

QTEST_MAIN(SaveWindowTest)
#include "test_save_window.moc"
