// Tile data written out: a save keeps the layout it read and every byte not edited, and
// a conversion between the layouts changes only the width of the flags. Positions are
// written out from the format's description.

#include "TestDataSet.h"
#include "TestFiles.h"
#include "saving/DataSetSaver.h"
#include "saving/TileDataConversion.h"
#include "tiledata/TileFlags.h"

#include <QtTest>

using Status = DataSetSaver::Status;

Q_DECLARE_METATYPE(TileDataLayout)

namespace {

using TestFiles::fileBytes;
using TestFiles::writeFile;

const TileDataLayout Classic = TileDataLayout::classic();
const TileDataLayout HighSeas = TileDataLayout::highSeas();
const QByteArray Marker = QByteArray::fromHex("efbeadde");

// A procedural set of 96 statics: names with bytes after their NUL, every field used;
// upper flags only when asked for.
DataSetBuilder sampleSet(TileDataLayout layout, bool upperFlags = false)
{
    DataSetBuilder::Options options;
    options.staticCount = 96;
    options.terrainImages = 20;
    options.staticImages = 20;
    if (upperFlags)
        options.tileDataLayout = layout;
    DataSetBuilder builder = DataSetBuilder::procedural(options);
    builder.setTileDataLayout(layout);
    return builder;
}

// The builder's tile data with a marker in the header of the first land block and of
// the last static block, where no builder would put one.
QByteArray markedTileData(const DataSetBuilder &builder, qint64 lastStaticBlock)
{
    QByteArray bytes = builder.tileDataBytes();
    bytes.replace(0, 4, Marker);
    bytes.replace(lastStaticBlock, 4, Marker);
    return bytes;
}

// A set with a hand-made tiledata.mul, and its stores.
struct TileSet
{
    TileSet(const DataSetBuilder &builder, const QByteArray &tileData) : data(builder)
    {
        ok = data.isValid() && writeFile(data.filePath(QStringLiteral("tiledata.mul")), tileData);
        tiles
            = std::make_unique<TileData>(data.filePath(QStringLiteral("tiledata.mul")), data.pendingParent());
    }
    TestDataSet data;
    std::unique_ptr<TileData> tiles;
    bool ok = false;
};

} // namespace

class TestTileDataSaving : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void saveKeepsTheLayoutAndTheBytes_data();
    void saveKeepsTheLayoutAndTheBytes();
    void classicWidensToHighSeas();
    void highSeasNarrowsWithoutUpperFlags();
    void narrowingRefusesUpperFlags_data();
    void narrowingRefusesUpperFlags();
    void cutFileConvertsToWholeBlocks();
    void saverConvertsOrLeavesTheOutputAlone();
};

void TestTileDataSaving::saveKeepsTheLayoutAndTheBytes_data()
{
    QTest::addColumn<TileDataLayout>("layout");
    QTest::addColumn<qint64>("land40"); // record 8 of land block 1
    QTest::addColumn<qint64>("static33"); // record 1 of static block 1
    QTest::addColumn<qint64>("static100"); // past the end: record 4 of static block 3
    QTest::addColumn<qint64>("size");
    QTest::newRow("classic") << Classic << qint64(836 + 4 + 8 * 26) << qint64(428032 + 1188 + 4 + 37)
                             << qint64(428032 + 3 * 1188 + 4 + 4 * 37) << qint64(428032 + 4 * 1188);
    QTest::newRow("high-seas") << HighSeas << qint64(964 + 4 + 8 * 30) << qint64(493568 + 1316 + 4 + 41)
                               << qint64(493568 + 3 * 1316 + 4 + 4 * 41) << qint64(493568 + 4 * 1316);
}

