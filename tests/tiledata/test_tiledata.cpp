// tiledata.mul in both layouts and animdata.mul: where records lie, which layout a file
// is read in, which ids it holds, flag names, names, pending record files, and short or
// damaged files. Expected positions and bytes are written out from the format's
// description, never computed with the code under test.

#include "TestDataSet.h"
#include "TestFiles.h"
#include "dataset/DataSet.h"
#include "tiledata/AnimDataFile.h"
#include "tiledata/LandTileRecord.h"
#include "tiledata/StaticTileRecord.h"
#include "tiledata/TileData.h"
#include "tiledata/TileDataLayout.h"
#include "tiledata/TileFlags.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QtTest>
#include <climits>

using namespace TileDataFormat;

Q_DECLARE_METATYPE(TileDataLayout)

namespace {

using TestFiles::fileBytes;

constexpr qint64 ClassicLand = 428032;
constexpr qint64 HighSeasLand = 493568;
constexpr qint64 ClassicBlock = 1188;
constexpr qint64 HighSeasBlock = 1316;
constexpr qint64 FullClassic = 2861056;
constexpr qint64 FullHighSeas = 3188736;

const TileDataLayout Classic = TileDataLayout::classic();
const TileDataLayout HighSeas = TileDataLayout::highSeas();

QString writeSized(const QTemporaryDir &dir, qint64 size)
{
    QFile file(dir.filePath(QStringLiteral("tiledata.mul")));
    if (!file.open(QIODevice::WriteOnly) || !file.resize(size))
        return QString();
    return file.fileName();
}

void resizeFile(const QString &path, qint64 size)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadWrite) && file.resize(size));
}

// A land and a static record with every field set and a name with bytes after its NUL.
LandTileRecord sampleLand(quint64 flags)
{
    LandTileRecord land;
    land.flags = flags;
    land.texid = 0xbeef;
    land.name = QByteArray("water\0junk", 10).leftJustified(NameSize, '\0');
    return land;
}

StaticTileRecord sampleStatic(quint64 flags)
{
    StaticTileRecord item;
    item.flags = flags;
    item.weight = 200;
    item.quality = 7;
    item.unknown = 0x1234;
    item.unknown1 = 0x21;
    item.quantity = 0x22;
    item.animid = 0xfedc;
    item.unknown2 = 0x23;
    item.hue = 0xff;
    item.unknown3 = 0x8001;
    item.height = 99;
    item.name = QByteArray("crate\0\x7f\x01", 8).leftJustified(NameSize, '\0');
    return item;
}

} // namespace

class TestTileData : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void layoutFacts_data();
    void layoutFacts();
    void layoutFromSize_data();
    void layoutFromSize();
    void damagedHighSeasFiles_data();
    void damagedHighSeasFiles();
    void flagNames();
    void recordsInBothLayouts_data();
    void recordsInBothLayouts();
    void namesFromTheStoredField();
    void nameEncoding();
    void idsTheFileDoesNotHold();
    void pendingRecordsServedFirst_data();
    void pendingRecordsServedFirst();
    void pendingFileVanishedOrShort();
    void failedPendingWriteChangesNothing();
    void pendingDirectoryGoesWithTheStore();
    void animationEntries();
    void animationFileShortOrMissing();
};

void TestTileData::layoutFacts_data()
{
    QTest::addColumn<TileDataLayout>("layout");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QVector<qint64>>("facts");
    // land record, static record, land block, static block, land section, land 33,
    // land 16383, static 0, static 33, static 65535, a full file
    QTest::newRow("classic") << Classic << "classic"
                             << QVector<qint64>{26, 37, 836, 1188, 428032, 866, 428006, 428036, 429261,
                                    2861019, FullClassic};
    QTest::newRow("high-seas") << HighSeas << "high-seas"
                               << QVector<qint64>{30, 41, 964, 1316, 493568, 998, 493538, 493572, 494929,
                                      3188695, FullHighSeas};
}

