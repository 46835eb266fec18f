#include "test_datasetsaver_fixture.h"

#include "art/ArtFormat.h"
#include "tiledata/LandTileRecord.h"
#include "tiledata/StaticTileRecord.h"
#include "tiledata/TileDataFormat.h"

#include <QFileInfo>
#include <QtTest>

using namespace ArtFormat;

namespace {

ArtIndexEntry entryIn(const QByteArray &index, int slot)
{
    const char *p = index.constData() + qsizetype(slot) * IndexEntrySize;
    return {qFromLittleEndian<qint32>(p), qFromLittleEndian<qint32>(p + 4), qFromLittleEndian<qint32>(p + 8)};
}

QByteArray recordIn(const QByteArray &art, const ArtIndexEntry &entry)
{
    return art.mid(entry.offset, entry.length);
}

LandTileRecord renamedLand(const TileData &tiles, int id, const QString &name)
{
    LandTileRecord record = LandTileRecord::fromBytes(tiles.landRecord(id));
    record.setNameText(name);
    record.flags ^= 0x40;
    return record;
}

StaticTileRecord renamedStatic(const TileData &tiles, int id, const QString &name)
{
    StaticTileRecord record = StaticTileRecord::fromBytes(tiles.staticRecord(id));
    record.setNameText(name);
    record.weight = 77;
    return record;
}

} // namespace

class TestDataSetSaver : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void editedTilesShowTheirEditsInTheOutput();
    void everyOtherTileIsCopiedByteForByte();
    void tileDataTakesPendingRecordsAndKeepsBlockHeaders();
    void originalsAndPendingEditsAreLeftAlone();
    void dataDirectoryIsRefused();
    void missingOutputDirectoryIsRefused();
    void entriesOutsideTheArtFileBecomeEmptySlots();
    void sharedRecordsStayShared();
    void editBeyondTheIndexExtendsIt();
    void recordPastTheEndOfAShortTileDataFileIsZeroPadded();
    void savingAgainReplacesTheOutputAndLeavesOtherFiles();
    void progressRunsUpToTheTotal();
};

void TestDataSetSaver::editedTilesShowTheirEditsInTheOutput()
{
    SaverFixture f;
    QVERIFY(f.ok);
    QVERIFY(!f.art->getTerrain(7, false).isNull());
    QVERIFY(!f.art->getStatic(9, false).isNull());
    QVERIFY(f.art->setTerrain(3, patternImage(44, 44, 1)));
    QVERIFY(f.art->setStatic(5, patternImage(23, 40, 2)));
    QVERIFY(f.art->setTerrain(7, QImage()));
    QVERIFY(f.art->setStatic(9, QImage()));
    const LandTileRecord land = renamedLand(*f.tiles, 3, QStringLiteral("edited land"));
    const StaticTileRecord item = renamedStatic(*f.tiles, 5, QStringLiteral("edited static"));
    QVERIFY(f.tiles->setLandRecord(3, land.toBytes()));
    QVERIFY(f.tiles->setStaticRecord(5, item.toBytes()));

    DataSetSaver saver = f.saver();
    QCOMPARE(saver.save(f.outDir), DataSetSaver::Status::Saved);
    QVERIFY2(saver.errorString().isEmpty(), qPrintable(saver.errorString()));

    const auto art = f.openOutputArt();
    const auto tiles = f.openOutputTiles();
    QCOMPARE(art->getTerrain(3, false), f.art->getTerrain(3, false));
    QCOMPARE(art->getStatic(5, false), f.art->getStatic(5, false));
    QCOMPARE(art->getStatic(5, false).size(), QSize(23, 40));
    QVERIFY(art->getTerrain(7, false).isNull());
    QVERIFY(art->getStatic(9, false).isNull());
    QCOMPARE(art->terrainEntry(7).offset, -1);
    QCOMPARE(art->staticEntry(9).offset, -1);
    QCOMPARE(LandTileRecord::fromBytes(tiles->landRecord(3)), land);
    QCOMPARE(StaticTileRecord::fromBytes(tiles->staticRecord(5)), item);
    QCOMPARE(tiles->landName(3), QStringLiteral("edited land"));
    QCOMPARE(tiles->staticCount(), f.tiles->staticCount());

    for (int id = 0; id < SaverFixture::TerrainImages + 10; ++id)
        QCOMPARE(art->getTerrain(id, false), f.art->getTerrain(id, false));
    for (int id = 0; id < SaverFixture::StaticCount; ++id)
        QCOMPARE(art->getStatic(id, false), f.art->getStatic(id, false));
}

