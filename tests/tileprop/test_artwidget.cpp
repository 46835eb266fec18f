#include "FakePrompts.h"
#include "TestDataSet.h"
#include "edits/TileEdits.h"
#include "io/PendingEditPack.h"
#include "saving/DataSetSaver.h"
#include "tiledata/TileDataFormat.h"
#include "tileprop/AnimationPlayer.h"
#include "tileprop/ArtWidget.h"

#include <QCheckBox>
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

constexpr int Moving = 1; // animated in the file, without an animation entry
constexpr int Pictured = 5;
constexpr int Plain = 9;
constexpr int Junk = 11;
constexpr int Land = 40; // the one terrain tile

// Makes the next edit the store keeps fail to be written: a directory takes the name of
// its file, which is returned.
QString blockNextPack(PendingEditStore &store)
{
    const QDir directory(store.directory());
    quint64 last = 0;
    for (const QString &name : directory.entryList(QDir::Files)) {
        quint64 number = 0;
        if (PendingEditPack::parseFileName(name, &number))
            last = qMax(last, number);
    }
    const QString name = PendingEditPack::fileName(last + 1);
    return directory.mkdir(name) ? name : QString();
}

TileKind kindOf(int id)
{
    return id == Land ? TileKind::Terrain : TileKind::Static;
}

// A name whose bytes after the terminator are not zero, as real files have them.
const QByteArray JunkName("Rock\0\x01\x7f\xff JUNK after NUL", TileDataFormat::NameSize);

// The numbers of Junk as stored: Wet, weight 90, unknown 0x0304.
const QByteArray JunkNumbers = QByteArray::fromHex("80000000 5a 00 0403 00 00 0000 00 00 0000 00");

const auto name
    = [](const char *text) { return QByteArray(text).leftJustified(TileDataFormat::NameSize, '\0', true); };
const auto argb = [](const QImage &image) { return image.convertToFormat(QImage::Format_ARGB32); };
const auto shownImage
    = [](QWidget *window) { return argb(window->findChild<QLabel *>("labelImage")->pixmap().toImage()); };
const auto field = [](QWidget *window, const QString &name) { return window->findChild<QLineEdit *>(name); };

