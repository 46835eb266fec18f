// tessera-cli diff on pairs of small sets with known differences: its lines, JSON and
// exit status.

#include "TestDataSet.h"
#include "art/ArtFormat.h"
#include "tiledata/TileDataFormat.h"
#include "tiledata/TileFlags.h"
#include "tools/sample/DataSetBuilder.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>
#include <functional>

namespace {

using Change = std::function<void(DataSetBuilder &)>;

struct Run
{
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

Run cli(const QStringList &args)
{
    QProcess process;
    process.start(QStringLiteral(TESSERA_CLI), args);
    process.waitForFinished(60000);
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
        process.readAllStandardOutput(), process.readAllStandardError()};
}

const QImage Blue = TestDataSet::solid(10, 12, Qt::blue);

// A few tiles of each kind with images, records and an animation entry.
DataSetBuilder base(int staticCount)
{
    DataSetBuilder builder(staticCount);
    builder.setTerrainImage(1, TestDataSet::terrain(Qt::green));
    LandTileRecord land = builder.landTile(2);
    land.texid = 1;
    land.setNameText(QStringLiteral("grass"));
    builder.setLandTile(2, land);
    for (int id : {3, 8})
        builder.setStaticImage(id, Blue);
    StaticTileRecord item = builder.staticTile(5);
    item.weight = 3;
    item.flags = TileFlags::Surface;
    builder.setStaticTile(5, item);
    StaticTileRecord animated = builder.staticTile(6);
    animated.flags = TileFlags::Animated;
    builder.setStaticTile(6, animated);
    AnimDataEntry entry;
    entry.frameCount = 2;
    entry.frameInterval = 1;
    entry.frameOffsets = {0, 1};
    builder.setAnim(6, entry);
    builder.setAnim(7, entry);
    return builder;
}

// A 2 x 1 static of two pixels stored as two runs of one, where the encoder writes one
// run of two: another encoding of the same image.
QByteArray twoRuns(quint16 left, quint16 right)
{
    QByteArray record;
    QDataStream stream(&record, QIODevice::WriteOnly);
    stream.setByteOrder(QDataStream::LittleEndian);
    stream << quint32(0) << qint16(2) << qint16(1) << qint16(0);
    stream << qint16(0) << qint16(1) << left << qint16(0) << qint16(1) << right << qint16(0) << qint16(0);
    return record;
}

QImage twoPixels(quint16 left, quint16 right)
{
    QImage image(2, 1, QImage::Format_ARGB32);
    image.setPixel(0, 0, 0xff000000u | (left >> 10 & 31) << 19 | (left >> 5 & 31) << 11 | (left & 31) << 3);
    image.setPixel(
        1, 0, 0xff000000u | (right >> 10 & 31) << 19 | (right >> 5 & 31) << 11 | (right & 31) << 3);
    return image;
}

void setStatic(DataSetBuilder &builder, int id, const std::function<void(StaticTileRecord &)> &change)
{
    StaticTileRecord record = builder.staticTile(id);
    change(record);
    builder.setStaticTile(id, record);
}

} // namespace

Q_DECLARE_METATYPE(Change)

class TestDiff : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void diff_data();
    void diff();
    void errorsEndWithTwo();
};

