// The art store: reading by id (damaged files too), the caches, pending edits and their directory.

#include "FileSizeLimit.h"
#include "TestDataSet.h"
#include "TestFiles.h"
#include "art/ArtFormat.h"
#include "art/ArtWork.h"
#include "art/MulArtContainer.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QtEndian>
#include <QtTest>

using namespace ArtFormat;
using TestFiles::fileBytes;

namespace {

// The colour a pixel with red field i shows highlighted, as the format describes it.
constexpr quint16 HighlightTable[32] = {0x18C0, 0x18C0, 0x1CE0, 0x2100, 0x2520, 0x2521, 0x2941, 0x2D61,
    0x3181, 0x3181, 0x35A2, 0x39C2, 0x3DE2, 0x3DE2, 0x4203, 0x4623, 0x4A43, 0x4A43, 0x4E63, 0x5284, 0x56A4,
    0x56A4, 0x5AC4, 0x5EE5, 0x6305, 0x6305, 0x6725, 0x6B45, 0x6F66, 0x6F66, 0x7386, 0x77A6};

// The pixel a 15-bit colour word shows: each 5-bit field shifted up by 3.
QRgb rgbOf(quint16 word)
{
    return qRgb(((word >> 10) & 31) << 3, ((word >> 5) & 31) << 3, (word & 31) << 3);
}

// Highlighted, every stored pixel shows the table's colour for its red field; the rest stays transparent.
bool isHighlightOf(const QImage &lit, const QImage &plain)
{
    if (plain.isNull() || lit.size() != plain.size())
        return false;
    for (int y = 0; y < plain.height(); ++y) {
        for (int x = 0; x < plain.width(); ++x) {
            const QRgb pixel = plain.pixel(x, y);
            if (lit.pixel(x, y) != (qAlpha(pixel) ? rgbOf(HighlightTable[qRed(pixel) >> 3]) : 0u))
                return false;
        }
    }
    return true;
}

} // namespace