void TestTileData::layoutFacts()
{
    QFETCH(TileDataLayout, layout);
    QFETCH(QString, name);
    QFETCH(QVector<qint64>, facts);
    QCOMPARE(layout.name(), name);
    TileDataLayout parsed;
    QVERIFY(TileDataLayout::fromName(name, &parsed) && parsed == layout);
    const QVector<qint64> actual{layout.landRecordSize(), layout.staticRecordSize(), layout.landBlockSize(),
        layout.staticBlockSize(), layout.landSectionSize(), layout.landPosition(33),
        layout.landPosition(16383), layout.staticPosition(0), layout.staticPosition(33),
        layout.staticPosition(65535), layout.staticBlockPosition(2048)};
    QCOMPARE(actual, facts);
    QCOMPARE(layout.staticCountForSize(facts.last()), 65536);
    QCOMPARE(layout.landCountForSize(facts.last()), 16384);
    QVERIFY(!TileDataLayout::fromName(QStringLiteral("High-Seas"), &parsed));
}

void TestTileData::layoutFromSize_data()
{
    QTest::addColumn<qint64>("size");
    QTest::addColumn<int>("forced"); // -1: told by the size
    QTest::addColumn<QString>("layout");
    QTest::addColumn<int>("lands");
    QTest::addColumn<int>("statics");
    QTest::addColumn<qint64>("partial"); // bytes past the last whole block
    const int none = -1;
    const int classic = int(TileDataLayout::Kind::Classic);
    const int highSeas = int(TileDataLayout::Kind::HighSeas);
    QTest::newRow("empty") << qint64(0) << none << "classic" << 0 << 0 << qint64(0);
    QTest::newRow("1,000 bytes") << qint64(1000) << none << "classic" << 32 << 0 << qint64(164);
    QTest::newRow("classic land only") << ClassicLand << none << "classic" << 16384 << 0 << qint64(0);
    QTest::newRow("classic, three blocks and a bit")
        << ClassicLand + 3 * ClassicBlock + 100 << none << "classic" << 16384 << 96 << qint64(100);
    QTest::newRow("full classic") << FullClassic << none << "classic" << 16384 << 65536 << qint64(0);
    // (493568 - 428032) is not a whole number of classic blocks.
    QTest::newRow("high-seas land only") << HighSeasLand << none << "high-seas" << 16384 << 0 << qint64(0);
    QTest::newRow("one byte short of high-seas land")
        << HighSeasLand - 1 << none << "classic" << 16384 << 1760 << qint64(195);
    QTest::newRow("high-seas, one block")
        << HighSeasLand + HighSeasBlock << none << "high-seas" << 16384 << 32 << qint64(0);
    QTest::newRow("high-seas, one block and a byte")
        << HighSeasLand + HighSeasBlock + 1 << none << "classic" << 16384 << 1792 << qint64(325);
    QTest::newRow("full high-seas") << FullHighSeas << none << "high-seas" << 16384 << 65536 << qint64(0);
    // 601,480 = 428,032 + 146 × 1,188 = 493,568 + 82 × 1,316: whole blocks in both.
    QTest::newRow("whole blocks in both layouts")
        << qint64(601480) << none << "classic" << 16384 << 4672 << qint64(0);
    QTest::newRow("forced high-seas, same size")
        << qint64(601480) << highSeas << "high-seas" << 16384 << 2624 << qint64(0);
    QTest::newRow("full high-seas cut by a record")
        << FullHighSeas - 41 << none << "classic" << 16384 << 65536 << qint64(939);
    QTest::newRow("full high-seas cut by a record, forced")
        << FullHighSeas - 41 << highSeas << "high-seas" << 16384 << 65504 << qint64(1275);
    QTest::newRow("full high-seas forced classic")
        << FullHighSeas << classic << "classic" << 16384 << 65536 << qint64(980);
    QTest::newRow("forced high-seas, cut in the land section")
        << qint64(2000) << highSeas << "high-seas" << 64 << 0 << qint64(2000 - 2 * 964);
}