void TestDiff::diff_data()
{
    QTest::addColumn<int>("countB");
    QTest::addColumn<Change>("changeA");
    QTest::addColumn<Change>("changeB");
    // B written as artLegacyMUL.uop, zlib-compressed, with high-seas tile data.
    QTest::addColumn<bool>("otherForms");
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QByteArray>("json"); // members the JSON object must have; empty: not run

    const Change none = [](DataSetBuilder &) {};
    const QString same
        = QStringLiteral("0 tiles differ: 0 art, 0 tile data, 0 animation, 0 only in A, 0 only in B");
    QTest::newRow("same content in another container and layout")
        << 64 << none << none << true << QStringList() << QStringList{same}
        << QByteArray(R"({"same": true, "tiles": [], "counts": {"art": 0, "tileData": 0, "animation": 0,
                         "onlyA": 0, "onlyB": 0}})");
    QTest::newRow("each kind of difference")
        << 64 << none << Change([](DataSetBuilder &b) {
               b.setTerrainImage(1, TestDataSet::terrain(Qt::red));
               LandTileRecord land = b.landTile(2);
               land.texid = 2;
               land.setNameText(QStringLiteral("sand"));
               b.setLandTile(2, land);
               b.clearStatic(3);
               setStatic(b, 5, [](StaticTileRecord &r) {
                   r.weight = 4;
                   r.flags = TileFlags::Wet;
               });
               AnimDataEntry entry;
               entry.frameCount = 2;
               entry.frameInterval = 5;
               b.setAnim(6, entry);
               b.setAnim(7, entry); // not flagged Animated: not played, not compared
               b.setStaticImage(8, TestDataSet::solid(10, 12, Qt::yellow));
               setStatic(b, 8, [](StaticTileRecord &r) { r.flags = TileFlags::Animated; });
           })
        << true << QStringList()
        << QStringList{QStringLiteral("land 0x0001: art"),
               QStringLiteral("land 0x0002: tile data: texid 1 → 2, name \"grass\" → \"sand\""),
               QStringLiteral("static 0x0003: art"),
               QStringLiteral("static 0x0005: tile data: weight 3 → 4, flags +Wet −Surface"),
               QStringLiteral("static 0x0006: animation"),
               QStringLiteral("static 0x0008: art; tile data: flags +Animated; animation"),
               QStringLiteral("6 tiles differ: 3 art, 3 tile data, 2 animation, 0 only in A, 0 only in B")}
        << QByteArray(R"({"same": false, "tiles": [
            {"kind": "land", "id": 1, "art": true, "tileData": [], "animation": false, "only": null},
            {"kind": "land", "id": 2, "art": false, "tileData": ["texid", "name"], "animation": false, "only": null},
            {"kind": "static", "id": 3, "art": true, "tileData": [], "animation": false, "only": null},
            {"kind": "static", "id": 5, "art": false, "tileData": ["weight", "flags"], "animation": false,
             "only": null},
            {"kind": "static", "id": 6, "art": false, "tileData": [], "animation": true, "only": null},
            {"kind": "static", "id": 8, "art": true, "tileData": ["flags"], "animation": true, "only": null}],
            "counts": {"art": 3, "tileData": 3, "animation": 2, "onlyA": 0, "onlyB": 0}})");
    QTest::newRow("upper flags of the high-seas side, bytes after a name's end")
        << 64 << none << Change([](DataSetBuilder &b) {
               setStatic(b, 5, [](StaticTileRecord &r) {
                   r.flags |= TileFlags::AlphaBlend;
                   r.name = QByteArray(TileDataFormat::NameSize, '\0').replace(1, 5, "after");
               });
           })
        << true << QStringList()
        << QStringList{QStringLiteral("static 0x0005: tile data: flags +AlphaBlend"),
               QStringLiteral("1 tile differs: 0 art, 1 tile data, 0 animation, 0 only in A, 0 only in B")}
        << QByteArray();
    const Change twoRunsAt9 = [](DataSetBuilder &b) { b.setStaticRecord(9, twoRuns(0x7c00, 0x001f)); };
    QTest::newRow("another encoding of the same pixels")
        << 64 << Change([](DataSetBuilder &a) { a.setStaticImage(9, twoPixels(0x7c00, 0x001f)); })
        << twoRunsAt9 << false << QStringList() << QStringList{same} << QByteArray();
    QTest::newRow("another image in the same encoding")
        << 64 << Change([](DataSetBuilder &a) { a.setStaticRecord(9, twoRuns(0x7c00, 0x03e0)); })
        << twoRunsAt9 << false << QStringList()
        << QStringList{QStringLiteral("static 0x0009: art"),
               QStringLiteral("1 tile differs: 1 art, 0 tile data, 0 animation, 0 only in A, 0 only in B")}
        << QByteArray();
    // Static 9's entry states 12 bytes of a record (static 10's) that differs only past them.
    const auto statingTooLittle = [](quint16 right) {
        return Change([right](DataSetBuilder &b) {
            const QByteArray record = twoRuns(0x7c00, right);
            b.setStaticRecord(10, record);
            b.setRawStaticEntry(9, qint32(b.artBytes().indexOf(record)), 12);
        });
    };
    QTest::newRow("an entry stating less than its record")
        << 64 << statingTooLittle(0x001f) << statingTooLittle(0x03e0) << false << QStringList()
        << QStringList{QStringLiteral("static 0x0009: art"), QStringLiteral("static 0x000A: art"),
               QStringLiteral("2 tiles differ: 2 art, 0 tile data, 0 animation, 0 only in A, 0 only in B")}
        << QByteArray();
    QTest::newRow("a record shared on one side only") << 64 << Change([](DataSetBuilder &a) {
        a.shareSlot(ArtFormat::StaticIdBase + 9, ArtFormat::StaticIdBase + 8);
    }) << Change([](DataSetBuilder &b) { b.setStaticImage(9, Blue); })
                                                      << false << QStringList() << QStringList{same}
                                                      << QByteArray();
    const Change pastTheEnd = [](DataSetBuilder &b) {
        b.setStaticImage(0x50, Blue);
        setStatic(b, 0x51, [](StaticTileRecord &r) { r.height = 2; });
    };
    QTest::newRow("ids past the other set's end")
        << 96 << none << pastTheEnd << true << QStringList()
        << QStringList{QStringLiteral("static 0x0050: only in B"), QStringLiteral("static 0x0051: only in B"),
               QStringLiteral("2 tiles differ: 0 art, 0 tile data, 0 animation, 0 only in A, 2 only in B")}
        << QByteArray(R"({"tiles": [
            {"kind": "static", "id": 80, "art": false, "tileData": [], "animation": false, "only": "b"},
            {"kind": "static", "id": 81, "art": false, "tileData": [], "animation": false, "only": "b"}],
            "counts": {"art": 0, "tileData": 0, "animation": 0, "onlyA": 0, "onlyB": 2}})");
    QTest::newRow("past the end, narrowed to the art")
        << 96 << none << pastTheEnd << false << QStringList{QStringLiteral("--art")}
        << QStringList{QStringLiteral("static 0x0050: only in B"),
               QStringLiteral("1 tile differs: 0 art, 0 tile data, 0 animation, 0 only in A, 1 only in B")}
        << QByteArray();
    const Change everyPart = [](DataSetBuilder &b) {
        b.setTerrainImage(1, TestDataSet::terrain(Qt::red));
        b.clearStatic(3);
        setStatic(b, 5, [](StaticTileRecord &r) { r.weight = 4; });
        AnimDataEntry entry;
        entry.frameCount = 1;
        b.setAnim(6, entry);
    };
    QTest::newRow("narrowed to statics and tile data")
        << 64 << none << everyPart << false
        << QStringList{QStringLiteral("--kind"), QStringLiteral("static"), QStringLiteral("--tiledata")}
        << QStringList{QStringLiteral("static 0x0005: tile data: weight 3 → 4"),
               QStringLiteral("1 tile differs: 0 art, 1 tile data, 0 animation, 0 only in A, 0 only in B")}
        << QByteArray();
    QTest::newRow("narrowed to terrain, art and animation")
        << 64 << none << everyPart << false
        << QStringList{QStringLiteral("--kind=terrain"), QStringLiteral("--animation"),
               QStringLiteral("--art")}
        << QStringList{QStringLiteral("land 0x0001: art"),
               QStringLiteral("1 tile differs: 1 art, 0 tile data, 0 animation, 0 only in A, 0 only in B")}
        << QByteArray();
    QTest::newRow("narrowed to animation")
        << 64 << none << everyPart << false << QStringList{QStringLiteral("--animation")}
        << QStringList{QStringLiteral("static 0x0006: animation"),
               QStringLiteral("1 tile differs: 0 art, 0 tile data, 1 animation, 0 only in A, 0 only in B")}
        << QByteArray();
}

