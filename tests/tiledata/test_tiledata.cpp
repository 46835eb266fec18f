// tiledata.mul in both layouts and animdata.mul: where records lie, which layout a file is read
// in, which ids it holds, names, pending records, damaged files. Positions come from the format.

#include "FileSizeLimit.h"
#include "TestDataSet.h"
#include "TestFiles.h"
#include "dataset/DataSet.h"
#include "tiledata/AnimDataFile.h"
#include "tiledata/LandTileRecord.h"
#include "tiledata/StaticTileRecord.h"
#include "tiledata/TileData.h"
#include "tiledata/TileFlags.h"

#include <QFile>
#include <QtTest>
#include <climits>

using namespace TileDataFormat;

Q_DECLARE_METATYPE(TileDataLayout)

namespace {

using TestFiles::fileBytes;
using TestFiles::writeFile;

constexpr qint64 ClassicLand = 428032;
constexpr qint64 HighSeasLand = 493568;
constexpr qint64 FullHighSeas = 3188736;

const TileDataLayout Classic = TileDataLayout::classic();
const TileDataLayout HighSeas = TileDataLayout::highSeas();

// Names with bytes after their NUL.
const QByteArray LandName = QByteArray("water\0junk", 10).leftJustified(NameSize, '\0');
const QByteArray StaticName = QByteArray("crate\0\x7f\x01", 8).leftJustified(NameSize, '\0');

// A tiledata.mul of 96 statics written in one layout, cut or grown, and opened.
struct LayoutCase
{
    const char *name;
    int written; // the layout's kind
    bool named; // every record named, block headers overwritten: names alone tell
    qint64 size; // the file cut, or grown with zeros, to this
    int forced; // -1: told by the file
    const char *layout; // empty: the set is refused
    int statics;
    qint64 partial; // bytes past the last whole block
    const char *reason; // part of why the layout was chosen
};

} // namespace

Q_DECLARE_METATYPE(LayoutCase)

class TestTileData : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void recordsInBothLayouts_data();
    void recordsInBothLayouts();
    void layoutFromSizeAndContent_data();
    void layoutFromSizeAndContent();
    void flagNames();
    void idsTheFileDoesNotHold();
    void damagedOrUnwritablePendingFiles();
    void animationEntries();
};

void TestTileData::recordsInBothLayouts_data()
{
    QTest::addColumn<TileDataLayout>("layout");
    // Where land 33, static 40, land 16383, static 65535 and static block 2048 lie.
    QTest::addColumn<QVector<qint64>>("at");
    QTest::addColumn<QByteArray>("land"); // land 33 and static 40 before their names
    QTest::addColumn<QByteArray>("item");
    QTest::addColumn<quint64>("flags"); // of both
    // Wet | StairRight, and for high-seas also AlphaBlend and bit 63; every other field set.
    QTest::newRow("classic") << Classic
                             << QVector<qint64>{866, 428032 + 1188 + 4 + 8 * 37, 428006, 2861019, 2861056}
                             << QByteArray::fromHex("80000080 efbe")
                             << QByteArray::fromHex("80000080 c8 07 3412 21 22 dcfe 23 ff 0180 63")
                             << quint64(TileFlags::Wet | TileFlags::StairRight);
    QTest::newRow("high-seas") << HighSeas
                               << QVector<qint64>{998, 493568 + 1316 + 4 + 8 * 41, 493538, 3188695, 3188736}
                               << QByteArray::fromHex("80000080 01000080 efbe")
                               << QByteArray::fromHex("80000080 01000080 c8 07 3412 21 22 dcfe 23 ff 0180 63")
                               << (TileFlags::Wet | TileFlags::StairRight | TileFlags::AlphaBlend
                                      | 1ull << 63);
}