void TestTileData::layoutFromSize()
{
    QFETCH(qint64, size);
    QFETCH(int, forced);
    QFETCH(QString, layout);
    QFETCH(int, lands);
    QFETCH(int, statics);
    QFETCH(qint64, partial);
    QTemporaryDir dir;
    const QString path = writeSized(dir, size);
    QVERIFY(!path.isEmpty());
    std::optional<TileDataLayout> given;
    if (forced >= 0)
        given = TileDataLayout(TileDataLayout::Kind(forced));
    const TileData tiles(path, dir.path(), given);
    QCOMPARE(tiles.layoutName(), layout);
    QCOMPARE(tiles.isLayoutForced(), forced >= 0);
    QCOMPARE(tiles.landCount(), lands);
    QCOMPARE(tiles.staticCount(), statics);
    QCOMPARE(tiles.partialBlockBytes(), partial);
    // The last id held is there to read, the next is not.
    QCOMPARE(tiles.landRecord(lands - 1).size(), lands > 0 ? tiles.layout().landRecordSize() : 0);
    QVERIFY(tiles.landRecord(lands).isEmpty());
    QCOMPARE(tiles.staticRecord(statics - 1).size(), statics > 0 ? tiles.layout().staticRecordSize() : 0);
    QVERIFY(tiles.staticRecord(statics).isEmpty());
}

void TestTileData::damagedHighSeasFiles_data()
{
    QTest::addColumn<qint64>("size"); // the generated file's 3 static blocks cut or grown to this
    QTest::addColumn<bool>("forced");
    QTest::addColumn<QString>("layout"); // empty: the set is refused
    QTest::addColumn<int>("statics");
    const qint64 whole = HighSeasLand + 3 * HighSeasBlock;
    QTest::newRow("whole") << whole << false << "high-seas" << 96;
    QTest::newRow("cut mid-block") << whole - 500 << false << "classic" << 1856;
    QTest::newRow("cut mid-block, forced") << whole - 500 << true << "high-seas" << 64;
    QTest::newRow("cut mid-record, forced") << whole - 20 << true << "high-seas" << 64;
    QTest::newRow("grown by 7 bytes") << whole + 7 << false << "classic" << 1856;
    QTest::newRow("grown by 7 bytes, forced") << whole + 7 << true << "high-seas" << 96;
    QTest::newRow("cut inside the land section") << qint64(450000) << false << "classic" << 576;
    QTest::newRow("cut inside the land section, forced") << qint64(450000) << true << QString() << 0;
    QTest::newRow("cut to 1,000 bytes") << qint64(1000) << false << QString() << 0;
    QTest::newRow("cut to 1,000 bytes, forced") << qint64(1000) << true << QString() << 0;
}

void TestTileData::damagedHighSeasFiles()
{
    QFETCH(qint64, size);
    QFETCH(bool, forced);
    QFETCH(QString, layout);
    QFETCH(int, statics);
    DataSetBuilder builder(96);
    builder.setTileDataLayout(HighSeas);
    const StaticTileRecord item = sampleStatic(TileFlags::Roof | TileFlags::NoShadow);
    builder.setStaticTile(40, item);
    TestDataSet data(builder);
    resizeFile(data.filePath(QStringLiteral("tiledata.mul")), size);

    DataSet::Options options;
    options.pendingParent = data.pendingParent();
    if (forced)
        options.tileDataLayout = HighSeas;
    QString error;
    const std::unique_ptr<DataSet> set = DataSet::open(data.path(), options, &error);
    QCOMPARE(set != nullptr, !layout.isEmpty());
    if (!set) {
        QVERIFY2(error.contains(QLatin1String("tiledata.mul is damaged")), qPrintable(error));
        QVERIFY2(error.contains(QString::number(forced ? HighSeasLand : ClassicLand)), qPrintable(error));
        return;
    }
    const TileData &tiles = set->tiles();
    QCOMPARE(tiles.layoutName(), layout);
    QCOMPARE(tiles.staticCount(), statics);
    QCOMPARE(tiles.landCount(), 16384);
    // Every record held reads whole; the first one past them is an error, not zeros.
    for (int id = 0; id < statics; ++id)
        QCOMPARE(tiles.staticRecord(id).size(), tiles.layout().staticRecordSize());
    QString why;
    QVERIFY(tiles.staticRecord(statics, &why).isEmpty());
    QVERIFY2(why.contains(QStringLiteral("holds no static tile %1").arg(statics)), qPrintable(why));
    if (layout == QLatin1String("high-seas") && statics > 40)
        QCOMPARE(StaticTileRecord::fromBytes(tiles.staticRecord(40)), item);
}

