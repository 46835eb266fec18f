// tiledata.mul and animdata.mul: record positions, the static count, names, pending
// record files, and short or damaged files.

#include "TestDataSet.h"
#include "tiledata/AnimDataFile.h"
#include "tiledata/LandTileRecord.h"
#include "tiledata/StaticTileRecord.h"
#include "tiledata/TileData.h"
#include "tiledata/TileDataFormat.h"
#include "tiledata/TileFlags.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QtTest>

using namespace TileDataFormat;

class TestTileData : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void staticCount_data();
    void staticCount();
    void recordsRoundTrip();
    void namesFromTheStoredField();
    void nameEncoding();
    void pendingRecordsServedFirst();
    void pendingFileVanishedOrShort();
    void failedPendingWriteChangesNothing();
    void recordsPastTheEndAreZeroFilled();
    void pendingDirectoryGoesWithTheStore();
    void animationEntries();
    void animationFileShortOrMissing();
};

void TestTileData::staticCount_data()
{
    QTest::addColumn<qint64>("size");
    QTest::addColumn<int>("count");
    QTest::newRow("three blocks and a bit") << qint64(428032 + 1188 * 3 + 100) << 96;
    QTest::newRow("partial block") << qint64(428032 + 1188 * 3 + 500) << 96;
    QTest::newRow("land only") << qint64(428032) << 0;
    QTest::newRow("shorter") << qint64(1000) << 0;
    QTest::newRow("1024 blocks") << qint64(428032 + 1188 * 1024) << 32768;
}

void TestTileData::staticCount()
{
    QFETCH(qint64, size);
    QFETCH(int, count);
    QTemporaryDir dir;
    QFile file(dir.filePath(QStringLiteral("tiledata.mul")));
    QVERIFY(file.open(QIODevice::WriteOnly) && file.resize(size));
    file.close();
    QCOMPARE(TileData(file.fileName(), dir.path()).staticCount(), count);
}

void TestTileData::recordsRoundTrip()
{
    DataSetBuilder builder(64);
    LandTileRecord land;
    land.flags = TileFlags::Wet | TileFlags::StairRight;
    land.texid = 0xbeef;
    land.setNameText(QStringLiteral("water"));
    builder.setLandTile(33, land);
    StaticTileRecord item;
    item.flags = TileFlags::Container;
    item.weight = 200;
    item.quality = 7;
    item.unknown = 0x1234;
    item.animid = 0xfedc;
    item.hue = 0xff;
    item.unknown3 = 0x8001;
    item.height = 99;
    item.setNameText(QStringLiteral("crate"));
    builder.setStaticTile(40, item);
    TestDataSet data(builder);

    const QByteArray landBytes = data.tiles().landRecord(33);
    QCOMPARE(landBytes.size(), LandRecordSize);
    QCOMPARE(landBytes.left(6), QByteArray::fromHex("80000080efbe"));
    QCOMPARE(LandTileRecord::fromBytes(landBytes), land);
    const QByteArray staticBytes = data.tiles().staticRecord(40);
    QCOMPARE(staticBytes.size(), StaticRecordSize);
    QCOMPARE(staticBytes.left(17), QByteArray::fromHex("00002000c80734120000dcfe00ff018063"));
    QCOMPARE(StaticTileRecord::fromBytes(staticBytes), item);
    QCOMPARE(data.tiles().staticName(40), QStringLiteral("crate"));
    QCOMPARE(data.tiles().landName(33), QStringLiteral("water"));
}

void TestTileData::namesFromTheStoredField()
{
    DataSetBuilder builder(32);
    LandTileRecord full;
    full.name = "exactly twenty chars";
    builder.setLandTile(1, full);
    LandTileRecord trailing;
    trailing.name = QByteArray("rock\0junk\xe9xx", 12).leftJustified(20, '\0');
    builder.setLandTile(2, trailing);
    StaticTileRecord latin;
    latin.name = QByteArray("caf\xe9").leftJustified(20, '\0');
    builder.setStaticTile(3, latin);
    TestDataSet data(builder);

    QCOMPARE(data.tiles().landName(1), QStringLiteral("exactly twenty chars"));
    QCOMPARE(data.tiles().landName(2), QStringLiteral("rock"));
    QCOMPARE(data.tiles().landName(0), QString());
    QCOMPARE(data.tiles().staticName(3), QString::fromLatin1("caf\xe9"));
    QVERIFY(data.tiles().landName(-1).isNull());
    QVERIFY(data.tiles().staticName(-1).isNull());
    // The bytes after the NUL travel with the record.
    QCOMPARE(LandTileRecord::fromBytes(data.tiles().landRecord(2)).name, trailing.name);
}