void TestTileData::recordsInBothLayouts()
{
    QFETCH(TileDataLayout, layout);
    QFETCH(QVector<qint64>, at);
    QFETCH(QByteArray, land);
    QFETCH(QByteArray, item);
    QFETCH(quint64, flags);
    QCOMPARE((QVector<qint64>{layout.landPosition(33), layout.staticPosition(40), layout.landPosition(16383),
                 layout.staticPosition(65535), layout.staticBlockPosition(2048)}),
        at);
    land += LandName;
    item += StaticName;
    DataSetBuilder builder(64);
    builder.setTileDataLayout(layout);
    builder.setLandTile(33, LandTileRecord::fromBytes(land));
    builder.setStaticTile(40, StaticTileRecord::fromBytes(item));
    TestDataSet data(builder);
    TileData &tiles = data.tiles();

    // Every byte where the format puts it, the bytes after the NUL too; block headers carry
    // the builder's running numbers: static block 1 is after land block 511.
    const QByteArray file = fileBytes(data.filePath("tiledata.mul"));
    QCOMPARE(file.mid(at[0], land.size()), land);
    QCOMPARE(file.mid(at[1], item.size()), item);
    QCOMPARE(file.mid(at[1] - 8 * item.size() - 4, 4), QByteArray::fromHex("01000000"));
    // Read into their fields and written back, every byte is kept, the name's after its NUL too.
    const StaticTileRecord read = *tiles.staticRecord(40);
    QCOMPARE(tiles.landRecord(33)->toBytes(), land);
    QCOMPARE(read.toBytes(), item);
    QCOMPARE(tiles.landRecord(33)->flags, flags);
    QCOMPARE(read.flags, flags);
    QCOMPARE((QList<int>{read.unknown, read.unknown1, read.animid, read.unknown2, read.unknown3}),
        (QList<int>{0x1234, 0x21, 0xfedc, 0x23, 0x8001}));
    QCOMPARE(tiles.name(TileKind::Terrain, 33), QStringLiteral("water"));
    QCOMPARE(tiles.name(TileKind::Static, 40), QStringLiteral("crate"));

    // Pending records are served first, each kind apart; an edit made again replaces the first.
    StaticTileRecord edited = StaticTileRecord::fromBytes(item);
    edited.setNameText(QStringLiteral("edited"));
    QVERIFY(tiles.setStaticRecord(5, edited));
    QCOMPARE(tiles.staticRecord(5)->toBytes(), edited.toBytes());
    QCOMPARE(tiles.name(TileKind::Static, 5), QStringLiteral("edited"));
    QCOMPARE(tiles.landRecord(5)->toBytes(), tiles.originalLandRecord(5)->toBytes());
    LandTileRecord first = LandTileRecord::fromBytes(land);
    first.setNameText(QStringLiteral("first"));
    QVERIFY(tiles.setLandRecord(7, first));
    QVERIFY(tiles.setLandRecord(7, LandTileRecord::fromBytes(land)));
    QCOMPARE(tiles.name(TileKind::Terrain, 7), QStringLiteral("water"));
    QCOMPARE(
        tiles.pendingEdits().editedIds(TileKind::Terrain, PendingEditStore::Part::TileData), QList<int>{7});
}

void TestTileData::layoutFromSizeAndContent_data()
{
    QTest::addColumn<LayoutCase>("c");
    const int no = -1;
    const int CL = int(TileDataLayout::Kind::Classic);
    const int HS = int(TileDataLayout::Kind::HighSeas);
    const qint64 classic96 = ClassicLand + 3 * 1188;
    // 601,480 = 428,032 + 146 × 1,188 = 493,568 + 82 × 1,316: whole blocks in both; 499,312 = 428,032
    // + 60 × 1,188 = 493,568 + 4 × 1,316 + 480; (493568 - 428032) is not whole classic blocks.
    const LayoutCase cases[] = {
        {"cut in the land section, forced", HS, false, 450000, HS, "", 0, 0, ""},
        {"high-seas land only", HS, false, HighSeasLand, no, "high-seas", 0, 0,
            "whole number of high-seas blocks"},
        {"high-seas one byte short of its land section", HS, false, HighSeasLand - 1, no, "", 0, 0, ""},
        {"high-seas, whole in both", HS, false, 601480, no, "high-seas", 2624, 0, "fits both layouts"},
        {"classic, whole in both", CL, false, 601480, no, "classic", 4672, 0, "fits both layouts"},
        {"high-seas, whole in both, names only", HS, true, 601480, no, "high-seas", 2624, 0,
            "fits both layouts"},
        {"classic, whole in both, names only", CL, true, 601480, no, "classic", 4672, 0, "fits both layouts"},
        {"classic forced high-seas, same size", CL, false, 601480, HS, "high-seas", 2624, 0, "given"},
        {"classic cut by 300, names only", CL, true, classic96 - 300, no, "classic", 64, 888, "fits neither"},
        {"high-seas grown to whole classic blocks", HS, false, 499312, no, "high-seas", 128, 480,
            "whole number of classic blocks"},
        {"full high-seas cut by a record", HS, false, FullHighSeas - 41, no, "high-seas", 65504, 1275,
            "fits neither"},
        {"full high-seas forced classic", HS, false, FullHighSeas, CL, "classic", 65536, 980, "given"},
    };
    for (const LayoutCase &c : cases)
        QTest::newRow(c.name) << c;
}