void TestTileData::flagNames()
{
    const QStringList expected{"Background", "Weapon", "Transparent", "Translucent", "Wall", "Damaging",
        "Impassable", "Wet", "Unknown", "Surface", "Bridge", "Generic", "Window", "NoShoot", "PrefixA",
        "PrefixAn", "Internal", "Foliage", "PartialHue", "Unknown1", "Map", "Container", "Wearable",
        "LightSource", "Animated", "Diagnol", "Unknown2", "Armor", "Roof", "Door", "StairBack", "StairRight",
        "AlphaBlend", "UseNewArt", "ArtUsed", "Bit 35", "NoShadow", "PixelBleed", "PlayAnimOnce", "Bit 39",
        "MultiMovable"};
    for (int bit = 0; bit < TileFlags::FlagCount; ++bit) {
        const QString name = bit < expected.size() ? expected[bit] : QStringLiteral("Bit %1").arg(bit);
        QCOMPARE(TileFlags::flagName(bit), name);
        QCOMPARE(TileFlags::isNamed(bit), !name.startsWith(QLatin1String("Bit ")));
    }
    QCOMPARE(TileFlags::flagName(64), QString());
    QCOMPARE(TileFlags::flagName(-1), QString());
    QCOMPARE(TileFlags::flagLabel(38), QStringLiteral("Play Anim Once"));
    QCOMPARE(TileFlags::flagLabel(63), QStringLiteral("Bit 63"));
    QCOMPARE(TileFlags::flagNames(0x8000000000000001ull | 0x80000000ull | 0x10000000000ull),
        (QStringList{"Background", "StairRight", "MultiMovable", "Bit 63"}));
    QCOMPARE(TileFlags::UpperFlags, 0xffffffff00000000ull);
}

void TestTileData::recordsInBothLayouts_data()
{
    QTest::addColumn<TileDataLayout>("layout");
    QTest::addColumn<quint64>("flags");
    QTest::addColumn<qint64>("landAt"); // where land 33 and static 40 lie
    QTest::addColumn<qint64>("staticAt");
    QTest::addColumn<QByteArray>("landBytes"); // their bytes before the name
    QTest::addColumn<QByteArray>("staticBytes");
    // Wet | StairRight, and for high-seas also AlphaBlend and bit 63.
    QTest::newRow("classic") << Classic << quint64(0x80000080) << qint64(866)
                             << qint64(428032 + 1188 + 4 + 8 * 37) << QByteArray::fromHex("80000080 efbe")
                             << QByteArray::fromHex("80000080 c8 07 3412 21 22 dcfe 23 ff 0180 63");
    QTest::newRow("high-seas") << HighSeas << quint64(0x8000000180000080) << qint64(998)
                               << qint64(493568 + 1316 + 4 + 8 * 41)
                               << QByteArray::fromHex("80000080 01000080 efbe")
                               << QByteArray::fromHex(
                                      "80000080 01000080 c8 07 3412 21 22 dcfe 23 ff 0180 63");
}

