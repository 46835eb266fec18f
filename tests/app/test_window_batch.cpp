// The images of many tiles in and out of the window: File > Export Images and File >
// Import Images.

#include "FakePrompts.h"
#include "ScratchSettings.h"
#include "TestDataSet.h"
#include "TestFiles.h"
#include "app/MyMainWindow.h"
#include "browser/ArtTab.h"
#include "browser/TilePalette.h"
#include "edits/TileEdits.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QProgressDialog>
#include <QStatusBar>
#include <QThreadPool>
#include <QTimer>
#include <QtTest>

namespace {

constexpr int StaticCount = 320;

QImage staticImage(int id)
{
    return TestDataSet::solid(
        4 + id % 9, 5 + id % 3, QColor::fromRgb(8 * (id % 31), 8 * (id / 31 % 31), 248));
}

// A static of one colour as the store gives it back.
QImage storedStatic(const QColor &colour)
{
    return ArtWork::normalize(TileKind::Static, TestDataSet::solid(6, 4, colour));
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
        // The export goes in rounds of as many images as there are threads: with two, a
        // cancel comes while there is more to write on any machine.
        QThreadPool::globalInstance()->setMaxThreadCount(2);
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
        QTest::addColumn<QVector<int>>("selected"); // several: only they are written
        QTest::newRow("to the end") << false << QVector<int>{7};
        QTest::newRow("cancelled") << true << QVector<int>();
        QTest::newRow("the selection") << false << QVector<int>{3, 10, 41, 299};
    }
    void exportWritesTheTabsImages()
    {
        QFETCH(bool, cancel);
        QFETCH(QVector<int>, selected);
        QTemporaryDir out;
        window->tabs()->setCurrentIndex(ArtTab::StaticsIndex);
        if (!selected.isEmpty())
            window->currentPalette()->selectIds(selected, selected.last());
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
        } else if (selected.size() > 1) {
            // Static 10 has no image.
            QCOMPARE(written, (QStringList{"static-0x0003.png", "static-0x0029.png", "static-0x012b.png"}));
            QCOMPARE(notice, QStringLiteral("Exported 3 images to %1").arg(out.path()));
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

    void exportFailureIsTold()
    {
        // A folder where the second image's file would go: the export stops there.
        QTemporaryDir out;
        QVERIFY(QDir(out.path()).mkdir("static-0x0002.png"));
        window->tabs()->setCurrentIndex(ArtTab::StaticsIndex);
        prompts->directories = QStringList{out.path()};
        fileAction("Export Images")->trigger();
        QCOMPARE(prompts->count("warning"), 1);
        QCOMPARE(prompts->last("warning")->text,
            QStringLiteral(
                "Could not write %1/static-0x0002.png: not a regular file: a folder, pipe or device is "
                "left as it is\n\nThe export stopped there; 1 image had been written to %1.")
                .arg(out.path()));
        QCOMPARE(files(out.path()), (QStringList{"static-0x0001.png", "static-0x0002.png"}));
    }

    void exportCancelledAtTheFolder()
    {
        fileAction("Export Images")->trigger();
        QCOMPARE(prompts->count("directory"), 1);
        QVERIFY(window->findChildren<QProgressDialog *>().isEmpty());
        QCOMPARE(prompts->shown.size(), 1);
    }

    void importIsOneEdit_data()
    {
        QTest::addColumn<QStringList>("files"); // "name=colour", or "name=text" for a file of text
        QTest::addColumn<bool>("confirmed");
        QTest::addColumn<QStringList>("changed"); // the static ids whose images change
        QTest::addColumn<QString>("said"); // what the list says first
        const QStringList mixed{"static-0x0001.png=red", "static-2.png=blue", "STATIC_0x1F.bmp=yellow",
            "land 3.png=green", "notes.txt=text", "static-5.png=text"};
        QTest::newRow("taken") << mixed << true << QStringList{"1", "2", "31"}
                               << "The images of 3 Statics will change. 3 files are refused.";
        QTest::newRow("declined") << mixed << false << QStringList()
                                  << "The images of 3 Statics will change. 3 files are refused.";
        QTest::newRow("one tile") << QStringList{"static-0x0007.png=red"} << true << QStringList{"7"}
                                  << "The images of Static 0x7 will change.";
        QTest::newRow("nothing to take")
            << QStringList{"land 3.png=green", "notes.txt=text"} << true << QStringList() << "No file in ";
    }
    void importIsOneEdit()
    {
        QFETCH(QStringList, files);
        QFETCH(bool, confirmed);
        QFETCH(QStringList, changed);
        QFETCH(QString, said);
        QTemporaryDir folder;
        QMap<int, QImage> expected;
        for (const QString &file : files) {
            const QString name = file.section('=', 0, 0);
            const QString what = file.section('=', 1);
            const QString path = folder.filePath(name);
            if (what == "text") {
                QVERIFY(TestFiles::writeFile(path, "not an image"));
                continue;
            }
            const QImage image = TestDataSet::solid(6, 4, QColor(what));
            QVERIFY(image.save(path, name.endsWith(".bmp") ? "BMP" : "PNG"));
        }
        window->tabs()->setCurrentIndex(ArtTab::StaticsIndex);
        prompts->directories = QStringList{folder.path()};
        prompts->confirmations = QList<bool>{confirmed};
        QMap<int, QImage> before;
        for (int id = 0; id < 40; ++id)
            before.insert(id, window->artStore()->image(TileKind::Static, id, false));
        fileAction("Import Images")->trigger();

        QCOMPARE(prompts->count("list"), 1);
        const QStringList list = prompts->last("list")->text.split('\n');
        QVERIFY2(list.first().startsWith(said), qPrintable(list.first()));
        if (files.size() == 6) {
            QCOMPARE(list.mid(1),
                (QStringList{"Static 0x1 from static-0x0001.png", "Static 0x2 from static-2.png",
                    "Static 0x1F from STATIC_0x1F.bmp", "", "Refused:",
                    "land 3.png: other kind: a terrain tile: import it with the Terrain tab in view",
                    "notes.txt: unknown name: a kind (terrain, land or static) and an id are expected, as in "
                    "static-0x01f3.png",
                    "static-5.png: unreadable: not an image in a format this program reads"}));
        }
        QCOMPARE(prompts->count("warning"), 0);
        const QMap<QString, QColor> colours{
            {"1", Qt::red}, {"2", Qt::blue}, {"31", Qt::yellow}, {"7", Qt::red}};
        for (int id = 0; id < 40; ++id) {
            const QString key = QString::number(id);
            const QImage now = window->artStore()->image(TileKind::Static, id, false);
            QCOMPARE(now, changed.contains(key) ? storedStatic(colours.value(key)) : before.value(id));
        }
        QCOMPARE(window->edits()->history().count(), changed.isEmpty() ? 0 : 1);
        if (changed.isEmpty())
            return;
        // One step takes every tile back, and makes them again.
        QCOMPARE(editAction("Undo")->text(),
            QStringLiteral("Undo Import of %1")
                .arg(changed.size() == 1 ? "Static 0x7" : QStringLiteral("%1 Statics").arg(changed.size())));
        editAction("Undo")->trigger();
        for (int id = 0; id < 40; ++id)
            QCOMPARE(window->artStore()->image(TileKind::Static, id, false), before.value(id));
        editAction("Redo")->trigger();
        for (const QString &key : changed)
            QCOMPARE(window->artStore()->image(TileKind::Static, key.toInt(), false),
                storedStatic(colours.value(key)));
    }

private:
    QAction *menuAction(int menu, const QString &text) const
    {
        for (QAction *item : window->menuBar()->actions().at(menu)->menu()->actions())
            if (item->text().startsWith(text))
                return item;
        return nullptr;
    }
    QAction *fileAction(const QString &text) const { return menuAction(0, text); }
    QAction *editAction(const QString &text) const { return menuAction(1, text); }

    QTemporaryDir scratch;
    std::unique_ptr<TestDataSet> data;
    std::unique_ptr<FakePrompts> prompts;
    std::unique_ptr<MyMainWindow> window;
};

QTEST_MAIN(WindowBatchTest)
#include "test_window_batch.moc"