void TestDataSetSaver::everyOtherTileIsCopiedByteForByte()
{
    SaverFixture f;
    QVERIFY(f.ok);
    QVERIFY(f.art->setTerrain(0, patternImage(44, 44, 3)));
    QVERIFY(f.art->setStatic(1, QImage()));
    DataSetSaver saver = f.saver();
    QCOMPARE(saver.save(f.outDir), DataSetSaver::Status::Saved);

    const QByteArray inIndex = fileBytes(f.dataFile("artidx.mul"));
    const QByteArray inArt = fileBytes(f.dataFile("art.mul"));
    const QByteArray outIndex = fileBytes(f.outFile("artidx.mul"));
    const QByteArray outArt = fileBytes(f.outFile("art.mul"));
    QCOMPARE(outIndex.size(), inIndex.size());
    int compared = 0;
    for (int slot = 0; slot < inIndex.size() / IndexEntrySize; ++slot) {
        const ArtIndexEntry before = entryIn(inIndex, slot);
        const ArtIndexEntry after = entryIn(outIndex, slot);
        QCOMPARE(after.reserved, before.reserved);
        if (slot == 0 || slot == StaticIdBase + 1)
            continue;
        if (before.isEmpty()) {
            QCOMPARE(after, before);
            continue;
        }
        QCOMPARE(after.length, before.length);
        QCOMPARE(recordIn(outArt, after), recordIn(inArt, before));
        ++compared;
    }
    QVERIFY(compared > SaverFixture::TerrainImages / 2);
    QCOMPARE(recordIn(outArt, entryIn(outIndex, 0)), fileBytes(f.art->pendingTerrain().value(0)));
    const ArtIndexEntry deleted = entryIn(outIndex, StaticIdBase + 1);
    QCOMPARE(deleted.offset, -1);
    QCOMPARE(deleted.reserved, entryIn(inIndex, StaticIdBase + 1).reserved);
}

void TestDataSetSaver::tileDataTakesPendingRecordsAndKeepsBlockHeaders()
{
    using namespace TileDataFormat;
    SaverFixture f;
    QVERIFY(f.ok);
    const QByteArray land = renamedLand(*f.tiles, 40, QStringLiteral("land forty")).toBytes();
    const QByteArray item = renamedStatic(*f.tiles, 33, QStringLiteral("static 33")).toBytes();
    QVERIFY(f.tiles->setLandRecord(40, land));
    QVERIFY(f.tiles->setStaticRecord(33, item));
    DataSetSaver saver = f.saver();
    QCOMPARE(saver.save(f.outDir), DataSetSaver::Status::Saved);

    QByteArray expected = fileBytes(f.dataFile("tiledata.mul"));
    expected.replace(landPosition(40), LandRecordSize, land);
    expected.replace(staticPosition(33), StaticRecordSize, item);
    QCOMPARE(fileBytes(f.outFile("tiledata.mul")), expected);
    QCOMPARE(fileBytes(f.outFile("animdata.mul")), fileBytes(f.dataFile("animdata.mul")));
}

void TestDataSetSaver::originalsAndPendingEditsAreLeftAlone()
{
    SaverFixture f;
    QVERIFY(f.ok);
    const QMap<QString, QByteArray> before = snapshot(f.dataDir);
    QVERIFY(f.art->setTerrain(2, patternImage(44, 44, 4)));
    QVERIFY(f.art->setStatic(2, QImage()));
    QVERIFY(f.tiles->setLandRecord(2, renamedLand(*f.tiles, 2, QStringLiteral("two")).toBytes()));
    const auto terrainPending = f.art->pendingTerrain();
    const QByteArray pendingRecord = fileBytes(terrainPending.value(2));

    DataSetSaver saver = f.saver();
    QCOMPARE(saver.save(f.outDir), DataSetSaver::Status::Saved);

    QCOMPARE(snapshot(f.dataDir), before);
    QCOMPARE(f.art->pendingTerrain(), terrainPending);
    QCOMPARE(fileBytes(terrainPending.value(2)), pendingRecord);
    QVERIFY(f.art->pendingStatics().contains(2));
    QVERIFY(f.tiles->pendingRecords().contains(2));
    QCOMPARE(f.tiles->landName(2), QStringLiteral("two"));
}

