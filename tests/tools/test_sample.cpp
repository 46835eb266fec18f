// The sample data set: deterministic, valid, and as varied as real data.

#include "art/ArtFormat.h"
#include "art/ArtWork.h"
#include "tiledata/LandTileRecord.h"
#include "tiledata/StaticTileRecord.h"
#include "tiledata/TileData.h"
#include "tiledata/TileFlags.h"
#include "tools/sample/DataSetBuilder.h"

#include <QTemporaryDir>
#include <QtTest>

class TestSample : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void deterministicForASeed();
    void looksLikeRealData();
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

QTEST_GUILESS_MAIN(TestSample)
#include "test_sample.moc"
