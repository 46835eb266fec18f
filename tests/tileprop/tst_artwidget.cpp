#include "FakePrompts.h"
#include "TestDataSet.h"
#include "edits/TileEdits.h"
#include "tiledata/TileDataFormat.h"
#include "tileprop/AnimationPlayer.h"
#include "tileprop/ArtWidget.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QTextDocument>
#include <QtTest>
#include <functional>

namespace {

constexpr int Flagged = 1;
constexpr int Pictured = 5;
constexpr int Plain = 9;
constexpr int Junk = 11;
constexpr int Land = 40; // the one terrain tile

// A name whose bytes after the terminator are not zero, as real files have them.
const QByteArray JunkName("Rock\0\x01\x7f\xff JUNK after NUL", TileDataFormat::NameSize);

// The numbers of Junk as stored: Wet, weight 90, unknown 0x0304.
const QByteArray JunkNumbers = QByteArray::fromHex("80000000 5a 00 0403 00 00 0000 00 00 0000 00");

QByteArray name(const char *text)
{
    return QByteArray(text).leftJustified(TileDataFormat::NameSize, '\0', true);
}

QImage argb(const QImage &image)
{
    return image.convertToFormat(QImage::Format_ARGB32);
}

QImage shownImage(QWidget *window)
{
    return argb(window->findChild<QLabel *>("labelImage")->pixmap().toImage());
}

QLineEdit *field(QWidget *window, const QString &name)
{
    return window->findChild<QLineEdit *>(name);
}

// What a property of a widget of the window shows, rich text or plain.
QString shown(QWidget *window, const QString &name, const char *property = "text")
{
    QWidget *widget = window->findChild<QWidget *>(name);
    QTextDocument document;
    document.setHtml(widget->property(property).toString());
    return document.toPlainText();
}

int pageCount(QWidget *window)
{
    return window->findChild<QTabWidget *>("tabWidget")->count();
}

// What the user does: "lineX=text" replaces a field's text by typing, through its
// validator; "checkX" toggles a flag box.
void applyEdits(QWidget *window, const QStringList &edits)
{
    for (const QString &edit : edits) {
        if (!edit.contains('=')) {
            window->findChild<QCheckBox *>(edit)->toggle();
            continue;
        }
        QLineEdit *line = field(window, edit.section('=', 0, 0));
        line->setFocus();
        line->selectAll();
        QTest::keyClick(line, Qt::Key_Delete);
        for (const QChar c : edit.section('=', 1))
            QTest::sendKeyEvent(QTest::Click, line, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
}

bool isDeleted(const QPointer<ArtWidget> &window)
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return window.isNull();
}

// Runs whilePrompting inside every prompt, while the window waits for the answer.
class ClosingPrompts : public FakePrompts
{
public:
    std::function<void()> whilePrompting = [] {};

    QString openFileName(QWidget *w, const QString &c, const QString &f, QString *chosen) override
    {
        whilePrompting();
        return FakePrompts::openFileName(w, c, f, chosen);
    }
    QString saveFileName(QWidget *w, const QString &c, const QString &f, QString *chosen) override
    {
        whilePrompting();
        return FakePrompts::saveFileName(w, c, f, chosen);
    }
    QAction *execMenu(QMenu *menu, const QPoint &at) override
    {
        whilePrompting();
        return FakePrompts::execMenu(menu, at);
    }
    void warning(QWidget *w, const QString &title, const QString &text) override
    {
        FakePrompts::warning(w, title, text);
        whilePrompting();
    }
};

} // namespace

class ArtWidgetTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        DataSetBuilder builder(64);
        StaticTileRecord flagged;
        flagged.flags = TileFlags::Wearable | TileFlags::LightSource | TileFlags::Weapon | TileFlags::Armor
            | TileFlags::Container | TileFlags::Animated;
        builder.setStaticTile(Flagged, flagged);
        AnimDataEntry anim;
        anim.frameOffsets[63] = -63;
        builder.setAnim(Plain, anim);
        builder.setStaticTile(Junk, StaticTileRecord::fromBytes(JunkNumbers + JunkName));
        builder.setLandTile(Land, LandTileRecord::fromBytes(QByteArray::fromHex("40000000 4d00") + JunkName));
        builder.setStaticImage(Pictured, TestDataSet::solid(20, 30, Qt::red));
        builder.setTerrainImage(Land, TestDataSet::terrain(Qt::green));
        AnimDataEntry lamp; // three frames: statics 5, 7 and 4, a fifth of a second each
        lamp.frameOffsets[1] = 2;
        lamp.frameOffsets[2] = -1;
        lamp.frameCount = 3;
        lamp.frameInterval = 2;
        builder.setAnim(Pictured, lamp);
        builder.setStaticImage(7, TestDataSet::solid(10, 10, Qt::blue));
        builder.setStaticImage(4, TestDataSet::solid(8, 12, Qt::green));
        data = std::make_unique<TestDataSet>(builder);
        QVERIFY(data->isValid());
        edits = std::make_unique<TileEdits>(data->art(), data->tiles());
        original = storedImage(Pictured);
        // Not in 15-bit colour: storing changes it.
        QVERIFY(TestDataSet::solid(33, 17, QColor(45, 91, 203)).save(data->filePath("import.png"), "PNG"));
        prompts = std::make_unique<ClosingPrompts>();
    }
    void cleanup()
    {
        for (QWidget *widget : QApplication::topLevelWidgets())
            delete qobject_cast<ArtWidget *>(widget);
        prompts.reset();
        edits.reset();
        data.reset();
    }

    void labelsFollowTheFlags_data()
    {
        QTest::addColumn<QString>("flag");
        QTest::addColumn<QString>("label");
        QTest::addColumn<QStringList>("texts"); // filled, unchecked, checked again
        const char *const rows[][5] = {
            // Filling writes "Light ID", the box's slot "LightID".
            {"checkLightSource", "labelQuality", "Light ID", "Quality", "LightID"},
            {"checkWearable", "labelQuality", "Light ID", "Quality", "Layer"},
            // Armor stays set, yet the weapon box's slot writes its own text.
            {"checkWeapon", "labelQuantity", "Class", "Quantity", "Class"},
            {"checkContainer", "labelHeight", "Contains", "Height", "Contains"},
        };
        for (const auto &row : rows)
            QTest::newRow(row[0]) << row[0] << row[1] << QStringList{row[2], row[3], row[4]};
    }
    void labelsFollowTheFlags()
    {
        QFETCH(QString, flag);
        QFETCH(QString, label);
        QFETCH(QStringList, texts);
        ArtWidget *window = open(Flagged);
        QStringList seen{shown(window, label)};
        applyEdits(window, {flag});
        seen << shown(window, label);
        applyEdits(window, {flag});
        QCOMPARE(seen << shown(window, label), texts);
    }

    void animationPageFollowsTheFlag()
    {
        QCOMPARE(pageCount(open(Flagged)), 4);
        ArtWidget *window = open(Plain);
        QCOMPARE(pageCount(window), 3);
        applyEdits(window, {"checkAnimated"});
        window->toggleAnim(Qt::Checked);
        QCOMPARE(pageCount(window), 4);
        // The page shows, as signed numbers, what was read while it was no tab.
        auto *offsets = window->findChild<QListWidget *>("listOffset");
        QCOMPARE(offsets->count(), AnimDataEntry::FrameSlots);
        QCOMPARE(offsets->item(63)->text(), QStringLiteral("-63"));
        applyEdits(window, {"checkAnimated"});
        window->toggleAnim(Qt::Unchecked);
        QCOMPARE(pageCount(window), 3);
    }

    void numberFieldsRefuseWhatTheyCannotStore_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("maximum");
        for (const char *name : {"lineWeight", "lineQuality", "lineUnknown1", "lineQuantity", "lineUnknown2",
                 "lineHue", "lineHeight"})
            QTest::newRow(name) << name << 255;
        for (const char *name : {"lineUnknown", "lineAnimid", "lineUnknown3", "lineTexid"})
            QTest::newRow(name) << name << 65535;
    }
    void numberFieldsRefuseWhatTheyCannotStore()
    {
        QFETCH(QString, name);
        QFETCH(int, maximum);
        ArtWidget *window = open(name == "lineTexid" ? Land : Plain);
        const QString top = QString::number(maximum);
        applyEdits(window, {name + '=' + top});
        QCOMPARE(field(window, name)->text(), top);
        applyEdits(window, {name + '=' + QString::number(maximum + 1)});
        QCOMPARE(field(window, name)->text(), top.chopped(1));
        applyEdits(window, {name + "=-1x+ 2"});
        QCOMPARE(field(window, name)->text(), QStringLiteral("12"));
    }

    void okStoresWhatTheUserChanged_data()
    {
        QTest::addColumn<int>("id");
        QTest::addColumn<QStringList>("edits");
        QTest::addColumn<QByteArray>("stored"); // empty: nothing stored
        QTest::newRow("untouched static") << Junk << QStringList() << QByteArray();
        QTest::newRow("untouched terrain") << Land << QStringList() << QByteArray();
        QTest::newRow("undone by hand")
            << Junk << QStringList{"lineWeight=1", "lineWeight=90", "checkRoof", "checkRoof"} << QByteArray();
        QTest::newRow("static widths and byte order")
            << Plain
            << QStringList{"lineWeight=250", "lineQuality=8", "lineUnknown=4660", "lineUnknown1=9",
                   "lineQuantity=10", "lineAnimid=65535", "lineUnknown2=11", "lineHue=255",
                   "lineUnknown3=258", "lineHeight=13", QStringLiteral("lineName=caf\u00e9"), "checkWeapon",
                   "checkStairRight"}
            << QByteArray::fromHex("02000080 fa 08 3412 09 0a ffff 0b ff 0201 0d") + name("caf\xe9");
        QTest::newRow("terrain widths and byte order")
            << Land << QStringList{"lineTexid=513", "lineName=sand", "checkDoor"}
            << QByteArray::fromHex("40000020 0102") + name("sand");
        QTest::newRow("untouched static name keeps its bytes")
            << Junk << QStringList{"lineWeight=91"}
            << QByteArray(JunkNumbers).replace(4, 1, "\x5b") + JunkName;
        QTest::newRow("untouched terrain name keeps its bytes")
            << Land << QStringList{"checkWet"} << QByteArray::fromHex("c0000000 4d00") + JunkName;
        QTest::newRow("long name refused past 20, no terminator")
            << Junk << QStringList{"lineName=abcdefghijklmnopqrstuvwxy"}
            << JunkNumbers + "abcdefghijklmnopqrst";
    }
    void okStoresWhatTheUserChanged()
    {
        QFETCH(int, id);
        QFETCH(QStringList, edits);
        QFETCH(QByteArray, stored);
        QPointer<ArtWidget> window = open(id);
        applyEdits(window, edits);
        window->accept();
        QVERIFY(isDeleted(window));
        QVERIFY(!data->art().hasPendingEdits());
        QCOMPARE(data->tiles().hasPendingEdits(), !stored.isEmpty());
        if (stored.isEmpty())
            return;
        QCOMPARE(id == Land ? data->tiles().landRecord(id) : data->tiles().staticRecord(id), stored);
        // A later window shows the stored numbers, unsigned.
        ArtWidget *later = open(id);
        for (const QString &edit : edits) {
            if (edit.contains('=') && !edit.startsWith("lineName"))
                QCOMPARE(field(later, edit.section('=', 0, 0))->text(), edit.section('=', 1));
        }
    }

    void twoWindowsKeepEachOthersEdits()
    {
        ArtWidget *naming = open(Junk);
        ArtWidget *weighing = open(Junk);
        applyEdits(naming, {"lineName=Boulder", "checkRoof"});
        naming->accept();
        applyEdits(weighing, {"lineWeight=5"});
        weighing->accept();
        const StaticTileRecord stored = StaticTileRecord::fromBytes(data->tiles().staticRecord(Junk));
        QCOMPARE(stored.nameText(), QStringLiteral("Boulder"));
        QCOMPARE(stored.weight, quint8(5));
        QCOMPARE(stored.flags, quint32(TileFlags::Wet | TileFlags::Roof));
    }

    void okAndCancelOnBothStores_data()
    {
        QTest::addColumn<bool>("ok");
        QTest::newRow("ok") << true;
        QTest::newRow("cancel") << false;
    }
    void okAndCancelOnBothStores()
    {
        QFETCH(bool, ok);
        QPointer<ArtWidget> window = open(Pictured);
        choose(window, "Delete", "tab1");
        QCOMPARE(prompts->count("menu"), 0); // the image menu is on the image page only
        choose(window, "Delete");
        QCOMPARE(prompts->last("menu")->text, QStringLiteral("Import|Delete|Save"));
        QVERIFY(shownImage(window).isNull());
        applyEdits(window, {"lineName=gone"});
        ok ? window->accept() : window->reject();
        QVERIFY(isDeleted(window));
        QCOMPARE(data->art().pendingStatics().contains(Pictured), ok);
        QCOMPARE(storedImage(Pictured), ok ? QImage() : original);
        QCOMPARE(
            data->tiles().staticRecord(Pictured).right(TileDataFormat::NameSize), name(ok ? "gone" : ""));
    }

    void importShowsAndStoresWhatStoringGivesBack_data()
    {
        QTest::addColumn<int>("id");
        QTest::addColumn<QString>("file");
        QTest::newRow("static") << Pictured << "import.png";
        QTest::newRow("terrain, always 44 x 44") << Land << "import.png";
        QTest::newRow("does not load") << Pictured << "artidx.mul";
    }
    void importShowsAndStoresWhatStoringGivesBack()
    {
        QFETCH(int, id);
        QFETCH(QString, file);
        QPointer<ArtWidget> window = open(id);
        prompts->openFiles = {{data->filePath(file), "png (*.png)"}};
        choose(window, "Import");
        QVERIFY(prompts->last("open")->filter.contains("png (*.png)"));
        const QImage loaded(data->filePath(file));
        const QImage expected = loaded.isNull()
            ? original
            : argb(id == Land ? ArtWork::normalizeTerrain(loaded) : ArtWork::normalizeStatic(loaded));
        QCOMPARE(shownImage(window), expected);
        QCOMPARE(prompts->count("warning"), loaded.isNull() ? 1 : 0);
        if (loaded.isNull())
            QVERIFY(prompts->last("warning")->text.contains(file));
        window->accept();
        QVERIFY(isDeleted(window));
        QCOMPARE(storedImage(id), expected);
        QCOMPARE(data->art().hasPendingEdits(), !loaded.isNull());
    }

    void saveNamesTheFileAfterTheFilter_data()
    {
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QString>("file"); // written, or named in the warning
        const char *const rows[][4] = {
            {"appended", "out", "png (*.png)", "out.png"},
            {"kept", "out.png", "png (*.png)", "out.png"},
            {"extension in capitals", "out.PNG", "png (*.png)", "out.PNG"},
            {"typed extension over the filter", "out.png", "  bmp   (*.bmp)", "out.png"},
            {"format from filter", "out", "  bmp   (*.bmp)", "out.bmp"},
            {"unwritable extension", "out.mul", "png (*.png)", "out.mul.png"},
            {"fails: missing folder", "missing/out", "png (*.png)", "out.png"},
        };
        for (const auto &row : rows)
            QTest::newRow(row[0]) << row[1] << row[2] << row[3];
    }
    void saveNamesTheFileAfterTheFilter()
    {
        QFETCH(QString, chosen);
        QFETCH(QString, filter);
        QFETCH(QString, file);
        QTemporaryDir out;
        ArtWidget *window = open(Pictured);
        prompts->saveFiles = {{out.filePath(chosen), filter}};
        choose(window, "Save");
        if (chosen.contains('/')) {
            QCOMPARE(prompts->count("warning"), 1);
            QVERIFY(prompts->last("warning")->text.contains(file));
            return;
        }
        QImageReader reader(out.filePath(file));
        QCOMPARE(reader.format(), QFileInfo(file).suffix().toLower().toLatin1());
        QCOMPARE(argb(reader.read()), original);
    }

    void editsNotStoredAreReportedAndKept()
    {
        // A directory where the record's pending file would go makes its write fail.
        QDir tilesPending(data->tiles().pendingDirectory());
        QVERIFY(tilesPending.mkdir("TS5.wfg"));
        QPointer<ArtWidget> window = open(Pictured);
        prompts->openFiles = {{data->filePath("import.png"), "png (*.png)"}};
        choose(window, "Import");
        applyEdits(window, {"lineWeight=1", "lineHeight=7"});
        window->accept();
        // Image and record are one edit: neither is stored, and one warning says why.
        QCOMPARE(prompts->count("warning"), 1);
        QVERIFY(prompts->last("warning")->text.contains("TS5.wfg"));
        QVERIFY(!isDeleted(window));
        QVERIFY(!data->art().hasPendingEdits() && !data->tiles().hasPendingEdits());
        QCOMPARE(edits->history().count(), 0);

        // The user takes one change back by hand: only the other one is an edit now.
        applyEdits(window, {"lineWeight=0"});
        QVERIFY(tilesPending.rmdir("TS5.wfg"));
        window->accept();
        QVERIFY(isDeleted(window));
        QCOMPARE(storedImage(Pictured).size(), QSize(33, 17));
        const StaticTileRecord stored = StaticTileRecord::fromBytes(data->tiles().staticRecord(Pictured));
        QCOMPARE(stored.weight, quint8(0));
        QCOMPARE(stored.height, quint8(7));

        // One step of the history, named after the window, takes both back.
        QCOMPARE(edits->history().count(), 1);
        QCOMPARE(edits->history().undoText(), QStringLiteral("Properties of Static 0x5"));
        QString error;
        QVERIFY(edits->undo(&error));
        QVERIFY(!data->art().hasPendingEdits() && !data->tiles().hasPendingEdits());
        QCOMPARE(storedImage(Pictured), original);
    }

    void refusedImportWarnsAndKeepsTheImage_data()
    {
        QTest::addColumn<bool>("deletedFirst");
        QTest::newRow("over the tile's image") << false;
        QTest::newRow("after Delete") << true;
    }
    void refusedImportWarnsAndKeepsTheImage()
    {
        QFETCH(bool, deletedFirst);
        // Dense and opaque beyond about 175 x 175: the line offsets no longer fit a static.
        QImage dense(200, 200, QImage::Format_ARGB32);
        for (int y = 0; y < 200; ++y)
            for (int x = 0; x < 200; ++x)
                dense.setPixel(x, y, qRgb(x, y, (x ^ y) & 0xff));
        QVERIFY(dense.save(data->filePath("dense.png"), "PNG"));
        QPointer<ArtWidget> window = open(Pictured);
        if (deletedFirst)
            choose(window, "Delete");
        prompts->openFiles = {{data->filePath("dense.png"), "png (*.png)"}};
        choose(window, "Import");
        QCOMPARE(prompts->count("warning"), 1);
        // The words the palette's Import uses for the same image.
        QString palettes;
        QVERIFY(!edits->changeImage(TileKind::Static, Pictured, dense, TileEdits::importName(), &palettes));
        QCOMPARE(prompts->last("warning")->text, palettes);
        QVERIFY(palettes.startsWith("The image of Static 0x5 was not changed: "));
        QCOMPARE(shownImage(window), deletedFirst ? QImage() : original);
        window->accept();
        QVERIFY(isDeleted(window));
        // OK stores what was shown before: a deletion only when the user asked for one.
        QCOMPARE(storedImage(Pictured), deletedFirst ? QImage() : original);
        QCOMPARE(data->art().hasPendingEdits(), deletedFirst);
    }

    void enterPressesOkAndTheTitleNamesTheTile()
    {
        QPointer<ArtWidget> window = open(Junk);
        QCOMPARE(window->windowTitle(), QStringLiteral("Static: 11 (0xB)"));
        QCOMPARE(open(Land)->windowTitle(), QStringLiteral("Terrain: 40 (0x28)"));
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window));
        applyEdits(window, {"lineWeight=7"});
        QTest::keyClick(field(window, "lineWeight"), Qt::Key_Return);
        QVERIFY(isDeleted(window));
        QCOMPARE(StaticTileRecord::fromBytes(data->tiles().staticRecord(Junk)).weight, quint8(7));
    }

    void nameRefusesWhatTheFileCannotHold()
    {
        ArtWidget *window = open(Plain);
        applyEdits(window, {"lineName=abcdefghijklmnopqrstuvwxyz"});
        QCOMPARE(field(window, "lineName")->text(), QStringLiteral("abcdefghijklmnopqrst"));
        // Characters outside Latin-1 cannot be stored: they are refused as typed.
        applyEdits(window, {QStringLiteral("lineName=a\u20acb\u00e9")});
        QCOMPARE(field(window, "lineName")->text(), QStringLiteral("ab\u00e9"));
    }

    void playShowsTheFramesInTurnAndStopStops()
    {
        QPointer<ArtWidget> window = open(Pictured);
        auto *play = window->findChild<QPushButton *>("pushButton");
        auto *stop = window->findChild<QPushButton *>("stopButton");
        QVERIFY(play && stop && stop->parentWidget() == play->parentWidget());
        QList<QImage> frames;
        auto *player = window->findChild<AnimationPlayer *>();
        connect(player, &AnimationPlayer::frameShown, this, [&] { frames << shownImage(window); });
        QElapsedTimer clock;
        clock.start();
        QTest::mouseClick(play, Qt::LeftButton);
        QCOMPARE(window->findChild<QTabWidget *>("tabWidget")->currentWidget()->objectName(),
            QStringLiteral("tab"));
        QTRY_VERIFY_WITH_TIMEOUT(frames.size() >= 4, 3000);
        // Three frames of 200 ms each, then the first again: at least 600 ms.
        QVERIFY(clock.elapsed() >= 3 * 200 - 20);
        QCOMPARE(frames.at(0), original);
        QCOMPARE(frames.at(1), storedImage(7));
        QCOMPARE(frames.at(2), storedImage(4));
        QCOMPARE(frames.at(3), original);
        QTest::mouseClick(stop, Qt::LeftButton);
        const int shown = frames.size();
        QTest::qWait(450);
        QCOMPARE(frames.size(), shown);
        QCOMPARE(shownImage(window), original);
        // OK while playing stores nothing of the frames.
        QTest::mouseClick(play, Qt::LeftButton);
        window->accept();
        QVERIFY(isDeleted(window));
        QVERIFY(!data->art().hasPendingEdits());
    }

    void windowClosedWhilePrompting_data()
    {
        QTest::addColumn<QString>("choice");
        QTest::addColumn<int>("closingPrompt");
        QTest::newRow("menu") << "" << 1;
        QTest::newRow("import") << "Import" << 2;
        QTest::newRow("save") << "Save" << 2;
        QTest::newRow("warning on OK") << "Import" << 3;
    }
    void windowClosedWhilePrompting()
    {
        QFETCH(QString, choice);
        QFETCH(int, closingPrompt);
        QVERIFY(QDir(data->art().pendingDirectory()).mkdir("Static5.wfg"));
        QPointer<ArtWidget> window = open(Pictured);
        QWidget *page = window->findChild<QWidget *>("tab");
        prompts->menuChoices = {choice};
        prompts->openFiles = {{data->filePath("import.png"), QString()}};
        prompts->saveFiles = {{data->filePath("saved.png"), QString()}};
        prompts->whilePrompting = [&] {
            if (--closingPrompt == 0)
                delete window.data();
        };
        // A press only: the release would go to a page that no longer exists.
        QTest::mousePress(page, Qt::RightButton);
        if (window)
            window->accept(); // the image cannot be stored: a warning
        QVERIFY(window.isNull());
        QVERIFY(!QFile::exists(data->filePath("saved.png")));
    }

    void upperFlagsForHighSeasOnly_data()
    {
        QTest::addColumn<bool>("highSeas");
        QTest::addColumn<int>("id");
        QTest::newRow("classic static") << false << Junk;
        QTest::newRow("classic terrain") << false << Land;
        QTest::newRow("high-seas static") << true << Junk;
        QTest::newRow("high-seas terrain") << true << Land;
    }
    void upperFlagsForHighSeasOnly()
    {
        QFETCH(bool, highSeas);
        QFETCH(int, id);
        if (highSeas)
            useHighSeas();
        ArtWidget *window = open(id);
        auto *group = window->findChild<QWidget *>("groupUpperFlags");
        QVERIFY(group);
        QCOMPARE(!group->isHidden(), highSeas); // the page itself is not the current one
        QStringList boxes;
        for (const QCheckBox *box : group->findChildren<QCheckBox *>())
            boxes << box->objectName() + (box->isChecked() ? "+" : "");
        // The named upper flags, and every other bit the record sets (47 for the static).
        const QStringList expected{"checkAlphaBlend", "checkUseNewArt", "checkArtUsed", "checkNoShadow+",
            "checkPixelBleed", "checkPlayAnimOnce", "checkMultiMovable"};
        QCOMPARE(boxes,
            !highSeas ? QStringList() : expected + (id == Junk ? QStringList{"checkBit47+"} : QStringList()));
        // The lower 32 are the form's, whatever the layout.
        QCOMPARE(window->findChild<QWidget *>("tab1")->findChildren<QCheckBox *>().size() - boxes.size(), 32);
    }

    void staticPastTheTileDataGetsItsFirstRecord()
    {
        // The art holds statics the tile data has no record for yet (as newer art
        // containers do): their properties start empty, in the file's layout, and OK
        // gives them their first record.
        useHighSeas();
        const int beyond = data->tiles().staticCount() + 40;
        QVERIFY(!data->tiles().holdsStatic(beyond));
        QPointer<ArtWidget> window = open(beyond);
        QCOMPARE(field(window, "lineName")->text(), QString());
        applyEdits(window, {"lineName=new item", "lineWeight=9", "checkAlphaBlend"});
        window->accept();
        QVERIFY(isDeleted(window));
        const StaticTileRecord stored
            = StaticTileRecord::fromBytes(data->tiles().staticRecord(beyond), data->tiles().layout());
        QCOMPARE(data->tiles().staticRecord(beyond).size(), 41);
        QCOMPARE(stored.nameText(), QStringLiteral("new item"));
        QCOMPARE(stored.weight, quint8(9));
        QCOMPARE(stored.flags, TileFlags::AlphaBlend);
    }

    void upperFlagsEditedAndKept()
    {
        useHighSeas();
        QPointer<ArtWidget> window = open(Junk);
        // Meanwhile another edit sets bit 50, which this window never showed.
        StaticTileRecord meanwhile = StaticTileRecord::fromBytes(data->tiles().staticRecord(Junk));
        meanwhile.flags |= quint64(1) << 50;
        QVERIFY(data->tiles().setStaticRecord(Junk, meanwhile.toBytes()));
        applyEdits(window, {"checkAlphaBlend", "checkBit47", "checkWet", "lineWeight=91"});
        window->accept();
        QVERIFY(isDeleted(window));
        // Roof, AlphaBlend (32), NoShadow (36) and bit 50 set; Wet and bit 47 cleared.
        QCOMPARE(data->tiles().staticRecord(Junk),
            QByteArray::fromHex("00000010 11000400 5b 00 0403 00 00 0000 00 00 0000 00") + JunkName);
    }