void TestTileData::layoutFromSizeAndContent()
{
    QFETCH(LayoutCase, c);
    const auto [name, written, named, size, forced, layoutText, statics, partial, reason] = c;
    const QString layout = QLatin1String(layoutText);
    const bool warned = partial > 0; // a file of whole blocks is never damaged
    const bool wide = written == int(TileDataLayout::Kind::HighSeas);
    DataSetBuilder builder(96);
    builder.setTileDataLayout(wide ? HighSeas : Classic);
    StaticTileRecord item;
    item.flags = TileFlags::Roof | TileFlags::NoShadow;
    item.weight = 9;
    builder.setStaticTile(40, item);
    LandTileRecord land;
    for (int id = 0; named && id < 16384; ++id) {
        land.setNameText(QStringLiteral("land %1").arg(id));
        builder.setLandTile(id, land);
    }
    for (int id = 0; named && id < 96; ++id) {
        StaticTileRecord plain;
        plain.setNameText(QStringLiteral("item %1").arg(id));
        builder.setStaticTile(id, plain);
    }
    TestDataSet data(builder);
    const QString path = data.filePath("tiledata.mul");
    if (named) {
        // Headers that count nothing, so that only the names tell the layouts apart.
        QByteArray bytes = fileBytes(path);
        const int landBlock = wide ? 964 : 836;
        const int staticBlock = wide ? 1316 : 1188;
        for (int block = 0; block < 512; ++block)
            bytes.replace(block * landBlock, 4, "\xff\xff\xff\xff");
        for (int block = 0; block < 3; ++block)
            bytes.replace(512 * landBlock + block * staticBlock, 4, "\xff\xff\xff\xff");
        QVERIFY(writeFile(path, bytes));
    }
    QVERIFY(QFile::resize(path, size));

    DataSet::Options options;
    options.pendingParent = data.pendingParent();
    if (forced >= 0)
        options.tileDataLayout = TileDataLayout(TileDataLayout::Kind(forced));
    QString error;
    const std::unique_ptr<DataSet> set = DataSet::open(data.path(), options, &error);
    QCOMPARE(set != nullptr, !layout.isEmpty());
    if (!set) {
        QVERIFY2(error.contains(QLatin1String("tiledata.mul is damaged"))
                && error.contains(QLatin1String("shorter than its land section")),
            qPrintable(error));
        return;
    }
    const TileData &tiles = set->tiles();
    QCOMPARE(tiles.layoutName(), layout);
    QCOMPARE(tiles.isLayoutForced(), forced >= 0);
    QVERIFY2(tiles.layoutReason().contains(reason), qPrintable(tiles.layoutReason()));
    QCOMPARE(!tiles.layoutWarning().isEmpty(), warned);
    if (warned)
        QVERIFY2(tiles.layoutWarning().contains(QStringLiteral("%1 tile data").arg(layout))
                || tiles.layoutWarning().contains(
                    QStringLiteral("%1 bytes into a %2 block").arg(partial).arg(layout)),
            qPrintable(tiles.layoutWarning()));
    QCOMPARE(tiles.count(TileKind::Static), statics);
    QCOMPARE(tiles.partialBlockBytes(), partial);
    // Every record held reads whole; the first one past them is an error, not zeros.
    for (int id = 0; id < statics; ++id)
        QCOMPARE(tiles.staticRecord(id)->toBytes().size(), tiles.layout().staticRecordSize());
    QString why;
    QVERIFY(!tiles.staticRecord(statics, &why) && !tiles.landRecord(16384));
    QVERIFY2(why.contains(QStringLiteral("holds no static tile %1").arg(statics)), qPrintable(why));
    if (named)
        QCOMPARE(tiles.name(TileKind::Static, 5), QStringLiteral("item 5"));
    else if (wide && layout == QLatin1String("high-seas") && statics > 40)
        QCOMPARE(*tiles.staticRecord(40), item);
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
        const QString name = expected.value(bit, QStringLiteral("Bit %1").arg(bit));
        QCOMPARE(TileFlags::flagName(bit), name);
        QCOMPARE(TileFlags::isNamed(bit), !name.startsWith(QLatin1String("Bit ")));
    }
    QVERIFY(TileFlags::flagName(64).isEmpty() && TileFlags::flagName(-1).isEmpty());
    QCOMPARE(TileFlags::flagLabel(38), QStringLiteral("Play Anim Once"));
    QCOMPARE(TileFlags::flagNames(0x8000000000000001ull | 0x80000000ull | 0x10000000000ull),
        (QStringList{"Background", "StairRight", "MultiMovable", "Bit 63"}));
}