void TestTileData::recordsInBothLayouts()
{
    QFETCH(TileDataLayout, layout);
    QFETCH(quint64, flags);
    QFETCH(qint64, landAt);
    QFETCH(qint64, staticAt);
    QFETCH(QByteArray, landBytes);
    QFETCH(QByteArray, staticBytes);
    DataSetBuilder builder(64);
    builder.setTileDataLayout(layout);
    builder.setLandTile(33, sampleLand(flags));
    builder.setStaticTile(40, sampleStatic(flags));
    TestDataSet data(builder);
    QCOMPARE(data.tiles().layout(), layout);

    const QByteArray file = fileBytes(data.filePath(QStringLiteral("tiledata.mul")));
    const QByteArray landRecord = landBytes + sampleLand(0).name;
    const QByteArray staticRecord = staticBytes + sampleStatic(0).name;
    QCOMPARE(file.mid(landAt, landRecord.size()), landRecord);
    QCOMPARE(file.mid(staticAt, staticRecord.size()), staticRecord);
    // Block headers carry the builder's running numbers: static block 1 is after land block 511.
    QCOMPARE(file.mid(staticAt - 8 * staticRecord.size() - 4, 4), QByteArray::fromHex("01000000"));

    QCOMPARE(data.tiles().landRecord(33), landRecord);
    QCOMPARE(data.tiles().staticRecord(40), staticRecord);
    const LandTileRecord land = LandTileRecord::fromBytes(landRecord);
    const StaticTileRecord item = StaticTileRecord::fromBytes(staticRecord);
    QCOMPARE(land.flags, flags);
    QCOMPARE(item.flags, flags);
    QCOMPARE(land.layout, layout);
    QCOMPARE(item, sampleStatic(flags));
    QCOMPARE(land.toBytes(), landRecord);
    QCOMPARE(item.toBytes(), staticRecord);
    QCOMPARE(data.tiles().landName(33), QStringLiteral("water"));
    QCOMPARE(data.tiles().staticName(40), QStringLiteral("crate"));
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
    QVERIFY(data.tiles().staticName(32).isNull());
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
    QCOMPARE(record.toBytes().size(), 37);
    record.layout = HighSeas;
    QCOMPARE(record.toBytes().size(), 41);
    // Short input reads as zero-filled, classic.
    QCOMPARE(StaticTileRecord::fromBytes(QByteArray("\x01", 1)).flags, 1u);
    QCOMPARE(LandTileRecord::fromBytes(QByteArray()).toBytes(), QByteArray(26, '\0'));
    // A record's layout goes by its length; classic keeps only the lower flags.
    QCOMPARE(LandTileRecord::fromBytes(QByteArray(30, '\xff')).flags, ~quint64(0));
    QCOMPARE(LandTileRecord::fromBytes(QByteArray(30, '\xff'), Classic).flags, 0xffffffffull);
    LandTileRecord wide = LandTileRecord::fromBytes(QByteArray(30, '\xff'));
    wide.layout = Classic;
    QCOMPARE(wide.toBytes(), QByteArray(26, '\xff'));
}

void TestTileData::idsTheFileDoesNotHold()
{
    DataSetBuilder builder(64);
    builder.setTileDataLayout(HighSeas);
    TestDataSet data(builder);
    TileData &tiles = data.tiles();
    QString error;
    for (int id : {-1, 64, 65535, 65536, INT_MAX, INT_MIN}) {
        error.clear();
        QVERIFY(tiles.staticRecord(id, &error).isEmpty());
        QVERIFY2(
            error.contains(QStringLiteral("holds no static tile %1 (its static tiles: 0 to 63)").arg(id)),
            qPrintable(error));
        QVERIFY(tiles.originalStaticRecord(id).isEmpty());
        QVERIFY(!tiles.holdsStatic(id));
    }
    for (int id : {-1, 16384, INT_MAX}) {
        QVERIFY(tiles.landRecord(id, &error).isEmpty());
        QVERIFY2(error.contains(QStringLiteral("holds no land tile %1").arg(id)), qPrintable(error));
    }
    for (int id : {-1, 65536, INT_MAX})
        QVERIFY(!tiles.setStaticRecord(id, QByteArray(41, 'a'), &error));
    QVERIFY(!tiles.setLandRecord(16384, QByteArray(30, 'a'), &error));
    // A record of the other layout is refused, whatever its bytes.
    QVERIFY(!tiles.setLandRecord(3, QByteArray(26, 'a'), &error));
    QVERIFY2(error.contains(QLatin1String("26 bytes")) && error.contains(QLatin1String("high-seas")),
        qPrintable(error));
    QVERIFY(!tiles.setStaticRecord(3, QByteArray(37, 'a'), &error));
    QVERIFY(!tiles.hasPendingEdits());
    // An edit past the end of the file is there to read until saved.
    QVERIFY(tiles.setStaticRecord(100, QByteArray(41, 'z')));
    QVERIFY(tiles.holdsStatic(100) && !tiles.holdsStatic(99));
    QCOMPARE(tiles.staticRecord(100), QByteArray(41, 'z'));
    QCOMPARE(tiles.staticCount(), 64);
}

void TestTileData::pendingRecordsServedFirst_data()
{
    QTest::addColumn<TileDataLayout>("layout");
    QTest::newRow("classic") << Classic;
    QTest::newRow("high-seas") << HighSeas;
}

