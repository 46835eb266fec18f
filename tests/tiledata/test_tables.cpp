// Tile data and animation entries as tables: the text written in both layouts, the records a
// table changes (and the bytes it keeps), and each error a table can hold, by line and column.

#include "TestDataSet.h"
#include "io/CsvError.h"
#include "tiledata/AnimDataTable.h"
#include "tiledata/TileDataTable.h"
#include "tiledata/TileFlags.h"

#include <QtTest>
#include <functional>
#include <memory>

Q_DECLARE_METATYPE(TileDataLayout)

namespace {

const TileDataLayout Classic = TileDataLayout::classic();
const TileDataLayout HighSeas = TileDataLayout::highSeas();
constexpr quint64 Bit45 = quint64(1) << 45;

// "water", then bytes after its NUL that a table cannot show and must keep.
const QByteArray WaterName = QByteArray("water\0junk", 10).leftJustified(20, '\0');

// 32 statics with 32 animation entries. Land 0x10 and static 3 have every field set; static
// 3's name holds a comma, quotes and a Latin-1 letter. Entry 3 has an unknown byte no column
// shows; entry 5 has no frames but an offset in slot 10.
DataSetBuilder tableSet(TileDataLayout layout)
{
    DataSetBuilder builder(32);
    builder.setTileDataLayout(layout);
    LandTileRecord land = LandTileRecord::blank(layout);
    land.flags = TileFlags::Wet | TileFlags::Impassable
        | (layout.hasUpperFlags() ? TileFlags::AlphaBlend | Bit45 : 0);
    land.texid = 77;
    land.name = WaterName;
    builder.setLandTile(0x10, land);
    // Every field after the flags, in file order: weight to height, then the name.
    builder.setStaticTile(3,
        {TileFlags::Animated | TileFlags::Container, 255, 1, 65535, 2, 3, 4000, 5, 6, 7, 8,
            QByteArray("a, \"b\" \xFC").leftJustified(20, '\0'), layout});
    // Offsets, the unknown byte, frameCount, frameInterval, frameStart.
    builder.setAnim(3, {{0, -2, 5}, 7, 3, 4, -1});
    AnimDataEntry stray;
    stray.frameOffsets[10] = 1;
    builder.setAnim(5, stray);
    return builder;
}

enum class Table { Land, Static, Animation };

// A table's text: its header, then a line for each id below count, given or the default
// (in which 0x%1 is the id).
QByteArray tableText(
    const QByteArray &header, int count, const QMap<int, QByteArray> &given, const QString &other)
{
    QByteArray text = header + "\r\n";
    for (int id = 0; id < count; ++id)
        text += given.value(id, other.arg(QString::number(id, 16).toUpper().rightJustified(4, '0')).toUtf8())
            + "\r\n";
    return text;
}

QByteArray written(TestDataSet &set, Table table)
{
    if (table == Table::Animation)
        return AnimDataTable::write(set.anims());
    return TileDataTable::write(set.tiles(), table == Table::Land ? TileKind::Terrain : TileKind::Static);
}

// Reads text as a table of its kind against the set: false and *error for a refused table;
// its changes as record bytes, by id.
bool readTable(
    TestDataSet &set, Table table, const QByteArray &text, QMap<int, QByteArray> *changes, CsvError *error)
{
    changes->clear();
    if (table == Table::Animation) {
        AnimDataTable anims;
        const bool read = anims.read(text, set.anims(), error);
        for (auto it = anims.changes().cbegin(); it != anims.changes().cend(); ++it)
            changes->insert(it.key(), it->toBytes());
        return read;
    }
    TileDataTable tiles;
    const bool read = tiles.read(text, set.tiles(), error);
    for (auto it = tiles.changes().cbegin(); it != tiles.changes().cend(); ++it)
        changes->insert(it.key(), std::visit([](const auto &record) { return record.toBytes(); }, *it));
    return read && tiles.kind() == (table == Table::Land ? TileKind::Terrain : TileKind::Static);
}

const QByteArray LandHeader = "id,name,flags,flagNames,texid";
const QByteArray StaticHeader
    = "id,name,flags,flagNames,weight,quality,unknown,unknown1,quantity,animid,unknown2,hue,unknown3,height";
const QByteArray AnimHeader = "id,frameInterval,frameStart,frameCount,frameOffsets";

// The records a table changes, as expected: the set's own with the edit applied here.
using Expected = std::function<QMap<int, QByteArray>(TestDataSet &)>;

} // namespace

Q_DECLARE_METATYPE(Table)
Q_DECLARE_METATYPE(Expected)

