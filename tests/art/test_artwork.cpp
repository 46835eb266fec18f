// The art store: reading by id, the two caches, pending edits and their private
// directory, and damaged art files.

#include "FileSizeLimit.h"
#include "TestDataSet.h"
#include "art/ArtCodec.h"
#include "art/ArtFormat.h"
#include "art/ArtWork.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QtTest>

using namespace ArtFormat;

namespace {

QByteArray fileHash(const QString &path)
{
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256);
}

QStringList dataFiles(const TestDataSet &data)
{
    QStringList files;
    for (const char *name : {"art.mul", "artidx.mul", "tiledata.mul", "animdata.mul"})
        files << data.filePath(QLatin1String(name));
    return files;
}

} // namespace

class TestArtWork : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void readsByIndex();
    void cacheHitsAreDeepCopies();
    void cacheEvictsLeastRecentlyUsed();
    void highlightedImagesMatchTheHighlightedDecode();
    void pendingEditFiles();
    void deleteAndReimport();
    void pendingDirectoryIsPrivateAndRemoved();
    void setTempDirTouchesNothingOutside();
    void failedPendingWriteChangesNothing();
    void damagedArtFiles();
    void dataFilesStayUnchanged();
};

void TestArtWork::readsByIndex()
{
    DataSetBuilder builder(8);
    builder.setTerrainImage(0, TestDataSet::terrain(Qt::red));
    builder.setStaticImage(0, TestDataSet::solid(5, 7, Qt::green));
    builder.setRawTerrainEntry(2, -1, 2024); // empty whatever its length
    TestDataSet data(builder);
    QVERIFY(data.isValid());

    // Terrain 0 is the first record, at offset 0 of art.mul.
    QCOMPARE(data.art().container().entry(0).offset, 0);
    QCOMPARE(data.art().getTerrain(0, false).pixel(22, 22), qRgb(248, 0, 0));
    // Static 0 reads slot 16384, never terrain slot 0.
    const QImage item = data.art().getStatic(0, false);
    QCOMPARE(item.size(), QSize(5, 7));
    QCOMPARE(item.pixel(2, 2), qRgb(0, 248, 0));
    QVERIFY(data.art().getTerrain(1, false).isNull());
    QVERIFY(data.art().getTerrain(2, false).isNull());
    QVERIFY(data.art().getTerrain(-1, false).isNull());
    QVERIFY(data.art().getStatic(-1, true).isNull());
    QCOMPARE(data.art().staticSlotCount(), 8);
}

void TestArtWork::cacheHitsAreDeepCopies()
{
    DataSetBuilder builder(8);
    builder.setStaticImage(5, TestDataSet::solid(6, 6, Qt::blue));
    TestDataSet data(builder);
    QImage first = data.art().getStatic(5, false);
    const QImage second = data.art().getStatic(5, false);
    QCOMPARE(first, second);
    first.setPixel(0, 0, qRgb(1, 2, 3));
    QCOMPARE(data.art().getStatic(5, false).pixel(0, 0), qRgb(0, 0, 248));
    QCOMPARE(second.pixel(0, 0), qRgb(0, 0, 248));
}

// A pending edit whose file is removed behind the store's back is served only from the
// cache, which shows what the cache holds.
void TestArtWork::cacheEvictsLeastRecentlyUsed()
{
    TestDataSet data{DataSetBuilder(8)};
    ArtWork &art = data.art();
    const QImage tile = TestDataSet::terrain(Qt::yellow);
    for (int id = 0; id < ArtWork::MinCacheCapacity; ++id)
        QVERIFY(art.setTerrain(id, tile));
    QVERIFY(!art.getTerrain(0, false).isNull()); // 0 becomes the most recently used
    QVERIFY(art.setTerrain(ArtWork::MinCacheCapacity, tile));
    for (const QString &file : art.pendingTerrain())
        QFile::remove(file);

    QVERIFY(!art.getTerrain(0, false).isNull());
    QVERIFY(art.getTerrain(1, false).isNull()); // the least recently used went
    QVERIFY(!art.getTerrain(2, false).isNull());
    QVERIFY(!art.getTerrain(ArtWork::MinCacheCapacity, false).isNull());

    art.setCacheCapacity(10);
    QCOMPARE(art.cacheCapacity(), ArtWork::MinCacheCapacity);
    art.setCacheCapacity(4800);
    QCOMPARE(art.cacheCapacity(), 4800);
}

