// The images of many tiles in and out of the window: File > Export Images and File >
// Import Images.

#include "FakePrompts.h"
#include "ScratchSettings.h"
#include "TestDataSet.h"
#include "app/MyMainWindow.h"
#include "browser/ArtTab.h"
#include "browser/TilePalette.h"
#include "edits/TileEdits.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QProgressDialog>
#include <QStatusBar>
#include <QTimer>
#include <QtTest>

namespace {

constexpr int StaticCount = 320;

QImage staticImage(int id)
{
    return TestDataSet::solid(
        4 + id % 9, 5 + id % 3, QColor::fromRgb(8 * (id % 31), 8 * (id / 31 % 31), 248));
}

QStringList files(const QString &directory)
{
    return QDir(directory).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

} // namespace

class WindowBatchTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(scratch.isValid());
        useScratchSettings(scratch.path());
        DataSetBuilder builder(StaticCount);
        // Every static but each tenth has an image.
        for (int id = 0; id < StaticCount; ++id) {
            if (id % 10 != 0)
                builder.setStaticImage(id, staticImage(id));
        }
        builder.setTerrainImage(3, TestDataSet::terrain(Qt::red));
        data = std::make_unique<TestDataSet>(builder);
        QVERIFY(data->isValid());
    }
    void init()
    {
        prompts = std::make_unique<FakePrompts>();
        window = std::make_unique<MyMainWindow>(data->path());
        window->resize(800, 600);
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    }
    void cleanup()
    {
        window.reset();
        prompts.reset();
    }

    void exportWritesTheTabsImages_data()
    {
        QTest::addColumn<bool>("cancel");
        QTest::newRow("to the end") << false;
        QTest::newRow("cancelled") << true;
    }
    void exportWritesTheTabsImages()
    {
        QFETCH(bool, cancel);
        QTemporaryDir out;
        window->tabs()->setCurrentIndex(ArtTab::StaticsIndex);
        prompts->directories = QStringList{out.path()};
        bool shown = false;
        if (cancel) {
            // A click on Cancel while the export runs.
            QTimer::singleShot(0, window.get(), [&] {
                auto *progress = window->findChild<QProgressDialog *>();
                shown = progress && progress->isVisible();
                if (progress)
                    progress->cancel();
            });
        }
        fileAction("Export Images")->trigger();
        QCOMPARE(prompts->count("directory"), 1);
        QCOMPARE(prompts->count("warning"), 0);
        const QStringList written = files(out.path());
        const QString notice = window->statusBar()->toolTip();
        if (cancel) {
            QVERIFY(shown);
            QVERIFY2(written.size() > 0 && written.size() < StaticCount * 9 / 10, qPrintable(notice));
            QCOMPARE(notice,
                QStringLiteral("Export cancelled: %1 images written to %2")
                    .arg(written.size())
                    .arg(out.path()));
        } else {
            QCOMPARE(written.size(), StaticCount * 9 / 10);
            QCOMPARE(
                notice, QStringLiteral("Exported %1 images to %2").arg(StaticCount * 9 / 10).arg(out.path()));
        }
        // Each file named as the command line names it, whole, and the tile's image.
        for (const QString &name : written) {
            bool ok = false;
            const int id = name.mid(9, 4).toInt(&ok, 16);
            QVERIFY2(ok && name == QStringLiteral("static-0x%1.png").arg(id, 4, 16, QLatin1Char('0')),
                qPrintable(name));
            QCOMPARE(QImage(QDir(out.path()).filePath(name), "png").convertToFormat(QImage::Format_ARGB32),
                staticImage(id));
        }
    }

    void exportCancelledAtTheFolder()
    {
        fileAction("Export Images")->trigger();
        QCOMPARE(prompts->count("directory"), 1);
        QVERIFY(window->findChildren<QProgressDialog *>().isEmpty());
        QCOMPARE(prompts->shown.size(), 1);
    }

private:
    QAction *fileAction(const QString &text) const
    {
        for (QAction *item : window->menuBar()->actions().at(0)->menu()->actions())
            if (item->text().startsWith(text))
                return item;
        return nullptr;
    }

    QTemporaryDir scratch;
    std::unique_ptr<TestDataSet> data;
    std::unique_ptr<FakePrompts> prompts;
    std::unique_ptr<MyMainWindow> window;
};

QTEST_MAIN(WindowBatchTest)
#include "test_window_batch.moc"