void TestTileData::nameEncoding()
{
    StaticTileRecord record;
    record.setNameText(QStringLiteral("twenty-five characters!!!"));
    QCOMPARE(record.name, QByteArray("twenty-five characte"));
    QCOMPARE(record.nameText(), QStringLiteral("twenty-five characte"));
    record.setNameText(QStringLiteral("ab"));
    QCOMPARE(record.name, QByteArray("ab").leftJustified(20, '\0'));
    QCOMPARE(record.toBytes().size(), StaticRecordSize);
    // Short input reads as zero-filled.
    QCOMPARE(StaticTileRecord::fromBytes(QByteArray("\x01", 1)).flags, 1u);
    QCOMPARE(LandTileRecord::fromBytes(QByteArray()).toBytes(), QByteArray(LandRecordSize, '\0'));
}

void TestTileData::pendingRecordsServedFirst()
{
    TestDataSet data{DataSetBuilder(64)};
    TileData &tiles = data.tiles();
    QSignalSpy changed(&tiles, &TileData::pendingChanged);
    StaticTileRecord item;
    item.setNameText(QStringLiteral("edited"));
    QVERIFY(tiles.setStaticRecord(5, item.toBytes()));
    QCOMPARE(tiles.staticRecord(5), item.toBytes());
    QCOMPARE(tiles.staticName(5), QStringLiteral("edited"));
    // Land 5 and static 5 are apart.
    QCOMPARE(tiles.landRecord(5), tiles.originalLandRecord(5));
    QVERIFY(tiles.pendingRecords().contains(5 + StaticKeyBase));
    QVERIFY(!tiles.pendingRecords().contains(5));
    QCOMPARE(
        QFileInfo(tiles.pendingRecords().value(5 + StaticKeyBase)).fileName(), QStringLiteral("TS5.wfg"));

    LandTileRecord land;
    land.setNameText(QStringLiteral("first"));
    QVERIFY(tiles.setLandRecord(7, land.toBytes()));
    land.setNameText(QStringLiteral("second"));
    QVERIFY(tiles.setLandRecord(7, land.toBytes()));
    QCOMPARE(tiles.landName(7), QStringLiteral("second"));
    QCOMPARE(QDir(tiles.pendingDirectory()).entryList({QStringLiteral("TT*")}, QDir::Files),
        QStringList{QStringLiteral("TT7.wfg")});
    QCOMPARE(changed.count(), 3);
}

void TestTileData::pendingFileVanishedOrShort()
{
    TestDataSet data{DataSetBuilder(64)};
    TileData &tiles = data.tiles();
    QVERIFY(tiles.setLandRecord(1, QByteArray(LandRecordSize, 'a')));
    QVERIFY(tiles.setStaticRecord(2, QByteArray(StaticRecordSize, 'b')));
    QFile::remove(tiles.pendingRecords().value(1));
    QFile shortFile(tiles.pendingRecords().value(2 + StaticKeyBase));
    QVERIFY(shortFile.open(QIODevice::WriteOnly));
    shortFile.write("xyz");
    shortFile.close();
    QCOMPARE(tiles.landRecord(1), tiles.originalLandRecord(1));
    QCOMPARE(tiles.staticRecord(2), tiles.originalStaticRecord(2));
    // A short record handed in is stored full length.
    QVERIFY(tiles.setLandRecord(3, QByteArray("ab")));
    QCOMPARE(tiles.landRecord(3), QByteArray("ab").leftJustified(LandRecordSize, '\0'));
}