void TestArtWork::highlightedImagesMatchTheHighlightedDecode()
{
    // Every red value, as terrain and as a static with transparent gaps: what the store
    // gives highlighted is what the codec decodes highlighted from the stored record.
    DataSetBuilder builder(8);
    QImage ramp(44, 44, QImage::Format_ARGB32);
    ramp.fill(Qt::transparent);
    for (int x = 0; x < 44; ++x) {
        for (int y = 0; y < 44; y += 1 + x % 3)
            ramp.setPixel(x, y, qRgb(qMin(255, x * 6), 255 - x * 5, y * 5));
    }
    builder.setTerrainImage(1, ramp);
    builder.setStaticImage(1, ramp);
    TestDataSet data(builder);
    ArtWork &art = data.art();
    QCOMPARE(art.getTerrain(1, true), ArtCodec::decodeTerrain(art.container().record(1), true));
    QCOMPARE(art.getStatic(1, true),
        ArtCodec::decodeStatic(art.container().record(ArtFormat::StaticIdBase + 1), true));
    QCOMPARE(art.getStatic(1, false),
        ArtCodec::decodeStatic(art.container().record(ArtFormat::StaticIdBase + 1), false));

    // An edit replaces the highlighted image too, and a deleted tile has none.
    QVERIFY(art.setTerrain(1, TestDataSet::terrain(QColor(255, 0, 0))));
    QCOMPARE(art.getTerrain(1, true).pixel(22, 22), ArtCodec::fromColor16(ArtCodec::highlightHue()[31]));
    QVERIFY(art.setTerrain(1, TestDataSet::terrain(QColor(0, 0, 255))));
    QCOMPARE(art.getTerrain(1, true).pixel(22, 22), ArtCodec::fromColor16(ArtCodec::highlightHue()[0]));
    QVERIFY(art.setTerrain(1, QImage()));
    QVERIFY(art.getTerrain(1, true).isNull());
}

void TestArtWork::pendingEditFiles()
{
    TestDataSet data{DataSetBuilder(16)};
    ArtWork &art = data.art();
    QSignalSpy changed(&art, &ArtWork::pendingChanged);
    QImage wide(100, 50, QImage::Format_ARGB32);
    wide.fill(Qt::red);
    QVERIFY(art.setTerrain(3, wide));
    const QString terrainFile = QDir(art.pendingDirectory()).filePath(QStringLiteral("Terrain3.wfg"));
    QCOMPARE(QFileInfo(terrainFile).size(), qint64(TerrainRecordSize));
    QCOMPARE(art.pendingTerrain().value(3), terrainFile);
    QCOMPARE(art.getTerrain(3, false).size(), QSize(44, 44));
    QCOMPARE(changed.count(), 1);

    QVERIFY(art.setStatic(9, TestDataSet::solid(4, 4, Qt::red)));
    QVERIFY(art.setStatic(9, TestDataSet::solid(3, 2, Qt::green)));
    const QDir dir(art.pendingDirectory());
    QCOMPARE(dir.entryList(QStringList{QStringLiteral("Static*")}, QDir::Files),
        QStringList{QStringLiteral("Static9.wfg")});
    QFile file(dir.filePath(QStringLiteral("Static9.wfg")));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray record = file.readAll();
    QCOMPARE(record, ArtCodec::encodeStatic(ArtCodec::normalizeStatic(TestDataSet::solid(3, 2, Qt::green))));
    // Every stored word of a normalized image has bit 15 set.
    QCOMPARE(quint8(record.at(17)) & 0x80, 0x80);
    QCOMPARE(art.getStatic(9, false).size(), QSize(3, 2));
}

void TestArtWork::deleteAndReimport()
{
    DataSetBuilder builder(8);
    builder.setTerrainImage(4, TestDataSet::terrain(Qt::blue));
    TestDataSet data(builder);
    ArtWork &art = data.art();
    QVERIFY(art.setTerrain(3, TestDataSet::terrain(Qt::red)));
    const QString file = art.pendingTerrain().value(3);
    QVERIFY(art.setTerrain(3, QImage()));
    QVERIFY(!QFile::exists(file));
    QVERIFY(art.getTerrain(3, false).isNull());
    QVERIFY(art.getTerrain(3, true).isNull());
    QVERIFY(art.pendingTerrain().contains(3));

    // An image that was never edited: no record, reads as deleted. Deletions are kept
    // on disk only as empty markers, so that they survive a crash.
    QVERIFY(!art.getTerrain(4, false).isNull());
    QVERIFY(art.setTerrain(4, QImage()));
    QVERIFY(art.getTerrain(4, false).isNull());
    QCOMPARE(QDir(art.pendingDirectory()).entryList({"*.wfg"}, QDir::Files).size(), 0);
    QCOMPARE(QDir(art.pendingDirectory()).entryList({"*.deleted"}, QDir::Files),
        (QStringList{"Terrain3.deleted", "Terrain4.deleted"}));

    QVERIFY(art.setTerrain(4, TestDataSet::terrain(Qt::green)));
    QCOMPARE(art.getTerrain(4, false).pixel(22, 22), qRgb(0, 248, 0));
}