void TestTileDataSaving::saveKeepsTheLayoutAndTheBytes()
{
    QFETCH(TileDataLayout, layout);
    QFETCH(qint64, land40);
    QFETCH(qint64, static33);
    QFETCH(qint64, static100);
    QFETCH(qint64, size);
    const DataSetBuilder builder = sampleSet(layout);
    const QByteArray original = markedTileData(builder, layout.staticBlockPosition(2));
    TileSet set(builder, original);
    QVERIFY(set.ok);
    TileData &tiles = *set.tiles;
    QCOMPARE(tiles.layout(), layout);

    // Edits through the records, as the properties window makes them.
    LandTileRecord land = LandTileRecord::fromBytes(tiles.landRecord(40));
    land.flags |= TileFlags::Roof | (layout.hasUpperFlags() ? quint64(TileFlags::NoShadow) : 0);
    StaticTileRecord item = StaticTileRecord::fromBytes(tiles.staticRecord(33));
    item.weight = 77;
    StaticTileRecord beyond;
    beyond.layout = layout;
    beyond.setNameText(QStringLiteral("new"));
    QVERIFY(tiles.setLandRecord(40, land.toBytes()));
    QVERIFY(tiles.setStaticRecord(33, item.toBytes()));
    QVERIFY(tiles.setStaticRecord(100, beyond.toBytes()));
    QTemporaryDir output;
    DataSetSaver saver(set.data.art(), tiles, set.data.anims());
    QCOMPARE(saver.save(output.path()), Status::Saved);

    QByteArray expected = original;
    expected.replace(land40, land.toBytes().size(), land.toBytes());
    expected.replace(static33, item.toBytes().size(), item.toBytes());
    // The new block is zeros but for the record, its header too.
    expected.append(QByteArray(size - expected.size(), '\0'));
    expected.replace(static100, beyond.toBytes().size(), beyond.toBytes());
    const QString saved = QDir(output.path()).filePath(QStringLiteral("tiledata.mul"));
    QCOMPARE(fileBytes(saved), expected);
    const TileData reread(saved);
    QCOMPARE(reread.layout(), layout);
    QCOMPARE(LandTileRecord::fromBytes(reread.landRecord(40)), land);
    QCOMPARE(reread.staticName(100), QStringLiteral("new"));
}

void TestTileDataSaving::classicWidensToHighSeas()
{
    const DataSetBuilder classic = sampleSet(Classic);
    DataSetBuilder wide = classic;
    wide.setTileDataLayout(HighSeas);
    TileSet set(classic, markedTileData(classic, 428032 + 2 * 1188));
    QVERIFY(set.ok);
    // An edit pending is converted with the rest.
    StaticTileRecord item = StaticTileRecord::fromBytes(set.tiles->staticRecord(5));
    item.flags = TileFlags::StairRight | TileFlags::Wet;
    QVERIFY(set.tiles->setStaticRecord(5, item.toBytes()));

    QByteArray converted;
    QString error;
    QVERIFY2(TileDataConversion::convert(*set.tiles, HighSeas, &converted, &error), qPrintable(error));
    // The same records and block headers, flags four bytes wider.
    QByteArray expected = markedTileData(wide, 493568 + 2 * 1316);
    item.layout = HighSeas;
    expected.replace(493568 + 4 + 5 * 41, 41, item.toBytes());
    QCOMPARE(converted.size(), 493568 + 3 * 1316);
    QCOMPARE(converted, expected);
    QCOMPARE(converted.mid(493568 + 4 + 5 * 41, 8), QByteArray::fromHex("8000008000000000"));
}

void TestTileDataSaving::highSeasNarrowsWithoutUpperFlags()
{
    const DataSetBuilder classic = sampleSet(Classic);
    DataSetBuilder wide = classic;
    wide.setTileDataLayout(HighSeas);
    TileSet set(wide, markedTileData(wide, 493568 + 2 * 1316));
    QVERIFY(set.ok);
    QByteArray converted;
    QString error;
    QVERIFY2(TileDataConversion::convert(*set.tiles, Classic, &converted, &error), qPrintable(error));
    QCOMPARE(converted, markedTileData(classic, 428032 + 2 * 1188));
}

void TestTileDataSaving::narrowingRefusesUpperFlags_data()
{
    QTest::addColumn<QVector<int>>("flagged"); // land ids, then 0x4000 + static ids, with an upper flag
    QTest::addColumn<int>(
        "pending"); // a pending edit sets (+) or clears (-) the flag of this static; 0: none
    QTest::addColumn<QString>("named"); // empty: converted
    QTest::newRow("statics") << QVector<int>{0x4000 + 0x1F3, 0x4000 + 0x20} << 0 << "static tile 32";
    QTest::newRow("land before statics") << QVector<int>{0x4000, 16383} << 0 << "land tile 16383";
    QTest::newRow("set by a pending edit") << QVector<int>{} << 7 << "static tile 7";
    QTest::newRow("cleared by a pending edit") << QVector<int>{0x4000 + 7} << -7 << "";
}

