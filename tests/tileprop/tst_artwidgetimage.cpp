#include "FakePrompts.h"
#include "TileSet.h"
#include "tileprop/ArtWidget.h"

#include <QCheckBox>
#include <QDir>
#include <QImageReader>
#include <QImageWriter>
#include <QLabel>
#include <QTabWidget>
#include <QtTest>
#include <functional>

namespace {

constexpr int StaticTile = 5;
constexpr int TerrainTile = 12;

QImage pattern(int width, int height)
{
    QImage image(width, height, QImage::Format_ARGB32);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, qRgba(x * 7 % 256, y * 5 % 256, 130, x % 3 ? 255 : 100));
    }
    return image;
}

QImage shownImage(QWidget *window)
{
    const QPixmap pixmap = window->findChild<QLabel *>("labelImage")->pixmap();
    return pixmap.isNull() ? QImage() : pixmap.toImage().convertToFormat(QImage::Format_ARGB32);
}

void rightClickPage(QWidget *window, const char *page)
{
    auto *tabs = window->findChild<QTabWidget *>("tabWidget");
    QWidget *widget = window->findChild<QWidget *>(page);
    tabs->setCurrentWidget(widget);
    QTest::mouseClick(widget, Qt::RightButton, {}, QPoint(3, 3));
}

// Runs whilePrompting inside every prompt, while the window waits for the answer.
class ClosingPrompts : public FakePrompts
{
public:
    std::function<void()> whilePrompting;

    QString openFileName(
        QWidget *parent, const QString &caption, const QString &filter, QString *selectedFilter) override
    {
        prompting();
        return FakePrompts::openFileName(parent, caption, filter, selectedFilter);
    }
    QString saveFileName(
        QWidget *parent, const QString &caption, const QString &filter, QString *selectedFilter) override
    {
        prompting();
        return FakePrompts::saveFileName(parent, caption, filter, selectedFilter);
    }
    QAction *execMenu(QMenu *menu, const QPoint &globalPos) override
    {
        QAction *chosen = FakePrompts::execMenu(menu, globalPos);
        prompting();
        return chosen;
    }
    void warning(QWidget *parent, const QString &title, const QString &text) override
    {
        FakePrompts::warning(parent, title, text);
        prompting();
    }

private:
    void prompting()
    {
        if (whilePrompting)
            whilePrompting();
    }
};

QString filterOf(const QList<QByteArray> &formats)
{
    QStringList entries;
    for (const QByteArray &format : formats)
        entries << QString("%1 (*.%1)").arg(QString::fromLatin1(format));
    return entries.join(";;");
}

} // namespace

class ArtWidgetImageTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        DataSetBuilder builder(64);
        builder.setStaticImage(StaticTile, pattern(20, 30));
        builder.setTerrainImage(TerrainTile, pattern(44, 44));
        set = std::make_unique<TileSet>(builder);
        QVERIFY(set->isValid());
        original = set->art->getStatic(StaticTile, false);
        QVERIFY(!original.isNull());
        importFile = set->path("import.png");
        QVERIFY(pattern(33, 17).save(importFile, "PNG"));
        prompts = std::make_unique<ClosingPrompts>();
    }
    void cleanup()
    {
        for (QWidget *widget : QApplication::topLevelWidgets()) {
            if (qobject_cast<ArtWidget *>(widget))
                delete widget;
        }
        prompts.reset();
        set.reset();
    }

    void windowShowsTheStoredImage()
    {
        ArtWidget *window = set->open(StaticTile, ArtWidget::StaticKind);
        QCOMPARE(shownImage(window), original.convertToFormat(QImage::Format_ARGB32));
        ArtWidget *terrain = set->open(TerrainTile, ArtWidget::TerrainKind);
        QCOMPARE(shownImage(terrain).size(), QSize(44, 44));
    }

    void menuOnTheImagePage()
    {
        ArtWidget *window = set->open(StaticTile, ArtWidget::StaticKind);
        rightClickPage(window, "tab");
        QCOMPARE(prompts->count("menu"), 1);
        QCOMPARE(prompts->last("menu")->text, QStringLiteral("Import|Delete|Save"));
        window->accept();
        QVERIFY(!set->art->hasPendingEdits());
    }

    void noMenuElsewhere()
    {
        ArtWidget *window = set->open(StaticTile, ArtWidget::StaticKind);
        rightClickPage(window, "tab1");
        QTest::mouseClick(checkBox(window, "checkWall"), Qt::RightButton);
        rightClickPage(window, "tab2");
        window->findChild<QTabWidget *>("tabWidget")->setCurrentIndex(0);
        QTest::mouseClick(window->findChild<QWidget *>("tab"), Qt::LeftButton);
        QTest::mouseClick(window->findChild<QWidget *>("tab"), Qt::MiddleButton);
        QCOMPARE(prompts->count("menu"), 0);
        QVERIFY(!checkBox(window, "checkWall")->isChecked());
    }

    void importAsksWithEveryReadableFormat()
    {
        ArtWidget *window = set->open(StaticTile, ArtWidget::StaticKind);
        prompts->menuChoices = {"Import"};
        rightClickPage(window, "tab");
        QCOMPARE(prompts->last("open")->caption, QStringLiteral("Image file to import"));
        QCOMPARE(prompts->last("open")->filter, filterOf(QImageReader::supportedImageFormats()));
        QVERIFY(prompts->last("open")->filter.contains("png (*.png)"));
    }

    void importThenCancelLeavesTheStore()
    {
        QPointer<ArtWidget> window = set->open(StaticTile, ArtWidget::StaticKind);
        prompts->menuChoices = {"Import"};
        prompts->openFiles = {{importFile, "png (*.png)"}};
        rightClickPage(window, "tab");
        QCOMPARE(shownImage(window).size(), QSize(33, 17));
        window->reject();
        QVERIFY(TileSet::isDeleted(window));
        QVERIFY(!set->art->hasPendingEdits());
        QCOMPARE(set->art->getStatic(StaticTile, false), original);
    }

    void importThenOkStoresWhatWasShown_data()
    {
        QTest::addColumn<int>("id");
        QTest::addColumn<int>("kind");
        QTest::newRow("static") << StaticTile << int(ArtWidget::StaticKind);
        QTest::newRow("terrain") << TerrainTile << int(ArtWidget::TerrainKind);
    }
    void importThenOkStoresWhatWasShown()
    {
        QFETCH(int, id);
        QFETCH(int, kind);
        const bool terrain = kind == ArtWidget::TerrainKind;
        QPointer<ArtWidget> window = set->open(id, kind);
        prompts->menuChoices = {"Import"};
        prompts->openFiles = {{importFile, "png (*.png)"}};
        rightClickPage(window, "tab");
        const QImage loaded(importFile);
        const QImage expected
            = terrain ? ArtWork::normalizeTerrain(loaded) : ArtWork::normalizeStatic(loaded);
        // Shown as storing gives it back: a terrain tile is always 44 x 44, every pixel opaque or empty.
        QCOMPARE(shownImage(window), expected.convertToFormat(QImage::Format_ARGB32));
        QCOMPARE(shownImage(window).size(), terrain ? QSize(44, 44) : QSize(33, 17));
        window->accept();
        QVERIFY(TileSet::isDeleted(window));
        const QHash<int, QString> &pending
            = terrain ? set->art->pendingTerrain() : set->art->pendingStatics();
        QVERIFY(pending.contains(id));
        const QImage stored = terrain ? set->art->getTerrain(id, false) : set->art->getStatic(id, false);
        QCOMPARE(
            stored.convertToFormat(QImage::Format_ARGB32), expected.convertToFormat(QImage::Format_ARGB32));
        QVERIFY(!set->tiles->hasPendingEdits());
    }

    void importCancelledChangesNothing()
    {
        ArtWidget *window = set->open(StaticTile, ArtWidget::StaticKind);
        prompts->menuChoices = {"Import"};
        rightClickPage(window, "tab");
        window->accept();
        QVERIFY(!set->art->hasPendingEdits());
        QVERIFY(prompts->count("warning") == 0);
    }

    void importThatDoesNotLoadIsReported()
    {
        const QString broken = set->path("broken.png");
        QFile file(broken);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("this is no image");
        file.close();

        ArtWidget *window = set->open(StaticTile, ArtWidget::StaticKind);
        prompts->menuChoices = {"Import"};
        prompts->openFiles = {{broken, "png (*.png)"}};
        rightClickPage(window, "tab");
        QCOMPARE(prompts->count("warning"), 1);
        QVERIFY2(prompts->last("warning")->text.contains("broken.png"),
            qPrintable(prompts->last("warning")->text));
        QCOMPARE(shownImage(window), original.convertToFormat(QImage::Format_ARGB32));
        window->accept();
        QVERIFY(!set->art->hasPendingEdits());
    }

    void deleteThenOkDeletesTheImage()
    {
        QPointer<ArtWidget> window = set->open(StaticTile, ArtWidget::StaticKind);
        prompts->menuChoices = {"Delete"};
        rightClickPage(window, "tab");
        QVERIFY(shownImage(window).isNull());
        window->accept();
        QVERIFY(TileSet::isDeleted(window));
        QVERIFY(set->art->pendingStatics().contains(StaticTile));
        QVERIFY(set->art->getStatic(StaticTile, false).isNull());
    }

    void deleteThenCancelKeepsTheImage()
    {
        ArtWidget *window = set->open(StaticTile, ArtWidget::StaticKind);
        prompts->menuChoices = {"Delete"};
        rightClickPage(window, "tab");
        window->reject();
        QVERIFY(!set->art->hasPendingEdits());
        QCOMPARE(set->art->getStatic(StaticTile, false), original);
    }

    void saveNamesTheFileAfterTheFilter_data()
    {
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QString>("written");
        QTest::addColumn<QByteArray>("format");
        QTest::newRow("appended") << "out"
                                  << "png (*.png)"
                                  << "out.png" << QByteArray("png");
        QTest::newRow("kept") << "out.png"
                              << "png (*.png)"
                              << "out.png" << QByteArray("png");
        QTest::newRow("case-sensitive") << "out.PNG"
                                        << "png (*.png)"
                                        << "out.PNG.png" << QByteArray("png");
        QTest::newRow("other suffix") << "out.bmp"
                                      << "png (*.png)"
                                      << "out.bmp.png" << QByteArray("png");
        QTest::newRow("format from filter") << "pic"
                                            << "  bmp   (*.bmp)"
                                            << "pic.bmp" << QByteArray("bmp");
    }
    void saveNamesTheFileAfterTheFilter()
    {
        QFETCH(QString, chosen);
        QFETCH(QString, filter);
        QFETCH(QString, written);
        QFETCH(QByteArray, format);
        QTemporaryDir out;
        ArtWidget *window = set->open(StaticTile, ArtWidget::StaticKind);
        prompts->menuChoices = {"Save"};
        prompts->saveFiles = {{QDir(out.path()).filePath(chosen), filter}};
        rightClickPage(window, "tab");
        QCOMPARE(prompts->last("save")->caption, QStringLiteral("Save Image"));
        QCOMPARE(prompts->last("save")->filter, filterOf(QImageWriter::supportedImageFormats()));
        QCOMPARE(QDir(out.path()).entryList(QDir::Files), QStringList(written));
        QImageReader reader(QDir(out.path()).filePath(written));
        QCOMPARE(reader.format(), format);
        QCOMPARE(reader.read().convertToFormat(QImage::Format_ARGB32),
            original.convertToFormat(QImage::Format_ARGB32));
        QVERIFY(prompts->count("warning") == 0);
    }

    void saveThatFailsIsReported()
    {
        ArtWidget *window = set->open(StaticTile, ArtWidget::StaticKind);
        prompts->menuChoices = {"Save"};
        prompts->saveFiles = {{set->path("missing/folder/out"), "png (*.png)"}};
        rightClickPage(window, "tab");
        QCOMPARE(prompts->count("warning"), 1);
        QVERIFY2(
            prompts->last("warning")->text.contains("out.png"), qPrintable(prompts->last("warning")->text));
    }

    void saveWithoutAnImageIsReported()
    {
        ArtWidget *window = set->open(StaticTile, ArtWidget::StaticKind);
        prompts->menuChoices = {"Delete"};
        rightClickPage(window, "tab");
        prompts->menuChoices = {"Save"};
        prompts->saveFiles = {{set->path("empty.png"), "png (*.png)"}};
        rightClickPage(window, "tab");
        QCOMPARE(prompts->count("warning"), 1);
        QVERIFY(prompts->last("warning")->text.contains("empty.png"));
        QVERIFY(!QFile::exists(set->path("empty.png")));
    }

    void failedSaveKeepsAnOlderFile()
    {
        const QString existing = set->path("keep.png");
        QFile file(existing);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("older content");
        file.close();
        ArtWidget *window = set->open(StaticTile, ArtWidget::StaticKind);
        prompts->menuChoices = {"Delete"};
        rightClickPage(window, "tab");
        prompts->menuChoices = {"Save"};
        prompts->saveFiles = {{existing, "png (*.png)"}};
        rightClickPage(window, "tab");
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("older content"));
    }

    void imageNotStoredIsReportedAndKept()
    {
        QDir pending(set->art->pendingDirectory());
        QVERIFY(pending.mkdir("Static5.wfg"));
        QPointer<ArtWidget> window = set->open(StaticTile, ArtWidget::StaticKind);
        prompts->menuChoices = {"Import"};
        prompts->openFiles = {{importFile, "png (*.png)"}};
        rightClickPage(window, "tab");
        window->accept();
        QCOMPARE(prompts->count("warning"), 1);
        QVERIFY2(prompts->last("warning")->text.contains("Static5.wfg"),
            qPrintable(prompts->last("warning")->text));
        QVERIFY(!TileSet::isDeleted(window));
        QVERIFY(!set->art->hasPendingEdits());

        QVERIFY(pending.rmdir("Static5.wfg"));
        window->accept();
        QVERIFY(TileSet::isDeleted(window));
        QCOMPARE(set->art->getStatic(StaticTile, false).size(), QSize(33, 17));
    }

    void artStoreClosedWhileOpen()
    {
        QPointer<ArtWidget> window = set->open(StaticTile, ArtWidget::StaticKind);
        prompts->menuChoices = {"Delete"};
        rightClickPage(window, "tab");
        set->art.reset();
        window->accept();
        QCOMPARE(prompts->count("warning"), 1);
        QVERIFY(!TileSet::isDeleted(window));
    }

    void windowClosedWhilePrompting_data()
    {
        QTest::addColumn<QString>("choice");
        QTest::newRow("menu") << "";
        QTest::newRow("import") << "Import";
        QTest::newRow("save") << "Save";
    }
    void windowClosedWhilePrompting()
    {
        QFETCH(QString, choice);
        QPointer<ArtWidget> window = set->open(StaticTile, ArtWidget::StaticKind);
        auto *tabs = window->findChild<QTabWidget *>("tabWidget");
        QWidget *page = window->findChild<QWidget *>("tab");
        tabs->setCurrentWidget(page);
        prompts->menuChoices = {choice};
        prompts->openFiles = {{importFile, QString()}};
        prompts->saveFiles = {{set->path("saved.png"), QString()}};
        int calls = 0;
        prompts->whilePrompting = [&] {
            // The menu comes first; the file chooser, when chosen, second.
            if (++calls == (choice.isEmpty() ? 1 : 2))
                delete window.data();
        };
        // A press only: the release would go to a page that no longer exists.
        QTest::mousePress(page, Qt::RightButton);
        QVERIFY(window.isNull());
        QVERIFY(!QFile::exists(set->path("saved.png")));
    }

    void windowClosedWhileWarning()
    {
        QPointer<ArtWidget> window = set->open(StaticTile, ArtWidget::StaticKind);
        prompts->menuChoices = {"Delete"};
        rightClickPage(window, "tab");
        set->art.reset();
        prompts->whilePrompting = [&] { delete window.data(); };
        window->accept();
        QVERIFY(window.isNull());
        QCOMPARE(prompts->count("warning"), 1);
    }

private:
    std::unique_ptr<TileSet> set;
    std::unique_ptr<ClosingPrompts> prompts;
    QImage original;
    QString importFile;
};

QTEST_MAIN(ArtWidgetImageTest)
#include "tst_artwidgetimage.moc"