void TestArtWork::pendingDirectoryIsPrivateAndRemoved()
{
    TestDataSet data{DataSetBuilder(8)};
    QString directory;
    {
        ArtWork first(data.filePath(QStringLiteral("artidx.mul")), data.filePath(QStringLiteral("art.mul")),
            data.pendingParent());
        ArtWork second(data.filePath(QStringLiteral("artidx.mul")), data.filePath(QStringLiteral("art.mul")),
            data.pendingParent());
        directory = first.pendingDirectory();
        QVERIFY(directory.startsWith(data.pendingParent()));
        QVERIFY(directory != second.pendingDirectory());
        QCOMPARE(
            QFileInfo(directory).permissions() & (QFile::ReadGroup | QFile::WriteOther | QFile::ReadOther),
            QFileDevice::Permissions());
        QVERIFY(first.setTerrain(1, TestDataSet::terrain(Qt::red)));
        QVERIFY(second.setTerrain(1, TestDataSet::terrain(Qt::blue)));
        // Two stores never overwrite each other's edits.
        QCOMPARE(first.getTerrain(1, false).pixel(22, 22), qRgb(248, 0, 0));
        QCOMPARE(second.getTerrain(1, false).pixel(22, 22), qRgb(0, 0, 248));
        QVERIFY(QFile::remove(second.pendingTerrain().value(1)));
        QVERIFY(!first.getTerrain(1, true).isNull());
    }
    QVERIFY(!QFileInfo::exists(directory));
}

