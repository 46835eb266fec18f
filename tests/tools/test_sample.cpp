// The sample data set: deterministic, valid, and as varied as real data.

#include "FileSizeLimit.h"
#include "TestFiles.h"
#include "art/ArtFormat.h"
#include "art/ArtWork.h"
#include "tiledata/LandTileRecord.h"
#include "tiledata/StaticTileRecord.h"
#include "tiledata/TileData.h"
#include "tiledata/TileFlags.h"
#include "tools/sample/DataSetBuilder.h"

#include <QProcess>
#include <QSet>
#include <QTemporaryDir>
#include <QtTest>
#include <optional>

class TestSample : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void deterministicForASeed();
    void variedLikeRealData();
    void programWritesEveryCombination_data();
    void programWritesEveryCombination();
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
    for (const auto bytes : {&DataSetBuilder::artBytes, &DataSetBuilder::artIndexBytes,
             &DataSetBuilder::tileDataBytes, &DataSetBuilder::animDataBytes})
        QCOMPARE((a.*bytes)(), (b.*bytes)());
    QVERIFY(a.artBytes() != DataSetBuilder::procedural(small(8)).artBytes());
}

void TestSample::variedLikeRealData()
{
    DataSetBuilder::Options options = small(1);
    const DataSetBuilder classic = DataSetBuilder::procedural(options);
    options.tileDataLayout = TileDataLayout::highSeas();
    const DataSetBuilder highSeas = DataSetBuilder::procedural(options);
    QCOMPARE(highSeas.artBytes(), classic.artBytes());
    QTemporaryDir dir;
    QVERIFY(highSeas.write(dir.path()));
    ArtWork art(dir.filePath("artidx.mul"), dir.filePath("art.mul"), dir.path());
    TileData tiles(dir.filePath("tiledata.mul"), dir.path());
    QCOMPARE(tiles.count(TileKind::Static), 608);

    QSet<QString> seen;
    const auto note = [&](bool holds, const char *kind) {
        if (holds)
            seen << QLatin1String(kind);
    };
    for (int id = 0; id < 600; ++id) {
        seen << (art.image(TileKind::Terrain, id, false).isNull() ? "terrain without image"
                                                                  : "terrain image");
        const QImage image = art.image(TileKind::Static, id, false);
        const bool empty = art.container().entry(ArtFormat::StaticIdBase + id).isEmpty();
        QVERIFY2(image.isNull() == empty && image.width() <= 250 && image.height() <= 300,
            qPrintable(QString::number(id)));
        note(empty, "empty slot");
        note(image.height() > 2 * image.width() + 40, "tall");
        note(image.width() > 2 * image.height() + 40, "wide");
        note(!empty && image.width() <= 6 && image.height() <= 6, "tiny");
    }
    // The upper flags are the only difference from the classic set.
    quint64 upperSeen = 0;
    for (int id = 0; id < 608; ++id) {
        const StaticTileRecord record = *tiles.staticRecord(id);
        const QString name = record.nameText();
        note(name.size() == 20, "name of 20");
        note(name.isEmpty(), "unnamed");
        note(record.name != QByteArray(name.toLatin1()).leftJustified(20, '\0'), "bytes after the name");
        note(record.flags & TileFlags::Animated, "animated");
        StaticTileRecord lower = record;
        lower.flags &= ~TileFlags::UpperFlags;
        QCOMPARE(lower, classic.staticTile(id));
        upperSeen |= record.flags & TileFlags::UpperFlags;
    }
    for (int id = 0; id < 16384; ++id)
        note(tiles.landRecord(id)->flags & TileFlags::UpperFlags, "land with upper flags");
    QCOMPARE(seen,
        (QSet<QString>{"animated", "bytes after the name", "empty slot", "land with upper flags",
            "name of 20", "tall", "terrain image", "terrain without image", "tiny", "unnamed", "wide"}));
    // All seven named upper flags, and bits without a name, as real files may set.
    const QStringList upper = TileFlags::flagNames(upperSeen);
    QVERIFY2(upper.size() - upper.filter(QStringLiteral("Bit ")).size() == 7 && upper.size() > 7,
        qPrintable(upper.join(' ')));
}

void TestSample::programWritesEveryCombination_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<bool>("occupied"); // the directory already holds a small data set
    QTest::addColumn<qint64>("limit"); // how large a file the program may write; 0: no limit
    QTest::addColumn<QString>("art"); // the art file written; empty: refused
    QTest::addColumn<qint64>("size"); // of tiledata.mul
    QTest::addColumn<QString>("complaint"); // when refused
    const qint64 classic = 428032 + 2 * 1188;
    QTest::newRow("default") << QStringList() << false << qint64(0) << "artidx.mul" << classic << QString();
    QTest::newRow("high-seas") << QStringList{"--tiledata", "high-seas"} << false << qint64(0) << "artidx.mul"
                               << qint64(493568 + 2 * 1316) << QString();
    QTest::newRow("unknown layout") << QStringList{"--tiledata", "uop"} << false << qint64(0) << QString()
                                    << qint64(0) << "--tiledata must be classic or high-seas";
    QTest::newRow("over a data set")
        << QStringList() << true << qint64(0) << QString() << qint64(0)
        << "already holds a data set (art.mul, artidx.mul, tiledata.mul, animdata.mul); give --force";
    // art.mul and artidx.mul go with the set they belonged to.
    QTest::newRow("over a data set, forced, as uop")
        << QStringList{"--force", "--art", "uop"} << true << qint64(0) << "artLegacyMUL.uop" << classic
        << QString();
    // artidx.mul (197,376 bytes) fits, art.mul does not: neither may replace the old one.
    QTest::newRow("over a data set, forced, disk full")
        << QStringList{"--force"} << true << qint64(256 * 1024) << QString() << qint64(0)
        << "art.mul: File too large";
}

void TestSample::programWritesEveryCombination()
{
    QFETCH(QStringList, options);
    QFETCH(bool, occupied);
    QFETCH(qint64, limit);
    QFETCH(QString, art);
    QFETCH(qint64, size);
    QFETCH(QString, complaint);
    QTemporaryDir dir;
    const QDir out(dir.filePath("set"));
    const auto files = [&out] {
        QMap<QString, QByteArray> all;
        for (const QString &name : out.entryList(QDir::Files | QDir::Hidden))
            all.insert(name, TestFiles::fileBytes(out.filePath(name)));
        return all;
    };
    QVERIFY(!occupied || DataSetBuilder(32).write(out.path()));
    const QMap<QString, QByteArray> before = files();
    std::optional<FileSizeLimit> diskFull;
    if (limit > 0)
        diskFull.emplace(limit);
    QProcess program;
    program.start(QStringLiteral(TESSERA_SAMPLE), QStringList{out.path(), "--statics", "64"} + options);
    QVERIFY(program.waitForFinished(60000));
    diskFull.reset();
    const QString error = QString::fromLocal8Bit(program.readAllStandardError());
    QVERIFY2((program.exitCode() == 0) == !art.isEmpty(), qPrintable(error));
    if (art.isEmpty()) {
        QVERIFY2(error.contains(complaint), qPrintable(error));
        QCOMPARE(files(), before);
        return;
    }
    QStringList expected{"animdata.mul", art, "tiledata.mul"};
    if (art == "artidx.mul")
        expected.insert(1, "art.mul");
    QCOMPARE(out.entryList(QDir::Files | QDir::Hidden), expected);
    QCOMPARE(QFileInfo(out.filePath("tiledata.mul")).size(), size);
}

QTEST_GUILESS_MAIN(TestSample)
#include "test_sample.moc"
