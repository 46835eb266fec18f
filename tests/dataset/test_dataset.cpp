// Opening a directory as a data set: what it names when the directory holds none,
// noticing files that change on disk, and pending edits that outlive the stores that
// made them: a data set opened again, and a run that ended abnormally.

#include "TestDataSet.h"
#include "TestFiles.h"
#include "art/ArtWork.h"
#include "dataset/DataSet.h"
#include "tiledata/StaticTileRecord.h"
#include "tiledata/TileData.h"

#include <QtTest>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using TestFiles::writeFile;

DataSetBuilder smallSet(int statics = 64)
{
    DataSetBuilder builder(statics);
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
    QTest::addColumn<QStringList>("remove"); // files taken from a whole set
    QTest::addColumn<QByteArray>("tileData"); // replaces tiledata.mul when not empty
    QTest::addColumn<bool>("fifo"); // art.mul is a FIFO
    QTest::addColumn<QStringList>("named"); // what the message names
    const QStringList all{"art.mul", "artidx.mul", "tiledata.mul", "animdata.mul"};
    QTest::newRow("empty directory")
        << all << QByteArray() << false
        << QStringList{"Missing: art.mul and artidx.mul (or artLegacyMUL.uop), tiledata.mul, animdata.mul."};
    QTest::newRow("index only missing") << QStringList{"artidx.mul"} << QByteArray() << false
                                        << QStringList{"Missing: artidx.mul (or artLegacyMUL.uop)."};
    QTest::newRow("animation data missing")
        << QStringList{"animdata.mul"} << QByteArray() << false << QStringList{"Missing: animdata.mul."};
    QTest::newRow("tile data cut in its land section")
        << QStringList() << QByteArray(1000, 'x') << false
        << QStringList{"tiledata.mul is damaged", "1000 bytes"};
    QTest::newRow("art.mul a FIFO") << QStringList() << QByteArray() << true
                                    << QStringList{"art.mul is not a regular file"};
}

void TestDataSetOpening::directoriesWithoutADataSet()
{
    QFETCH(QStringList, remove);
    QFETCH(QByteArray, tileData);
    QFETCH(bool, fifo);
    QFETCH(QStringList, named);
    TestDataSet data(smallSet());
    for (const QString &name : remove)
        QVERIFY(QFile::remove(data.filePath(name)));
    if (!tileData.isEmpty())
        QVERIFY(writeFile(data.filePath("tiledata.mul"), tileData));
    if (fifo) {
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
        set->art().getStatic(id, false);
    QVERIFY(set->art().getTerrain(3, false).isNull());
}

void TestDataSetOpening::reopeningKeepsTheEditsThatStillFit()
{
    TestDataSet data(smallSet());
    auto first = openSet(data.path(), data.pendingParent());
    QVERIFY(first && makeEdits(*first));

    auto second = openSet(data.path(), data.pendingParent());
    QVERIFY(second);
    QStringList dropped;
    second->takeEditsFrom(*first, &dropped);
    first.reset();
    QCOMPARE(dropped, QStringList());
    checkEdits(*second);

    // A tile data file with fewer statics than before: the record edit of static 40 no
    // longer fits and is named; the art edits stay.
    second.reset();
    auto third = openSet(data.path(), data.pendingParent());
    QVERIFY(third && makeEdits(*third));
    QVERIFY(QFile::resize(data.filePath("tiledata.mul"), 428032 + 1188));
    auto fourth = openSet(data.path(), data.pendingParent());
    QVERIFY(fourth);
    fourth->takeEditsFrom(*third, &dropped);
    QCOMPARE(dropped, QStringList{"static tile 40 (tile data)"});
    QCOMPARE(fourth->art().getTerrain(3, false).pixel(22, 22), qRgb(248, 0, 0));
    QVERIFY(fourth->tiles().pendingRecords().isEmpty());
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
