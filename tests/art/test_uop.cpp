// Art in artLegacyMUL.uop: the same art read through both containers, which container a
// data set reads, damaged containers inside a data set, and the same edits saved through
// both containers.

#include "TestDataSet.h"
#include "TestFiles.h"
#include "art/ArtFormat.h"
#include "art/UopArtContainer.h"
#include "dataset/DataSet.h"
#include "io/MypHash.h"
#include "io/MypReader.h"
#include "saving/DataSetSaver.h"
#include "tiledata/AnimDataFile.h"

#include <QtEndian>
#include <QtTest>

using namespace ArtFormat;
using Format = ArtContainer::Format;
using Choice = ArtContainerChoice::Choice;
Q_DECLARE_METATYPE(Format)
Q_DECLARE_METATYPE(Choice)

namespace {

using TestFiles::fileBytes;
using TestFiles::writeFile;

// Beyond 0x4000 + 0x4000 index positions, as in the newer containers.
constexpr int HighStatic = 0xFFF0;
constexpr int SharingStatic = 40;
constexpr int SharedStatic = 3;

DataSetBuilder sampleSet()
{
    DataSetBuilder::Options options;
    options.staticCount = 96;
    options.terrainImages = 200;
    DataSetBuilder builder = DataSetBuilder::procedural(options);
    builder.setStaticImage(HighStatic, TestDataSet::solid(11, 13, Qt::magenta));
    builder.shareSlot(StaticIdBase + SharingStatic, StaticIdBase + SharedStatic);
    return builder;
}

DataSetBuilder::Output output(Format art, bool compressed = false)
{
    DataSetBuilder::Output out;
    out.art = art;
    out.compressArt = compressed;
    out.tableCapacity = 64; // several tables
    return out;
}

std::unique_ptr<DataSet> openSet(
    const QString &directory, Choice choice = Choice::Automatic, QString *error = nullptr)
{
    DataSet::Options options;
    options.art = choice;
    QString why;
    std::unique_ptr<DataSet> set = DataSet::open(directory, options, &why);
    if (error)
        *error = why;
    return set;
}

// Every image of both stores is the same, over every id either has.
bool sameImages(ArtWork &a, ArtWork &b, QString *firstDifference)
{
    for (int id = 0; id < TerrainCount; ++id) {
        if (a.getTerrain(id, false) != b.getTerrain(id, false)) {
            *firstDifference = QStringLiteral("terrain %1").arg(id);
            return false;
        }
    }
    for (int id = 0; id < qMax(a.staticSlotCount(), b.staticSlotCount()); ++id) {
        if (a.getStatic(id, false) != b.getStatic(id, false)) {
            *firstDifference = QStringLiteral("static %1").arg(id);
            return false;
        }
    }
    return true;
}

// The entry of an art position in a .uop file, by its name.
int entryOf(const MypReader &reader, int slot)
{
    return reader.find(MypHash::ofName(UopArtContainer::entryName(slot)));
}

// The same edits on any data set.
bool edit(ArtWork &art, TileData &tiles)
{
    LandTileRecord land = LandTileRecord::fromBytes(tiles.landRecord(9));
    land.setNameText(QStringLiteral("edited"));
    return art.setTerrain(3, TestDataSet::terrain(Qt::red))
        && art.setStatic(5, TestDataSet::solid(23, 40, Qt::blue)) && art.setTerrain(7, QImage())
        && art.setStatic(9, QImage()) && art.setStatic(HighStatic + 3, TestDataSet::solid(4, 4, Qt::green))
        && tiles.setLandRecord(9, land.toBytes());
}

} // namespace

class TestUop : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void sameArtThroughBothContainers_data();
    void sameArtThroughBothContainers();
    void choosingTheContainer_data();
    void choosingTheContainer();
    void damagedContainerInADataSet();
    void sameEditsSavedThroughMulAndUop();
    void uopSaveKeepsUneditedEntriesAsStored();
    void uopOutputBesideMulFilesIsRefused();
};

void TestUop::sameArtThroughBothContainers_data()
{
    QTest::addColumn<bool>("compressed");
    QTest::newRow("stored") << false;
    QTest::newRow("zlib") << true;
}

