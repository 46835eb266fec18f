#include "FakePrompts.h"
#include "PaletteTestUtil.h"
#include "TestDataSet.h"
#include "browser/ImageTransfer.h"
#include "browser/SPalette.h"
#include "browser/TPalette.h"
#include "tileprop/ArtWidget.h"

#include <QApplication>
#include <QImageReader>
#include <QImageWriter>
#include <QMenu>
#include <QMimeData>
#include <QUrl>
#include <QtTest>

using namespace PaletteTestUtil;

namespace {
constexpr int Columns = 5;

DataSetBuilder editingSet()
{
    DataSetBuilder builder(64);
    for (int id = 0; id < 20; ++id)
        builder.setTerrainImage(id, TestDataSet::terrain(QColor(8 * id, 100, 200)));
    builder.clearTerrain(7);
    builder.setStaticImage(3, TestDataSet::solid(30, 50, Qt::darkCyan));
    return builder;
}

// A terrain palette of 5 columns and 4 rows, not shown, with its data and prompts.
struct Fixture
{
    Fixture()
        : data(editingSet()), terrain(&data.art(), &data.tiles(), &data.anims()),
          statics(&data.art(), &data.tiles(), &data.anims())
    {
        resizeNow(terrain, QSize(Columns * 46 + 20, 4 * 46));
        resizeNow(statics, QSize(Columns * 46 + 20, 20 * 46));
    }
    QString file(const QString &name) const { return files.filePath(name); }
    QString writePng(const QString &name, const QImage &image) const
    {
        image.save(file(name), "PNG");
        return file(name);
    }
    QString writeBytes(const QString &name, const QByteArray &bytes) const
    {
        QFile out(file(name));
        out.open(QIODevice::WriteOnly);
        out.write(bytes);
        return out.fileName();
    }

    TestDataSet data;
    FakePrompts prompts;
    TPalette terrain;
    SPalette statics;
    QTemporaryDir files;
};

QString filterOf(const QList<QByteArray> &formats)
{
    QStringList entries;
    for (const QByteArray &format : formats)
        entries.append(QString::fromLatin1(format + " (*." + format + ")"));
    return entries.join(QStringLiteral(";;"));
}

QImage asStored(const QImage &image)
{
    return ArtWork::normalizeTerrain(image);
}

QMimeData *mimeWithUrls(const QList<QUrl> &urls)
{
    auto *mime = new QMimeData;
    mime->setUrls(urls);
    return mime;
}

QMimeData *mimeWithPng(const QByteArray &bytes)
{
    auto *mime = new QMimeData;
    mime->setData(QStringLiteral("image/png"), bytes);
    return mime;
}

// Drags are delivered as the window system does: an accepted enter makes the palette
// the drag's target, and only the target gets the moves and the drop.
void leave(QWidget &palette)
{
    QDragLeaveEvent event;
    QCoreApplication::sendEvent(&palette, &event);
}

bool enter(QWidget &palette, const QPoint &position, const QMimeData &mime)
{
    QDragEnterEvent event(position, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&palette, &event);
    return event.isAccepted();
}

bool moveOver(QWidget &palette, const QPoint &position, const QMimeData &mime)
{
    QDragMoveEvent event(position, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&palette, &event);
    return event.isAccepted();
}

bool dragEnterAccepted(QWidget &palette, const QPoint &position, const QMimeData &mime)
{
    const bool accepted = enter(palette, position, mime);
    leave(palette);
    return accepted;
}

bool dragMoveAccepted(QWidget &palette, const QPoint &position, const QMimeData &mime)
{
    const bool accepted = enter(palette, position, mime) && moveOver(palette, position, mime);
    leave(palette);
    return accepted;
}

// Entered at enterPosition (position when null), dropped at position.
bool drop(QWidget &palette, const QPoint &position, const QMimeData &mime, QPoint enterPosition = QPoint())
{
    if (enterPosition.isNull())
        enterPosition = position;
    if (!enter(palette, enterPosition, mime)) {
        leave(palette);
        return false;
    }
    QDropEvent event(QPointF(position), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&palette, &event);
    return event.isAccepted();
}
} // namespace

