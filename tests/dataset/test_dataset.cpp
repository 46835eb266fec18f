// Opening a data set: what is missing, files changed on disk, and pending edits that outlive their
// stores (a data set opened again, a run that ended abnormally).

#include "TestDataSet.h"
#include "art/ArtCodec.h"
#include "art/ArtWork.h"
#include "dataset/DataSet.h"
#include "tiledata/AnimDataFile.h"
#include "tiledata/StaticTileRecord.h"
#include "tiledata/TileData.h"
#include "tiledata/TileDataLayout.h"

#include <QtTest>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

DataSetBuilder smallSet()
{
    DataSetBuilder builder(64);
    builder.setTerrainImage(3, TestDataSet::terrain(Qt::blue));
    builder.setStaticImage(2, TestDataSet::solid(10, 12, Qt::green));
    return builder;
}

std::unique_ptr<DataSet> openSet(
    const QString &directory, const QString &pendingParent, QString *error = nullptr)
{
    QString ignored;
    DataSet::Options options;
    options.pendingParent = pendingParent;
    return DataSet::open(directory, options, error ? error : &ignored);
}

// The animation entry the edits give static 100 (past the end of animdata.mul too).
AnimDataEntry animation()
{
    AnimDataEntry entry;
    entry.frameCount = 2;
    entry.frameInterval = 3;
    entry.frameOffsets = {0, 1};
    return entry;
}

// The edits a user makes: terrain 3 replaced, static 2 deleted, the records of static 40
// and of static 100 (past the end of the file's 64, a first record) changed, and the
// animation entry of static 100.
bool makeEdits(DataSet &set)
{
    StaticTileRecord item = *set.tiles().staticRecord(40);
    item.setNameText(QStringLiteral("kept"));
    StaticTileRecord first;
    first.setNameText(QStringLiteral("first"));
    return set.art().setImage(TileKind::Terrain, 3, TestDataSet::terrain(Qt::red))
        && set.art().setImage(TileKind::Static, 2, QImage()) && set.tiles().setStaticRecord(40, item)
        && set.tiles().setStaticRecord(100, first) && set.anims().setEntry(100, animation());
}

void checkEdits(DataSet &set, bool tileDataKept = true, bool animated = true)
{
    QCOMPARE(set.art().image(TileKind::Terrain, 3, false).pixel(22, 22), qRgb(248, 0, 0));
    QVERIFY(set.art().image(TileKind::Static, 2, false).isNull());
    using Part = PendingEditStore::Part;
    QCOMPARE(set.pendingEdits().state(TileKind::Static, 2, Part::Image), PendingEdit::State::Deleted);
    QCOMPARE(set.tiles().name(TileKind::Static, 40), tileDataKept ? QStringLiteral("kept") : QString());
    QCOMPARE(set.tiles().name(TileKind::Static, 100), tileDataKept ? QStringLiteral("first") : QString());
    QCOMPARE(set.pendingEdits().editedIds(TileKind::Static, Part::TileData).size(), tileDataKept ? 2 : 0);
    QCOMPARE(set.anims().readEntry(100), animated ? animation() : AnimDataEntry());
    QCOMPARE(set.pendingEdits().editedIds(TileKind::Static, Part::Animation),
        animated ? QList<int>{100} : QList<int>());
}

// Where a crashed run's leftovers are: the pending directories nobody holds.
QStringList orphanDataDirectories(const QString &pendingParent)
{
    QStringList found;
    for (const PendingEditDirectory::Orphan &orphan : PendingEditDirectory::orphans(pendingParent))
        found.append(orphan.description.dataDirectory);
    return found;
}

} // namespace

class TestDataSetOpening : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void directoriesWithoutADataSet_data();
    void directoriesWithoutADataSet();
    void changedFilesAreNoticed();
    void reopeningKeepsTheEditsThatStillFit_data();
    void reopeningKeepsTheEditsThatStillFit();
    void editsOfACrashedRunAreRecovered();
    void editsOfAnEarlierVersionAreRecovered();
};

