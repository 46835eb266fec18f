// The edits' undo history: each kind of edit taken back and made again exactly, in
// mixed sequences, the unsaved state following it, failures that change nothing; and
// finding tiles by name.

#include "TestDataSet.h"
#include "edits/TileEdits.h"
#include "edits/TileNameSearch.h"
#include "tiledata/TileDataFormat.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSignalSpy>
#include <QtTest>

namespace {

constexpr int Pictured = 5; // a static with an image
constexpr int Bare = 6; // a static without one
constexpr int Ground = 3; // a terrain tile with an image

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(no file)");
}

// Everything a user or a save can see of a tile, read from the stores' public faces
// and the pending files on disk.
struct TileView
{
    QImage image;
    QByteArray record;
    QString artPending; // "none", "deleted" or the pending file's bytes in hex
    QString recordPending;

    bool operator==(const TileView &o) const
    {
        return image == o.image && record == o.record && artPending == o.artPending
            && recordPending == o.recordPending;
    }
};

QString pendingText(const QHash<int, QString> &pending, int key)
{
    if (!pending.contains(key))
        return QStringLiteral("none");
    const QString path = pending.value(key);
    return path.isEmpty() ? QStringLiteral("deleted") : QString::fromLatin1(readFile(path).toHex());
}

TileView view(TestDataSet &data, TileKind kind, int id)
{
    const bool land = kind == TileKind::Terrain;
    return {land ? data.art().getTerrain(id, false) : data.art().getStatic(id, false),
        land ? data.tiles().landRecord(id) : data.tiles().staticRecord(id),
        pendingText(land ? data.art().pendingTerrain() : data.art().pendingStatics(), id),
        pendingText(data.tiles().pendingRecords(), land ? id : id + TileDataFormat::StaticKeyBase)};
}

char *toString(const TileView &v)
{
    return qstrdup(qPrintable(QStringLiteral("image %1x%2, art %3, record %4")
                                  .arg(v.image.width())
                                  .arg(v.image.height())
                                  .arg(v.artPending.left(16), v.recordPending.left(16))));
}

QByteArray named(const QByteArray &record, int nameOffset, const char *name)
{
    return record.left(nameOffset) + QByteArray(name).leftJustified(TileDataFormat::NameSize, '\0');
}

DataSetBuilder builder()
{
    DataSetBuilder b(96);
    b.setStaticImage(Pictured, TestDataSet::solid(20, 30, Qt::red));
    b.setTerrainImage(Ground, TestDataSet::terrain(Qt::darkGreen));
    const char *const names[] = {"Lamp post", "wall", "LAMP", "stone wall", "Café", "CAFÉ sign"};
    for (int i = 0; i < 6; ++i) {
        StaticTileRecord item;
        item.setNameText(QString::fromUtf8(names[i]));
        b.setStaticTile(10 + i, item);
    }
    LandTileRecord grass;
    grass.setNameText(QStringLiteral("grass"));
    b.setLandTile(100, grass);
    return b;
}

} // namespace

class EditsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        data = std::make_unique<TestDataSet>(builder());
        QVERIFY(data->isValid());
        edits = std::make_unique<TileEdits>(data->art(), data->tiles());
    }
    void cleanup()
    {
        edits.reset();
        data.reset();
    }

    void mixedEditsUndoAndRedoExactly()
    {
        // Each step: the edit, then what the tile looks like; undoing walks the list back.
        struct Step
        {
            TileKind kind;
            int id;
            QString undoText;
            TileView before;
            TileView after;
        };
        QList<Step> steps;
        QString error;
        const auto record = [&](TileKind kind, int id, const std::function<bool()> &edit) {
            const TileView before = view(*data, kind, id);
            QVERIFY2(edit(), qPrintable(error));
            steps.append({kind, id, edits->history().undoText(), before, view(*data, kind, id)});
        };
        const QImage blue = TestDataSet::solid(12, 9, Qt::blue);
        const QByteArray lamp = named(data->tiles().staticRecord(Pictured), 17, "lamp");
        record(TileKind::Static, Pictured, [&] {
            return edits->changeImage(TileKind::Static, Pictured, blue, TileEdits::importName(), &error);
        });
        record(TileKind::Terrain, Ground, [&] {
            return edits->changeImage(TileKind::Terrain, Ground, {}, TileEdits::deleteName(), &error);
        });
        // Image and record as one step, over the earlier import.
        record(TileKind::Static, Pictured, [&] {
            return edits->changeProperties(
                TileKind::Static, Pictured, TestDataSet::solid(4, 4, Qt::green), lamp, &error);
        });
        record(TileKind::Static, Bare,
            [&] { return edits->changeImage(TileKind::Static, Bare, blue, TileEdits::pasteName(), &error); });
        record(TileKind::Static, Pictured,
            [&] { return edits->changeImage(TileKind::Static, Pictured, {}, TileEdits::cutName(), &error); });
        record(TileKind::Terrain, Ground, [&] {
            return edits->changeImage(
                TileKind::Terrain, Ground, TestDataSet::terrain(Qt::yellow), TileEdits::dropName(), &error);
        });
        record(TileKind::Terrain, 100, [&] {
            return edits->changeProperties(TileKind::Terrain, 100, std::nullopt,
                named(data->tiles().landRecord(100), 6, "sand"), &error);
        });
        QCOMPARE(steps.at(0).undoText, QStringLiteral("Import of Static 0x5"));
        QCOMPARE(steps.at(2).undoText, QStringLiteral("Properties of Static 0x5"));
        QCOMPARE(steps.at(5).undoText, QStringLiteral("Drop of Terrain 0x3"));
        QCOMPARE(steps.at(2).after.record, lamp);
        QCOMPARE(steps.at(4).after.artPending, QStringLiteral("deleted"));

        QSignalSpy changed(edits.get(), &TileEdits::tileChanged);
        for (int i = steps.size() - 1; i >= 0; --i) {
            QCOMPARE(edits->history().undoText(), steps.at(i).undoText);
            QVERIFY2(edits->undo(&error), qPrintable(error));
            QCOMPARE(view(*data, steps.at(i).kind, steps.at(i).id), steps.at(i).before);
        }
        QVERIFY(!data->art().hasPendingEdits() && !data->tiles().hasPendingEdits());
        QVERIFY(!edits->hasUnsavedEdits());
        for (const Step &step : steps) {
            QVERIFY2(edits->redo(&error), qPrintable(error));
            QCOMPARE(view(*data, step.kind, step.id), step.after);
        }
        QCOMPARE(changed.size(), 2 * steps.size());
        QCOMPARE(changed.at(0), (QList<QVariant>{QVariant::fromValue(TileKind::Terrain), 100}));
    }

    void restoresTheExactBytesNotAReEncoding()
    {
        QString error;
        QVERIFY(edits->changeImage(
            TileKind::Static, Pictured, TestDataSet::solid(8, 8, Qt::blue), TileEdits::importName(), &error));
        // The same picture in a record the encoder would not write: another header.
        const QString path = data->art().pendingStatics().value(Pictured);
        QByteArray odd = readFile(path);
        odd[0] = char(0x5a);
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(odd) == odd.size());
        file.close();
        QVERIFY(edits->changeImage(TileKind::Static, Pictured, {}, TileEdits::deleteName(), &error));
        QVERIFY(edits->undo(&error));
        QCOMPARE(readFile(data->art().pendingStatics().value(Pictured)), odd);
    }

    void nothingChangedIsNoStep()
    {
        QString error;
        QVERIFY(edits->changeImage(TileKind::Static, Bare, {}, TileEdits::deleteName(), &error));
        QVERIFY(edits->changeImage(TileKind::Static, Bare, {}, TileEdits::deleteName(), &error));
        QVERIFY(edits->changeProperties(
            TileKind::Static, Bare, std::nullopt, data->tiles().staticRecord(Bare), &error));
        // The record stored is the file's own: pending now, so a step all the same.
        QCOMPARE(edits->history().count(), 2);
        QVERIFY(edits->changeProperties(
            TileKind::Static, Bare, std::nullopt, data->tiles().staticRecord(Bare), &error));
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
        QVERIFY(!edits->hasUnsavedEdits());
        QVERIFY(edits->undo(&error));
        QVERIFY(edits->hasUnsavedEdits());
        QVERIFY(edits->redo(&error));
        QVERIFY(!edits->hasUnsavedEdits()); // back where the save was
        QVERIFY(edits->undo(&error) && edits->undo(&error));
        QVERIFY(edits->hasUnsavedEdits());
        // A new edit after undoing past the save: the saved state cannot come back.
        QVERIFY(edits->changeImage(TileKind::Static, 8, red, TileEdits::pasteName(), &error));
        QVERIFY(edits->undo(&error) && edits->redo(&error));
        QVERIFY(edits->hasUnsavedEdits());
        QCOMPARE(unsaved.size(), 5); // unsaved, saved, unsaved, saved, unsaved
        // A save keeps the history.
        edits->markSaved();
        QVERIFY(edits->history().canUndo());
        // A change the history does not know of counts as unsaved until the next save.
        QVERIFY(data->art().setStatic(9, red));
        QVERIFY(edits->hasUnsavedEdits());
        edits->markSaved();
        QVERIFY(!edits->hasUnsavedEdits());
    }

    void failuresChangeNothing_data()
    {
        QTest::addColumn<QString>("blocked"); // a directory where this pending file would go
        QTest::addColumn<bool>("withImage");
        QTest::addColumn<QString>("named"); // in the error
        QTest::newRow("image") << "art:Static5.wfg" << true << "image of Static 0x5";
        QTest::newRow("record, the image taken back") << "tiles:TS5.wfg" << true << "tile data of Static 0x5";
        QTest::newRow("record alone") << "tiles:TS5.wfg" << false << "tile data of Static 0x5";
    }
    void failuresChangeNothing()
    {
        QFETCH(QString, blocked);
        QFETCH(bool, withImage);
        QFETCH(QString, named);
        const QString directory
            = blocked.startsWith("art") ? data->art().pendingDirectory() : data->tiles().pendingDirectory();
        QVERIFY(QDir(directory).mkdir(blocked.section(':', 1)));
        const TileView before = view(*data, TileKind::Static, Pictured);
        QString error;
        std::optional<QImage> image;
        if (withImage)
            image = TestDataSet::solid(9, 9, Qt::cyan);
        QVERIFY(!edits->changeProperties(TileKind::Static, Pictured, image,
            named.contains("tile data") ? std::optional<QByteArray>(QByteArray(37, 'x')) : std::nullopt,
            &error));
        QVERIFY2(error.contains(named), qPrintable(error));
        QCOMPARE(view(*data, TileKind::Static, Pictured), before);
        QCOMPARE(edits->history().count(), 0);
        QVERIFY(!edits->hasUnsavedEdits());
    }

    void failedUndoLeavesTileAndHistory()
    {
        QString error;
        QVERIFY(edits->changeImage(
            TileKind::Static, Pictured, TestDataSet::solid(5, 5, Qt::red), TileEdits::importName(), &error));
        const TileView first = view(*data, TileKind::Static, Pictured);
        QVERIFY(edits->changeImage(
            TileKind::Static, Pictured, TestDataSet::solid(6, 6, Qt::blue), TileEdits::pasteName(), &error));
        const TileView second = view(*data, TileKind::Static, Pictured);
        // Undoing must write the first record back; its file's place is taken.
        const QString path = data->art().pendingStatics().value(Pictured);
        QVERIFY(QFile::remove(path) && QDir().mkdir(path));
        QVERIFY(!edits->undo(&error));
        QVERIFY2(error.contains("Paste of Static 0x5"), qPrintable(error));
        QCOMPARE(edits->history().index(), 2);
        QVERIFY(!edits->history().canRedo());
        QVERIFY(QDir().rmdir(path));
        QVERIFY2(edits->undo(&error), qPrintable(error));
        QCOMPARE(view(*data, TileKind::Static, Pictured), first);
        QVERIFY(edits->redo(&error));
        QCOMPARE(view(*data, TileKind::Static, Pictured).image, second.image);
    }

    void findByName_data()
    {
        QTest::addColumn<int>("after");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("found");
        QTest::newRow("wraps around") << 12 << "Lamp" << 10;
        QTest::newRow("itself last") << 13 << "stone" << 13;
        QTest::newRow("Latin-1 case") << 14 << QString::fromUtf8("CAFÉ") << 15;
        QTest::newRow("empty text") << 3 << "" << -1;
    }
    void findByName()
    {
        QFETCH(int, after);
        QFETCH(QString, text);
        QTEST(TileNameSearch::next(data->tiles(), TileKind::Static, data->tiles().staticCount(), after, text),
            "found");
    }

    void findSeesPendingNamesAndTheKind()
    {
        QString error;
        QVERIFY(edits->changeProperties(TileKind::Static, 40, std::nullopt,
            named(data->tiles().staticRecord(40), 17, "new lamp"), &error));
        QCOMPARE(TileNameSearch::next(data->tiles(), TileKind::Static, 96, 12, "lamp"), 40);
        QCOMPARE(TileNameSearch::next(data->tiles(), TileKind::Terrain, 16384, -1, "lamp"), -1);
        QCOMPARE(TileNameSearch::next(data->tiles(), TileKind::Terrain, 16384, 200, "GRASS"), 100);
        // Ids past the count are not searched.
        QCOMPARE(TileNameSearch::next(data->tiles(), TileKind::Static, 40, 12, "new lamp"), -1);
    }

private:
    std::unique_ptr<TestDataSet> data;
    std::unique_ptr<TileEdits> edits;
};

QTEST_MAIN(EditsTest)
#include "test_edits.moc"