void TestDiff::diff()
{
    QFETCH(int, countB);
    QFETCH(Change, changeA);
    QFETCH(Change, changeB);
    QFETCH(bool, otherForms);
    QFETCH(QStringList, options);
    QFETCH(QStringList, lines);
    QFETCH(QByteArray, json);

    QTemporaryDir dir;
    const QString a = dir.filePath(QStringLiteral("a"));
    const QString b = dir.filePath(QStringLiteral("b"));
    DataSetBuilder builderA = base(64);
    changeA(builderA);
    QVERIFY(builderA.write(a));
    DataSetBuilder builderB = base(countB);
    changeB(builderB);
    DataSetBuilder::Output output;
    if (otherForms) {
        builderB.setTileDataLayout(TileDataLayout::highSeas());
        output.art = ArtContainer::Format::Uop;
        output.compressArt = true;
    }
    QVERIFY(builderB.write(b, output));

    const Run text = cli(QStringList{QStringLiteral("diff"), a, b} + options);
    QCOMPARE(text.exitCode, lines.size() == 1 ? 0 : 1);
    QCOMPARE(QString::fromUtf8(text.out).split(QLatin1Char('\n'), Qt::SkipEmptyParts), lines);

    if (!json.isEmpty()) {
        const Run run = cli(QStringList{QStringLiteral("diff"), a, b, QStringLiteral("--json")} + options);
        QCOMPARE(run.exitCode, text.exitCode);
        const QJsonObject got = QJsonDocument::fromJson(run.out).object();
        QCOMPARE(got.value(QStringLiteral("a")).toString(), a);
        QCOMPARE(got.value(QStringLiteral("b")).toString(), b);
        const QJsonObject expected = QJsonDocument::fromJson(json).object();
        QVERIFY2(!expected.isEmpty(), json);
        for (auto it = expected.begin(); it != expected.end(); ++it)
            QVERIFY2(got.value(it.key()) == it.value(), qPrintable(it.key() + QLatin1String(": ") + run.out));
    }
}