class TestTables : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void writtenInBothLayouts_data();
    void writtenInBothLayouts();
    void changesATableMakes_data();
    void changesATableMakes();
    void refusedTables_data();
    void refusedTables();

private:
    TestDataSet &set(TileDataLayout layout) { return layout.hasUpperFlags() ? *highSeas : *classic; }

    std::unique_ptr<TestDataSet> classic;
    std::unique_ptr<TestDataSet> highSeas;
};

void TestTables::initTestCase()
{
    classic = std::make_unique<TestDataSet>(tableSet(Classic));
    highSeas = std::make_unique<TestDataSet>(tableSet(HighSeas));
    QVERIFY(classic->isValid() && highSeas->isValid());
}

void TestTables::writtenInBothLayouts_data()
{
    QTest::addColumn<TileDataLayout>("layout");
    QTest::addColumn<Table>("table");
    QTest::addColumn<QByteArray>("expected");
    const QByteArray item
        = "0x0003,\"a, \"\"b\"\" \xC3\xBC\",0x01200000,Container|Animated,255,1,65535,2,3,4000,5,6,7,8";
    const QString otherItem = QStringLiteral("0x%1,,0x00000000,,0,0,0,0,0,0,0,0,0,0");
    QTest::newRow("classic land") << Classic << Table::Land
                                  << tableText(LandHeader, 16384,
                                         {{0x10, "0x0010,water,0x000000C0,Impassable|Wet,77"}},
                                         QStringLiteral("0x%1,,0x00000000,,0"));
    QTest::newRow("classic statics") << Classic << Table::Static
                                     << tableText(StaticHeader, 32, {{3, item}}, otherItem);
    QTest::newRow("high-seas land")
        << HighSeas << Table::Land
        << tableText(LandHeader, 16384,
               {{0x10, "0x0010,water,0x00002001000000C0,Impassable|Wet|AlphaBlend|Bit45,77"}},
               QStringLiteral("0x%1,,0x0000000000000000,,0"));
    QTest::newRow("high-seas statics")
        << HighSeas << Table::Static
        << tableText(StaticHeader, 32, {{3, QByteArray(item).replace("0x01200000", "0x0000000001200000")}},
               QStringLiteral("0x%1,,0x0000000000000000,,0,0,0,0,0,0,0,0,0,0"));
    // Offsets up to frameCount, and on to the last one that is not 0.
    QTest::newRow("animation entries")
        << Classic << Table::Animation
        << tableText(AnimHeader, 32, {{3, "0x0003,4,-1,3,0 -2 5"}, {5, "0x0005,0,0,0,0 0 0 0 0 0 0 0 0 0 1"}},
               QStringLiteral("0x%1,0,0,0,"));
}

void TestTables::writtenInBothLayouts()
{
    QFETCH(TileDataLayout, layout);
    QFETCH(Table, table);
    QFETCH(QByteArray, expected);
    const QByteArray text = written(set(layout), table);
    QCOMPARE(text.left(400), expected.left(400));
    QCOMPARE(text, expected);
    // Read back unchanged, the table changes nothing: not the bytes after a name's end, nor
    // the entry's byte that has no column.
    QMap<int, QByteArray> changes;
    CsvError error;
    QVERIFY2(readTable(set(layout), table, text, &changes, &error), qPrintable(error.text()));
    QCOMPARE(changes.keys(), QList<int>());
}

