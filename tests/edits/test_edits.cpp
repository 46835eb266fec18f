// Undo history: every edit undone and redone exactly, the unsaved state, failures, taking tiles
// from another data set; finding by name, and filtering by name, flags, fields, image and edits.

#include "FileSizeLimit.h"
#include "TestDataSet.h"
#include "TestFiles.h"
#include "dataset/DataSet.h"
#include "dataset/TileFilter.h"
#include "edits/TileEdits.h"
#include "edits/TileNameSearch.h"
#include "io/PendingEditPack.h"
#include "saving/DataSetSaver.h"
#include "tiledata/TileDataFormat.h"
#include "tiledata/TileFlags.h"

#include <QDir>
#include <QSignalSpy>
#include <QtTest>
#include <tuple>

namespace {

constexpr int Pictured = 5; // a static with an image
constexpr int Bare = 6; // a static without one
constexpr int Ground = 3; // a terrain tile with an image
constexpr int Sand = 0x1F3; // a terrain tile without one

// What a user or a save sees of a tile: image, record, animation entry, and its pending
// image, record and entry.
using TileView = std::tuple<QImage, QByteArray, QByteArray, QByteArray, QByteArray, QByteArray>;
using Part = PendingEditStore::Part;

QByteArray pending(const PendingEditStore &edits, TileKind kind, int id, Part part)
{
    const PendingEdit edit = edits.edit(kind, id, part);
    if (edit.state == PendingEdit::State::None)
        return "none";
    return edit.state == PendingEdit::State::Deleted ? QByteArray("deleted") : edit.record;
}

TileView view(TestDataSet &data, TileKind kind, int id)
{
    const bool land = kind == TileKind::Terrain;
    return {data.art().image(kind, id, false),
        // A static past the end of tiledata.mul has no record.
        land ? data.tiles().landRecord(id)->toBytes()
             : data.tiles().staticRecord(id).value_or(StaticTileRecord()).toBytes(),
        data.anims().readEntry(id).toBytes(), pending(data.pendingEdits(), kind, id, Part::Image),
        pending(data.pendingEdits(), kind, id, Part::TileData),
        pending(data.pendingEdits(), kind, id, Part::Animation)};
}

AnimDataEntry animation(qint8 frames, qint8 interval)
{
    AnimDataEntry entry;
    entry.frameCount = frames;
    entry.frameInterval = interval;
    for (int n = 0; n < frames; ++n)
        entry.frameOffsets[n] = qint8(n + 1);
    return entry;
}

// The record with another name.
template <typename Record> Record named(Record record, const char *name)
{
    record.setNameText(QLatin1String(name));
    return record;
}

} // namespace

class EditsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        // High-seas, 128 statics: another land 0x11 and no image for land 0x3; statics 3 (no
        // animation), 5 and 100 (past the end of the 96 edited) each with image, record and
        // entry; static 0x21 uses an upper flag.
        DataSetBuilder builder(128);
        builder.setTileDataLayout(TileDataLayout::highSeas());
        builder.setTerrainImage(0x11, TestDataSet::terrain(Qt::blue));
        LandTileRecord water;
        water.texid = 9;
        water.flags = TileFlags::Wet;
        water.setNameText(QStringLiteral("deep water"));
        builder.setLandTile(0x11, water);
        for (const auto &[id, frames] : {std::pair(3, 0), std::pair(5, 4), std::pair(100, 2)}) {
            builder.setStaticImage(id, TestDataSet::solid(id % 7 + 2, 8, Qt::magenta));
            StaticTileRecord item;
            item.flags = frames ? TileFlags::Animated | TileFlags::LightSource : TileFlags::Wet;
            item.weight = quint8(id);
            item.setNameText(QStringLiteral("theirs %1").arg(id));
            builder.setStaticTile(id, item);
            AnimDataEntry entry = animation(qint8(frames), qint8(id));
            entry.frameStart = 1;
            builder.setAnim(id, entry);
        }
        StaticTileRecord shadowless;
        shadowless.flags = TileFlags::Wet | TileFlags::NoShadow;
        builder.setStaticTile(0x21, shadowless);
        theirFiles = std::make_unique<TestDataSet>(builder);
        QVERIFY(theirFiles->isValid());
        DataSet::Options options;
        options.pendingParent = theirFiles->pendingParent();
        QString error;
        theirs = DataSet::open(theirFiles->path(), options, &error);
        QVERIFY2(theirs, qPrintable(error));
    }

    void init()
    {
        edits.reset(); // before the data set it edits
        DataSetBuilder builder(96);
        builder.setStaticImage(Pictured, TestDataSet::solid(20, 30, Qt::red));
        builder.setTerrainImage(Ground, TestDataSet::terrain(Qt::darkGreen));
        // Tile 0 is found only by wrapping around.
        const QList<std::pair<int, const char *>> names{{0, "Anvil"}, {10, "Lamp post"}, {11, "wall"},
            {12, "LAMP"}, {13, "stone wall"}, {14, "Café"}, {15, "CAFÉ sign"}};
        for (const auto &[id, name] : names) {
            StaticTileRecord item;
            item.setNameText(QString::fromUtf8(name));
            builder.setStaticTile(id, item);
        }
        LandTileRecord grass;
        grass.setNameText(QStringLiteral("grass"));
        builder.setLandTile(100, grass);
        data = std::make_unique<TestDataSet>(builder);
        QVERIFY(data->isValid());
        edits = std::make_unique<TileEdits>(data->art(), data->tiles(), &data->anims());
    }

    void mixedEditsUndoAndRedoExactly()
    {
        // Each step: an image under the action's name, or with a record, properties, or an
        // animation entry.
        using Step = std::tuple<TileKind, int, QString, QImage, std::optional<TileRecord>,
            std::optional<AnimDataEntry>>;
        const QImage blue = TestDataSet::solid(12, 9, Qt::blue);
        const StaticTileRecord lamp = named(*data->tiles().staticRecord(Pictured), "lamp");
        const QList<Step> steps{{TileKind::Static, Pictured, TileEdits::importName(), blue, {}, {}},
            {TileKind::Terrain, Ground, TileEdits::deleteName(), QImage(), {}, {}},
            // Image and record as one step, over the earlier import.
            {TileKind::Static, Pictured, {}, TestDataSet::solid(4, 4, Qt::green), lamp, {}},
            {TileKind::Static, Bare, TileEdits::pasteName(), blue, {}, {}},
            {TileKind::Static, Pictured, TileEdits::cutName(), QImage(), {}, {}},
            {TileKind::Terrain, Ground, TileEdits::dropName(), TestDataSet::terrain(Qt::yellow), {}, {}},
            {TileKind::Terrain, Sand, {}, QImage(), named(*data->tiles().landRecord(Sand), "sand"), {}},
            {TileKind::Static, Pictured, TileEdits::animationName(), {}, {}, animation(3, 2)},
            // Past the end of animdata.mul, then over an entry already pending.
            {TileKind::Static, 0xFFFF, TileEdits::animationName(), {}, {}, animation(1, 9)},
            {TileKind::Static, Pictured, TileEdits::animationName(), {}, {}, animation(5, 1)}};
        QList<TileView> before;
        QList<TileView> after;
        QStringList texts;
        QString error;
        for (const auto &[kind, id, action, image, record, entry] : steps) {
            before << view(*data, kind, id);
            const auto properties = image.isNull() ? std::nullopt : std::optional<QImage>(image);
            QVERIFY2(entry    ? edits->changeAnimation(id, *entry, action, &error)
                    : !record ? edits->changeImage(kind, id, image, action, &error)
                              : edits->changeProperties(kind, id, properties, record, &error),
                qPrintable(error));
            after << view(*data, kind, id);
            texts << edits->history().undoText();
            if (texts.size() > 1)
                continue;
            // The same picture in a record the encoder would not write (another header):
            // undoing must give back these bytes, not a new encoding.
            const PendingRecord pending = data->pendingEdits().recordAt(TileKind::Static, Pictured, Part::Image);
            QVERIFY(TestFiles::writeFile(
                pending.path, TestFiles::fileBytes(pending.path).replace(pending.offset, 1, "\x5a")));
        }
        QCOMPARE(texts,
            QStringList({"Import of Static 0x5", "Delete of Terrain 0x3", "Properties of Static 0x5",
                "Paste of Static 0x6", "Cut of Static 0x5", "Drop of Terrain 0x3",
                "Properties of Terrain 0x1F3", "Animation of Static 0x5", "Animation of Static 0xFFFF",
                "Animation of Static 0x5"}));
        QCOMPARE(std::get<1>(after.at(2)), lamp.toBytes());
        QCOMPARE(std::get<3>(after.at(4)), QByteArray("deleted"));
        QCOMPARE(std::get<2>(after.at(8)), animation(1, 9).toBytes());
        QCOMPARE(std::get<2>(after.at(9)), animation(5, 1).toBytes());
        QCOMPARE(std::get<5>(before.at(9)), animation(3, 2).toBytes());

        QSignalSpy changed(edits.get(), &TileEdits::tileChanged);
        for (int i = steps.size() - 1; i >= 0; --i) {
            QCOMPARE(edits->history().undoText(), texts.at(i));
            QVERIFY2(edits->undo(&error), qPrintable(error));
            QVERIFY2(view(*data, std::get<0>(steps.at(i)), std::get<1>(steps.at(i))) == before.at(i),
                qPrintable(texts.at(i)));
        }
        QVERIFY(data->pendingEdits().isEmpty() && !edits->hasUnsavedEdits());
        for (int i = 0; i < steps.size(); ++i) {
            QVERIFY2(edits->redo(&error), qPrintable(error));
            QVERIFY2(view(*data, std::get<0>(steps.at(i)), std::get<1>(steps.at(i))) == after.at(i),
                qPrintable(texts.at(i)));
        }
        QCOMPARE(changed.size(), 2 * steps.size());
        QCOMPARE(changed.at(0), (QList<QVariant>{QVariant::fromValue(TileKind::Static), Pictured}));
    }

    void changeManyTiles_data()
    {
        QTest::addColumn<QString>("part"); // "image", "record" or "animation"
        QTest::addColumn<bool>("terrain");
        QTest::addColumn<QList<int>>("ids");
        QTest::addColumn<QString>("expected"); // the undo text, or part of a refusal
        // Odd ids are given an image, even ones none.
        QTest::newRow("images of statics")
            << "image" << false << QList<int>{5, 6, 7} << "Import of 3 Statics";
        QTest::newRow("records of terrain")
            << "record" << true << QList<int>{Ground, Sand} << "Import of 2 Terrain Tiles";
        QTest::newRow("animations, one past the file")
            << "animation" << false << QList<int>{Pictured, 0xFFFF} << "Import of 2 Statics";
        QTest::newRow("one tile") << "record" << false << QList<int>{Pictured} << "Import of Static 0x5";
        // The last tile cannot be stored: the tiles stored before it go back.
        QTest::newRow("no such static")
            << "record" << false << QList<int>{5, 6, 0x10000} << "There is no static tile 65536";
        QTest::newRow("no such terrain tile")
            << "image" << true << QList<int>{Ground, 0x4000} << "image of Terrain 0x4000 was not changed";
        QTest::newRow("no such animated static")
            << "animation" << false << QList<int>{Pictured, 0x10000} << "animation of Static 0x10000";
    }
    void changeManyTiles()
    {
        QFETCH(QString, part);
        QFETCH(bool, terrain);
        QFETCH(QList<int>, ids);
        QFETCH(QString, expected);
        const TileKind kind = terrain ? TileKind::Terrain : TileKind::Static;
        const int held = terrain ? 0x4000 : 0x10000;
        const auto views = [&] {
            QList<TileView> now;
            for (const int id : ids)
                now << (id < held ? view(*data, kind, id) : TileView());
            return now;
        };
        QMap<int, QImage> images;
        QMap<int, TileRecord> records;
        QMap<int, AnimDataEntry> entries;
        for (const int id : ids) {
            const QColor color = QList<QColor>{Qt::red, Qt::green, Qt::blue, Qt::yellow}.at(id % 4);
            if (part == "image" && id % 2)
                images.insert(id, terrain ? TestDataSet::terrain(color) : TestDataSet::solid(id, 4, color));
            else
                images.insert(id, QImage());
            StaticTileRecord item
                = named(data->tiles().staticRecord(id).value_or(StaticTileRecord()), "many");
            item.weight = quint8(id);
            records.insert(id,
                terrain ? TileRecord(named(*data->tiles().landRecord(id), "many land")) : TileRecord(item));
            entries.insert(id, animation(qint8(id % 5 + 1), qint8(id % 7)));
        }
        const QList<TileView> before = views();
        QString error;
        const auto change = [&] {
            return part == "image" ? edits->changeImages(kind, images, TileEdits::importName(), &error)
                : part == "record" ? edits->changeRecords(kind, records, TileEdits::importName(), &error)
                                   : edits->changeAnimations(entries, TileEdits::importName(), &error);
        };
        const bool changed = change();
        if (!expected.startsWith("Import")) {
            QVERIFY(!changed);
            QVERIFY2(error.contains(expected), qPrintable(error));
            QVERIFY(views() == before && data->pendingEdits().isEmpty() && edits->history().count() == 0);
            return;
        }
        QVERIFY2(changed, qPrintable(error));
        QCOMPARE(edits->history().undoText(), expected);
        // The same again changes nothing: no second step.
        QVERIFY(change() && edits->history().count() == 1);
        // The art files keep five bits of each colour.
        const auto fiveBits = [](const QImage &image) {
            const QRgb pixel = image.pixel(image.width() / 2, image.height() / 2);
            return std::tuple(qRed(pixel) >> 3, qGreen(pixel) >> 3, qBlue(pixel) >> 3);
        };
        for (const int id : ids) {
            const QImage image = data->art().image(kind, id, false);
            const QImage given = images.value(id);
            if (part == "image")
                QVERIFY(given.isNull() ? image.isNull()
                                       : image.size() == given.size() && fiveBits(image) == fiveBits(given));
            else if (part == "record" && terrain)
                QCOMPARE(
                    data->tiles().landRecord(id)->toBytes(), std::get<LandTileRecord>(records[id]).toBytes());
            else if (part == "record")
                QCOMPARE(data->tiles().staticRecord(id)->toBytes(),
                    std::get<StaticTileRecord>(records[id]).toBytes());
            else
                QCOMPARE(data->anims().readEntry(id).toBytes(), entries.value(id).toBytes());
        }
        const QList<TileView> after = views();
        // One undo takes every tile back, one redo makes them all again.
        QVERIFY2(edits->undo(&error), qPrintable(error));
        QVERIFY(views() == before && data->pendingEdits().isEmpty());
        QVERIFY2(edits->redo(&error), qPrintable(error));
        QVERIFY(views() == after);
    }

    void nothingChangedIsNoStep()
    {
        QString error;
        for (int i = 0; i < 2; ++i) {
            QVERIFY(edits->changeImage(TileKind::Static, Bare, {}, TileEdits::deleteName(), &error));
            // The record stored is the file's own: pending after the first, so a step all the same.
            QVERIFY(edits->changeProperties(
                TileKind::Static, Bare, std::nullopt, data->tiles().staticRecord(Bare), &error));
        }
        QCOMPARE(edits->history().count(), 2);
    }

    void unsavedFollowsTheHistory()
    {
        QSignalSpy unsaved(edits.get(), &TileEdits::unsavedChanged);
        QString error;
        const QImage red = TestDataSet::solid(3, 3, Qt::red);
        QVERIFY(edits->changeImage(TileKind::Static, Bare, red, TileEdits::importName(), &error));
        QVERIFY(edits->changeImage(TileKind::Static, 7, red, TileEdits::importName(), &error));
        edits->markSaved();
        QVERIFY(edits->undo(&error) && edits->hasUnsavedEdits());
        QVERIFY(edits->redo(&error) && !edits->hasUnsavedEdits()); // back where the save was
        // A new edit after undoing past the save: the saved state cannot come back.
        QVERIFY(edits->undo(&error) && edits->undo(&error));
        QVERIFY(edits->changeImage(TileKind::Static, 8, red, TileEdits::pasteName(), &error));
        QVERIFY(edits->undo(&error) && edits->redo(&error) && edits->hasUnsavedEdits());
        QCOMPARE(unsaved.size(), 5); // unsaved, saved, unsaved, saved, unsaved
        // A save keeps the history; a change the history does not know of is unsaved until the next.
        edits->markSaved();
        QVERIFY(edits->history().canUndo() && data->art().setImage(TileKind::Static, 9, red)
            && edits->hasUnsavedEdits());
        edits->markSaved();
        QVERIFY(!edits->hasUnsavedEdits());
        // An animation entry is part of what was saved of a tile.
        QVERIFY(edits->changeAnimation(20, animation(2, 2), TileEdits::animationName(), &error));
        edits->markSaved();
        QVERIFY(!edits->isUnsaved(TileKind::Static, 20));
        QVERIFY(edits->undo(&error) && edits->isUnsaved(TileKind::Static, 20));
    }

    void failuresChangeNothing()
    {
        // A full disk cuts the pending image and record, kept together (some 230 bytes with
        // the image, or 37 with a one-pixel image's 20), or a record of the other kind is
        // given: the image is taken back.
        const TileView before = view(*data, TileKind::Static, Pictured);
        const StaticTileRecord item = StaticTileRecord::fromBytes(QByteArray(37, 'x'));
        const QList<std::tuple<int, qint64, TileRecord, QString>> failures{
            {9, 100, item, "Properties of Static 0x5 could not be kept"},
            {1, 30, item, "Properties of Static 0x5 could not be kept"},
            {9, 1 << 20, LandTileRecord(),
                "tile data of Static 0x5 was not changed: The record given is for the other kind of tile."},
            // An animation entry's 68 bytes do not fit.
            {0, 60, item, "animation of Static 0x5"}};
        for (const auto &[side, limit, record, named] : failures) {
            QString error;
            {
                const FileSizeLimit diskFull(limit);
                QVERIFY(side == 0 ? !edits->changeAnimation(Pictured, animation(2, 2), {}, &error)
                                  : !edits->changeProperties(TileKind::Static, Pictured,
                                      TestDataSet::solid(side, side, Qt::cyan), record, &error));
            }
            QVERIFY2(error.contains(named), qPrintable(error));
            QVERIFY(view(*data, TileKind::Static, Pictured) == before);
        }
        QVERIFY(edits->history().count() == 0 && !edits->hasUnsavedEdits());
    }

    void failedUndoLeavesTileAndHistory()
    {
        QString error;
        QVERIFY(edits->changeImage(
            TileKind::Static, Pictured, TestDataSet::solid(5, 5, Qt::red), TileEdits::importName(), &error));
        const TileView first = view(*data, TileKind::Static, Pictured);
        QVERIFY(edits->changeImage(
            TileKind::Static, Pictured, TestDataSet::solid(6, 6, Qt::blue), TileEdits::pasteName(), &error));
        // Undoing must write the first record back; the place of the file it goes in is taken.
        const QFileInfo current(data->pendingEdits().recordAt(TileKind::Static, Pictured, Part::Image).path);
        quint64 number = 0;
        QVERIFY(PendingEditPack::parseFileName(current.fileName(), &number));
        const QString path = current.dir().filePath(PendingEditPack::fileName(number + 1));
        QVERIFY(QDir().mkdir(path));
        QVERIFY(!edits->undo(&error));
        QVERIFY2(error.contains("Paste of Static 0x5"), qPrintable(error));
        QVERIFY(edits->history().index() == 2 && !edits->history().canRedo() && QDir().rmdir(path));
        QVERIFY2(edits->undo(&error), qPrintable(error));
        QVERIFY(view(*data, TileKind::Static, Pictured) == first);

        // An edit of several tiles is put back whole or not at all: here the file that keeps
        // them together cannot be written whole.
        QVERIFY(edits->takeFromOther(*theirs, {{TileKind::Terrain, 0x11}, {TileKind::Static, Pictured}},
            {true, false, false}, &error));
        const TileView taken = view(*data, TileKind::Terrain, 0x11);
        const TileView takenStatic = view(*data, TileKind::Static, Pictured);
        {
            const FileSizeLimit diskFull(8);
            QVERIFY(!edits->undo(&error));
        }
        QVERIFY2(error.contains("Take 2 Tiles From"), qPrintable(error));
        QVERIFY(view(*data, TileKind::Terrain, 0x11) == taken);
        QVERIFY(view(*data, TileKind::Static, Pictured) == takenStatic);
        QVERIFY2(edits->undo(&error), qPrintable(error));
        QVERIFY(view(*data, TileKind::Static, Pictured) == first);
        QVERIFY(view(*data, TileKind::Terrain, 0x11) != taken);
    }

    void takeFromOther_data()
    {
        QTest::addColumn<QStringList>("tiles"); // "land:ID" or "static:ID"
        QTest::addColumn<QString>("parts"); // of "art", "tiledata", "animation"
        QTest::addColumn<qint64>("diskLimit"); // 0: none
        QTest::addColumn<QString>("named"); // the undo text's start, or a refusal
        const QString all = "art tiledata animation";
        QTest::newRow("whole tiles") << QStringList{"land:17", "land:3", "static:5", "static:6"} << all
                                     << qint64(0) << "Take 4 Tiles From ";
        QTest::newRow("one tile's image")
            << QStringList{"static:5"} << "art" << qint64(0) << "Take Static 0x5 From ";
        QTest::newRow("tile data, each tile once") << QStringList{"land:17", "static:5", "land:17"}
                                                   << "tiledata" << qint64(0) << "Take 2 Tiles From ";
        QTest::newRow("animation alone") << QStringList{"static:3", "static:5", "land:17"} << "animation"
                                         << qint64(0) << "Take 3 Tiles From ";
        QTest::newRow("past this set's end")
            << QStringList{"static:100"} << all << qint64(0) << "Take Static 0x64 From ";
        QTest::newRow("upper flags into classic")
            << QStringList{"static:5", "static:33"} << all << qint64(0)
            << "static tile 33 uses flags the classic layout cannot hold (NoShadow)";
        QTest::newRow("past the other's end")
            << QStringList{"static:5", "static:128"} << all << qint64(0) << "Static 0x80 is not in ";
        // Land 0x11's record (26 bytes) and static 5's (37) would fit, but not with its
        // entry's 68 bytes: all of them are kept together or none.
        QTest::newRow("disk full on the last part")
            << QStringList{"land:17", "static:5"} << "tiledata animation" << qint64(60)
            << "could not be kept: Cannot write";
    }
    void takeFromOther()
    {
        QFETCH(QStringList, tiles);
        QFETCH(QString, parts);
        QFETCH(qint64, diskLimit);
        QFETCH(QString, named);
        QList<std::pair<TileKind, int>> taking;
        QList<TileView> before;
        QList<TileView> expected;
        for (const QString &tile : tiles) {
            const TileKind kind = tile.startsWith("land") ? TileKind::Terrain : TileKind::Static;
            const int id = tile.section(':', 1).toInt();
            taking.append({kind, id});
            before << view(*data, kind, id);
            // Their image, their record in this set's classic layout, their entry (statics only).
            TileView taken = before.last();
            if (parts.contains("art"))
                std::get<0>(taken) = theirFiles->art().image(kind, id, false);
            if (parts.contains("tiledata") && kind == TileKind::Terrain) {
                LandTileRecord record = *theirFiles->tiles().landRecord(id);
                record.layout = TileDataLayout::classic();
                std::get<1>(taken) = record.toBytes();
            } else if (parts.contains("tiledata")) {
                StaticTileRecord record = *theirFiles->tiles().staticRecord(id);
                record.layout = TileDataLayout::classic();
                std::get<1>(taken) = record.toBytes();
            }
            if (parts.contains("animation") && kind == TileKind::Static)
                std::get<2>(taken) = theirFiles->anims().readEntry(id).toBytes();
            expected << taken;
        }
        const auto views = [&] {
            QList<TileView> now;
            for (const auto &[kind, id] : taking)
                now << view(*data, kind, id);
            return now;
        };
        const auto seen = [](QList<TileView> views) {
            for (TileView &tile : views)
                tile = {std::get<0>(tile), std::get<1>(tile), std::get<2>(tile), {}, {}, {}};
            return views;
        };

        QString error;
        const TileEdits::TakeParts which{
            parts.contains("art"), parts.contains("tiledata"), parts.contains("animation")};
        bool took = false;
        // The pending-edit directory exists before the disk is full.
        QVERIFY(data->pendingEdits().put(TileKind::Static, 7, Part::Image, PendingEdit::deleted())
            && data->pendingEdits().put(TileKind::Static, 7, Part::Image, PendingEdit::none()));
        {
            const std::optional<FileSizeLimit> diskFull
                = diskLimit ? std::make_optional<FileSizeLimit>(diskLimit) : std::nullopt;
            took = edits->takeFromOther(*theirs, taking, which, &error);
        }
        if (!named.startsWith("Take ")) {
            QVERIFY(!took);
            QVERIFY2(error.contains(named), qPrintable(error));
            QVERIFY(views() == before);
            QVERIFY(edits->history().count() == 0 && data->pendingEdits().isEmpty());
            return;
        }
        QVERIFY2(took, qPrintable(error));
        QCOMPARE(edits->history().count(), 1);
        QCOMPARE(edits->history().undoText(), named + QDir(theirFiles->path()).dirName());
        QCOMPARE(seen(views()), seen(expected));
        const QList<TileView> after = views();
        QVERIFY2(edits->undo(&error), qPrintable(error));
        QVERIFY(views() == before && data->pendingEdits().isEmpty());
        QVERIFY2(edits->redo(&error), qPrintable(error));
        QVERIFY(views() == after);

        // Saved: this set's files with their records and entries written in place (classic:
        // 836-byte land blocks, then 1188-byte static blocks; 548-byte entry blocks), a block
        // added whole; their art records as they are.
        QTemporaryDir out;
        DataSetSaver saver(data->art(), data->tiles(), data->anims());
        QVERIFY2(saver.save(out.path()) == DataSetSaver::Status::Saved, qPrintable(saver.errorString()));
        QByteArray tileData = TestFiles::fileBytes(data->filePath("tiledata.mul"));
        QByteArray animData = TestFiles::fileBytes(data->filePath("animdata.mul"));
        const auto put = [](QByteArray &file, qint64 at, const QByteArray &bytes, qint64 blockEnd) {
            file.append(QByteArray(qMax<qint64>(0, blockEnd - file.size()), '\0'));
            file.replace(at, bytes.size(), bytes);
        };
        ArtWork saved(QDir(out.path()).filePath("artidx.mul"), QDir(out.path()).filePath("art.mul"));
        for (qsizetype n = 0; n < taking.size(); ++n) {
            const auto &[kind, id] = taking.at(n);
            const QByteArray &record = std::get<1>(expected.at(n));
            if (kind == TileKind::Terrain)
                put(tileData, id / 32 * 836 + 4 + id % 32 * 26, record, 0);
            else
                put(tileData, 428032 + id / 32 * 1188 + 4 + id % 32 * 37, record,
                    428032 + (id / 32 + 1) * 1188);
            if (kind == TileKind::Static && parts.contains("animation"))
                put(animData, id / 8 * 548 + 4 + id % 8 * 68, std::get<2>(expected.at(n)),
                    (id / 8 + 1) * 548);
            const int slot = (kind == TileKind::Terrain ? 0 : 0x4000) + id;
            if (parts.contains("art") && !std::get<0>(expected.at(n)).isNull())
                QCOMPARE(saved.container().record(slot), theirs->art().container().record(slot));
        }
        QCOMPARE(TestFiles::fileBytes(QDir(out.path()).filePath("tiledata.mul")), tileData);
        QCOMPARE(TestFiles::fileBytes(QDir(out.path()).filePath("animdata.mul")), animData);
        for (const TileKind kind : {TileKind::Terrain, TileKind::Static}) {
            for (int id = 0; id < 128; ++id)
                QVERIFY(saved.image(kind, id, false) == data->art().image(kind, id, false));
        }
    }

    void findByName_data()
    {
        QTest::addColumn<bool>("terrain");
        QTest::addColumn<int>("count"); // ids searched
        QTest::addColumn<int>("after");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("found");
        QTest::newRow("wraps around, 40 past the count") << false << 40 << 12 << "Lamp" << 10;
        QTest::newRow("a pending name") << false << 96 << 12 << "lamp" << 40;
        QTest::newRow("after the last tile, the first before others") << false << 96 << 95 << "a" << 0;
        QTest::newRow("itself last") << false << 96 << 13 << "stone" << 13;
        QTest::newRow("Latin-1 case") << false << 96 << 14 << QString::fromUtf8("CAFÉ") << 15;
        QTest::newRow("empty text") << false << 96 << 3 << "" << -1;
        QTest::newRow("terrain names only") << true << 0x4000 << -1 << "lamp" << -1;
        QTest::newRow("terrain, wrapping") << true << 0x4000 << 200 << "GRASS" << 100;
    }
    void findByName()
    {
        QFETCH(bool, terrain);
        QFETCH(int, count);
        QFETCH(int, after);
        QFETCH(QString, text);
        QString error;
        QVERIFY(edits->changeProperties(
            TileKind::Static, 40, std::nullopt, named(*data->tiles().staticRecord(40), "new lamp"), &error));
        QTEST(TileNameSearch::next(
                  data->tiles(), terrain ? TileKind::Terrain : TileKind::Static, count, after, text),
            "found");
    }

    void filterConditions_data()
    {
        using F = TileFilter::Presence;
        QTest::addColumn<bool>("terrain");
        QTest::addColumn<QString>("name");
        QTest::addColumn<quint64>("set");
        QTest::addColumn<quint64>("notSet");
        QTest::addColumn<QString>("fields");
        QTest::addColumn<TileFilter::Presence>("image");
        QTest::addColumn<TileFilter::Presence>("edited");
        QTest::addColumn<QList<int>>("ids"); // those that pass
        QTest::addColumn<QString>("error"); // a part of the message; empty: the fields are read
        const quint64 wall = TileFlags::Wall, impassable = TileFlags::Impassable;
        const auto row = [](const char *name, bool terrain, const char *text, quint64 set, quint64 notSet,
                             const char *fields, F image, F edited, QList<int> ids, const char *error = "") {
            QTest::newRow(name) << terrain << QString::fromUtf8(text) << set << notSet << QString(fields)
                                << image << edited << ids << QString(error);
        };
        row("name, any case", false, "LAMP", 0, 0, "", F::Any, F::Any, {10, 12, 40});
        row("name, Latin-1 case", false, "café", 0, 0, "", F::Any, F::Any, {14, 15});
        row("flags set: all of them", false, "", wall | impassable, 0, "", F::Any, F::Any, {13});
        row("flags set: one", false, "", wall, 0, "", F::Any, F::Any, {11, 13});
        row("flags set and not set", false, "", wall, impassable, "", F::Any, F::Any, {11});
        row("a field equal", false, "", 0, 0, "weight = 255", F::Any, F::Any, {11});
        row("a field greater, hexadecimal", false, "", 0, 0, "animid > 0xFF", F::Any, F::Any, {40});
        row("fields, each", false, "", 0, 0, "height>=5 , weight != 255,", F::Any, F::Any, {13});
        row("the id", false, "", 0, 0, "id >= 90, id < 92", F::Any, F::Any, {90, 91});
        row("has an image", false, "", 0, 0, "", F::Present, F::Any, {7});
        row("has none", false, "wall", 0, 0, "", F::Absent, F::Any, {11, 13});
        row("edited", false, "", 0, 0, "", F::Any, F::Present, {5, 7, 11, 13, 40});
        row("not edited", false, "lamp", 0, 0, "", F::Any, F::Absent, {10, 12});
        row("every condition", false, "WALL", wall, impassable, "weight == 255", F::Absent, F::Present, {11});
        row("terrain fields", true, "", 0, 0, "texid = 0, id <= 2", F::Any, F::Any, {0, 1, 2});
        row("terrain name", true, "ras", 0, 0, "", F::Any, F::Any, {100});
        row("terrain image", true, "", 0, 0, "", F::Present, F::Any, {Ground});
        row("a field of the other kind", true, "", 0, 0, "weight = 1", F::Any, F::Any, {},
            "no field \"weight\"");
        row("past what the field holds", false, "", 0, 0, "weight = 256", F::Any, F::Any, {}, "0 to 255");
        row("no comparison", false, "", 0, 0, "weight 5", F::Any, F::Any, {},
            "\"weight 5\" is not a condition");
        row("no number", false, "", 0, 0, "height > -1", F::Any, F::Any, {}, "\"-1\"");
    }
    void filterConditions()
    {
        QFETCH(bool, terrain);
        QFETCH(QString, fields);
        QFETCH(QString, error);
        // Edited: images of 5 (deleted) and 7 (new), and the records of 11, 13 and 40.
        QVERIFY(data->art().setImage(TileKind::Static, Pictured, QImage())
            && data->art().setImage(TileKind::Static, 7, TestDataSet::solid(3, 3, Qt::red)));
        StaticTileRecord wall = named(*data->tiles().staticRecord(11), "wall");
        wall.flags = TileFlags::Wall;
        wall.weight = 255;
        StaticTileRecord stoneWall = named(*data->tiles().staticRecord(13), "stone wall");
        stoneWall.flags = TileFlags::Wall | TileFlags::Impassable;
        stoneWall.height = 5;
        StaticTileRecord lamp = named(*data->tiles().staticRecord(40), "new lamp");
        lamp.flags = TileFlags::Impassable;
        lamp.animid = 0x100;
        QVERIFY(data->tiles().setStaticRecord(11, wall) && data->tiles().setStaticRecord(13, stoneWall)
            && data->tiles().setStaticRecord(40, lamp));

        const TileKind kind = terrain ? TileKind::Terrain : TileKind::Static;
        TileFilter filter;
        QFETCH(QString, name);
        QFETCH(quint64, set);
        QFETCH(quint64, notSet);
        filter.nameContains = name;
        filter.flagsSet = set;
        filter.flagsNotSet = notSet;
        QString told;
        const auto parsed = TileFieldCondition::parseList(fields, kind, &told);
        QVERIFY2(parsed.has_value() == error.isEmpty(), qPrintable(told));
        QVERIFY2(told.contains(error), qPrintable(told));
        if (!parsed)
            return;
        filter.fields = *parsed;
        QFETCH(TileFilter::Presence, image);
        QFETCH(TileFilter::Presence, edited);
        filter.image = image;
        filter.edited = edited;
        QVERIFY(!filter.passesAll());
        const int count = terrain ? TileDataFormat::LandCount : 96;
        QTEST(QList<int>(filter.matchingIds(kind, count, data->tiles(), data->art())), "ids");
    }

private:
    // What tiles are taken from, and the same opened as a data set.
    std::unique_ptr<TestDataSet> theirFiles;
    std::unique_ptr<DataSet> theirs;
    std::unique_ptr<TestDataSet> data;
    std::unique_ptr<TileEdits> edits;
};

QTEST_MAIN(EditsTest)
#include "test_edits.moc"