void TestDiff::errorsEndWithTwo()
{
    QTemporaryDir dir;
    const QString a = dir.filePath(QStringLiteral("a"));
    QVERIFY(base(64).write(a));
    // A converted copy: the command line's own conversion keeps every image and record.
    const QString converted = dir.filePath(QStringLiteral("converted"));
    QCOMPARE(cli({QStringLiteral("convert"), a, converted, QStringLiteral("--art"), QStringLiteral("uop"),
                     QStringLiteral("--tiledata"), QStringLiteral("high-seas")})
                 .exitCode,
        0);
    QCOMPARE(cli({QStringLiteral("diff"), a, converted}).exitCode, 0);

    const QList<QStringList> bad
        = {{QStringLiteral("diff"), a, dir.filePath(QStringLiteral("missing"))}, {QStringLiteral("diff"), a},
            {QStringLiteral("diff"), a, a, QStringLiteral("--kind"), QStringLiteral("item")},
            {QStringLiteral("diff"), a, a, QStringLiteral("--kind")}};
    for (const QStringList &args : bad) {
        const Run run = cli(args);
        QVERIFY2(run.exitCode == 2, qPrintable(args.join(QLatin1Char(' '))));
        QVERIFY2(run.err.startsWith("tessera-cli: "), run.err);
    }
    const Run json
        = cli({QStringLiteral("diff"), a, dir.filePath(QStringLiteral("missing")), QStringLiteral("--json")});
    QCOMPARE(json.exitCode, 2);
    QVERIFY(QJsonDocument::fromJson(json.out).object().contains(QStringLiteral("error")));
}

QTEST_GUILESS_MAIN(TestDiff)
#include "test_diff.moc"