void TestUop::sameArtThroughBothContainers()
{
    QFETCH(bool, compressed);
    const DataSetBuilder builder = sampleSet();
    QTemporaryDir mulDir;
    QTemporaryDir uopDir;
    QVERIFY(builder.write(mulDir.path(), output(Format::Mul)));
    QVERIFY(builder.write(uopDir.path(), output(Format::Uop, compressed)));
    QVERIFY(!QFile::exists(uopDir.filePath("art.mul")) && !QFile::exists(uopDir.filePath("artidx.mul")));
    auto mul = openSet(mulDir.path());
    auto uop = openSet(uopDir.path());
    QVERIFY(mul && uop);
    QCOMPARE(mul->art().container().format(), Format::Mul);
    QCOMPARE(uop->art().container().format(), Format::Uop);
    QVERIFY2(uop->art().container().notes().isEmpty(), qPrintable(uop->art().container().notes().join('\n')));

    // The static palette reaches the highest position the container has.
    QCOMPARE(uop->art().staticSlotCount(), HighStatic + 1);
    QString difference;
    QVERIFY2(sameImages(mul->art(), uop->art(), &difference), qPrintable(difference));
    QCOMPARE(uop->art().getStatic(HighStatic, false).size(), QSize(11, 13));
    // Records are those art.mul holds; positions sharing one share its entry.
    const ArtContainer &container = uop->art().container();
    QCOMPARE(container.record(StaticIdBase + 7), mul->art().container().record(StaticIdBase + 7));
    QVERIFY(!container.entry(StaticIdBase + SharedStatic).isEmpty());
    QCOMPARE(container.entry(StaticIdBase + SharingStatic), container.entry(StaticIdBase + SharedStatic));
    QVERIFY(
        !(container.entry(StaticIdBase + SharedStatic + 1) == container.entry(StaticIdBase + SharedStatic)));
    QCOMPARE(container.entry(StaticIdBase + 7).length, qint32(container.record(StaticIdBase + 7).size()));
    QVERIFY(container.entry(StaticIdBase + HighStatic - 1).isEmpty());
}

void TestUop::choosingTheContainer_data()
{
    QTest::addColumn<QStringList>("remove"); // art files removed from a directory holding both containers
    QTest::addColumn<Choice>("choice");
    QTest::addColumn<QString>("opened"); // "mul", "uop", or what the message must name
    const QStringList none;
    const QStringList mulPair{"art.mul", "artidx.mul"};
    QTest::newRow("both: mul read") << none << Choice::Automatic << "mul";
    QTest::newRow("both, uop forced") << none << Choice::Uop << "uop";
    QTest::newRow("only uop") << mulPair << Choice::Automatic << "uop";
    QTest::newRow("uop and art.mul alone") << QStringList{"artidx.mul"} << Choice::Automatic << "uop";
    QTest::newRow("only mul, uop forced")
        << QStringList{"artLegacyMUL.uop"} << Choice::Uop << "artLegacyMUL.uop";
    QTest::newRow("only uop, mul forced") << mulPair << Choice::Mul << "art.mul, artidx.mul";
    QTest::newRow("nothing") << QStringList{"art.mul", "artidx.mul", "artLegacyMUL.uop"} << Choice::Automatic
                             << "art.mul and artidx.mul (or artLegacyMUL.uop)";
    QTest::newRow("art.mul alone") << QStringList{"artidx.mul", "artLegacyMUL.uop"} << Choice::Automatic
                                   << "artidx.mul (or artLegacyMUL.uop)";
}

void TestUop::choosingTheContainer()
{
    QFETCH(QStringList, remove);
    QFETCH(Choice, choice);
    QFETCH(QString, opened);
    DataSetBuilder builder(32);
    builder.setTerrainImage(1, TestDataSet::terrain(Qt::red));
    QTemporaryDir dir;
    QVERIFY(builder.write(dir.path(), output(Format::Uop)));
    // The .uop holds terrain 1; art.mul holds terrain 2: which one shows tells them apart.
    builder.clearTerrain(1);
    builder.setTerrainImage(2, TestDataSet::terrain(Qt::blue));
    QVERIFY(QFile::copy(dir.filePath("artLegacyMUL.uop"), dir.filePath("keep")));
    QVERIFY(builder.write(dir.path(), output(Format::Mul)));
    for (const QString &name : remove)
        QVERIFY(QFile::remove(dir.filePath(name)));

    QString error;
    auto set = openSet(dir.path(), choice, &error);
    if (opened != "mul" && opened != "uop") {
        QVERIFY(!set);
        QVERIFY2(error.contains("Missing: " + opened + "."), qPrintable(error));
        return;
    }
    QVERIFY2(set, qPrintable(error));
    QCOMPARE(ArtContainer::formatName(set->art().container().format()), opened);
    QCOMPARE(set->art().getTerrain(1, false).isNull(), opened == "mul");
    QCOMPARE(set->art().getTerrain(2, false).isNull(), opened == "uop");
}