void TestTileData::idsTheFileDoesNotHold()
{
    DataSetBuilder builder(64);
    builder.setTileDataLayout(HighSeas);
    TestDataSet data(builder);
    TileData &tiles = data.tiles();
    QString error;
    for (int id : {-1, 64, INT_MAX, INT_MIN}) {
        QVERIFY(!tiles.staticRecord(id, &error));
        QVERIFY2(
            error.contains(QStringLiteral("holds no static tile %1 (its static tiles: 0 to 63)").arg(id)),
            qPrintable(error));
        QVERIFY(!tiles.originalStaticRecord(id) && !tiles.holds(TileKind::Static, id));
        QVERIFY(tiles.name(TileKind::Static, id).isNull());
    }
    for (int id : {-1, 16384, INT_MAX}) {
        QVERIFY(!tiles.landRecord(id, &error));
        QVERIFY2(error.contains(QStringLiteral("holds no land tile %1").arg(id)), qPrintable(error));
        QVERIFY(tiles.name(TileKind::Terrain, id).isNull()
            && !tiles.setLandRecord(id, LandTileRecord::blank(HighSeas)));
        QVERIFY(!tiles.setStaticRecord(id == 16384 ? 65536 : id, StaticTileRecord::blank(HighSeas)));
    }
    // A record of the other layout is refused, whatever its fields.
    QVERIFY(!tiles.setLandRecord(3, LandTileRecord::fromBytes(QByteArray(26, 'a')), &error));
    QVERIFY2(error.contains(QLatin1String("classic layout")) && error.contains(QLatin1String("high-seas")),
        qPrintable(error));
    QVERIFY(!tiles.setStaticRecord(3, StaticTileRecord::blank(Classic), &error));
    QVERIFY(tiles.pendingEdits().isEmpty());
    // An edit past the end of the file is there to read until saved.
    const StaticTileRecord beyond = StaticTileRecord::fromBytes(QByteArray(41, 'z'));
    QVERIFY(tiles.setStaticRecord(100, beyond) && tiles.holds(TileKind::Static, 100)
        && !tiles.holds(TileKind::Static, 99));
    QCOMPARE(tiles.staticRecord(100)->toBytes(), QByteArray(41, 'z'));
}

