// Undo history: every edit undone and redone exactly, the unsaved state, failures; finding by name.

#include "FileSizeLimit.h"
#include "TestDataSet.h"
#include "TestFiles.h"
#include "edits/TileEdits.h"
#include "edits/TileNameSearch.h"
#include "tiledata/TileDataFormat.h"

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
            const QString path = data->pendingEdits().recordFile(TileKind::Static, Pictured, Part::Image);
            QVERIFY(TestFiles::writeFile(path, TestFiles::fileBytes(path).replace(0, 1, "\x5a")));
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
        // A full disk cuts the image's pending record (some 230 bytes), or only the
        // record's (37 bytes, after a one-pixel image's 20), or a record of the other kind is
        // given: the image is taken back.
        const TileView before = view(*data, TileKind::Static, Pictured);
        const StaticTileRecord item = StaticTileRecord::fromBytes(QByteArray(37, 'x'));
        const QList<std::tuple<int, qint64, TileRecord, QString>> failures{
            {9, 100, item, "image of Static 0x5"}, {1, 30, item, "tile data of Static 0x5"},
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
        // Undoing must write the first record back; its file's place is taken.
        const QString path = data->pendingEdits().recordFile(TileKind::Static, Pictured, Part::Image);
        QVERIFY(QFile::remove(path) && QDir().mkdir(path));
        QVERIFY(!edits->undo(&error));
        QVERIFY2(error.contains("Paste of Static 0x5"), qPrintable(error));
        QVERIFY(edits->history().index() == 2 && !edits->history().canRedo() && QDir().rmdir(path));
        QVERIFY2(edits->undo(&error), qPrintable(error));
        QVERIFY(view(*data, TileKind::Static, Pictured) == first);
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

private:
    std::unique_ptr<TestDataSet> data;
    std::unique_ptr<TileEdits> edits;
};

QTEST_MAIN(EditsTest)
#include "test_edits.moc"