void TestUop::damagedContainerInADataSet()
{
    DataSetBuilder builder(32);
    for (int id = 0; id < 4; ++id)
        builder.setStaticImage(id, TestDataSet::solid(5 + id, 5, Qt::red));
    QTemporaryDir dir;
    QVERIFY(builder.write(dir.path(), output(Format::Uop)));
    const QString path = dir.filePath("artLegacyMUL.uop");
    const QByteArray good = fileBytes(path);

    // Not a container at all: named, with what is wrong.
    QVERIFY(writeFile(path, QByteArray("not a container, just some bytes")));
    QString error;
    QVERIFY(!openSet(dir.path(), Choice::Automatic, &error));
    QVERIFY2(error.contains("artLegacyMUL.uop is damaged") && error.contains("not a MYP container"),
        qPrintable(error));

    // One record's bytes changed: that tile shows nothing and is reported, the rest show.
    MypReader reader;
    QVERIFY(writeFile(path, good) && reader.open(path, UopArtContainer::MaxRecordLength));
    const MypEntry damaged = reader.entry(entryOf(reader, StaticIdBase + 2));
    QByteArray bytes = good;
    bytes[qsizetype(damaged.dataStart() + 10)] = char(bytes[qsizetype(damaged.dataStart() + 10)] ^ 0x55);
    // And a later entry repeats the name of static 1 (a copy of static 3's entry).
    const qint64 firstEntry = 0x200 + 12;
    const int static1 = entryOf(reader, StaticIdBase + 1);
    const int static3 = entryOf(reader, StaticIdBase + 3);
    bytes.replace(firstEntry + static3 * 34 + 20, 8, bytes.mid(firstEntry + static1 * 34 + 20, 8));
    QVERIFY(writeFile(path, bytes));
    auto set = openSet(dir.path(), Choice::Automatic, &error);
    QVERIFY2(set, qPrintable(error));
    QVERIFY(set->art().getStatic(2, false).isNull());
    QCOMPARE(set->art().getStatic(0, false).size(), QSize(5, 5));
    QCOMPARE(set->art().getStatic(1, false).size(), QSize(6, 5)); // the first entry of the name
    QVERIFY(set->art().getStatic(3, false).isNull());
    const QString notes = set->art().container().notes().join('\n');
    QVERIFY2(notes.contains("static tile 2: its bytes do not match their checksum"), qPrintable(notes));
    QVERIFY2(notes.contains("repeat the name of an earlier entry, which is used: static tile 1"),
        qPrintable(notes));
}

void TestUop::sameEditsSavedThroughMulAndUop()
{
    const DataSetBuilder builder = sampleSet();
    QTemporaryDir mulDir;
    QTemporaryDir uopDir;
    QTemporaryDir pending;
    QTemporaryDir out;
    QVERIFY(builder.write(mulDir.path(), output(Format::Mul)));
    QVERIFY(builder.write(uopDir.path(), output(Format::Uop, true)));
    auto mul = openSet(mulDir.path());
    auto uop = openSet(uopDir.path());
    QVERIFY(mul && uop && edit(mul->art(), mul->tiles()) && edit(uop->art(), uop->tiles()));

    const QString mulOut = out.filePath("mul");
    const QString uopOut = out.filePath("uop");
    QVERIFY(QDir().mkpath(mulOut) && QDir().mkpath(uopOut));
    DataSetSaver mulSaver(mul->art(), mul->tiles(), mul->anims());
    DataSetSaver uopSaver(uop->art(), uop->tiles(), uop->anims());
    QCOMPARE(mulSaver.save(mulOut), DataSetSaver::Status::Saved);
    QCOMPARE(uopSaver.save(uopOut), DataSetSaver::Status::Saved);
    QVERIFY2(uopSaver.notice().isEmpty(), qPrintable(uopSaver.notice()));

    // Each saved in the container it was read from.
    QCOMPARE(QDir(mulOut).entryList(QDir::Files),
        (QStringList{"animdata.mul", "art.mul", "artidx.mul", "tiledata.mul"}));
    QCOMPARE(QDir(uopOut).entryList(QDir::Files),
        (QStringList{"animdata.mul", "artLegacyMUL.uop", "tiledata.mul"}));
    auto savedMul = openSet(mulOut);
    auto savedUop = openSet(uopOut);
    QVERIFY(savedMul && savedUop);
    QCOMPARE(savedUop->art().container().format(), Format::Uop);
    QString difference;
    QVERIFY2(sameImages(savedMul->art(), savedUop->art(), &difference), qPrintable(difference));
    QVERIFY2(sameImages(savedUop->art(), uop->art(), &difference), qPrintable(difference));
    QCOMPARE(savedUop->art().getTerrain(3, false), uop->art().getTerrain(3, false));
    QVERIFY(savedUop->art().getStatic(9, false).isNull());
    QCOMPARE(savedUop->art().staticSlotCount(), HighStatic + 4);
    QCOMPARE(fileBytes(savedUop->filePath("tiledata.mul")), fileBytes(savedMul->filePath("tiledata.mul")));
    QCOMPARE(fileBytes(savedUop->filePath("animdata.mul")), fileBytes(uop->filePath("animdata.mul")));
    QCOMPARE(savedUop->tiles().landName(9), QStringLiteral("edited"));
}