// The palettes' editing: context menu, file dialogs, dragging out, dropping in, and the
// properties window.
class PaletteEditingTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void rightPressOpensTheMenuOnTheTileUnderIt();
    void dismissedMenuChangesNothing();
    void deleteMarksTheImageDeletedAndKeepsTheSelection();
    void importReplacesTheImage();
    void importCancelledChangesNothing();
    void importThatDoesNotLoadKeepsTheTileAndSaysSo();
    void importRefusedByTheStoreSaysWhy();
    void saveAppendsTheFormatExtension_data();
    void saveAppendsTheFormatExtension();
    void saveOfATileWithoutImageSaysSo();
    void saveToAnUnwritablePlaceSaysSo();
    void dragStartsAtTheDragDistance();
    void dragCarriesOnlyThePng();
    void dragOfATileWithoutImageCarriesNothing();
    void noDragWithoutAnArmingPress();
    void dragOverRule_data();
    void dragOverRule();
    void dragOverOutsideTheStaticRange();
    void dropOfAFileSetsTheTileUnderThePoint();
    void dropUsesOnlyTheUrlsWhenBothAreOffered();
    void dropOfAFileThatNoLongerLoadsSaysSo();
    void dropOfPngData();
    void dropOfEmptyPngDataClearsTheTile();
    void dropOfUndecodablePngDataKeepsTheTile();
    void dropOnNoTileChangesNothing();
    void dropRefusedByTheStoreSaysWhy();
    void doubleClickOpensThePropertiesWindow();
    void doubleClickWithoutSelectionOpensNothing();
};

void PaletteEditingTest::rightPressOpensTheMenuOnTheTileUnderIt()
{
    Fixture f;
    press(f.terrain, inCell(1, 1), Qt::RightButton);
    QCOMPARE(f.prompts.count(QStringLiteral("menu")), 1);
    QCOMPARE(f.prompts.last(QStringLiteral("menu"))->text, QStringLiteral("Import|Delete|Save"));
    // Right of the last column and past the range: no menu.
    press(f.terrain, QPoint(Columns * 46 + 5, 10), Qt::RightButton);
    press(f.statics, inCell(12, 4), Qt::RightButton); // id 64 of 64
    QCOMPARE(f.prompts.count(QStringLiteral("menu")), 1);
    QVERIFY(f.terrain.findChildren<QMenu *>().isEmpty());
}

void PaletteEditingTest::dismissedMenuChangesNothing()
{
    Fixture f;
    press(f.terrain, inCell(0, 2), Qt::RightButton);
    QVERIFY(!f.data.art().getTerrain(2, false).isNull());
    QVERIFY(!f.data.art().hasPendingEdits());
    QCOMPARE(f.prompts.shown.size(), 1);
}

void PaletteEditingTest::deleteMarksTheImageDeletedAndKeepsTheSelection()
{
    Fixture f;
    press(f.terrain, inCell(0, 1), Qt::LeftButton);
    f.prompts.menuChoices.append(QStringLiteral("Delete"));
    press(f.terrain, inCell(1, 3), Qt::RightButton);
    QVERIFY(f.data.art().getTerrain(8, false).isNull());
    QVERIFY(f.data.art().pendingTerrain().contains(8));
    QCOMPARE(f.terrain.selectedId(), 1);
    QVERIFY(!f.data.art().getTerrain(1, false).isNull());
    QCOMPARE(f.prompts.count(QStringLiteral("warning")), 0);
}