void TestTileData::failedPendingWriteChangesNothing()
{
    TestDataSet data{DataSetBuilder(64)};
    TileData &tiles = data.tiles();
    QVERIFY(tiles.setLandRecord(9, QByteArray(LandRecordSize, 'a')));
    QFile::remove(tiles.pendingRecords().value(9));
    QVERIFY(QDir(tiles.pendingDirectory()).mkdir(QStringLiteral("TT9.wfg")));
    QVERIFY(QDir(tiles.pendingDirectory()).mkdir(QStringLiteral("TS4.wfg")));
    QString error;
    QVERIFY(!tiles.setStaticRecord(4, QByteArray(StaticRecordSize, 'c'), &error));
    QVERIFY(error.contains(QLatin1String("TS4.wfg")));
    QVERIFY(!tiles.pendingRecords().contains(4 + StaticKeyBase));
    QCOMPARE(tiles.staticRecord(4), tiles.originalStaticRecord(4));
    QVERIFY(!tiles.setLandRecord(LandCount, QByteArray(LandRecordSize, 'a'), &error));
    QVERIFY(!tiles.setStaticRecord(-1, QByteArray(StaticRecordSize, 'a'), &error));
}

void TestTileData::recordsPastTheEndAreZeroFilled()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("tiledata.mul"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(landPosition(10) + 5, '\x7f'));
    file.close();
    TileData tiles(path, dir.path());
    QCOMPARE(tiles.landRecord(10), QByteArray(5, '\x7f') + QByteArray(21, '\0'));
    QCOMPARE(tiles.landRecord(5000), QByteArray(LandRecordSize, '\0'));
    QCOMPARE(tiles.staticRecord(0), QByteArray(StaticRecordSize, '\0'));
    QCOMPARE(tiles.staticCount(), 0);

    TileData missing(dir.filePath(QStringLiteral("nothing.mul")), dir.path());
    QCOMPARE(missing.landRecord(1), QByteArray(LandRecordSize, '\0'));
    QCOMPARE(missing.landName(1), QString());
}

void TestTileData::pendingDirectoryGoesWithTheStore()
{
    TestDataSet data{DataSetBuilder(32)};
    QString directory;
    {
        TileData tiles(data.filePath(QStringLiteral("tiledata.mul")), data.pendingParent());
        QVERIFY(tiles.setLandRecord(1, QByteArray(LandRecordSize, 'x')));
        directory = tiles.pendingDirectory();
        QVERIFY(QFileInfo::exists(directory));
        tiles.setTempDir(data.pendingParent());
        QVERIFY(!QFileInfo::exists(directory));
        QVERIFY(!tiles.hasPendingEdits());
        QCOMPARE(tiles.landRecord(1), tiles.originalLandRecord(1));
        directory = tiles.pendingDirectory();
    }
    QVERIFY(!QFileInfo::exists(directory));
}

void TestTileData::animationEntries()
{
    DataSetBuilder builder(32);
    AnimDataEntry entry;
    entry.frameOffsets[0] = -3;
    entry.frameOffsets[63] = 127;
    entry.animUnknown = 1;
    entry.frameCount = -1; // stored 0xFF
    entry.frameInterval = 4;
    entry.frameStart = 9;
    builder.setAnim(9, entry);
    QTemporaryDir dir;
    QVERIFY(builder.write(dir.path()));
    AnimDataFile anim;
    anim.setFileName(dir.filePath(QStringLiteral("animdata.mul")));
    QCOMPARE(anim.readEntry(9), entry);
    QCOMPARE(anim.readEntry(8), AnimDataEntry());
    QCOMPARE(anim.readEntry(9).toBytes().at(65), '\xff');
    QCOMPARE(anim.readEntry(9).toBytes().at(66), '\x04'); // interval before start
}

void TestTileData::animationFileShortOrMissing()
{
    QTemporaryDir dir;
    AnimDataFile missing;
    missing.setFileName(dir.filePath(QStringLiteral("animdata.mul")));
    QCOMPARE(missing.readEntry(0), AnimDataEntry());
    QCOMPARE(missing.readEntry(-1), AnimDataEntry());

    QFile file(dir.filePath(QStringLiteral("short.mul")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(4 + 10, '\x05'));
    file.close();
    AnimDataFile cut;
    cut.setFileName(file.fileName());
    const AnimDataEntry entry = cut.readEntry(0);
    QCOMPARE(entry.frameOffsets[9], qint8(5));
    QCOMPARE(entry.frameOffsets[10], qint8(0));
    QCOMPARE(entry.frameCount, qint8(0));
}

QTEST_GUILESS_MAIN(TestTileData)
#include "test_tiledata.moc"