void TestTables::changesATableMakes_data()
{
    QTest::addColumn<TileDataLayout>("layout");
    QTest::addColumn<Table>("table");
    QTest::addColumn<QByteArray>("rows"); // after the header
    QTest::addColumn<Expected>("expected");
    using Records = QMap<int, QByteArray>;
    const auto land = [](quint64 flags, const QByteArray &name, quint16 texid) {
        return Expected([=](TestDataSet &set) {
            LandTileRecord record = *set.tiles().landRecord(0x10);
            record.flags = flags;
            record.texid = texid;
            if (!name.isNull())
                record.name = name.leftJustified(20, '\0');
            return Records{{0x10, record.toBytes()}};
        });
    };
    const quint64 wet = TileFlags::Wet;
    QTest::newRow("flags alone") << Classic << Table::Land << QByteArray("0x0010,water,0x80,,77\n")
                                 << land(wet, {}, 77);
    QTest::newRow("names alone, unnamed bits too")
        << HighSeas << Table::Land << QByteArray("0x0010,water,, Wet | bit45 ,77\n")
        << land(wet | Bit45, {}, 77);
    QTest::newRow("flags and names agreeing")
        << Classic << Table::Land << QByteArray("16,water,0x00000080,Wet,0x4D\n") << land(wet, {}, 77);
    QTest::newRow("no flags at all") << Classic << Table::Land << QByteArray("0x10,water,,,77\n")
                                     << land(0, {}, 77);
    // The name changed: written whole, NUL-padded; a quoted name may hold commas, quotes and
    // line breaks; Latin-1 letters come as UTF-8.
    QTest::newRow("name with comma, quotes, line break and Latin-1")
        << Classic << Table::Land
        << QByteArray("\"0x0010\",\"pot, \"\"old\"\"\r\n\xC3\xBF\xC3\xA9\",0xC0,,77\r\n")
        << land(0xC0, QByteArray("pot, \"old\"\r\n\xFF\xE9"), 77);
    QTest::newRow("a name of 20 characters")
        << Classic << Table::Land << QByteArray("0x0010,\xC3\xA9xactly twenty chars,0xC0,,77\n")
        << land(0xC0, "\xE9xactly twenty chars", 77);
    QTest::newRow("rows that change nothing")
        << Classic << Table::Static
        << QByteArray("0x0003,\"a, \"\"b\"\" \xC3\xBC\",0x01200000,,255,1,65535,2,3,4000,5,6,7,8\n"
                      "0x0004,,,,0,0,0,0,0,0,0,0,0,0\n")
        << Expected([](TestDataSet &) { return Records(); });
    QTest::newRow("every static field")
        << HighSeas << Table::Static << QByteArray("0x0004,lamp,0x8000000000000001,,9,8,7,6,5,4,3,2,1,0\n")
        << Expected([](TestDataSet &) {
               const StaticTileRecord record{0x8000000000000001, 9, 8, 7, 6, 5, 4, 3, 2, 1, 0,
                   QByteArray("lamp").leftJustified(20, '\0'), HighSeas};
               return Records{{4, record.toBytes()}};
           });
    // The byte without a column is kept; slots after those listed become 0.
    QTest::newRow("animation entry") << Classic << Table::Animation << QByteArray("0x0003,-128,127,2,1 -1\n")
                                     << Expected([](TestDataSet &) {
                                            const AnimDataEntry entry{{1, -1}, 7, 2, -128, 127};
                                            return Records{{3, entry.toBytes()}};
                                        });
}

void TestTables::changesATableMakes()
{
    QFETCH(TileDataLayout, layout);
    QFETCH(Table, table);
    QFETCH(QByteArray, rows);
    QFETCH(Expected, expected);
    const QByteArray header = table == Table::Land ? LandHeader
        : table == Table::Static                   ? StaticHeader
                                                   : AnimHeader;
    QMap<int, QByteArray> changes;
    CsvError error;
    // As a spreadsheet may write it: with a byte-order mark.
    QVERIFY2(readTable(set(layout), table, "\xEF\xBB\xBF" + header + "\n" + rows, &changes, &error),
        qPrintable(error.text()));
    QCOMPARE(changes, expected(set(layout)));
}

