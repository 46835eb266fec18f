// Tile data saved: the layout kept or converted, every byte not edited kept, only the flags' width
// changed by a conversion. Positions come from the format.

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

// A procedural set of 96 statics: names with bytes after their NUL, every field used,
// no upper flags.
DataSetBuilder sampleSet(TileDataLayout layout)
{
    DataSetBuilder::Options options;
    options.staticCount = 96;
    options.terrainImages = 20;
    options.staticImages = 20;
    DataSetBuilder builder = DataSetBuilder::procedural(options);
    builder.setTileDataLayout(layout);
    return builder;
}

// sampleSet()'s tile data with a marker, where no builder puts one, in the header of the first land
// block and of the last of its three static blocks.
QByteArray markedTileData(TileDataLayout layout)
{
    return sampleSet(layout)
        .tileDataBytes()
        .replace(0, 4, Marker)
        .replace(layout.hasUpperFlags() ? 493568 + 2 * 1316 : 428032 + 2 * 1188, 4, Marker);
}

// The set's tiledata.mul replaced by bytes, and a store reading it.
std::unique_ptr<TileData> replacedTiles(
    TestDataSet &data, const QByteArray &bytes, std::optional<TileDataLayout> layout = std::nullopt)
{
    const QString path = data.filePath("tiledata.mul");
    return writeFile(path, bytes) ? std::make_unique<TileData>(path, data.pendingParent(), layout) : nullptr;
}

} // namespace

class TestTileDataSaving : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void saveKeepsOrConvertsTheLayout_data();
    void saveKeepsOrConvertsTheLayout();
    void narrowingRefusesUpperFlags_data();
    void narrowingRefusesUpperFlags();
    void cutFileConvertsToWholeBlocks();
};

void TestTileDataSaving::saveKeepsOrConvertsTheLayout_data()
{
    QTest::addColumn<TileDataLayout>("from");
    QTest::addColumn<TileDataLayout>("to");
    // In the saved file: land 40 (record 8 of land block 1), static 33 (record 1 of static
    // block 1), static 100 (past the end: record 4 of static block 3), and its size.
    QTest::addColumn<QVector<qint64>>("at");
    QTest::addColumn<QByteArray>("flags"); // static 33's flags there
    const QVector<qint64> classic{
        836 + 4 + 8 * 26, 428032 + 1188 + 4 + 37, 428032 + 3 * 1188 + 4 + 4 * 37, 428032 + 4 * 1188};
    const QVector<qint64> highSeas{
        964 + 4 + 8 * 30, 493568 + 1316 + 4 + 41, 493568 + 3 * 1316 + 4 + 4 * 41, 493568 + 4 * 1316};
    const QByteArray narrow = QByteArray::fromHex("80000080");
    const QByteArray wide = QByteArray::fromHex("8000008000000000");
    QTest::newRow("high-seas") << HighSeas << HighSeas << highSeas << wide;
    QTest::newRow("widened") << Classic << HighSeas << highSeas << wide;
    QTest::newRow("narrowed") << HighSeas << Classic << classic << narrow;
}

void TestTileDataSaving::saveKeepsOrConvertsTheLayout()
{
    QFETCH(TileDataLayout, from);
    QFETCH(TileDataLayout, to);
    QFETCH(QVector<qint64>, at);
    QFETCH(QByteArray, flags);
    TestDataSet data(sampleSet(from));
    const auto tiles = replacedTiles(data, markedTileData(from));
    QVERIFY(tiles && tiles->layout() == from);

    // Edits through the records, as the properties window makes them.
    LandTileRecord land = *tiles->landRecord(40);
    land.flags |= TileFlags::Roof | (from == to && to.hasUpperFlags() ? quint64(TileFlags::NoShadow) : 0);
    StaticTileRecord item = *tiles->staticRecord(33);
    item.flags = TileFlags::StairRight | TileFlags::Wet;
    item.weight = 77;
    StaticTileRecord beyond;
    beyond.layout = from;
    beyond.setNameText(QStringLiteral("new"));
    QVERIFY(tiles->setLandRecord(40, land) && tiles->setStaticRecord(33, item));
    QVERIFY(tiles->setStaticRecord(100, beyond));
    QTemporaryDir output;
    DataSetSaver saver(data.art(), *tiles, data.anims());
    saver.setTileDataLayout(to);
    QCOMPARE(saver.save(output.path()), Status::Saved);

    // The same records and block headers, the flags as wide as the layout saved; the new
    // block is zeros but for the record, its header too.
    QByteArray expected = markedTileData(to);
    expected.append(QByteArray(at[3] - expected.size(), '\0'));
    land.layout = item.layout = beyond.layout = to;
    expected.replace(at[0], land.toBytes().size(), land.toBytes());
    expected.replace(at[1], item.toBytes().size(), item.toBytes());
    expected.replace(at[2], beyond.toBytes().size(), beyond.toBytes());
    const QByteArray saved = fileBytes(QDir(output.path()).filePath("tiledata.mul"));
    QCOMPARE(saved, expected);
    QCOMPARE(saved.mid(at[1], flags.size()), flags);
}