void TestDataSetOpening::directoriesWithoutADataSet_data()
{
    QTest::addColumn<QString>("damage");
    QTest::addColumn<QStringList>("named"); // what the message names
    QTest::newRow("empty directory")
        << "empty"
        << QStringList{"Missing: art.mul and artidx.mul (or artLegacyMUL.uop), tiledata.mul, animdata.mul."};
    QTest::newRow("tile data cut in its land section")
        << "cut" << QStringList{"tiledata.mul is damaged", "1000 bytes"};
    QTest::newRow("art.mul a FIFO") << "fifo" << QStringList{"art.mul is not a regular file"};
}

void TestDataSetOpening::directoriesWithoutADataSet()
{
    QFETCH(QString, damage);
    QFETCH(QStringList, named);
    TestDataSet data(smallSet());
    QVERIFY(damage != "cut" || QFile::resize(data.filePath("tiledata.mul"), 1000));
    for (const char *name : {"art.mul", "artidx.mul", "tiledata.mul", "animdata.mul"})
        QVERIFY(damage != "empty" || QFile::remove(data.filePath(name)));
    if (damage == "fifo") {
        QVERIFY(QFile::remove(data.filePath("art.mul")));
        QCOMPARE(mkfifo(QFile::encodeName(data.filePath("art.mul")).constData(), 0600), 0);
    }
    QTemporaryDir pending;
    QString error;
    QVERIFY(!openSet(data.path(), pending.path(), &error));
    QVERIFY2(error.startsWith(QDir::toNativeSeparators(data.path())), qPrintable(error));
    for (const QString &part : named)
        QVERIFY2(error.contains(part), qPrintable(error));
    // Nothing of the failed opening is left behind.
    QCOMPARE(QDir(pending.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList());
}

void TestDataSetOpening::changedFilesAreNoticed()
{
    TestDataSet data(smallSet());
    auto set = openSet(data.path(), data.pendingParent());
    QVERIFY(set);
    QCOMPARE(set->changedFile(), QString());
    // Rewritten in place with the same size, then cut: both are changes.
    QFile tiles(data.filePath("tiledata.mul"));
    QVERIFY(tiles.open(QIODevice::ReadWrite) && tiles.write("xyz") == 3);
    tiles.close();
    QCOMPARE(set->changedFile(), data.filePath("tiledata.mul"));
    QVERIFY(QFile::resize(data.filePath("art.mul"), 10));
    QCOMPARE(set->changedFile(), data.filePath("art.mul"));
    // Reads of the cut file give no image, never a crash.
    for (int id = 0; id < 64; ++id)
        set->art().image(TileKind::Static, id, false);
    QVERIFY(set->art().image(TileKind::Terrain, 3, false).isNull());
}

void TestDataSetOpening::reopeningKeepsTheEditsThatStillFit_data()
{
    QTest::addColumn<QString>("change"); // what happened to tiledata.mul meanwhile
    QTest::addColumn<QStringList>("dropped");
    // Statics 40 and 100 now lie past its end, as 100 did when it was edited.
    QTest::newRow("cut to one block of statics") << "cut" << QStringList();
    QTest::newRow("rewritten in the other layout")
        << "high-seas" << QStringList{"static tile 100 (tile data)", "static tile 40 (tile data)"};
}

void TestDataSetOpening::reopeningKeepsTheEditsThatStillFit()
{
    QFETCH(QString, change);
    QFETCH(QStringList, dropped);
    TestDataSet data(smallSet());
    auto first = openSet(data.path(), data.pendingParent());
    QVERIFY(first && makeEdits(*first));
    QVERIFY(change != "cut" || QFile::resize(data.filePath("tiledata.mul"), 428032 + 1188));
    if (change == "high-seas") {
        DataSetBuilder builder(64);
        builder.setTileDataLayout(TileDataLayout::highSeas());
        TestDataSet highSeas(builder);
        QVERIFY(QFile::remove(data.filePath("tiledata.mul")));
        QVERIFY(QFile::copy(highSeas.filePath("tiledata.mul"), data.filePath("tiledata.mul")));
    }
    auto second = openSet(data.path(), data.pendingParent());
    QVERIFY(second);
    QStringList droppedNow;
    second->takeEditsFrom(*first, &droppedNow);
    first.reset();
    droppedNow.sort();
    QCOMPARE(droppedNow, dropped); // sorted as text
    checkEdits(*second, dropped.isEmpty());
}

void TestDataSetOpening::editsOfACrashedRunAreRecovered()
{
    TestDataSet data(smallSet());
    TestDataSet other(smallSet());
    QTemporaryDir pending;
    // Two runs end abnormally, one on each data set: their stores never clean up.
    for (const QString &directory : {data.path(), other.path()}) {
        const pid_t child = fork();
        if (child == 0) {
            auto set = openSet(directory, pending.path());
            _exit(set && makeEdits(*set) ? 0 : 1);
        }
        int status = 0;
        QCOMPARE(waitpid(child, &status, 0), child);
        QVERIFY(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    // A live run's edits are nobody's orphans.
    auto live = openSet(data.path(), pending.path());
    QVERIFY(live && makeEdits(*live));

    // Each data set finds its own leftovers and only those, whether
    // the other's are discarded or recovered.
    for (const QString &directory : {other.path(), data.path()}) {
        auto set = openSet(directory, pending.path());
        QVERIFY(set);
        const QList<PendingEditDirectory::Orphan> orphans = set->orphanedEdits(pending.path());
        QCOMPARE(orphans.size(), 1);
        for (const PendingEditDirectory::Orphan &orphan : orphans)
            QCOMPARE(orphan.description.dataDirectory, directory);
        if (directory == other.path()) {
            DataSet::discard(orphans);
            QCOMPARE(orphanDataDirectories(pending.path()), QStringList{data.path()});
            continue;
        }
        QStringList dropped;
        QString error;
        QVERIFY2(set->recover(orphans, &dropped, &error), qPrintable(error));
        QCOMPARE(dropped, QStringList());
        checkEdits(*set);
        QCOMPARE(orphanDataDirectories(pending.path()), QStringList());
    }
    checkEdits(*live);
}

// Before one store kept every edit, a run kept its images and its tile-data records in a
// directory each; what such a run left when it crashed is recovered whole.
void TestDataSetOpening::editsOfAnEarlierVersionAreRecovered()
{
    TestDataSet data(smallSet());
    QTemporaryDir pending;
    const pid_t child = fork();
    if (child == 0) {
        StaticTileRecord item;
        item.setNameText(QStringLiteral("kept"));
        StaticTileRecord first;
        first.setNameText(QStringLiteral("first"));
        const auto images = new PendingEditDirectory(pending.path(), {"art", data.path(), QString()});
        const auto records = new PendingEditDirectory(pending.path(), {"tiledata", data.path(), QString()});
        const bool written = images->writeFile("Terrain3.wfg",
                                 ArtCodec::encodeTerrain(TestDataSet::terrain(Qt::red)), nullptr)
            && images->writeFile("Static2.deleted", {}, nullptr)
            && records->writeFile("TS40.wfg", item.toBytes(), nullptr)
            && records->writeFile("TS100.wfg", first.toBytes(), nullptr);
        _exit(written ? 0 : 1); // the directories are never removed
    }
    int status = 0;
    QCOMPARE(waitpid(child, &status, 0), child);
    QVERIFY(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    auto set = openSet(data.path(), pending.path());
    QVERIFY(set);
    const QList<PendingEditDirectory::Orphan> orphans = set->orphanedEdits(pending.path());
    QCOMPARE(orphans.size(), 2);
    QStringList dropped;
    QString error;
    QVERIFY2(set->recover(orphans, &dropped, &error), qPrintable(error));
    QCOMPARE(dropped, QStringList());
    checkEdits(*set, true, false);
    QCOMPARE(orphanDataDirectories(pending.path()), QStringList());
}

QTEST_GUILESS_MAIN(TestDataSetOpening)
#include "test_dataset.moc"