class TestArtWork : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void readsByIndex()
    {
        DataSetBuilder builder(8);
        builder.setTerrainImage(0, TestDataSet::terrain(Qt::red));
        builder.setStaticImage(0, TestDataSet::solid(5, 7, Qt::green));
        builder.setRawTerrainEntry(1, 1 << 30, 2024); // far outside art.mul
        builder.setRawTerrainEntry(2, -1, 2024); // empty whatever its length
        builder.setRawTerrainEntry(3, -7, 2024);
        builder.setTerrainRecord(4, QByteArray(100, '\x01')); // less than a record left in art.mul
        TestDataSet data(builder);
        ArtWork &art = data.art();
        // Terrain 0 is at offset 0 of art.mul; static 0 reads slot 16384, never terrain slot 0.
        QVERIFY(data.isValid() && art.container().entry(0).offset == 0);
        QCOMPARE(art.image(TileKind::Terrain, 0, false).pixel(22, 22), qRgb(248, 0, 0));
        QImage item = art.image(TileKind::Static, 0, false);
        QCOMPARE(item.size(), QSize(5, 7));
        QCOMPARE(item.pixel(2, 2), qRgb(0, 248, 0));
        QCOMPARE(art.staticSlotCount(), 8);
        // Damaged or missing entries, negative ids and ids past the end of artidx.mul: no image.
        for (int id : {1, 2, 3, 4, 5, -1})
            QVERIFY(art.image(TileKind::Terrain, id, false).isNull());
        for (int id : {8, 1 << 24, -1})
            QVERIFY(art.image(TileKind::Static, id, true).isNull());
        // A cache hit is a shared copy: a caller painting on one changes nothing for others.
        item.setPixel(2, 2, qRgb(1, 2, 3));
        QCOMPARE(art.image(TileKind::Static, 0, false).pixel(2, 2), qRgb(0, 248, 0));
        // artidx.mul cut in the middle of an entry, and no files at all.
        QVERIFY(QFile::resize(data.filePath("artidx.mul"), IndexEntrySize * (StaticIdBase + 1) - 5));
        ArtWork cut(data.filePath("artidx.mul"), data.filePath("art.mul"), data.pendingParent());
        QVERIFY(!cut.image(TileKind::Terrain, 0, false).isNull()
            && cut.image(TileKind::Static, 0, false).isNull());
        QTemporaryDir empty;
        ArtWork missing(empty.filePath("artidx.mul"), empty.filePath("art.mul"), empty.path());
        QVERIFY(missing.image(TileKind::Terrain, 0, false).isNull() && missing.staticSlotCount() == 0);
    }

    void indexLengthsRunningToTheEndCostNothing()
    {
        // Index lengths reaching the end of art.mul: records read as they are, all in about one art.mul.
        DataSetBuilder::Options options;
        options.staticCount = 96;
        options.terrainImages = 300;
        TestDataSet data(DataSetBuilder::procedural(options));
        QByteArray index = fileBytes(data.filePath("artidx.mul"));
        const QByteArray art = fileBytes(data.filePath("art.mul"));
        QMap<int, QByteArray> records;
        for (int slot = 0; slot < index.size() / IndexEntrySize; ++slot) {
            char *entry = index.data() + qsizetype(slot) * IndexEntrySize;
            const qint32 offset = qFromLittleEndian<qint32>(entry);
            if (offset >= 0) {
                records.insert(slot, art.mid(offset, qFromLittleEndian<qint32>(entry + 4)));
                qToLittleEndian<qint32>(qint32(art.size()) - offset, entry + 4);
            }
        }
        QVERIFY(records.size() > 300 && TestFiles::writeFile(data.filePath("artidx.mul"), index));
        MulArtContainer container;
        QVERIFY(container.open(data.filePath("artidx.mul"), data.filePath("art.mul")));
        for (auto it = records.cbegin(); it != records.cend(); ++it) {
            const ArtContainer::StoredRecord stored = container.storedRecord(it.key());
            QCOMPARE(stored.bytes, it.value());
            QVERIFY(stored.fit == ArtContainer::Fit::CutToRecord || it.key() == records.lastKey());
        }
        QVERIFY2(
            container.artBytesRead() < 3 * art.size(), qPrintable(QString::number(container.artBytesRead())));
    }

    void cacheEvictsLeastRecentlyUsed()
    {
        // Edits whose files are removed behind the store's back show what the cache holds.
        TestDataSet data{DataSetBuilder(8)};
        ArtWork &art = data.art();
        for (int id = 0; id < ArtWork::MinCacheCapacity; ++id)
            QVERIFY(art.setImage(TileKind::Terrain, id, TestDataSet::terrain(Qt::yellow)));
        QVERIFY(!art.image(TileKind::Terrain, 0, false).isNull()); // 0 becomes the most recently used
        QVERIFY(art.setImage(TileKind::Terrain, ArtWork::MinCacheCapacity, TestDataSet::terrain(Qt::yellow)));
        // Bounded in bytes too: three 1024 x 1024 statics fit in what 1000 images may take, not four.
        for (int id = 0; id < 4; ++id)
            QVERIFY(art.setImage(
                TileKind::Static, id, TestDataSet::solid(MaxStaticSide, MaxStaticSide, Qt::transparent)));
        const PendingEditStore &edits = art.pendingEdits();
        for (const PendingEditStore::Tile &tile : edits.editedTiles())
            QVERIFY(QFile::remove(edits.recordAt(tile.kind, tile.id, PendingEditStore::Part::Image).path));
        for (int id : {0, 2, ArtWork::MinCacheCapacity})
            QVERIFY(!art.image(TileKind::Terrain, id, false).isNull());
        QVERIFY(art.image(TileKind::Terrain, 1, false).isNull()); // the least recently used went
        QVERIFY(art.image(TileKind::Static, 0, false).isNull());
        QVERIFY(!art.image(TileKind::Static, 1, false).isNull()
            && !art.image(TileKind::Static, 3, false).isNull());
    }

    void pendingEditsLeaveTheDataFiles()
    {
        DataSetBuilder builder(16);
        builder.setTerrainImage(4, TestDataSet::terrain(Qt::blue));
        builder.setStaticImage(1, TestDataSet::solid(5, 5, Qt::red));
        QByteArray everyRed(TerrainRecordSize, '\0'); // terrain whose pixels run through every red field
        for (int i = 0; i < TerrainWordCount; ++i)
            qToLittleEndian(quint16((i % 32) << 10 | (i * 7 & 0x3ff)), everyRed.data() + 2 * i);
        builder.setTerrainRecord(6, everyRed);
        TestDataSet data(builder);
        // Whatever is read, edited or fails, the data files (writable, so a write would show) stay.
        const QStringList names{"art.mul", "artidx.mul", "tiledata.mul", "animdata.mul"};
        QByteArrayList before;
        for (const QString &name : names)
            before << fileBytes(data.filePath(name));
        QVERIFY(QFileInfo(data.filePath("art.mul")).permissions() & QFile::WriteOwner);
        ArtWork &art = data.art();
        PendingEditStore &edits = art.pendingEdits();
        using Part = PendingEditStore::Part;
        const QDir dir(edits.directory());
        for (int id : {4, 6})
            QVERIFY(isHighlightOf(
                art.image(TileKind::Terrain, id, true), art.image(TileKind::Terrain, id, false)));
        QVERIFY(isHighlightOf(art.image(TileKind::Static, 1, true), art.image(TileKind::Static, 1, false)));
        QSignalSpy changed(&edits, &PendingEditStore::changed);
        QVERIFY(art.setImage(TileKind::Terrain, 3, TestDataSet::solid(100, 50, Qt::red)));
        QCOMPARE(art.image(TileKind::Terrain, 3, false).size(), QSize(44, 44));
        QCOMPARE(changed.count(), 1);

        // A second edit replaces the first (the green one shows below).
        QVERIFY(art.setImage(TileKind::Static, 9, TestDataSet::solid(4, 4, Qt::red)));
        QVERIFY(art.setImage(TileKind::Static, 9, TestDataSet::solid(3, 2, Qt::green)));
        const QByteArray record = edits.edit(TileKind::Static, 9, Part::Image).record;

        // Writes cut short (a full disk) fail naming the file and why; the tile and earlier edit stay.
        changed.clear();
        QString terrainError;
        QString staticError;
        const QStringList filesBefore = dir.entryList(QDir::Files);
        {
            const FileSizeLimit diskFull(1000);
            QVERIFY(!art.setImage(TileKind::Terrain, 4, TestDataSet::terrain(Qt::red), &terrainError));
            QVERIFY(!art.setImage(TileKind::Static, 9, TestDataSet::solid(30, 30, Qt::red), &staticError));
        }
        QVERIFY2(terrainError.contains(dir.path()) && terrainError.endsWith("File too large"),
            qPrintable(terrainError));
        QVERIFY2(staticError.endsWith("File too large"), qPrintable(staticError));
        QCOMPARE(art.image(TileKind::Terrain, 4, false).pixel(22, 22), qRgb(0, 0, 248));
        QVERIFY(!edits.isEdited(TileKind::Terrain, 4));
        QCOMPARE(dir.entryList(QDir::Files), filesBefore);
        QCOMPARE(art.image(TileKind::Static, 9, false).pixel(0, 0), qRgb(0, 248, 0));
        QCOMPARE(edits.edit(TileKind::Static, 9, Part::Image).record, record);
        QCOMPARE(changed.count(), 0);
        // Images a record cannot express, and ids beyond the files, are refused.
        QVERIFY(!art.setImage(TileKind::Static, 3, TestDataSet::solid(300, 200, Qt::red))
            && !edits.isEdited(TileKind::Static, 3));
        QVERIFY(!art.setImage(TileKind::Terrain, TerrainCount, TestDataSet::terrain(Qt::red)));
        QVERIFY(!art.setImage(TileKind::Static, MaxStaticCount, QImage()));

        // Deleting an edited tile and one never edited: neither shows an image.
        QVERIFY(art.setImage(TileKind::Terrain, 3, QImage()) && art.setImage(TileKind::Terrain, 4, QImage()));
        for (int id : {3, 4})
            QVERIFY(art.image(TileKind::Terrain, id, false).isNull()
                && art.image(TileKind::Terrain, id, true).isNull());
        const std::unique_ptr<PendingEditDirectory> handedOver = edits.take();
        QVERIFY(!art.image(TileKind::Terrain, 4, false).isNull()); // handed over: the file's image again
        // An edit replaces the highlighted image too (red fields 0 and 31).
        QVERIFY(art.setImage(TileKind::Terrain, 4, TestDataSet::terrain(Qt::green)));
        QCOMPARE(art.image(TileKind::Terrain, 4, true).pixel(22, 22), qRgb(48, 48, 0));
        QVERIFY(art.setImage(TileKind::Terrain, 4, TestDataSet::terrain(Qt::red)));
        QCOMPARE(art.image(TileKind::Terrain, 4, true).pixel(22, 22), qRgb(232, 232, 48));

        QVERIFY(data.tiles().setLandRecord(1, LandTileRecord::fromBytes(QByteArray(26, 'x'))));
        for (int n = 0; n < names.size(); ++n)
            QCOMPARE(fileBytes(data.filePath(names.at(n))), before.at(n));
    }

    void pendingDirectoryIsPrivateAndTouchesNothingElse()
    {
        TestDataSet data{DataSetBuilder(8)};
        QTemporaryDir other; // holding files named like edits
        for (const char *name : {"a1.wfg", "abc.wfg", "tr5.wfg", "Terrain1.wfg"})
            QVERIFY(TestFiles::writeFile(other.filePath(QLatin1String(name)), "x"));
        QString directory;
        {
            ArtWork art(data.filePath("artidx.mul"), data.filePath("art.mul"), data.pendingParent());
            QVERIFY(art.setImage(TileKind::Terrain, 1, TestDataSet::terrain(Qt::red)));
            directory = art.pendingEdits().directory();
            const auto shared = QFile::ReadGroup | QFile::WriteOther | QFile::ReadOther;
            QCOMPARE(QFileInfo(directory).permissions() & shared, QFileDevice::Permissions());
        }
        QVERIFY(!QFileInfo::exists(directory));
        {
            // Another temporary directory, holding files named like edits: they are not its edits.
            ArtWork art(data.filePath("artidx.mul"), data.filePath("art.mul"), other.path());
            QVERIFY(art.image(TileKind::Terrain, 1, false).isNull());
            QVERIFY(art.setImage(TileKind::Terrain, 1, TestDataSet::terrain(Qt::red)));
            directory = art.pendingEdits().directory();
            QVERIFY(directory.startsWith(other.path()));
        }
        QVERIFY(!QFileInfo::exists(directory));
        QCOMPARE(QDir(other.path()).entryList(QDir::Files).size(), 4);
    }
};

QTEST_GUILESS_MAIN(TestArtWork)
#include "test_artwork.moc"