void TestTileData::damagedOrUnwritablePendingFiles()
{
    // A pending file that went or was cut reads as the original record.
    TestDataSet data{DataSetBuilder(64)};
    TileData &tiles = data.tiles();
    QVERIFY(tiles.setLandRecord(1, LandTileRecord::fromBytes(QByteArray(26, 'a')))
        && tiles.setStaticRecord(2, StaticTileRecord::fromBytes(QByteArray(37, 'b'))));
    using Part = PendingEditStore::Part;
    QVERIFY(QFile::remove(tiles.pendingEdits().recordAt(TileKind::Terrain, 1, Part::TileData).path));
    QVERIFY(writeFile(tiles.pendingEdits().recordAt(TileKind::Static, 2, Part::TileData).path, "xyz"));
    QCOMPARE(tiles.landRecord(1)->toBytes(), tiles.originalLandRecord(1)->toBytes());
    QCOMPARE(tiles.staticRecord(2)->toBytes(), tiles.originalStaticRecord(2)->toBytes());
    // One that cannot be written (a full disk) is no edit, and says where and why.
    QString error;
    {
        const FileSizeLimit diskFull(10);
        QVERIFY(!tiles.setStaticRecord(4, StaticTileRecord::fromBytes(QByteArray(37, 'c')), &error));
    }
    QVERIFY2(
        error.contains(tiles.pendingEdits().directory()) && error.endsWith(QLatin1String("File too large")),
        qPrintable(error));
    QVERIFY(!tiles.pendingEdits().isEdited(TileKind::Static, 4));
    QCOMPARE(tiles.staticRecord(4)->toBytes(), tiles.originalStaticRecord(4)->toBytes());
    // Short record bytes read zero-filled, classic.
    QCOMPARE(StaticTileRecord::fromBytes(QByteArray("\x01", 1)).flags, 1u);
    QCOMPARE(LandTileRecord::fromBytes(QByteArray()).toBytes(), QByteArray(26, '\0'));
}

void TestTileData::animationEntries()
{
    // Blocks of a 4-byte header and 8 entries: 64 frame offsets, unknown, count, interval, start.
    QByteArray bytes(68, '\0');
    bytes.replace(0, 1, "\xfd").replace(63, 5, QByteArray::fromHex("7f01ff0409"));
    AnimDataEntry entry;
    entry.frameOffsets[0] = -3;
    entry.frameOffsets[63] = 127;
    entry.animUnknown = 1;
    entry.frameCount = -1;
    entry.frameInterval = 4;
    entry.frameStart = 9;
    const QByteArray file = QByteArray(2 * 548, '\0').replace(548 + 4 + 68, 68, bytes);
    QTemporaryDir dir;
    const QString path = dir.filePath("animdata.mul");
    AnimDataFile anim;
    QVERIFY(writeFile(path, file));
    anim.setFileName(path);
    QCOMPARE(anim.readEntry(9), entry);
    QCOMPARE(anim.readEntry(-1), AnimDataEntry());
    // A cut file reads as zeros past its end.
    QVERIFY(writeFile(path, file.left(548 + 4 + 68 + 66)));
    anim.setFileName(path);
    entry.frameInterval = entry.frameStart = 0;
    QCOMPARE(anim.readEntry(9), entry);

    // A pending entry is served in place of the file's, past its end too; the file's stays readable.
    AnimDataEntry edited;
    edited.frameCount = 2;
    edited.frameOffsets[1] = 5;
    QString error;
    QVERIFY(anim.setEntry(9, edited) && anim.setEntry(0xFFFF, edited, &error));
    QCOMPARE(anim.readEntry(9), edited);
    QCOMPARE(anim.originalEntry(9), entry);
    QCOMPARE(anim.readEntry(0xFFFF), edited);
    QCOMPARE(anim.readEntry(8), AnimDataEntry());
    // No static has a higher id; a land tile has no entry; an entry is 68 bytes.
    QVERIFY(!anim.setEntry(0x10000, edited, &error) && error.contains("65535"));
    QVERIFY(!anim.setEntry(-1, edited)
        && anim.pendingEdits().editedIds(TileKind::Static, PendingEditStore::Part::Animation)
            == (QList<int>{9, 0xFFFF}));
    const PendingEdit whole = PendingEdit::replaced(edited.toBytes());
    QVERIFY(anim.accepts(TileKind::Static, 0xFFFF, whole) && !anim.accepts(TileKind::Terrain, 9, whole));
    QVERIFY(!anim.accepts(TileKind::Static, 9, PendingEdit::replaced(whole.record.left(67))));
    QVERIFY(!anim.accepts(TileKind::Static, 9, PendingEdit::deleted()));
}

QTEST_GUILESS_MAIN(TestTileData)
#include "test_tiledata.moc"