void TestDataSetSaver::dataDirectoryIsRefused()
{
    SaverFixture f;
    QVERIFY(f.ok);
    QVERIFY(f.art->setTerrain(1, patternImage(44, 44, 5)));
    const QMap<QString, QByteArray> before = snapshot(f.dataDir);
    DataSetSaver saver = f.saver();
    QCOMPARE(saver.save(f.dataDir), DataSetSaver::Status::Failed);
    QVERIFY(saver.errorString().contains(QStringLiteral("data directory")));

    // The same directory under another name is still the data directory.
    const QString link = f.root.filePath(QStringLiteral("link"));
    QVERIFY(QFile::link(f.dataDir, link));
    QCOMPARE(saver.save(link), DataSetSaver::Status::Failed);
    QCOMPARE(saver.save(f.dataDir + QStringLiteral("/../data/.")), DataSetSaver::Status::Failed);
    QCOMPARE(snapshot(f.dataDir), before);
}

void TestDataSetSaver::missingOutputDirectoryIsRefused()
{
    SaverFixture f;
    QVERIFY(f.ok);
    DataSetSaver saver = f.saver();
    const QString missing = f.root.filePath(QStringLiteral("nowhere"));
    QCOMPARE(saver.save(missing), DataSetSaver::Status::Failed);
    QVERIFY(saver.errorString().contains(QStringLiteral("nowhere")));
    QVERIFY(!QFileInfo::exists(missing));
}

void TestDataSetSaver::entriesOutsideTheArtFileBecomeEmptySlots()
{
    DataSetBuilder builder = SaverFixture::sampleSet();
    const qint32 artSize = qint32(builder.artBytes().size());
    builder.setRawTerrainEntry(10, artSize + 100, 2024, 7);
    builder.setRawTerrainEntry(11, artSize - 10, 2024);
    builder.setRawStaticEntry(2, -5, 100);
    SaverFixture f(builder);
    QVERIFY(f.ok);

    DataSetSaver saver = f.saver();
    QCOMPARE(saver.save(f.outDir), DataSetSaver::Status::Saved);
    QCOMPARE(saver.emptiedSlots(), (QVector<int>{10, 11, StaticIdBase + 2}));
    QVERIFY(saver.notice().contains(QStringLiteral("terrain tile 10")));
    QVERIFY(saver.notice().contains(QStringLiteral("static tile 2")));

    const auto art = f.openOutputArt();
    QCOMPARE(art->terrainEntry(10), (ArtIndexEntry{-1, -1, 7}));
    QVERIFY(art->terrainEntry(11).isEmpty());
    QVERIFY(art->staticEntry(2).isEmpty());
    QVERIFY(art->getTerrain(10, false).isNull());
    QCOMPARE(art->getTerrain(12, false), f.art->getTerrain(12, false));
}

void TestDataSetSaver::sharedRecordsStayShared()
{
    DataSetBuilder builder(64);
    builder.setStaticImage(4, patternImage(10, 12, 6));
    builder.setStaticImage(6, patternImage(8, 8, 7));
    const QByteArray index = builder.artIndexBytes();
    const ArtIndexEntry shared = entryIn(index, StaticIdBase + 4);
    builder.setRawStaticEntry(3, shared.offset, shared.length);
    builder.setRawStaticEntry(5, shared.offset, shared.length);
    SaverFixture f(builder);
    QVERIFY(f.ok);

    DataSetSaver saver = f.saver();
    QCOMPARE(saver.save(f.outDir), DataSetSaver::Status::Saved);
    const auto art = f.openOutputArt();
    QCOMPARE(art->staticEntry(3).offset, art->staticEntry(4).offset);
    QCOMPARE(art->staticEntry(5).offset, art->staticEntry(4).offset);
    QCOMPARE(art->getStatic(3, false), f.art->getStatic(4, false));
    QCOMPARE(QFileInfo(f.outFile("art.mul")).size(), QFileInfo(f.dataFile("art.mul")).size());
}