void PaletteEditingTest::importReplacesTheImage()
{
    Fixture f;
    const QImage picture = TestDataSet::terrain(QColor(10, 200, 30));
    f.prompts.menuChoices.append(QStringLiteral("Import"));
    f.prompts.openFiles.append(
        {f.writePng(QStringLiteral("grass.png"), picture), QStringLiteral("png (*.png)")});
    press(f.terrain, inCell(0, 4), Qt::RightButton);
    const FakePrompts::Shown *dialog = f.prompts.last(QStringLiteral("open"));
    QVERIFY(dialog);
    QCOMPARE(dialog->caption, QStringLiteral("Image file to import"));
    QCOMPARE(dialog->filter, filterOf(QImageReader::supportedImageFormats()));
    QCOMPARE(f.data.art().getTerrain(4, false), asStored(picture));
    QCOMPARE(f.prompts.count(QStringLiteral("warning")), 0);
}

void PaletteEditingTest::importCancelledChangesNothing()
{
    Fixture f;
    const QImage before = f.data.art().getTerrain(4, false);
    f.prompts.menuChoices.append(QStringLiteral("Import"));
    press(f.terrain, inCell(0, 4), Qt::RightButton);
    QCOMPARE(f.prompts.count(QStringLiteral("open")), 1);
    QCOMPARE(f.data.art().getTerrain(4, false), before);
    QVERIFY(!f.data.art().hasPendingEdits());
}

void PaletteEditingTest::importThatDoesNotLoadKeepsTheTileAndSaysSo()
{
    Fixture f;
    const QImage before = f.data.art().getTerrain(4, false);
    const QString broken = f.writeBytes(QStringLiteral("broken.png"), QByteArray("not a picture at all"));
    f.prompts.menuChoices.append(QStringLiteral("Import"));
    f.prompts.openFiles.append({broken, QStringLiteral("png (*.png)")});
    press(f.terrain, inCell(0, 4), Qt::RightButton);
    QCOMPARE(f.data.art().getTerrain(4, false), before);
    QVERIFY(!f.data.art().hasPendingEdits());
    QCOMPARE(f.prompts.count(QStringLiteral("warning")), 1);
    QVERIFY(f.prompts.last(QStringLiteral("warning"))->text.contains(QDir::toNativeSeparators(broken)));
}

void PaletteEditingTest::importRefusedByTheStoreSaysWhy()
{
    Fixture f;
    // Wider than a static record can describe.
    const QString wide = f.writePng(QStringLiteral("wide.png"), TestDataSet::solid(40000, 1, Qt::red));
    f.prompts.menuChoices.append(QStringLiteral("Import"));
    f.prompts.openFiles.append({wide, QStringLiteral("png (*.png)")});
    press(f.statics, inCell(0, 3), Qt::RightButton);
    QCOMPARE(f.data.art().getStatic(3, false).size(), QSize(30, 50));
    QCOMPARE(f.prompts.count(QStringLiteral("warning")), 1);
    QString expected;
    QVERIFY(!f.data.art().setStatic(3, TestDataSet::solid(40000, 1, Qt::red), &expected));
    QVERIFY(!expected.isEmpty());
    const QString text = f.prompts.last(QStringLiteral("warning"))->text;
    QVERIFY2(text.contains(expected) && text.contains(QStringLiteral("static 3")), qPrintable(text));
}

void PaletteEditingTest::saveAppendsTheFormatExtension_data()
{
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QString>("written");
    QTest::newRow("png, bare name") << "tile"
                                    << "png (*.png)"
                                    << "tile.png";
    QTest::newRow("png, with extension") << "tile.png"
                                         << "png (*.png)"
                                         << "tile.png";
    QTest::newRow("jpeg, other extension") << "tile.jpg"
                                           << "jpeg (*.jpeg)"
                                           << "tile.jpg.jpeg";
    QTest::newRow("extension case differs") << "tile.PNG"
                                            << "png (*.png)"
                                            << "tile.PNG.png";
    QTest::newRow("bmp") << "tile"
                         << "  bmp   (*.bmp)"
                         << "tile.bmp";
}