void TestTileDataSaving::narrowingRefusesUpperFlags_data()
{
    QTest::addColumn<bool>("landFlagged"); // land 16383 uses MultiMovable in the file
    QTest::addColumn<bool>("staticFlagged"); // static 7 uses bit 63 in the file
    QTest::addColumn<qint64>("edited"); // static 7's flags in a pending edit; -1: none
    QTest::addColumn<QStringList>("named"); // what the refusal names; empty: converted
    QTest::newRow("land before statics")
        << true << true << qint64(-1) << QStringList{"land tile 16383 uses flags", "(MultiMovable)"};
    QTest::newRow("static") << false << true << qint64(-1)
                            << QStringList{"static tile 7 uses flags", "(Bit 63)"};
    QTest::newRow("set by a pending edit") << false << false << qint64(TileFlags::PixelBleed)
                                           << QStringList{"static tile 7 uses flags", "(PixelBleed)"};
    QTest::newRow("cleared by a pending edit") << false << true << qint64(0) << QStringList();
}

void TestTileDataSaving::narrowingRefusesUpperFlags()
{
    QFETCH(bool, landFlagged);
    QFETCH(bool, staticFlagged);
    QFETCH(qint64, edited);
    QFETCH(QStringList, named);
    DataSetBuilder builder(64);
    builder.setTileDataLayout(HighSeas);
    LandTileRecord land;
    land.flags = TileFlags::Wet | (landFlagged ? quint64(TileFlags::MultiMovable) : 0);
    builder.setLandTile(16383, land);
    StaticTileRecord item;
    item.flags = TileFlags::Roof | (staticFlagged ? quint64(1) << 63 : 0);
    builder.setStaticTile(7, item);
    TestDataSet data(builder);
    if (edited >= 0) {
        item = *data.tiles().staticRecord(7);
        item.flags = quint64(edited);
        QVERIFY(data.tiles().setStaticRecord(7, item));
    }
    QByteArray converted = "untouched";
    QString error;
    QCOMPARE(TileDataConversion::convert(data.tiles(), Classic, &converted, &error), named.isEmpty());
    QCOMPARE(converted.size(), named.isEmpty() ? 428032 + 2 * 1188 : 9);
    for (const QString &part : named)
        QVERIFY2(error.startsWith(named.first()) && error.contains(part), qPrintable(error));
}

void TestTileDataSaving::cutFileConvertsToWholeBlocks()
{
    DataSetBuilder builder(64);
    builder.setTileDataLayout(HighSeas);
    StaticTileRecord half;
    half.weight = 5;
    half.height = 7;
    builder.setStaticTile(34, half);
    // Cut 20 bytes into static 34 (record 2 of static block 1): its flags and 12 more
    // bytes are there, its height not.
    TestDataSet data(builder);
    const auto tiles
        = replacedTiles(data, builder.tileDataBytes().left(493568 + 1316 + 4 + 2 * 41 + 20), HighSeas);
    QVERIFY(tiles);
    QByteArray converted;
    QString error;
    QVERIFY2(TileDataConversion::convert(*tiles, Classic, &converted, &error), qPrintable(error));
    // The block's header and what there is of the record kept, the rest zeros.
    QCOMPARE(converted.size(), 428032 + 2 * 1188);
    QCOMPARE(converted.mid(428032 + 1188, 4), QByteArray::fromHex("01000000"));
    const StaticTileRecord cut = StaticTileRecord::fromBytes(converted.mid(428032 + 1188 + 4 + 2 * 37, 37));
    QCOMPARE(cut.weight, quint8(5));
    QCOMPARE(cut.height, quint8(0));
    QCOMPARE(converted.mid(428032 + 1188 + 4 + 3 * 37), QByteArray(29 * 37, '\0'));
    // A save that converts says so: 4 + 2 x 41 + 20 bytes of the block are there.
    QTemporaryDir output;
    DataSetSaver saver(data.art(), *tiles, data.anims());
    saver.setTileDataLayout(Classic);
    QCOMPARE(saver.save(output.path()), Status::Saved);
    QVERIFY2(saver.notice().contains("tiledata.mul ends 106 bytes into a block; the converted file fills the "
                                     "rest of that block with zeros"),
        qPrintable(saver.notice()));
}

QTEST_GUILESS_MAIN(TestTileDataSaving)
#include "test_tiledata_saving.moc"