void TestArtWork::setTempDirTouchesNothingOutside()
{
    TestDataSet data{DataSetBuilder(8)};
    QTemporaryDir other;
    for (const char *name : {"a1.wfg", "abc.wfg", "tr5.wfg", "Terrain1.wfg"}) {
        QFile file(QDir(other.path()).filePath(QLatin1String(name)));
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    const QDir workingDirectory = QDir::current();
    QDir::setCurrent(other.path());
    {
        ArtWork art(
            data.filePath(QStringLiteral("artidx.mul")), data.filePath(QStringLiteral("art.mul")), QString());
        QVERIFY(art.setTerrain(1, TestDataSet::terrain(Qt::red)));
        const QString before = art.pendingDirectory();
        art.setTempDir(other.path());
        QVERIFY(!QFileInfo::exists(before));
        QVERIFY(art.pendingTerrain().isEmpty());
        QVERIFY(art.getTerrain(1, false).isNull());
        QVERIFY(art.pendingDirectory().startsWith(other.path()));
        art.setTempDir(QString());
    }
    QDir::setCurrent(workingDirectory.path());
    QCOMPARE(QDir(other.path()).entryList(QDir::Files).size(), 4);
}

void TestArtWork::failedPendingWriteChangesNothing()
{
    DataSetBuilder builder(8);
    builder.setTerrainImage(5, TestDataSet::terrain(Qt::blue));
    TestDataSet data(builder);
    ArtWork &art = data.art();
    QVERIFY(art.setStatic(2, TestDataSet::solid(2, 2, Qt::red)));
    // A directory in the way of the file makes its write fail.
    QVERIFY(QDir(art.pendingDirectory()).mkdir(QStringLiteral("Terrain5.wfg")));
    QSignalSpy changed(&art, &ArtWork::pendingChanged);
    QString error;
    QVERIFY(!art.setTerrain(5, TestDataSet::terrain(Qt::red), &error));
    QVERIFY(error.contains(QLatin1String("Terrain5.wfg")));
    QCOMPARE(art.getTerrain(5, false).pixel(22, 22), qRgb(0, 0, 248));
    QVERIFY(!art.pendingTerrain().contains(5));
    QCOMPARE(changed.count(), 0);

    // The earlier edit of static 2 survives a failed second one.
    QFile::remove(art.pendingStatics().value(2));
    QVERIFY(QDir(art.pendingDirectory()).mkdir(QStringLiteral("Static2.wfg")));
    QVERIFY(!art.setStatic(2, TestDataSet::solid(2, 2, Qt::green), &error));
    QCOMPARE(art.getStatic(2, false).pixel(0, 0), qRgb(248, 0, 0));

    // A write the system cuts short (a full disk) fails with the system's reason, and the
    // edit before it stays.
    {
        const FileSizeLimit diskFull(1000);
        QVERIFY(!art.setTerrain(6, TestDataSet::terrain(Qt::red), &error));
    }
    QVERIFY2(error.contains(QLatin1String("File too large")), qPrintable(error));
    QVERIFY(
        !art.pendingTerrain().contains(6) && QDir(art.pendingDirectory()).entryList({"Terrain6*"}).isEmpty());

    // Images a record cannot express are refused, not stored truncated.
    QImage dense(300, 200, QImage::Format_ARGB32);
    dense.fill(Qt::red);
    QVERIFY(!art.setStatic(3, dense, &error));
    QVERIFY(!art.pendingStatics().contains(3));
    QVERIFY(!art.setTerrain(TerrainCount, TestDataSet::terrain(Qt::red), &error));
    QVERIFY(!art.setStatic(MaxStaticCount, QImage(), &error));
}

void TestArtWork::damagedArtFiles()
{
    DataSetBuilder builder(4);
    builder.setTerrainImage(0, TestDataSet::terrain(Qt::red));
    builder.setStaticImage(0, TestDataSet::solid(3, 3, Qt::red));
    builder.setRawTerrainEntry(1, 1 << 30, 2024); // far outside art.mul
    builder.setRawTerrainEntry(2, -7, 2024);
    builder.setRawStaticEntry(1, 1, 100); // inside art.mul, but not a record
    builder.setTerrainRecord(3, QByteArray(100, '\x01')); // truncated at the end of art.mul
    TestDataSet data(builder);
    ArtWork &art = data.art();
    QVERIFY(!art.getTerrain(0, false).isNull());
    QVERIFY(!art.getStatic(0, false).isNull());
    for (int id : {1, 2, 3})
        QVERIFY(art.getTerrain(id, false).isNull());
    // Index entries past the end of artidx.mul.
    QVERIFY(art.getStatic(4, false).isNull());
    QVERIFY(art.getStatic(1 << 24, true).isNull());
    // Whatever the static record at offset 1 holds, reading it must not crash.
    art.getStatic(1, false);

    // artidx.mul cut in the middle of an entry.
    QFile index(data.filePath(QStringLiteral("artidx.mul")));
    QVERIFY(index.open(QIODevice::ReadWrite));
    QVERIFY(index.resize(ArtFormat::IndexEntrySize * (StaticIdBase + 1) - 5));
    index.close();
    ArtWork cut(data.filePath(QStringLiteral("artidx.mul")), data.filePath(QStringLiteral("art.mul")),
        data.pendingParent());
    QVERIFY(!cut.getTerrain(0, false).isNull());
    QVERIFY(cut.getStatic(0, false).isNull());

    QTemporaryDir empty;
    ArtWork missing(empty.filePath(QStringLiteral("artidx.mul")), empty.filePath(QStringLiteral("art.mul")),
        empty.path());
    QVERIFY(missing.getTerrain(0, false).isNull());
    QCOMPARE(missing.staticSlotCount(), 0);
}

void TestArtWork::dataFilesStayUnchanged()
{
    DataSetBuilder::Options options;
    options.staticCount = 64;
    options.terrainImages = 64;
    TestDataSet data(DataSetBuilder::procedural(options));
    QMap<QString, QByteArray> before;
    for (const QString &file : dataFiles(data))
        before[file] = fileHash(file);
    for (int id = 0; id < 64; ++id) {
        data.art().getTerrain(id, id % 2);
        data.art().getStatic(id, id % 3);
    }
    QVERIFY(data.art().setTerrain(1, TestDataSet::terrain(Qt::red)));
    QVERIFY(data.art().setStatic(2, QImage()));
    QVERIFY(data.tiles().setLandRecord(1, QByteArray(26, 'x')));
    QVERIFY(QFileInfo(data.filePath(QStringLiteral("art.mul"))).permissions() & QFile::WriteOwner);
    for (const QString &file : dataFiles(data))
        QCOMPARE(fileHash(file), before[file]);
}

QTEST_GUILESS_MAIN(TestArtWork)
#include "test_artwork.moc"