void PaletteEditingTest::saveAppendsTheFormatExtension()
{
    QFETCH(QString, chosen);
    QFETCH(QString, filter);
    QFETCH(QString, written);
    Fixture f;
    f.prompts.menuChoices.append(QStringLiteral("Save"));
    f.prompts.saveFiles.append({f.file(chosen), filter});
    press(f.terrain, inCell(0, 3), Qt::RightButton);
    const FakePrompts::Shown *dialog = f.prompts.last(QStringLiteral("save"));
    QVERIFY(dialog);
    QCOMPARE(dialog->caption, QStringLiteral("Save Image"));
    QCOMPARE(dialog->filter, filterOf(QImageWriter::supportedImageFormats()));
    QCOMPARE(f.prompts.count(QStringLiteral("warning")), 0);
    QCOMPARE(QDir(f.files.path()).entryList(QDir::Files), QStringList{written});
    const QImage saved(f.file(written));
    QCOMPARE(saved.size(), QSize(44, 44));
    if (!written.endsWith(QStringLiteral("jpeg"))) {
        const QImage expected = f.data.art().getTerrain(3, false);
        QCOMPARE(saved.pixelColor(22, 22), expected.pixelColor(22, 22));
    }
    QVERIFY(!f.data.art().hasPendingEdits());
}

void PaletteEditingTest::saveOfATileWithoutImageSaysSo()
{
    Fixture f;
    f.prompts.menuChoices.append(QStringLiteral("Save"));
    f.prompts.saveFiles.append({f.file(QStringLiteral("empty")), QStringLiteral("png (*.png)")});
    press(f.terrain, inCell(1, 2), Qt::RightButton); // id 7 has no image
    QVERIFY(QDir(f.files.path()).entryList(QDir::Files).isEmpty());
    QCOMPARE(f.prompts.count(QStringLiteral("warning")), 1);
    QVERIFY(f.prompts.last(QStringLiteral("warning"))->text.contains(f.file(QStringLiteral("empty.png"))));
}

void PaletteEditingTest::saveToAnUnwritablePlaceSaysSo()
{
    Fixture f;
    f.prompts.menuChoices.append(QStringLiteral("Save"));
    f.prompts.saveFiles.append({QStringLiteral("/no/such/directory/tile"), QStringLiteral("png (*.png)")});
    press(f.terrain, inCell(0, 1), Qt::RightButton);
    QCOMPARE(f.prompts.count(QStringLiteral("warning")), 1);
    QVERIFY(f.prompts.last(QStringLiteral("warning"))
                ->text.contains(QStringLiteral("/no/such/directory/tile.png")));
}

void PaletteEditingTest::dragStartsAtTheDragDistance()
{
    Fixture f;
    const int distance = QApplication::startDragDistance();
    const QPoint start = inCell(0, 2, 10, 10);
    press(f.terrain, start, Qt::LeftButton);
    move(f.terrain, start + QPoint(distance - 1, 0), Qt::LeftButton);
    move(f.terrain, start + QPoint(0, distance - 1), Qt::LeftButton);
    QCOMPARE(f.prompts.drags.size(), 0);
    move(f.terrain, start + QPoint(distance - distance / 2, distance / 2), Qt::LeftButton);
    QCOMPARE(f.prompts.drags.size(), 1);
}

void PaletteEditingTest::dragCarriesOnlyThePng()
{
    Fixture f;
    press(f.statics, inCell(0, 3), Qt::LeftButton);
    move(f.statics, inCell(0, 3) + QPoint(30, 30), Qt::LeftButton);
    QCOMPARE(f.prompts.drags.size(), 1);
    const FakePrompts::Drag &drag = f.prompts.drags.first();
    QCOMPARE(drag.actions, Qt::DropActions(Qt::CopyAction));
    QVERIFY(!drag.hasPixmap);
    QCOMPARE(drag.data.keys(), QStringList{QStringLiteral("image/png")});
    const QByteArray png = drag.data.value(QStringLiteral("image/png"));
    QVERIFY(png.startsWith("\x89PNG"));
    QImage decoded = QImage::fromData(png, "PNG").convertToFormat(QImage::Format_ARGB32);
    QCOMPARE(decoded, f.data.art().getStatic(3, false));
}