void TestTables::refusedTables_data()
{
    QTest::addColumn<TileDataLayout>("layout");
    QTest::addColumn<Table>("table");
    QTest::addColumn<QByteArray>("text"); // the whole table
    QTest::addColumn<int>("line");
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("message");
    const auto land = [](const char *name, const QByteArray &rows, int line, int column, const char *message,
                          TileDataLayout layout = Classic) {
        QTest::newRow(name) << layout << Table::Land << LandHeader + "\r\n" + rows << line << column
                            << QString::fromUtf8(message);
    };
    const auto item
        = [](const char *name, const QByteArray &rows, int line, int column, const char *message) {
              QTest::newRow(name) << Classic << Table::Static << StaticHeader + "\n" + rows << line << column
                                  << QString::fromUtf8(message);
          };
    const auto anim
        = [](const char *name, const QByteArray &rows, int line, int column, const char *message) {
              QTest::newRow(name) << Classic << Table::Animation << AnimHeader + "\n" + rows << line << column
                                  << QString::fromUtf8(message);
          };
    // A row that would change a record: a table is refused whole.
    const QByteArray fine = "0x0001,changed,0,,0\r\n";
    // The header: a column named otherwise or missing (counted in fields).
    QTest::newRow("header misnamed") << Classic << Table::Land
                                     << QByteArray("id,name,flags,flagNames,texture\n") << 1 << 5
                                     << "the header's column is 'texture' where \"texid\" was expected";
    QTest::newRow("header short") << Classic << Table::Animation
                                  << QByteArray("id,frameInterval,frameStart\n") << 1 << 4
                                  << "the header lacks the column \"frameCount\"";
    // What the fields hold.
    land("flags and names disagree", fine + "0x0002,,0x80,Wet|Wall,0\r\n", 3, 4,
        "flagNames are 'Wet|Wall' where flags 0x80 are 'Wet'");
    land("unknown flag name", "0x0002,,,Wet|Damp,0\r\n", 2, 4, "'Damp' is not the name of a flag");
    land("upper flag named in classic", "0x0002,,,AlphaBlend,0\r\n", 2, 4,
        "'AlphaBlend' is not a flag of classic");
    land("upper flags in classic", "0x0002,,0x100000000,,0\r\n", 2, 3,
        "flags must be a number from 0 to 0xFFFFFFFF in classic tile data");
    land("flags past 64 bits", "0x0002,,0x10000000000000000,,0\r\n", 2, 3,
        "from 0 to 0xFFFFFFFFFFFFFFFF in high-seas", HighSeas);
    land("texid out of range", "0x0002,,,,65536\r\n", 2, 5,
        "texid must be a number from 0 to 65535, not '65536'");
    item("weight out of range", "0x0002,,,,256,0,0,0,0,0,0,0,0,0\n", 2, 5,
        "weight must be a number from 0 to 255");
    item("name too long", "0x0002,twenty-one characters,,,0,0,0,0,0,0,0,0,0,0\n", 2, 2,
        "the name has 21 characters; at most 20 fit");
    item("name not Latin-1", "0x0002,5 \xE2\x82\xAC,,,0,0,0,0,0,0,0,0,0,0\n", 2, 2,
        "the name holds '\xE2\x82\xAC', which is not");
    // A quoted name over two lines: the next field's line is the second.
    item("line of a field after a line break", "0x0002,\"a\nb\",0x1G,,0,0,0,0,0,0,0,0,0,0\n", 3, 3,
        "flags must be a number");
    // Ids: given twice (the first place named), past the file, not an id.
    land("id given twice", fine + "0x0002,,0,,0\r\n1,,0,,0\r\n", 4, 1,
        "id 0x0001 is given again (first on line 2)");
    item("static past the file", "0x0020,,,,0,0,0,0,0,0,0,0,0,0\n", 2, 1,
        "tiledata.mul holds no static tile '0x0020' (it holds 32 static tiles)");
    anim(
        "entry past the file", "32,0,0,0,\n", 2, 1, "animdata.mul holds no entry '32' (it holds 32 entries)");
    anim("not an id", "x1,0,0,0,\n", 2, 1, "'x1' is not an id");
    anim("frame count out of range", "3,0,0,128,\n", 2, 4,
        "frameCount must be a number from -128 to 127, not '128'");
    anim("frame offset out of range", "3,0,0,1,0 -129\n", 2, 5,
        "frame offset 2 must be a number from -128 to 127");
    anim("too many offsets", "3,0,0,1," + QByteArray(65 * 2, ' ').replace("  ", "1 ") + "\n", 2, 5,
        "frameOffsets lists 65 offsets; an entry holds 64");
    // The text itself (columns counted in characters): quotes out of place, fields
    // missing or added, bytes that are not UTF-8.
    land("quote never closed", fine + "0x0002,\"water,0,,0\r\n", 3, 8,
        "the quoted field that starts here has no closing quote");
    land("text after a closing quote", "0x0002,\"water\"s,0,,0\r\n", 2, 15,
        "a comma or the end of the line must follow");
    land("quote inside a field", "0x0002,wat\"er,0,,0\r\n", 2, 11,
        "a quote in a field that does not start with one");
    land("a field missing", fine + "0x0002,,0,\r\n", 3, 5, "the row has 4 fields where the header has 5");
    land("a field added", "0x0002,,0,,0,\r\n", 2, 6, "the row has 6 fields where the header has 5");
    land("not UTF-8", "0x0002,\xC3\xA9t\xE9,0,,0\r\n", 2, 10, "the text is not UTF-8");
}

void TestTables::refusedTables()
{
    QFETCH(TileDataLayout, layout);
    QFETCH(Table, table);
    QFETCH(QByteArray, text);
    QFETCH(int, line);
    QFETCH(int, column);
    QFETCH(QString, message);
    QMap<int, QByteArray> changes;
    CsvError error;
    QVERIFY(!readTable(set(layout), table, text, &changes, &error));
    QVERIFY2(error.message.contains(message), qPrintable(error.text()));
    QCOMPARE(error.line, line);
    QCOMPARE(error.column, column);
    QCOMPARE(changes.keys(), QList<int>());
}

QTEST_GUILESS_MAIN(TestTables)
#include "test_tables.moc"