// What the user does: "lineX=text" replaces a field's text by typing, through its
// validator, on the field's page; "checkX" clicks a flag box.
void applyEdits(QWidget *window, const QStringList &edits)
{
    for (const QString &edit : edits) {
        if (!edit.contains('=')) {
            window->findChild<QCheckBox *>(edit)->click();
            continue;
        }
        QLineEdit *line = field(window, edit.section('=', 0, 0));
        auto *tabs = window->findChild<QTabWidget *>("tabWidget");
        for (int page = 0; page < tabs->count(); ++page)
            if (tabs->widget(page)->isAncestorOf(line))
                tabs->setCurrentIndex(page);
        QVERIFY2(line->isVisible(), qPrintable(edit)); // not in the other kind's hidden group
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

// The count of lower flag boxes, the upper flags' group "shown" or "hidden" (on a page not
// the current one), and its boxes, "+" after a checked one.
QStringList upperFlags(QWidget *window)
{
    auto *group = window->findChild<QWidget *>("groupUpperFlags");
    QStringList boxes;
    for (const QCheckBox *box : group->findChildren<QCheckBox *>())
        boxes << box->objectName() + (box->isChecked() ? "+" : "");
    const int lower = window->findChild<QWidget *>("tab1")->findChildren<QCheckBox *>().size() - boxes.size();
    return QStringList{QString::number(lower), group->isHidden() ? "hidden" : "shown"} + boxes;
}

// What the labels of quantity, quality and height read.
QStringList fieldLabels(QWidget *window)
{
    QStringList texts;
    for (const char *name : {"labelQuantity", "labelQuality", "labelHeight"}) {
        QTextDocument label; // the form's own texts are rich text
        label.setHtml(window->findChild<QLabel *>(name)->text());
        texts << label.toPlainText();
    }
    return texts;
}

// What the number fields show.
QStringList numbers(QWidget *window)
{
    QStringList texts;
    for (const QLineEdit *line : window->findChildren<QLineEdit *>())
        if (line->objectName() != "lineName")
            texts << line->objectName() + '=' + line->text();
    return texts;
}

bool accepted(const QPointer<ArtWidget> &window)
{
    window->accept();
    return isDeleted(window);
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
        StaticTileRecord moving;
        moving.flags = TileFlags::Animated;
        builder.setStaticTile(Moving, moving);
        builder.setStaticTile(Junk, StaticTileRecord::fromBytes(JunkNumbers + JunkName));
        builder.setLandTile(Land, LandTileRecord::fromBytes(QByteArray::fromHex("40000000 4d00") + JunkName));
        builder.setStaticImage(Pictured, TestDataSet::solid(20, 30, Qt::red));
        builder.setTerrainImage(Land, TestDataSet::terrain(Qt::green));
        AnimDataEntry lamp; // three frames: statics 5, 7 and 4, a fifth of a second each
        lamp.frameOffsets[1] = 2;
        lamp.frameOffsets[2] = -1;
        lamp.frameOffsets[63] = -63; // never played
        lamp.frameCount = 3;
        lamp.frameInterval = 2;
        builder.setAnim(Pictured, lamp);
        builder.setStaticImage(7, TestDataSet::solid(10, 10, Qt::blue));
        builder.setStaticImage(4, TestDataSet::solid(8, 12, Qt::green));
        data = std::make_unique<TestDataSet>(builder);
        QVERIFY(data->isValid());
        edits = std::make_unique<TileEdits>(data->art(), data->tiles(), &data->anims());
        original = storedImage(Pictured);
        // Not in 15-bit colour: storing changes it. Opaque beyond about 175 x 175: the line offsets
        // no longer fit a static.
        QVERIFY(TestDataSet::solid(33, 17, QColor(45, 91, 203)).save(data->filePath("import.png"), "PNG"));
        QVERIFY(TestDataSet::solid(200, 200, Qt::red).save(data->filePath("dense.png"), "PNG"));
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

    void flagsChangeTheWindow()
    {
        const auto pages
            = [](ArtWidget *window) { return window->findChild<QTabWidget *>("tabWidget")->count(); };
        QCOMPARE(pages(open(Moving)), 4);
        ArtWidget *window = open(Pictured);
        QCOMPARE(pages(window), 3);
        QStringList shown;
        for (const char *box : {"checkWeapon", "checkArmor", "checkArmor", "checkWeapon", "checkWearable",
                 "checkLightSource", "checkWearable", "checkLightSource"}) {
            applyEdits(window, {box});
            shown << fieldLabels(window).mid(0, 2).join('/');
        }
        // Either flag makes the field a class, until both are clear; a light id goes before a layer.
        QCOMPARE(shown,
            (QStringList{"Class/Quality", "Class/Quality", "Class/Quality", "Quantity/Quality",
                "Quantity/Layer", "Quantity/Light ID", "Quantity/Light ID", "Quantity/Quality"}));
        window->findChild<QTabWidget *>("tabWidget")->setCurrentIndex(2);
        applyEdits(window, {"checkAnimated"});
        QCOMPARE(pages(window), 4);
        // The page shows, as signed numbers, what was read while it was no tab.
        auto *offsets = window->findChild<QListWidget *>("listOffset");
        QCOMPARE(offsets->count(), AnimDataEntry::FrameSlots);
        QCOMPARE(offsets->item(63)->text(), QStringLiteral("-63"));
        // Play and Stop side by side.
        QVERIFY(QTest::qWaitForWindowExposed(window));
        window->findChild<QTabWidget *>("tabWidget")->setCurrentIndex(3);
        const QRect play = window->findChild<QPushButton *>("pushButton")->geometry();
        const QRect stop = window->findChild<QPushButton *>("stopButton")->geometry();
        QVERIFY(stop.top() == play.top() && stop.left() > play.right() && stop.left() - play.right() < 16);
        applyEdits(window, {"checkAnimated"});
        QCOMPARE(pages(window), 3);
    }

    void okStoresWhatTheUserChanged_data()
    {
        QTest::addColumn<int>("id");
        QTest::addColumn<QStringList>("edits");
        QTest::addColumn<QByteArray>("stored"); // empty: nothing stored
        QTest::newRow("untouched terrain") << Land << QStringList() << QByteArray();
        QTest::newRow("undone by hand")
            << Junk << QStringList{"lineWeight=1", "lineWeight=90", "checkRoof", "checkRoof"} << QByteArray();
        // Every number field refuses, as typed, what its bytes cannot hold: a digit past
        // the top, a sign, a letter, a space.
        QTest::newRow("static widths and byte order")
            << Plain
            << QStringList{"lineWeight=2501", "lineQuality=-200x8", "lineUnknown=396125",
                   "lineUnknown1=+1909", "lineQuantity=13 09", "lineAnimid=655351", "lineUnknown2=2100",
                   "lineHue=2556", "lineUnknown3=400001", "lineHeight=1357",
                   QStringLiteral("lineName=caf\u00e9"), "checkWeapon", "checkStairRight"}
            << QByteArray::fromHex("02000080 fa c8 bc9a be 82 ffff d2 ff 409c 87") + name("caf\xe9");
        // Hexadecimal as Locate takes it, with the same refusals.
        QTest::newRow("hexadecimal") << Plain
                                     << QStringList{"lineWeight=0x2A", "lineAnimid=0xFFFF1", "lineHue=0X1g0"}
                                     << QByteArray::fromHex("00000000 2a 00 0000 00 00 ffff 00 10 0000 00")
                + name("");
        QTest::newRow("terrain widths and byte order")
            << Land << QStringList{"lineTexid=500001", "lineName=sand", "checkDoor"}
            << QByteArray::fromHex("40000020 50c3") + name("sand");
        QTest::newRow("untouched static name keeps its bytes")
            << Junk << QStringList{"lineWeight=91"}
            << QByteArray(JunkNumbers).replace(4, 1, "\x5b") + JunkName;
        // Typing is refused past 20 characters (no terminator then) and outside Latin-1.
        QTest::newRow("long name") << Junk
                                   << QStringList{QStringLiteral("lineName=a\u20acbcdefghijklmnopqrstuvwxy")}
                                   << JunkNumbers + "abcdefghijklmnopqrst";
        // Each field takes its largest value; one more is refused as it is typed.
        const auto fields = [](const char *one, const char *two, const char *name) {
            return QStringList{"lineWeight=" + QString(one), "lineQuality=" + QString(one),
                "lineUnknown=" + QString(two), "lineUnknown1=" + QString(one), "lineQuantity=" + QString(one),
                "lineAnimid=" + QString(two), "lineUnknown2=" + QString(one), "lineHue=" + QString(one),
                "lineUnknown3=" + QString(two), "lineHeight=" + QString(one), "lineName=" + QString(name)};
        };
        QTest::newRow("static, largest")
            << Junk << fields("255", "65535", "twenty characters 20")
            << QByteArray::fromHex("80000000 ff ff ffff ff ff ffff ff ff ffff ff") + "twenty characters 20";
        QTest::newRow("static, one more")
            << Junk << fields("256", "65536", "twenty characters 20!")
            << QByteArray::fromHex("80000000 19 19 9919 19 19 9919 19 19 9919 19") + "twenty characters 20";
        // The untouched terrain name keeps its bytes, as the static's does.
        QTest::newRow("terrain, largest")
            << Land << QStringList{"lineTexid=65535"} << QByteArray::fromHex("40000000 ffff") + JunkName;
        QTest::newRow("terrain, one more")
            << Land << QStringList{"lineTexid=65536"} << QByteArray::fromHex("40000000 9919") + JunkName;
    }
    void okStoresWhatTheUserChanged()
    {
        QFETCH(int, id);
        QFETCH(QStringList, edits);
        QFETCH(QByteArray, stored);
        const QByteArray before = record(id);
        QPointer<ArtWidget> window = open(id);
        applyEdits(window, edits);
        QStringList typed = numbers(window);
        QVERIFY(accepted(window));
        QVERIFY(!data->pendingEdits().holdsAny(PendingEditStore::Part::Image));
        QCOMPARE(data->pendingEdits().holdsAny(PendingEditStore::Part::TileData), !stored.isEmpty());
        QCOMPARE(record(id), stored.isEmpty() ? before : stored);
        // A later window shows the stored numbers, unsigned and in decimal.
        for (QString &field : typed)
            if (field.section('=', 1).startsWith("0x", Qt::CaseInsensitive))
                field = field.section('=', 0, 0) + '='
                    + QString::number(field.section('=', 1).toUInt(nullptr, 16));
        QCOMPARE(numbers(open(id)), typed);
    }

    void flagBoxesShowAndSetTheirOwnBits_data()
    {
        QTest::addColumn<int>("bit");
        for (int bit = 0; bit < 32; ++bit)
            QTest::newRow(qPrintable(QString::number(bit))) << bit;
    }
    void flagBoxesShowAndSetTheirOwnBits()
    {
        // The flags of tiledata.mul, bit 0 first, as the boxes name them.
        const QStringList labels{"Background", "Weapon", "Transparent", "Translucent", "Wall", "Damaging",
            "Impassable", "Wet", "Unknown", "Surface", "Bridge", "Generic/Stackable", "Window", "No Shoot",
            "Prefix A", "Prefix An", "Internal", "Foliage", "Partial Hue", "Unknown1", "Map", "Container",
            "Wearable", "LightSource", "Animated", "No Diagonal", "Unknown2", "Armor", "Roof", "Door",
            "StairBack", "StairRight"};
        QFETCH(int, bit);
        const int next = (bit + 1) % 32;
        StaticTileRecord record = *data->tiles().staticRecord(Plain);
        record.flags = quint64(1) << bit;
        QVERIFY(data->tiles().setStaticRecord(Plain, record));
        QPointer<ArtWidget> window = open(Plain);
        QMap<QString, QCheckBox *> boxes;
        QStringList checked;
        for (QCheckBox *box : window->findChild<QWidget *>("tab1")->findChildren<QCheckBox *>()) {
            boxes.insert(box->text(), box);
            if (box->isChecked())
                checked << box->text();
        }
        QCOMPARE(checked, QStringList{labels[bit]});
        // Quantity, quality and height as labelled, for the flags that give them another meaning.
        const QStringList plain{"Quantity", "Quality", "Height"};
        const QMap<int, QStringList> labelled{{1, {"Class", "Quality", "Height"}},
            {21, {"Quantity", "Quality", "Contains"}}, {22, {"Quantity", "Layer", "Height"}},
            {23, {"Quantity", "Light ID", "Height"}}, {27, {"Class", "Quality", "Height"}}};
        QCOMPARE(fieldLabels(window), labelled.value(bit, plain));
        // The user moves the flag to the next box.
        boxes.value(labels[bit])->toggle();
        boxes.value(labels[next])->toggle();
        QVERIFY(accepted(window));
        QCOMPARE(data->tiles().staticRecord(Plain)->flags, quint64(1) << next);
    }

    void imageMenuThenOkOrCancel_data()
    {
        QTest::addColumn<int>("id");
        QTest::addColumn<bool>("deleted"); // Delete chosen first
        QTest::addColumn<QString>("file"); // then imported; empty: none
        QTest::addColumn<bool>("ok");
        QTest::newRow("import static") << Pictured << false << "import.png" << true;
        QTest::newRow("import terrain, always 44 x 44") << Land << false << "import.png" << true;
        QTest::newRow("import refused") << Pictured << false << "dense.png" << true;
        QTest::newRow("delete") << Pictured << true << "" << true;
        QTest::newRow("delete, cancelled") << Pictured << true << "" << false;
        // OK stores what was shown before: a deletion only when the user asked for one.
        QTest::newRow("import refused after delete") << Pictured << true << "dense.png" << true;
    }
    void imageMenuThenOkOrCancel()
    {
        QFETCH(int, id);
        QFETCH(bool, deleted);
        QFETCH(QString, file);
        QFETCH(bool, ok);
        QPointer<ArtWidget> window = open(id);
        const QImage before = storedImage(id);
        choose(window, "Delete", "tab1");
        QCOMPARE(prompts->count("menu"), 0); // the image menu is on the image page only
        if (deleted)
            choose(window, "Delete");
        prompts->openFiles = {{data->filePath(file), "png (*.png)"}};
        if (!file.isEmpty())
            choose(window, "Import");
        // What storing gives back, shown at once; a refused import keeps what was shown.
        const QImage loaded = file.isEmpty() ? QImage() : QImage(data->filePath(file));
        const bool refused = file == "dense.png";
        const QImage shown = file.isEmpty() || refused ? (deleted ? QImage() : before)
                                                       : argb(ArtWork::normalize(kindOf(id), loaded));
        QCOMPARE(shownImage(window), shown);
        QCOMPARE(prompts->count("warning"), refused ? 1 : 0);
        QString palettes; // the words the palette's Import uses for the same image
        if (refused) {
            QVERIFY(!edits->changeImage(TileKind::Static, id, loaded, TileEdits::importName(), &palettes));
            QVERIFY(palettes.startsWith("The image of Static 0x5 was not changed: "));
            QCOMPARE(prompts->last("warning")->text, palettes);
        }
        applyEdits(window, {"lineName=gone"});
        ok ? window->accept() : window->reject();
        QVERIFY(isDeleted(window));
        QCOMPARE(storedImage(id), ok ? shown : before);
        QCOMPARE(data->pendingEdits().holdsAny(PendingEditStore::Part::Image), ok && shown != before);
        QCOMPARE(record(id).right(TileDataFormat::NameSize), name(ok ? "gone" : ""));
    }

    void saveWritesTheFormatOfTheFilter()
    {
        QTemporaryDir out;
        ArtWidget *window = open(Pictured);
        prompts->saveFiles = {{out.filePath("out"), "  bmp   (*.bmp)"}};
        choose(window, "Save");
        QImageReader reader(out.filePath("out.bmp"));
        QCOMPARE(reader.format(), QByteArray("bmp"));
        QCOMPARE(argb(reader.read()), original);
    }

    void editsNotStoredAreReportedAndKept()
    {
        // A directory where the edit's pending file would go makes its write fail.
        QDir tilesPending(data->tiles().pendingEdits().directory());
        const QString blocked = blockNextPack(data->tiles().pendingEdits());
        QPointer<ArtWidget> window = open(Pictured);
        prompts->openFiles = {{data->filePath("import.png"), "png (*.png)"}};
        choose(window, "Import");
        applyEdits(window, {"lineWeight=1", "lineHeight=7"});
        QVERIFY(!accepted(window));
        // One warning says why the window stays open.
        QCOMPARE(prompts->count("warning"), 1);
        QVERIFY(prompts->last("warning")->text.contains(blocked));

        // The user takes one change back by hand: only the other one is an edit now. Enter is OK.
        applyEdits(window, {"lineWeight=0"});
        QVERIFY(tilesPending.rmdir(blocked));
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window));
        QTest::keyClick(field(window, "lineWeight"), Qt::Key_Return);
        QVERIFY(isDeleted(window));
        QCOMPARE(storedImage(Pictured).size(), QSize(33, 17));
        QCOMPARE(
            record(Pictured), QByteArray::fromHex("00000000 00 00 0000 00 00 0000 00 00 0000 07") + name(""));
        QCOMPARE(edits->history().count(), 1);
    }

    void playShowsTheFramesInTurnUntilStopped_data()
    {
        QTest::addColumn<QString>("stoppedBy"); // Stop, an image menu choice, or the Animated flag cleared
        QTest::addColumn<int>("frame"); // shown when the user does it: never the tile's own image
        QTest::newRow("Stop, in the second round") << "Stop" << 5;
        QTest::newRow("Import") << "Import" << 2;
        QTest::newRow("Animated cleared") << "checkAnimated" << 2;
    }
    void playShowsTheFramesInTurnUntilStopped()
    {
        QFETCH(QString, stoppedBy);
        QFETCH(int, frame);
        QPointer<ArtWidget> window = open(Pictured);
        applyEdits(window, {"checkAnimated"}); // the animation page comes
        auto *play = window->findChild<QPushButton *>("pushButton");
        QList<QImage> frames;
        auto *player = window->findChild<AnimationPlayer *>();
        prompts->openFiles = {{data->filePath("import.png"), "png (*.png)"}};
        connect(player, &AnimationPlayer::frameShown, this, [&] {
            frames << shownImage(window);
            if (frames.size() != frame)
                return;
            if (stoppedBy == "Stop")
                QTest::mouseClick(window->findChild<QPushButton *>("stopButton"), Qt::LeftButton);
            else if (stoppedBy.startsWith("check"))
                applyEdits(window, {stoppedBy});
            else
                choose(window, stoppedBy);
        });
        QElapsedTimer clock;
        clock.start();
        QTest::mouseClick(play, Qt::LeftButton);
        QCOMPARE(window->findChild<QTabWidget *>("tabWidget")->currentWidget()->objectName(),
            QStringLiteral("tab"));
        QTRY_VERIFY_WITH_TIMEOUT(frames.size() >= frame, 3000);
        QVERIFY(!player->isPlaying());
        // Three frames of 200 ms each, then the first again (coarse timers may fire 5 % early).
        QVERIFY(clock.elapsed() >= (frame - 1) * 200 * 9 / 10);
        QCOMPARE(frames,
            QList<QImage>({original, storedImage(7), storedImage(4), original, storedImage(7)}).first(frame));
        const QImage shown = stoppedBy == "Import"
            ? argb(ArtWork::normalize(TileKind::Static, QImage(data->filePath("import.png"))))
            : original;
        QCOMPARE(shownImage(window), shown);
        // OK while playing stores nothing of the frames.
        QTest::mouseClick(play, Qt::LeftButton);
        QVERIFY(accepted(window));
        QCOMPARE(storedImage(Pictured), shown);
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
        QVERIFY(!blockNextPack(data->art().pendingEdits()).isEmpty());
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

    void upperFlagsForHighSeasOnlyAndKeptWithOtherEdits()
    {
        ArtWidget *classic = open(Junk);
        QCOMPARE(upperFlags(classic), (QStringList{"32", "hidden"}));
        delete classic;
        // The same tiles in a high-seas tiledata.mul; Junk and Land use upper flags.
        DataSetBuilder builder(64);
        builder.setTileDataLayout(TileDataLayout::highSeas());
        StaticTileRecord junk = StaticTileRecord::fromBytes(JunkNumbers + JunkName);
        junk.flags |= TileFlags::Roof | TileFlags::NoShadow | (quint64(1) << 47);
        builder.setStaticTile(Junk, junk);
        LandTileRecord land = LandTileRecord::fromBytes(QByteArray::fromHex("40000000 4d00") + JunkName);
        land.flags |= TileFlags::NoShadow;
        builder.setLandTile(Land, land);
        edits.reset();
        data = std::make_unique<TestDataSet>(builder);
        QVERIFY(data->isValid());
        edits = std::make_unique<TileEdits>(data->art(), data->tiles());
        const QStringList named{"32", "shown", "checkAlphaBlend", "checkUseNewArt", "checkArtUsed",
            "checkNoShadow+", "checkPixelBleed", "checkPlayAnimOnce", "checkMultiMovable"};
        ArtWidget *terrain = open(Land);
        QCOMPARE(terrain->windowTitle(), QStringLiteral("Terrain: 40 (0x28)"));
        QCOMPARE(upperFlags(terrain), named);
        // The named upper flags, and every other bit the record sets.
        QPointer<ArtWidget> window = open(Junk);
        QCOMPARE(upperFlags(window), named + QStringList{"checkBit47+"});
        // Meanwhile another window renames the tile, and another edit sets bit 50, which no
        // window shows: this window's OK keeps both.
        ArtWidget *naming = open(Junk);
        applyEdits(naming, {"lineName=Boulder"});
        QVERIFY(accepted(naming));
        StaticTileRecord meanwhile = *data->tiles().staticRecord(Junk);
        meanwhile.flags |= quint64(1) << 50;
        QVERIFY(data->tiles().setStaticRecord(Junk, meanwhile));
        applyEdits(window, {"checkAlphaBlend", "checkBit47", "checkWet", "lineWeight=91"});
        QVERIFY(accepted(window));
        // Roof, AlphaBlend (32), NoShadow (36) and bit 50 set; Wet and bit 47 cleared.
        QCOMPARE(record(Junk),
            QByteArray::fromHex("00000010 11000400 5b 00 0403 00 00 0000 00 00 0000 00") + name("Boulder"));

        // A static the tile data has no record for yet (newer art containers hold them) starts
        // empty, and OK gives it its first record in the file's layout.
        const int beyond = data->tiles().count(TileKind::Static) + 40;
        QVERIFY(!data->tiles().holds(TileKind::Static, beyond));
        window = open(beyond);
        QCOMPARE(field(window, "lineName")->text(), QString());
        applyEdits(window, {"lineName=new item", "lineWeight=9", "checkAlphaBlend"});
        QVERIFY(accepted(window));
        QCOMPARE(data->tiles().staticRecord(beyond)->toBytes(),
            QByteArray::fromHex("00000000 01000000 09 00 0000 00 00 0000 00 00 0000 00") + name("new item"));
    }

    void severalTilesShowSharedValuesAndTakeOnlyChanges_data()
    {
        QTest::addColumn<QStringList>("edits");
        // What becomes of each tile's record: "field=value", "+Flag" or "-Flag"; empty: no edit.
        QTest::addColumn<QStringList>("changes");
        QTest::newRow("a mixed field and flags") << QStringList{"lineHeight=9", "checkImpassable",
            "checkRoof", "checkRoof"} << QStringList{"height=9", "+Impassable", "-Roof"};
        QTest::newRow("the name and a shared field")
            << QStringList{"lineName=Boulder", "lineWeight=7"} << QStringList{"name=Boulder", "weight=7"};
        // A partly checked box goes to checked, unchecked, then back to leaving each tile's bit.
        QTest::newRow("typed and taken back") << QStringList{"lineHeight=9", "lineHeight=", "checkDoor",
            "checkDoor", "checkDoor"} << QStringList();
    }
    void severalTilesShowSharedValuesAndTakeOnlyChanges()
    {
        QFETCH(QStringList, edits);
        QFETCH(QStringList, changes);
        // Wet and weight 90 shared; Roof, Door and Animated in some; height and name differ.
        const QList<std::tuple<int, quint64, int, const char *>> tiles{
            {7, TileFlags::Wet | TileFlags::Roof | TileFlags::Animated, 5, "Rock"},
            {20, TileFlags::Wet, 6, "Rock"}, {21, TileFlags::Wet | TileFlags::Door, 7, "Stone"}};
        QMap<int, StaticTileRecord> before;
        for (const auto &[id, flags, height, text] : tiles) {
            StaticTileRecord record;
            record.flags = flags;
            record.weight = 90;
            record.height = quint8(height);
            record.setNameText(text);
            QVERIFY(data->tiles().setStaticRecord(id, record));
            before.insert(id, record);
        }
        QPointer<ArtWidget> window = new ArtWidget(
            this->edits.get(), &data->anims(), TileKind::Static, {21, 7, 20}, 7, nullptr, Qt::Window);
        window->show();
        QCOMPARE(window->windowTitle(), QStringLiteral("3 Statics"));
        QCOMPARE(shownImage(window), storedImage(7)); // the current tile's
        QCOMPARE(window->findChild<QTabWidget *>("tabWidget")->count(), 3); // no animation page
        QStringList shown;
        for (const char *name : {"lineWeight", "lineHeight", "lineName"})
            shown << field(window, name)->text() + '/' + field(window, name)->placeholderText();
        QCOMPARE(shown, (QStringList{"90/", "/Mixed", "/Mixed"}));
        QStringList states;
        for (const char *name : {"checkWet", "checkRoof", "checkDoor", "checkAnimated", "checkImpassable"})
            states << QString::number(window->findChild<QCheckBox *>(name)->checkState());
        QCOMPARE(states, (QStringList{"2", "1", "1", "1", "0"}));
        // The image is changed one tile at a time: no menu.
        choose(window, "Delete");
        QCOMPARE(prompts->count("menu"), 0);

        applyEdits(window, edits);
        QVERIFY(accepted(window));
        QMap<int, StaticTileRecord> expected = before;
        for (StaticTileRecord &record : expected) {
            for (const QString &change : changes) {
                const QString value = change.section('=', 1);
                const quint64 flag = change == "+Impassable" ? TileFlags::Impassable : TileFlags::Roof;
                if (change.startsWith("height"))
                    record.height = quint8(value.toUInt());
                else if (change.startsWith("weight"))
                    record.weight = quint8(value.toUInt());
                else if (change.startsWith("name"))
                    record.setNameText(value);
                else
                    record.flags = change.startsWith('+') ? record.flags | flag : record.flags & ~flag;
            }
        }
        for (const auto &[id, flags, height, text] : tiles)
            QCOMPARE(record(id), expected.value(id).toBytes());
        QCOMPARE(this->edits->history().count(), changes.isEmpty() ? 0 : 1);
        if (changes.isEmpty())
            return;
        QCOMPARE(this->edits->history().undoText(), QStringLiteral("Properties of 3 Statics"));
        QString error;
        QVERIFY2(this->edits->undo(&error), qPrintable(error));
        for (const auto &[id, flags, height, text] : tiles)
            QCOMPARE(record(id), before.value(id).toBytes());
    }

    void animationPageEditedSavedAndShownAgain()
    {
        QPointer<ArtWidget> window = open(Pictured);
        applyEdits(window, {"checkAnimated", "lineFrameCount=4", "lineFrameInterval=5", "lineFrameStart=-2"});
        // An offset is a signed byte; anything else gives the last one back.
        auto *offsets = window->findChild<QListWidget *>("listOffset");
        QVERIFY(offsets->item(3)->flags() & Qt::ItemIsEditable);
        for (const char *typed : {"4", "200", "x", "-129"})
            offsets->item(3)->setText(typed);
        offsets->item(4)->setText("-128");
        QCOMPARE(offsets->item(3)->text(), QStringLiteral("4"));
        QVERIFY(accepted(window));
        // The lamp of init() with its fourth and fifth frames and new delays.
        AnimDataEntry lamp;
        lamp.frameOffsets[1] = 2;
        lamp.frameOffsets[2] = -1;
        lamp.frameOffsets[3] = 4;
        lamp.frameOffsets[4] = -128;
        lamp.frameOffsets[63] = -63;
        lamp.frameCount = 4;
        lamp.frameInterval = 5;
        lamp.frameStart = -2;
        QCOMPARE(data->anims().readEntry(Pictured).toBytes(), lamp.toBytes());
        // One step with the Animated flag.
        QCOMPARE(edits->history().count(), 1);
        QCOMPARE(edits->history().undoText(), QStringLiteral("Properties of Static 0x5"));
        QVERIFY(data->tiles().staticRecord(Pictured)->flags & TileFlags::Animated);

        window = open(Pictured);
        QCOMPARE(window->findChild<QListWidget *>("listOffset")->item(4)->text(), QStringLiteral("-128"));
        QCOMPARE(field(window, "lineFrameStart")->text(), QStringLiteral("-2"));
        // The range refuses a third digit past it as it is typed.
        applyEdits(window, {"lineFrameCount=65"});
        QCOMPARE(field(window, "lineFrameCount")->text(), QStringLiteral("6"));
        window->reject();

        // Saved in place: 548-byte blocks of eight 68-byte entries after a 4-byte header.
        QTemporaryDir out;
        DataSetSaver saver(data->art(), data->tiles(), data->anims());
        QVERIFY2(saver.save(out.path()) == DataSetSaver::Status::Saved, qPrintable(saver.errorString()));
        QFile saved(QDir(out.path()).filePath("animdata.mul"));
        QVERIFY(saved.open(QIODevice::ReadOnly) && saved.seek(Pictured / 8 * 548 + 4 + Pictured % 8 * 68));
        QCOMPARE(saved.read(68), lamp.toBytes());

        QString error;
        QVERIFY2(edits->undo(&error), qPrintable(error));
        QCOMPARE(data->anims().readEntry(Pictured).frameCount, qint8(3));
        QVERIFY(!(data->tiles().staticRecord(Pictured)->flags & TileFlags::Animated));
    }

private:
    ArtWidget *open(int id)
    {
        auto *window = new ArtWidget(edits.get(), &data->anims(), kindOf(id), id, nullptr, Qt::Window);
        window->show();
        return window;
    }
    QImage storedImage(int id) { return argb(data->art().image(kindOf(id), id, false)); }
    QByteArray record(int id)
    {
        return id == Land ? data->tiles().landRecord(id)->toBytes()
                          : data->tiles().staticRecord(id)->toBytes();
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
#include "test_artwidget.moc"