void PaletteEditingTest::dragOfATileWithoutImageCarriesNothing()
{
    Fixture f;
    press(f.terrain, inCell(1, 2), Qt::LeftButton); // id 7
    move(f.terrain, inCell(2, 2), Qt::LeftButton);
    QCOMPARE(f.prompts.drags.size(), 1);
    QVERIFY(f.prompts.drags.first().data.contains(QStringLiteral("image/png")));
    QVERIFY(f.prompts.drags.first().data.value(QStringLiteral("image/png")).isEmpty());
}

void PaletteEditingTest::noDragWithoutAnArmingPress()
{
    Fixture f;
    press(f.terrain, inCell(0, 1), Qt::LeftButton);
    move(f.terrain, inCell(2, 1), Qt::NoButton); // button not held
    press(f.terrain, QPoint(Columns * 46 + 5, 5), Qt::LeftButton); // on no tile: disarms
    move(f.terrain, inCell(2, 1), Qt::LeftButton);
    press(f.terrain, inCell(0, 1), Qt::LeftButton);
    press(f.terrain, inCell(0, 1), Qt::MiddleButton); // any press disarms
    move(f.terrain, inCell(2, 1), Qt::LeftButton);
    QCOMPARE(f.prompts.drags.size(), 0);
}

void PaletteEditingTest::dragOverRule_data()
{
    QTest::addColumn<QString>("offer");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("url of an image file") << "url:good.png" << true;
    QTest::newRow("url of an image file, no extension") << "url:picture" << true;
    QTest::newRow("url of a file that is no image") << "url:broken.png" << false;
    QTest::newRow("url of a missing file") << "url:missing.png" << false;
    QTest::newRow("empty url list") << "urls:" << false;
    QTest::newRow("remote url only") << "remote" << false;
    QTest::newRow("remote url, then a local image") << "remote+url:good.png" << true;
    QTest::newRow("png data, not looked at") << "png:garbage" << true;
    QTest::newRow("url that does not load beats png data") << "png+url:broken.png" << false;
    QTest::newRow("url that loads, with png data") << "png+url:good.png" << true;
    QTest::newRow("other data") << "text" << false;
}

void PaletteEditingTest::dragOverRule()
{
    QFETCH(QString, offer);
    QFETCH(bool, accepted);
    Fixture f;
    f.writePng(QStringLiteral("good.png"), TestDataSet::solid(10, 10, Qt::red));
    f.writePng(QStringLiteral("picture"), TestDataSet::solid(10, 10, Qt::red));
    f.writeBytes(QStringLiteral("broken.png"), QByteArray("no"));

    QMimeData mime;
    QList<QUrl> urls;
    if (offer.contains(QStringLiteral("remote")))
        urls.append(QUrl(QStringLiteral("https://example.org/tile.png")));
    if (offer.contains(QStringLiteral("url:")))
        urls.append(QUrl::fromLocalFile(f.file(offer.section(QStringLiteral("url:"), 1))));
    if (offer.contains(QStringLiteral("url")) || offer.contains(QStringLiteral("remote")))
        mime.setUrls(urls);
    if (offer.startsWith(QStringLiteral("png")))
        mime.setData(QStringLiteral("image/png"), QByteArray("garbage"));
    if (offer == QStringLiteral("text"))
        mime.setText(QStringLiteral("tile.png"));

    QCOMPARE(dragMoveAccepted(f.terrain, inCell(1, 1), mime), accepted);
    QCOMPARE(dragEnterAccepted(f.terrain, inCell(1, 1), mime), accepted);
    // Nowhere but on a tile.
    QVERIFY(!dragMoveAccepted(f.terrain, QPoint(Columns * 46 + 5, 5), mime));
    QVERIFY(!dragEnterAccepted(f.terrain, QPoint(Columns * 46 + 5, 5), mime));
}