void TestDataSetSaver::editBeyondTheIndexExtendsIt()
{
    SaverFixture f;
    QVERIFY(f.ok);
    const int slots = int(QFileInfo(f.dataFile("artidx.mul")).size() / IndexEntrySize);
    const int beyond = slots - StaticIdBase + 5;
    QVERIFY(f.art->setStatic(beyond, patternImage(9, 9, 8)));
    DataSetSaver saver = f.saver();
    QCOMPARE(saver.save(f.outDir), DataSetSaver::Status::Saved);

    const auto art = f.openOutputArt();
    QCOMPARE(art->staticSlotCount(), beyond + 1);
    QCOMPARE(art->getStatic(beyond, false), f.art->getStatic(beyond, false));
    QCOMPARE(art->staticEntry(beyond - 1), (ArtIndexEntry{-1, -1, 0}));
}

void TestDataSetSaver::recordPastTheEndOfAShortTileDataFileIsZeroPadded()
{
    SaverFixture f;
    QVERIFY(f.ok);
    const QByteArray full = fileBytes(f.dataFile("tiledata.mul"));
    {
        QFile file(f.dataFile("tiledata.mul"));
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        QCOMPARE(file.write(full.left(1000)), qint64(1000));
    }
    f.openStores();
    const QByteArray record = renamedLand(*f.tiles, 100, QStringLiteral("far")).toBytes();
    QVERIFY(f.tiles->setLandRecord(100, record));
    DataSetSaver saver = f.saver();
    QCOMPARE(saver.save(f.outDir), DataSetSaver::Status::Saved);

    const QByteArray out = fileBytes(f.outFile("tiledata.mul"));
    const qint64 position = TileDataFormat::landPosition(100);
    QCOMPARE(out.size(), position + TileDataFormat::LandRecordSize);
    QCOMPARE(out.left(1000), full.left(1000));
    QCOMPARE(out.mid(1000, position - 1000), QByteArray(position - 1000, '\0'));
    QCOMPARE(out.mid(position), record);
}

void TestDataSetSaver::savingAgainReplacesTheOutputAndLeavesOtherFiles()
{
    SaverFixture f;
    QVERIFY(f.ok);
    {
        QFile other(f.outFile("readme.txt"));
        QVERIFY(other.open(QIODevice::WriteOnly));
        other.write("kept");
    }
    QVERIFY(f.art->setTerrain(4, patternImage(44, 44, 9)));
    DataSetSaver saver = f.saver();
    QCOMPARE(saver.save(f.outDir), DataSetSaver::Status::Saved);
    QVERIFY(f.art->setTerrain(4, patternImage(44, 44, 10)));
    QCOMPARE(saver.save(f.outDir), DataSetSaver::Status::Saved);

    QCOMPARE(f.openOutputArt()->getTerrain(4, false), f.art->getTerrain(4, false));
    const QStringList names = snapshot(f.outDir).keys();
    QCOMPARE(names, (QStringList{"animdata.mul", "art.mul", "artidx.mul", "readme.txt", "tiledata.mul"}));
    QCOMPARE(fileBytes(f.outFile("readme.txt")), QByteArray("kept"));
}

void TestDataSetSaver::progressRunsUpToTheTotal()
{
    SaverFixture f;
    QVERIFY(f.ok);
    QVERIFY(f.art->setTerrain(4, patternImage(44, 44, 11)));
    DataSetSaver saver = f.saver();
    QVector<QPair<qint64, qint64>> calls;
    saver.setProgressHandler([&](qint64 done, qint64 total) {
        calls.append({done, total});
        return true;
    });
    QCOMPARE(saver.save(f.outDir), DataSetSaver::Status::Saved);

    QVERIFY(calls.size() >= 2);
    const qint64 total = calls.first().second;
    qint64 written = 0;
    for (const char *name : {"art.mul", "artidx.mul", "tiledata.mul", "animdata.mul"})
        written += QFileInfo(f.outFile(name)).size();
    QCOMPARE(total, written);
    QCOMPARE(calls.first().first, qint64(0));
    QCOMPARE(calls.last().first, total);
    for (int i = 1; i < calls.size(); ++i) {
        QVERIFY(calls.at(i).first >= calls.at(i - 1).first);
        QCOMPARE(calls.at(i).second, total);
    }
}

QTEST_GUILESS_MAIN(TestDataSetSaver)
#include "test_datasetsaver.moc"