void TestTileDataSaving::narrowingRefusesUpperFlags()
{
    QFETCH(QVector<int>, flagged);
    QFETCH(int, pending);
    QFETCH(QString, named);
    DataSetBuilder builder(0x200);
    builder.setTileDataLayout(HighSeas);
    for (int key : flagged) {
        if (key < 0x4000) {
            LandTileRecord land;
            land.flags = TileFlags::Wet | TileFlags::MultiMovable;
            builder.setLandTile(key, land);
        } else {
            StaticTileRecord item;
            item.flags = TileFlags::Roof | (quint64(1) << 63);
            builder.setStaticTile(key - 0x4000, item);
        }
    }
    TileSet set(builder, builder.tileDataBytes());
    QVERIFY(set.ok);
    if (pending != 0) {
        StaticTileRecord item = StaticTileRecord::fromBytes(set.tiles->staticRecord(qAbs(pending)));
        item.flags = pending > 0 ? quint64(TileFlags::PixelBleed) : 0;
        QVERIFY(set.tiles->setStaticRecord(qAbs(pending), item.toBytes()));
    }
    QByteArray converted = "untouched";
    QString error;
    QCOMPARE(TileDataConversion::convert(*set.tiles, Classic, &converted, &error), named.isEmpty());
    if (named.isEmpty()) {
        QCOMPARE(converted.size(), 428032 + 16 * 1188);
        return;
    }
    QCOMPARE(converted, QByteArray("untouched"));
    QVERIFY2(error.startsWith(named + QLatin1String(" uses flags")), qPrintable(error));
    const char *flag = named.startsWith(QLatin1String("land")) ? "(MultiMovable)"
        : pending                                              ? "(PixelBleed)"
                                                               : "(Bit 63)";
    QVERIFY2(error.contains(QLatin1String(flag)), qPrintable(error));
}

void TestTileDataSaving::cutFileConvertsToWholeBlocks()
{
    DataSetBuilder builder(64);
    builder.setTileDataLayout(HighSeas);
    StaticTileRecord whole;
    whole.weight = 9;
    whole.setNameText(QStringLiteral("kept"));
    builder.setStaticTile(33, whole);
    StaticTileRecord half;
    half.weight = 5;
    half.height = 7;
    builder.setStaticTile(34, half);
    // Cut 20 bytes into static 34 (record 2 of static block 1): its flags and 12 more
    // bytes are there, its height not.
    const QByteArray cut = builder.tileDataBytes().left(493568 + 1316 + 4 + 2 * 41 + 20);
    TileSet set(builder, cut);
    QVERIFY(set.ok);
    set.tiles->setFileName(set.data.filePath(QStringLiteral("tiledata.mul")), nullptr, HighSeas);
    QCOMPARE(set.tiles->staticCount(), 32);
    QByteArray converted;
    QString error;
    QVERIFY(TileDataConversion::convert(*set.tiles, Classic, &converted, &error));
    QCOMPARE(converted.size(), 428032 + 2 * 1188);
    QCOMPARE(converted.mid(428032 + 1188, 4), QByteArray::fromHex("01000000"));
    QCOMPARE(StaticTileRecord::fromBytes(converted.mid(428032 + 1188 + 4 + 37, 37)), whole);
    const StaticTileRecord cutRecord
        = StaticTileRecord::fromBytes(converted.mid(428032 + 1188 + 4 + 2 * 37, 37));
    QCOMPARE(cutRecord.weight, quint8(5));
    QCOMPARE(cutRecord.height, quint8(0));
    QCOMPARE(converted.mid(428032 + 1188 + 4 + 3 * 37), QByteArray(29 * 37, '\0'));
}

void TestTileDataSaving::saverConvertsOrLeavesTheOutputAlone()
{
    DataSetBuilder builder = sampleSet(HighSeas, true);
    TileSet set(builder, builder.tileDataBytes());
    QVERIFY(set.ok);
    QTemporaryDir output;
    DataSetSaver saver(set.data.art(), *set.tiles, set.data.anims());
    saver.setTileDataLayout(Classic);
    // The procedural high-seas set uses upper flags: nothing is written.
    QCOMPARE(saver.save(output.path()), Status::Failed);
    QVERIFY2(saver.errorString().contains(QLatin1String(" uses flags the classic layout cannot hold")),
        qPrintable(saver.errorString()));
    QCOMPARE(
        QDir(output.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), QStringList());

    saver.setTileDataLayout(HighSeas);
    QCOMPARE(saver.save(output.path()), Status::Saved);
    QCOMPARE(
        fileBytes(QDir(output.path()).filePath(QStringLiteral("tiledata.mul"))), builder.tileDataBytes());
}

QTEST_GUILESS_MAIN(TestTileDataSaving)
#include "test_tiledata_saving.moc"