void PaletteEditingTest::dragOverOutsideTheStaticRange()
{
    Fixture f;
    QMimeData mime;
    mime.setData(QStringLiteral("image/png"), ImageTransfer::pngBytes(TestDataSet::solid(5, 5, Qt::red)));
    QVERIFY(dragMoveAccepted(f.statics, inCell(12, 3), mime)); // id 63
    QVERIFY(!dragMoveAccepted(f.statics, inCell(12, 4), mime)); // id 64
    QVERIFY(!drop(f.statics, inCell(12, 4), mime, inCell(12, 3)));
}

void PaletteEditingTest::dropOfAFileSetsTheTileUnderThePoint()
{
    Fixture f;
    press(f.terrain, inCell(0, 0), Qt::LeftButton);
    const QImage picture = TestDataSet::terrain(QColor(250, 250, 0));
    std::unique_ptr<QMimeData> mime(
        mimeWithUrls({QUrl::fromLocalFile(f.writePng(QStringLiteral("sun.png"), picture))}));
    QVERIFY(drop(f.terrain, inCell(2, 3), *mime));
    QCOMPARE(f.data.art().getTerrain(13, false), asStored(picture));
    QCOMPARE(f.terrain.selectedId(), 0);
}

void PaletteEditingTest::dropUsesOnlyTheUrlsWhenBothAreOffered()
{
    Fixture f;
    const QImage before = f.data.art().getTerrain(13, false);
    std::unique_ptr<QMimeData> mime(
        mimeWithUrls({QUrl::fromLocalFile(f.writeBytes(QStringLiteral("broken.png"), QByteArray("no")))}));
    mime->setData(QStringLiteral("image/png"), ImageTransfer::pngBytes(TestDataSet::terrain(Qt::red)));
    QVERIFY(!drop(f.terrain, inCell(2, 3), *mime));
    QCOMPARE(f.data.art().getTerrain(13, false), before);
    QVERIFY(!f.data.art().hasPendingEdits());

    std::unique_ptr<QMimeData> remote(mimeWithUrls({QUrl(QStringLiteral("https://example.org/a.png"))}));
    remote->setData(QStringLiteral("image/png"), ImageTransfer::pngBytes(TestDataSet::terrain(Qt::red)));
    QVERIFY(!drop(f.terrain, inCell(2, 3), *remote));
    QVERIFY(!f.data.art().hasPendingEdits());
}

void PaletteEditingTest::dropOfAFileThatNoLongerLoadsSaysSo()
{
    Fixture f;
    const QImage before = f.data.art().getTerrain(13, false);
    const QString fileName = f.writePng(QStringLiteral("sun.png"), TestDataSet::terrain(Qt::yellow));
    std::unique_ptr<QMimeData> mime(mimeWithUrls({QUrl::fromLocalFile(fileName)}));
    QVERIFY(enter(f.terrain, inCell(2, 3), *mime));
    f.writeBytes(QStringLiteral("sun.png"), QByteArray("overwritten meanwhile"));
    QDropEvent event(QPointF(inCell(2, 3)), Qt::CopyAction, mime.get(), Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&f.terrain, &event);
    QVERIFY(!event.isAccepted());
    QCOMPARE(f.data.art().getTerrain(13, false), before);
    QCOMPARE(f.prompts.count(QStringLiteral("warning")), 1);
    QVERIFY(f.prompts.last(QStringLiteral("warning"))->text.contains(QDir::toNativeSeparators(fileName)));
}

void PaletteEditingTest::dropOfPngData()
{
    Fixture f;
    const QImage picture = TestDataSet::solid(12, 70, QColor(0, 128, 0));
    std::unique_ptr<QMimeData> mime(mimeWithPng(ImageTransfer::pngBytes(picture)));
    QVERIFY(drop(f.statics, inCell(1, 0), *mime));
    QCOMPARE(f.data.art().getStatic(5, false), ArtWork::normalizeStatic(picture));
    QCOMPARE(f.prompts.count(QStringLiteral("warning")), 0);
}