private:
    // The same tiles in a high-seas tiledata.mul; Junk and Land use upper flags.
    void useHighSeas()
    {
        DataSetBuilder builder(64);
        builder.setTileDataLayout(TileDataLayout::highSeas());
        StaticTileRecord junk = StaticTileRecord::fromBytes(JunkNumbers + JunkName);
        junk.flags |= TileFlags::Roof | TileFlags::NoShadow | (quint64(1) << 47);
        builder.setStaticTile(Junk, junk);
        LandTileRecord land = LandTileRecord::fromBytes(QByteArray::fromHex("40000000 4d00") + JunkName);
        land.flags |= TileFlags::NoShadow;
        builder.setLandTile(Land, land);
        builder.setTerrainImage(Land, TestDataSet::terrain(Qt::green));
        edits.reset();
        data = std::make_unique<TestDataSet>(builder);
        QVERIFY(data->isValid());
        QCOMPARE(data->tiles().layoutName(), QStringLiteral("high-seas"));
        edits = std::make_unique<TileEdits>(data->art(), data->tiles());
    }
    ArtWidget *open(int id)
    {
        const int kind = id == Land ? ArtWidget::TerrainKind : ArtWidget::StaticKind;
        auto *window = new ArtWidget(edits.get(), &data->anims(), id, kind, nullptr, Qt::Window);
        window->show();
        return window;
    }
    QImage storedImage(int id)
    {
        return argb(id == Land ? data->art().getTerrain(id, false) : data->art().getStatic(id, false));
    }
    // Right-clicks a page of the window, choosing action from a menu if one comes.
    void choose(ArtWidget *window, const QString &action, const char *page = "tab")
    {
        prompts->menuChoices = {action};
        QWidget *widget = window->findChild<QWidget *>(page);
        window->findChild<QTabWidget *>("tabWidget")->setCurrentWidget(widget);
        QTest::mouseClick(widget, Qt::RightButton, {}, QPoint(3, 3));
    }

    std::unique_ptr<TestDataSet> data;
    std::unique_ptr<TileEdits> edits;
    std::unique_ptr<ClosingPrompts> prompts;
    QImage original;
};

QTEST_MAIN(ArtWidgetTest)
#include "tst_artwidget.moc"