void TestTileData::pendingRecordsServedFirst()
{
    QFETCH(TileDataLayout, layout);
    DataSetBuilder builder(64);
    builder.setTileDataLayout(layout);
    TestDataSet data(builder);
    TileData &tiles = data.tiles();
    QSignalSpy changed(&tiles, &TileData::pendingChanged);
    StaticTileRecord item = sampleStatic(TileFlags::Door);
    item.layout = layout;
    item.setNameText(QStringLiteral("edited"));
    QVERIFY(tiles.setStaticRecord(5, item.toBytes()));
    QCOMPARE(tiles.staticRecord(5), item.toBytes());
    QCOMPARE(tiles.staticName(5), QStringLiteral("edited"));
    // Land 5 and static 5 are apart.
    QCOMPARE(tiles.landRecord(5), tiles.originalLandRecord(5));
    QVERIFY(tiles.pendingRecords().contains(5 + StaticKeyBase));
    QVERIFY(!tiles.pendingRecords().contains(5));
    const QFileInfo pendingFile(tiles.pendingRecords().value(5 + StaticKeyBase));
    QCOMPARE(pendingFile.fileName(), QStringLiteral("TS5.wfg"));
    QCOMPARE(pendingFile.size(), layout.hasUpperFlags() ? 41 : 37);

    LandTileRecord land;
    land.layout = layout;
    land.setNameText(QStringLiteral("first"));
    QVERIFY(tiles.setLandRecord(7, land.toBytes()));
    land.setNameText(QStringLiteral("second"));
    QVERIFY(tiles.setLandRecord(7, land.toBytes()));
    QCOMPARE(tiles.landName(7), QStringLiteral("second"));
    QCOMPARE(QDir(tiles.pendingDirectory()).entryList({QStringLiteral("TT*")}, QDir::Files),
        QStringList{QStringLiteral("TT7.wfg")});
    QCOMPARE(QFileInfo(tiles.pendingRecords().value(7)).size(), layout.hasUpperFlags() ? 30 : 26);
    QCOMPARE(changed.count(), 3);
}

void TestTileData::pendingFileVanishedOrShort()
{
    TestDataSet data{DataSetBuilder(64)};
    TileData &tiles = data.tiles();
    QVERIFY(tiles.setLandRecord(1, QByteArray(26, 'a')));
    QVERIFY(tiles.setStaticRecord(2, QByteArray(37, 'b')));
    QFile::remove(tiles.pendingRecords().value(1));
    QFile shortFile(tiles.pendingRecords().value(2 + StaticKeyBase));
    QVERIFY(shortFile.open(QIODevice::WriteOnly));
    shortFile.write("xyz");
    shortFile.close();
    QCOMPARE(tiles.landRecord(1), tiles.originalLandRecord(1));
    QCOMPARE(tiles.staticRecord(2), tiles.originalStaticRecord(2));
    QCOMPARE(tiles.staticRecord(2).size(), 37);
}

void TestTileData::failedPendingWriteChangesNothing()
{
    TestDataSet data{DataSetBuilder(64)};
    TileData &tiles = data.tiles();
    QVERIFY(tiles.setLandRecord(9, QByteArray(26, 'a')));
    QFile::remove(tiles.pendingRecords().value(9));
    QVERIFY(QDir(tiles.pendingDirectory()).mkdir(QStringLiteral("TT9.wfg")));
    QVERIFY(QDir(tiles.pendingDirectory()).mkdir(QStringLiteral("TS4.wfg")));
    QString error;
    QVERIFY(!tiles.setStaticRecord(4, QByteArray(37, 'c'), &error));
    QVERIFY(error.contains(QLatin1String("TS4.wfg")));
    QVERIFY(!tiles.pendingRecords().contains(4 + StaticKeyBase));
    QCOMPARE(tiles.staticRecord(4), tiles.originalStaticRecord(4));
}

void TestTileData::pendingDirectoryGoesWithTheStore()
{
    TestDataSet data{DataSetBuilder(32)};
    QString directory;
    {
        TileData tiles(data.filePath(QStringLiteral("tiledata.mul")), data.pendingParent());
        QVERIFY(tiles.setLandRecord(1, QByteArray(26, 'x')));
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