void PaletteEditingTest::dropOfEmptyPngDataClearsTheTile()
{
    Fixture f;
    // What dragging a tile without an image out of a palette carries.
    press(f.terrain, inCell(1, 2), Qt::LeftButton); // id 7, no image
    move(f.terrain, inCell(3, 2), Qt::LeftButton);
    QCOMPARE(f.prompts.drags.size(), 1);
    QMimeData mime;
    mime.setData(
        QStringLiteral("image/png"), f.prompts.drags.first().data.value(QStringLiteral("image/png")));
    QVERIFY(drop(f.terrain, inCell(0, 2), mime));
    QVERIFY(f.data.art().getTerrain(2, false).isNull());
    QVERIFY(f.data.art().pendingTerrain().contains(2));
    QCOMPARE(f.prompts.count(QStringLiteral("warning")), 0);
}

void PaletteEditingTest::dropOfUndecodablePngDataKeepsTheTile()
{
    Fixture f;
    const QImage before = f.data.art().getTerrain(2, false);
    std::unique_ptr<QMimeData> mime(mimeWithPng(QByteArray("\x89PNG but then nothing")));
    QVERIFY(!drop(f.terrain, inCell(0, 2), *mime));
    QCOMPARE(f.data.art().getTerrain(2, false), before);
    QVERIFY(!f.data.art().hasPendingEdits());
    QCOMPARE(f.prompts.count(QStringLiteral("warning")), 1);
    QVERIFY(f.prompts.last(QStringLiteral("warning"))->text.contains(QStringLiteral("terrain tile 2")));
}

void PaletteEditingTest::dropOnNoTileChangesNothing()
{
    Fixture f;
    std::unique_ptr<QMimeData> mime(mimeWithPng(ImageTransfer::pngBytes(TestDataSet::terrain(Qt::red))));
    QVERIFY(!drop(f.terrain, QPoint(Columns * 46 + 5, 5), *mime, inCell(0, 0)));
    QVERIFY(!f.data.art().hasPendingEdits());
    QCOMPARE(f.prompts.shown.size(), 0);
}

void PaletteEditingTest::dropRefusedByTheStoreSaysWhy()
{
    Fixture f;
    std::unique_ptr<QMimeData> mime(
        mimeWithPng(ImageTransfer::pngBytes(TestDataSet::solid(1, 40000, Qt::red))));
    QVERIFY(!drop(f.statics, inCell(0, 3), *mime));
    QCOMPARE(f.data.art().getStatic(3, false).size(), QSize(30, 50));
    QCOMPARE(f.prompts.count(QStringLiteral("warning")), 1);
    QVERIFY(f.prompts.last(QStringLiteral("warning"))->text.contains(QStringLiteral("static 3")));
}

void PaletteEditingTest::doubleClickOpensThePropertiesWindow()
{
    Fixture f;
    press(f.statics, inCell(0, 3), Qt::LeftButton);
    doubleClick(f.statics, inCell(0, 3));
    doubleClick(f.statics, inCell(0, 3));
    const QList<ArtWidget *> windows = f.statics.findChildren<ArtWidget *>();
    QCOMPARE(windows.size(), 2); // each double-click its own window
    for (ArtWidget *window : windows) {
        QVERIFY(window->isVisible());
        QVERIFY(window->isWindow());
        QVERIFY(!window->isModal());
        window->close();
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(f.statics.findChildren<ArtWidget *>().isEmpty());
}

void PaletteEditingTest::doubleClickWithoutSelectionOpensNothing()
{
    Fixture f;
    doubleClick(f.terrain, inCell(0, 1));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(f.terrain.findChildren<ArtWidget *>().isEmpty());
    QCOMPARE(f.prompts.shown.size(), 0);
}

QTEST_MAIN(PaletteEditingTest)
#include "test_palette_editing.moc"