void TestUop::uopSaveKeepsUneditedEntriesAsStored()
{
    const DataSetBuilder builder = sampleSet();
    QTemporaryDir dir;
    QTemporaryDir out;
    QVERIFY(builder.write(dir.path(), output(Format::Uop, true)));
    auto set = openSet(dir.path());
    QVERIFY(set && edit(set->art(), set->tiles()));
    DataSetSaver saver(set->art(), set->tiles(), set->anims());
    QCOMPARE(saver.save(out.path()), DataSetSaver::Status::Saved);

    MypReader before;
    MypReader after;
    QVERIFY(before.open(dir.filePath("artLegacyMUL.uop"), UopArtContainer::MaxRecordLength));
    QVERIFY(after.open(out.filePath("artLegacyMUL.uop"), UopArtContainer::MaxRecordLength));
    QVERIFY2(after.notes().isEmpty() && after.duplicates().isEmpty(), qPrintable(after.notes().join(' ')));
    const QByteArray saved = fileBytes(out.filePath("artLegacyMUL.uop"));
    QCOMPARE(qFromLittleEndian<quint32>(saved.constData() + 24), quint32(after.entryCount()));
    const QSet<int> edited{3, 7, StaticIdBase + 5, StaticIdBase + 9, StaticIdBase + HighStatic + 3};
    int kept = 0;
    for (int slot = 0; slot < UopArtContainer::MaxSlots; ++slot) {
        const int was = entryOf(before, slot);
        const int is = entryOf(after, slot);
        QString why;
        if (is >= 0) // every entry is whole: lengths and checksum hold, and it decompresses
            QVERIFY2(!after.read(is, &why).isEmpty(), qPrintable(why));
        if (slot == 7 || slot == StaticIdBase + 9) {
            QCOMPARE(is, -1); // deleted tiles are absent
        } else if (!edited.contains(slot)) {
            QCOMPARE(is >= 0, was >= 0);
            if (was < 0)
                continue;
            QCOMPARE(after.readStored(is, &why), before.readStored(was, &why));
            QCOMPARE(after.entry(is).compression, before.entry(was).compression);
            QCOMPARE(after.entry(is).decompressedLength, before.entry(was).decompressedLength);
            ++kept;
        }
    }
    QVERIFY(kept > 200);
    // The two positions that shared a record still point at one block.
    QCOMPARE(after.entry(entryOf(after, StaticIdBase + SharingStatic)).offset,
        after.entry(entryOf(after, StaticIdBase + SharedStatic)).offset);
}

void TestUop::uopOutputBesideMulFilesIsRefused()
{
    DataSetBuilder builder(32);
    builder.setTerrainImage(1, TestDataSet::terrain(Qt::red));
    QTemporaryDir dir;
    QTemporaryDir out;
    QVERIFY(builder.write(dir.path(), output(Format::Uop)));
    QVERIFY(builder.write(out.path(), output(Format::Mul)));
    auto set = openSet(dir.path());
    QVERIFY(set);
    DataSetSaver saver(set->art(), set->tiles(), set->anims());
    QCOMPARE(saver.save(out.path()), DataSetSaver::Status::Failed);
    QVERIFY2(saver.errorString().contains("would be read in place of the artLegacyMUL.uop"),
        qPrintable(saver.errorString()));
    QVERIFY(!QFile::exists(out.filePath("artLegacyMUL.uop")));
    // The generator refuses the same.
    QString error;
    QVERIFY(!builder.write(out.path(), output(Format::Uop), &error));
    QVERIFY(error.contains("art.mul and artidx.mul"));
}

QTEST_GUILESS_MAIN(TestUop)
#include "test_uop.moc"
