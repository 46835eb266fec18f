// The sample data set: deterministic, valid, and as varied as real data.

#include "art/ArtFormat.h"
#include "art/ArtWork.h"
#include "tiledata/LandTileRecord.h"
#include "tiledata/StaticTileRecord.h"
#include "tiledata/TileData.h"
#include "tiledata/TileFlags.h"
#include "tools/sample/DataSetBuilder.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

class TestSample : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void deterministicForASeed();
    void looksLikeRealData();
    void highSeasSetUsesUpperFlags();
    void programWritesEitherLayout_data();
    void programWritesEitherLayout();
};

namespace {

DataSetBuilder::Options small(quint32 seed)
{
    DataSetBuilder::Options options;
    options.seed = seed;
    options.staticCount = 600;
    options.terrainImages = 600;
    return options;
}

} // namespace

void TestSample::deterministicForASeed()
{
    const DataSetBuilder a = DataSetBuilder::procedural(small(7));
    const DataSetBuilder b = DataSetBuilder::procedural(small(7));
    const DataSetBuilder c = DataSetBuilder::procedural(small(8));
    QCOMPARE(a.artBytes(), b.artBytes());
    QCOMPARE(a.artIndexBytes(), b.artIndexBytes());
    QCOMPARE(a.tileDataBytes(), b.tileDataBytes());
    QCOMPARE(a.animDataBytes(), b.animDataBytes());
    QVERIFY(a.artBytes() != c.artBytes());
}

void TestSample::looksLikeRealData()
{
    QTemporaryDir dir;
    QVERIFY(DataSetBuilder::procedural(small(1)).write(dir.path()));
    ArtWork art(
        dir.filePath(QStringLiteral("artidx.mul")), dir.filePath(QStringLiteral("art.mul")), dir.path());
    TileData tiles(dir.filePath(QStringLiteral("tiledata.mul")), dir.path());
    QCOMPARE(tiles.staticCount(), 608);

    int terrainImages = 0;
    for (int id = 0; id < 600; ++id)
        terrainImages += art.getTerrain(id, false).isNull() ? 0 : 1;
    QVERIFY(terrainImages > 500 && terrainImages < 600); // most, not all
    QVERIFY(art.getTerrain(600, false).isNull());

    int staticImages = 0;
    int emptySlots = 0;
    int tall = 0;
    int wide = 0;
    int tiny = 0;
    for (int id = 0; id < 600; ++id) {
        if (art.container().entry(ArtFormat::StaticIdBase + id).isEmpty()) {
            ++emptySlots;
            continue;
        }
        const QImage image = art.getStatic(id, false);
        QVERIFY2(!image.isNull(), qPrintable(QString::number(id)));
        ++staticImages;
        tall += image.height() > 2 * image.width() + 40 ? 1 : 0;
        wide += image.width() > 2 * image.height() + 40 ? 1 : 0;
        tiny += image.width() <= 6 && image.height() <= 6 ? 1 : 0;
        QVERIFY(image.width() <= 250 && image.height() <= 300);
    }
    QVERIFY(emptySlots > 0);
    QVERIFY(tall > 0 && wide > 0 && tiny > 0);

    int exactTwenty = 0;
    int unnamed = 0;
    int trailingBytes = 0;
    int animated = 0;
    for (int id = 0; id < 600; ++id) {
        const StaticTileRecord record = StaticTileRecord::fromBytes(tiles.staticRecord(id));
        const QString name = record.nameText();
        exactTwenty += name.size() == 20 ? 1 : 0;
        unnamed += name.isEmpty() ? 1 : 0;
        trailingBytes += record.name != QByteArray(name.toLatin1()).leftJustified(20, '\0') ? 1 : 0;
        animated += record.flags & TileFlags::Animated ? 1 : 0;
    }
    QVERIFY(exactTwenty > 0 && unnamed > 0 && trailingBytes > 0 && animated > 0);
}

void TestSample::highSeasSetUsesUpperFlags()
{
    DataSetBuilder::Options options = small(3);
    const DataSetBuilder classic = DataSetBuilder::procedural(options);
    options.tileDataLayout = TileDataLayout::highSeas();
    const DataSetBuilder highSeas = DataSetBuilder::procedural(options);
    QCOMPARE(highSeas.artBytes(), classic.artBytes());
    QCOMPARE(highSeas.tileDataBytes().size(), 493568 + 19 * 1316);

    QTemporaryDir dir;
    QVERIFY(highSeas.write(dir.path()));
    TileData tiles(dir.filePath(QStringLiteral("tiledata.mul")), dir.path());
    QCOMPARE(tiles.layoutName(), QStringLiteral("high-seas"));
    QCOMPARE(tiles.staticCount(), 608);
    quint64 upperSeen = 0;
    int landUpper = 0;
    for (int id = 0; id < 608; ++id) {
        const StaticTileRecord record = StaticTileRecord::fromBytes(tiles.staticRecord(id));
        StaticTileRecord lower = record;
        lower.flags &= ~TileFlags::UpperFlags;
        // The upper flags are the only difference from the classic set.
        QCOMPARE(lower, classic.staticTile(id));
        upperSeen |= record.flags & TileFlags::UpperFlags;
    }
    for (int id = 0; id < 16384; ++id)
        landUpper += LandTileRecord::fromBytes(tiles.landRecord(id)).flags & TileFlags::UpperFlags ? 1 : 0;
    QVERIFY(landUpper > 0);
    for (const quint64 flag : {TileFlags::AlphaBlend, TileFlags::UseNewArt, TileFlags::ArtUsed,
             TileFlags::NoShadow, TileFlags::PixelBleed, TileFlags::PlayAnimOnce, TileFlags::MultiMovable})
        QVERIFY2(upperSeen & flag, qPrintable(TileFlags::flagNames(flag).join(' ')));
    // And a bit without a name, as real files may set.
    QVERIFY(TileFlags::flagNames(upperSeen).filter(QStringLiteral("Bit ")).size() > 0);
}

void TestSample::programWritesEitherLayout_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<qint64>("size"); // of tiledata.mul; 0: refused
    QTest::newRow("default") << QStringList() << qint64(428032 + 2 * 1188);
    QTest::newRow("high-seas") << QStringList{"--tiledata", "high-seas"} << qint64(493568 + 2 * 1316);
    QTest::newRow("unknown") << QStringList{"--tiledata", "uop"} << qint64(0);
}

void TestSample::programWritesEitherLayout()
{
    QFETCH(QStringList, options);
    QFETCH(qint64, size);
    QTemporaryDir dir;
    const QString out = dir.filePath(QStringLiteral("set"));
    QProcess program;
    program.start(QStringLiteral(TESSERA_SAMPLE), QStringList{out, "--statics", "64"} + options);
    QVERIFY(program.waitForFinished(60000));
    QCOMPARE(program.exitCode() == 0, size > 0);
    if (size == 0) {
        QVERIFY(program.readAllStandardError().contains("--tiledata must be classic or high-seas"));
        return;
    }
    QCOMPARE(QFileInfo(QDir(out).filePath(QStringLiteral("tiledata.mul"))).size(), size);
}

QTEST_GUILESS_MAIN(TestSample)
#include "test_sample.moc"
