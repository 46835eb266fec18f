// Opening a directory as a data set: what it names when the directory holds none,
// noticing files that change on disk, and pending edits that outlive the stores that
// made them: a data set opened again, and a run that ended abnormally.

#include "TestDataSet.h"
#include "art/ArtWork.h"
#include "dataset/DataSet.h"
#include "tiledata/StaticTileRecord.h"
#include "tiledata/TileData.h"

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

// The edits a user makes: terrain 3 replaced, static 2 deleted, static 40's record changed.
bool makeEdits(DataSet &set)
{
    StaticTileRecord item = StaticTileRecord::fromBytes(set.tiles().staticRecord(40));
    item.setNameText(QStringLiteral("kept"));
    return set.art().setTerrain(3, TestDataSet::terrain(Qt::red)) && set.art().setStatic(2, QImage())
        && set.tiles().setStaticRecord(40, item.toBytes());
}

void checkEdits(DataSet &set)
{
    QCOMPARE(set.art().getTerrain(3, false).pixel(22, 22), qRgb(248, 0, 0));
    QVERIFY(set.art().getStatic(2, false).isNull());
    QVERIFY(set.art().pendingStatics().contains(2));
    QCOMPARE(set.tiles().staticName(40), QStringLiteral("kept"));
}

} // namespace

class TestDataSetOpening : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void directoriesWithoutADataSet_data();
    void directoriesWithoutADataSet();
    void changedFilesAreNoticed();
    void reopeningKeepsTheEditsThatStillFit();
    void editsOfACrashedRunAreRecovered();
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
    if (damage == "cut")
        QVERIFY(QFile::resize(data.filePath("tiledata.mul"), 1000));
    for (const char *name : {"art.mul", "artidx.mul", "tiledata.mul", "animdata.mul"}) {
        if (damage == "empty" || (damage == "fifo" && name == QLatin1String("art.mul")))
            QVERIFY(QFile::remove(data.filePath(name)));
    }
    if (damage == "fifo")
        QCOMPARE(mkfifo(QFile::encodeName(data.filePath("art.mul")).constData(), 0600), 0);
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
        set->art().getStatic(id, false);
    QVERIFY(set->art().getTerrain(3, false).isNull());
}

void TestDataSetOpening::reopeningKeepsTheEditsThatStillFit()
{
    // Reopened as it was, every edit carries over; reopened with fewer statics in the tile
    // data, the record edit of static 40 no longer fits and is named, the art edits stay.
    TestDataSet data(smallSet());
    for (const qint64 cutTo : {qint64(0), qint64(428032 + 1188)}) {
        auto first = openSet(data.path(), data.pendingParent());
        QVERIFY(first && makeEdits(*first));
        if (cutTo > 0)
            QVERIFY(QFile::resize(data.filePath("tiledata.mul"), cutTo));
        auto second = openSet(data.path(), data.pendingParent());
        QVERIFY(second);
        QStringList dropped;
        second->takeEditsFrom(*first, &dropped);
        first.reset();
        QCOMPARE(dropped, cutTo > 0 ? QStringList{"static tile 40 (tile data)"} : QStringList());
        QCOMPARE(second->art().getTerrain(3, false).pixel(22, 22), qRgb(248, 0, 0));
        QVERIFY(second->art().getStatic(2, false).isNull());
        QCOMPARE(second->tiles().staticName(40), cutTo > 0 ? QString() : QStringLiteral("kept"));
        QCOMPARE(second->tiles().pendingRecords().isEmpty(), cutTo > 0);
    }
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

    auto set = openSet(data.path(), pending.path());
    QVERIFY(set);
    const QList<PendingEditDirectory::Orphan> orphans = set->orphanedEdits(pending.path());
    QCOMPARE(orphans.size(), 2); // art and tile data of this directory only
    QStringList dropped;
    QString error;
    QVERIFY2(set->recover(orphans, &dropped, &error), qPrintable(error));
    checkEdits(*set);
    QCOMPARE(set->art().pendingTerrain().size(), 1);

    // What is left over of the other data set's run goes; live directories stay.
    DataSet::removeOrphanedEdits(pending.path());
    QCOMPARE(PendingEditDirectory::orphans(pending.path()).size(), 0);
    checkEdits(*live);
    checkEdits(*set);
    QCOMPARE(QDir(pending.path()).entryList(QDir::Dirs | QDir::NoDotAndDotDot).size(), 4);
}

QTEST_GUILESS_MAIN(TestDataSetOpening)
#include "test_dataset.moc"
