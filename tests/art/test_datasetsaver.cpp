// Saving a data set with its pending edits: the saved set, failures that must leave the
// output as it was, and tessera-cli patch on top of the saver.

#include "FileSizeLimit.h"
#include "TestDataSet.h"
#include "TestFiles.h"
#include "art/ArtFormat.h"
#include "saving/DataSetSaver.h"
#include "tools/cli/CliError.h"
#include "tools/cli/PatchList.h"

#include <QDirIterator>
#include <QProcess>
#include <QtTest>
#include <sys/stat.h>
#include <unistd.h>

using namespace ArtFormat;
using Step = DataSetSaver::Step;
using Status = DataSetSaver::Status;

namespace {

using TestFiles::fileBytes;
using TestFiles::writeFile;

// Every entry below a directory, hidden ones included, with the contents of its files,
// so that "left as it was" is checked exactly.
QMap<QString, QByteArray> snapshot(const QString &directory)
{
    QMap<QString, QByteArray> entries;
    QDirIterator it(directory, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
        QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        entries.insert(path, it.fileInfo().isDir() ? QByteArray("<dir>") : fileBytes(path));
    }
    return entries;
}

ArtIndexEntry entryIn(const QByteArray &index, int slot)
{
    const char *p = index.constData() + qsizetype(slot) * IndexEntrySize;
    return {qFromLittleEndian<qint32>(p), qFromLittleEndian<qint32>(p + 4), qFromLittleEndian<qint32>(p + 8)};
}

DataSetBuilder sampleSet()
{
    DataSetBuilder::Options options;
    options.staticCount = 96;
    options.terrainImages = 300;
    return DataSetBuilder::procedural(options);
}

// A generated data set with its stores, and an output directory.
struct Saving
{
    explicit Saving(const DataSetBuilder &builder = sampleSet()) : data(builder) { }
    QString out(const char *name) const { return output.filePath(QLatin1String(name)); }
    DataSetSaver saver() { return DataSetSaver(data.art(), data.tiles(), data.anims()); }

    TestDataSet data;
    QTemporaryDir output;
};

// The output already holds an earlier save and a file of the user's; newer edits are
// pending that the next save would write.
struct EarlierOutput : Saving
{
    EarlierOutput()
    {
        ok = data.art().setTerrain(1, TestDataSet::terrain(Qt::red)) && writeFile(out("notes.txt"), "mine")
            && saver().save(output.path()) == Status::Saved
            && data.art().setTerrain(2, TestDataSet::terrain(Qt::blue)) && data.art().setStatic(3, QImage())
            && data.tiles().setLandRecord(2, QByteArray(26, 'x'));
        before = snapshot(output.path());
        pending = snapshot(data.pendingParent());
    }
    // Nothing in the output directory changed and every pending edit is still there.
    bool untouched() const { return snapshot(output.path()) == before && pendingKept(); }
    bool pendingKept() const { return snapshot(data.pendingParent()) == pending; }

    bool ok = false;
    QMap<QString, QByteArray> before;
    QMap<QString, QByteArray> pending;
};

} // namespace

class TestDataSetSaver : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void savedDataSetHoldsTheEditsAndCopiesTheRest();
    void dataDirectoryIsRefused();
    void entriesOutsideTheArtFileBecomeEmptySlots();
    void indexLengthsThatDisagreeWithTheirRecords();
    void sharedRecordsStaySharedWhenEditsMoveThem();
    void inputChangedOnDiskIsRefused();
    void pendingFileChangingDuringTheSaveIsRefused();
    void savingTwiceLeavesOnlyTheDataSet();
    void faultLeavesTheOutputAsItWas_data();
    void faultLeavesTheOutputAsItWas();
    void diskFillingUpNamesTheSystemsReason();
    void unwritableOutputDirectory();
    void cancelledSaveLeavesTheOutputAsItWas();
    void patchListFileNames_data();
    void patchListFileNames();
    void patchListBadLines_data();
    void patchListBadLines();
    void patchCommand();
};

void TestDataSetSaver::savedDataSetHoldsTheEditsAndCopiesTheRest()
{
    Saving s;
    ArtWork &art = s.data.art();
    TileData &tiles = s.data.tiles();
    QVERIFY(s.data.isValid() && !art.getTerrain(7, false).isNull() && !art.getStatic(9, false).isNull());
    const QMap<QString, QByteArray> originals = snapshot(s.data.path());
    QVERIFY(art.setTerrain(3, TestDataSet::terrain(Qt::red)));
    QVERIFY(art.setStatic(5, TestDataSet::solid(23, 40, Qt::blue)));
    QVERIFY(art.setTerrain(7, QImage()));
    QVERIFY(art.setStatic(9, QImage()));
    const int beyond = art.staticSlotCount() + 5; // extends the index
    QVERIFY(art.setStatic(beyond, TestDataSet::solid(9, 9, Qt::green)));
    LandTileRecord land = LandTileRecord::fromBytes(tiles.landRecord(40));
    land.setNameText(QStringLiteral("edited land"));
    StaticTileRecord item = StaticTileRecord::fromBytes(tiles.staticRecord(33));
    item.weight = 77;
    QVERIFY(tiles.setLandRecord(40, land.toBytes()) && tiles.setStaticRecord(33, item.toBytes()));
    const QMap<QString, QByteArray> pending = snapshot(s.data.pendingParent());

    DataSetSaver saver = s.saver();
    QCOMPARE(saver.save(s.output.path()), Status::Saved);

    // Read back by the same stores: edited tiles show their edits, deleted ones nothing.
    ArtWork saved(s.out("artidx.mul"), s.out("art.mul"));
    QCOMPARE(saved.getTerrain(3, false), art.getTerrain(3, false));
    QCOMPARE(saved.getStatic(5, false), art.getStatic(5, false));
    QCOMPARE(saved.container().entry(7).offset, -1);
    QCOMPARE(saved.container().entry(ArtFormat::StaticIdBase + 9).offset, -1);
    QCOMPARE(saved.getStatic(beyond, false), art.getStatic(beyond, false));
    QCOMPARE(saved.container().entry(ArtFormat::StaticIdBase + beyond - 1), (ArtIndexEntry{-1, -1, 0}));
    QCOMPARE(TileData(s.out("tiledata.mul")).landName(40), QStringLiteral("edited land"));

    // Every other art record byte for byte, each index entry keeping its third field.
    const QByteArray inIndex = fileBytes(s.data.filePath("artidx.mul"));
    const QByteArray inArt = fileBytes(s.data.filePath("art.mul"));
    const QByteArray outIndex = fileBytes(s.out("artidx.mul"));
    const QByteArray outArt = fileBytes(s.out("art.mul"));
    QCOMPARE(outIndex.size(), inIndex.size() + 6 * IndexEntrySize);
    int copied = 0;
    for (int slot = 0; slot < inIndex.size() / IndexEntrySize; ++slot) {
        const ArtIndexEntry before = entryIn(inIndex, slot);
        const ArtIndexEntry after = entryIn(outIndex, slot);
        QCOMPARE(after.reserved, before.reserved);
        if (slot == 3 || slot == 7 || slot == StaticIdBase + 5 || slot == StaticIdBase + 9)
            continue;
        QCOMPARE(after.isEmpty(), before.isEmpty());
        if (!before.isEmpty()) {
            QCOMPARE(outArt.mid(after.offset, after.length), inArt.mid(before.offset, before.length));
            ++copied;
        }
    }
    QVERIFY(copied > 300 / 2);
    // Tile data: the pending records in place, everything else (block headers too) as it
    // was. Land 40 is record 8 of block 1; static 33 record 1 of the second static block.
    QByteArray tileData = fileBytes(s.data.filePath("tiledata.mul"));
    // Land 40: block 1 (836 bytes each), record 8 (26 bytes), after a 4-byte header.
    tileData.replace(836 + 8 * 26 + 4, 26, land.toBytes());
    // Static 33: after the land section (428,032), block 1 (1,188), record 1 (37), header.
    tileData.replace(428032 + 1188 + 37 + 4, 37, item.toBytes());
    QCOMPARE(fileBytes(s.out("tiledata.mul")), tileData);
    QCOMPARE(fileBytes(s.out("animdata.mul")), fileBytes(s.data.filePath("animdata.mul")));

    QCOMPARE(snapshot(s.data.path()), originals);
    QCOMPARE(snapshot(s.data.pendingParent()), pending);
}

void TestDataSetSaver::dataDirectoryIsRefused()
{
    Saving s;
    QVERIFY(s.data.art().setTerrain(1, TestDataSet::terrain(Qt::red)));
    const QMap<QString, QByteArray> before = snapshot(s.data.path());
    DataSetSaver saver = s.saver();
    QCOMPARE(saver.save(s.data.path()), Status::Failed);
    QVERIFY(saver.errorString().contains(QStringLiteral("data directory")));
    // The same directory under another name is still the data directory.
    QVERIFY(QFile::link(s.data.path(), s.out("link")));
    QCOMPARE(saver.save(s.out("link")), Status::Failed);
    QCOMPARE(snapshot(s.data.path()), before);
}

void TestDataSetSaver::entriesOutsideTheArtFileBecomeEmptySlots()
{
    DataSetBuilder builder = sampleSet();
    const qint32 artSize = qint32(builder.artBytes().size());
    builder.setRawTerrainEntry(10, artSize + 100, 2024, 7);
    builder.setRawTerrainEntry(11, artSize - 10, 2024);
    builder.setRawStaticEntry(2, -5, 100);
    Saving s(builder);
    DataSetSaver saver = s.saver();
    QCOMPARE(saver.save(s.output.path()), Status::Saved);
    QCOMPARE(saver.emptiedSlots(), (QVector<int>{10, 11, StaticIdBase + 2}));
    QVERIFY(saver.notice().contains("terrain tile 10") && saver.notice().contains("static tile 2"));
    ArtWork saved(s.out("artidx.mul"), s.out("art.mul"));
    QCOMPARE(saved.container().entry(10), (ArtIndexEntry{-1, -1, 7}));
    QCOMPARE(saved.getTerrain(12, false), s.data.art().getTerrain(12, false));
}

void TestDataSetSaver::indexLengthsThatDisagreeWithTheirRecords()
{
    // Entries that point at another tile's record with a wrong length: the store reads
    // the whole record, and so must the saved set.
    DataSetBuilder builder = sampleSet();
    builder.setTerrainImage(9, TestDataSet::terrain(Qt::cyan));
    builder.setStaticImage(2, TestDataSet::solid(20, 30, Qt::magenta));
    // Raw entries hold no record of their own: place them first, then read where the
    // records they point at ended up.
    for (int slot : {10, StaticIdBase + 5, StaticIdBase + 6})
        slot < StaticIdBase ? builder.setRawTerrainEntry(slot, -1, 0)
                            : builder.setRawStaticEntry(slot - StaticIdBase, -1, 0);
    const QByteArray index = builder.artIndexBytes();
    const ArtIndexEntry terrain9 = entryIn(index, 9);
    const ArtIndexEntry static2 = entryIn(index, StaticIdBase + 2);
    builder.setRawTerrainEntry(10, terrain9.offset, 100);
    builder.setRawStaticEntry(5, static2.offset, 8);
    builder.setRawStaticEntry(6, static2.offset, static2.length + 40); // longer: kept whole
    Saving s(builder);
    ArtWork &art = s.data.art();
    QCOMPARE(art.getTerrain(10, false), art.getTerrain(9, false));
    QCOMPARE(art.getStatic(5, false), art.getStatic(2, false));

    DataSetSaver saver = s.saver();
    QCOMPARE(saver.save(s.output.path()), Status::Saved);
    QCOMPARE(saver.repairedSlots(), (QVector<int>{10, StaticIdBase + 5}));
    QVERIFY2(saver.notice().contains("terrain tile 10") && saver.notice().contains("static tile 5"),
        qPrintable(saver.notice()));
    ArtWork saved(s.out("artidx.mul"), s.out("art.mul"));
    for (int id : {9, 10})
        QCOMPARE(saved.getTerrain(id, false), art.getTerrain(id, false));
    for (int id : {2, 5, 6})
        QCOMPARE(saved.getStatic(id, false), art.getStatic(id, false));
    const QByteArray outIndex = fileBytes(s.out("artidx.mul"));
    QCOMPARE(entryIn(outIndex, 10).length, 2024);
    QCOMPARE(entryIn(outIndex, StaticIdBase + 5).length, static2.length);
    QCOMPARE(entryIn(outIndex, StaticIdBase + 6).length, static2.length + 40);
}

void TestDataSetSaver::sharedRecordsStaySharedWhenEditsMoveThem()
{
    // Statics 3 and 4 share one record; an edit before them changes where it lands.
    DataSetBuilder builder = sampleSet();
    builder.setStaticImage(3, TestDataSet::solid(15, 25, Qt::yellow));
    const ArtIndexEntry static3 = entryIn(builder.artIndexBytes(), StaticIdBase + 3);
    builder.setRawStaticEntry(4, static3.offset, static3.length, 99);
    Saving s(builder);
    QVERIFY(s.data.art().setTerrain(0, TestDataSet::terrain(Qt::red)));
    QVERIFY(s.data.art().setStatic(1, TestDataSet::solid(40, 40, Qt::blue)));
    QCOMPARE(s.saver().save(s.output.path()), Status::Saved);
    const QByteArray outIndex = fileBytes(s.out("artidx.mul"));
    const ArtIndexEntry out3 = entryIn(outIndex, StaticIdBase + 3);
    QCOMPARE(entryIn(outIndex, StaticIdBase + 4), (ArtIndexEntry{out3.offset, out3.length, 99}));
    ArtWork saved(s.out("artidx.mul"), s.out("art.mul"));
    QCOMPARE(saved.getStatic(4, false), ArtWork::normalizeStatic(TestDataSet::solid(15, 25, Qt::yellow)));
    QCOMPARE(saved.getStatic(3, false), saved.getStatic(4, false));
}

void TestDataSetSaver::inputChangedOnDiskIsRefused()
{
    // Before the save starts, and while it runs: either way nothing is put in place.
    for (const bool during : {false, true}) {
        EarlierOutput f;
        QVERIFY(f.ok);
        const auto grow = [&] {
            QFile art(f.data.filePath("art.mul"));
            return art.open(QIODevice::Append) && art.write("more") == 4;
        };
        DataSetSaver saver = f.saver();
        if (during) {
            saver.setFaultHook([&](Step at, const QString &fileName) {
                if (at == Step::Write && fileName == QLatin1String("tiledata.mul"))
                    grow();
                return QString();
            });
        } else {
            QVERIFY(grow());
        }
        QCOMPARE(saver.save(f.output.path()), Status::Failed);
        QVERIFY2(
            saver.errorString().contains(QStringLiteral("changed on disk")), qPrintable(saver.errorString()));
        QCOMPARE(QFileInfo(saver.failedFile()).fileName(), QStringLiteral("art.mul"));
        QVERIFY(f.untouched());
    }
}

void TestDataSetSaver::pendingFileChangingDuringTheSaveIsRefused()
{
    // The tile data edit grows between the check that planned the save and its copy.
    EarlierOutput f;
    QVERIFY(f.ok);
    const QString pendingRecord = f.data.tiles().pendingRecords().value(2);
    DataSetSaver saver = f.saver();
    saver.setFaultHook([&](Step at, const QString &fileName) {
        if (at == Step::Write && fileName == QLatin1String("artidx.mul")) {
            QFile record(pendingRecord);
            if (record.open(QIODevice::Append))
                record.write("grown");
        }
        return QString();
    });
    QCOMPARE(saver.save(f.output.path()), Status::Failed);
    QVERIFY2(saver.errorString().contains(QStringLiteral("land tile 2"))
            && saver.errorString().contains(QStringLiteral("changed size")),
        qPrintable(saver.errorString()));
    QCOMPARE(snapshot(f.output.path()), f.before);
}

void TestDataSetSaver::savingTwiceLeavesOnlyTheDataSet()
{
    EarlierOutput f;
    QVERIFY(f.ok);
    QCOMPARE(f.saver().save(f.output.path()), Status::Saved);
    QCOMPARE(f.saver().save(f.output.path()), Status::Saved);
    QCOMPARE(QDir(f.output.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
        (QStringList{"animdata.mul", "art.mul", "artidx.mul", "notes.txt", "tiledata.mul"}));
}

void TestDataSetSaver::faultLeavesTheOutputAsItWas_data()
{
    QTest::addColumn<int>("step"); // a DataSetSaver::Step
    QTest::addColumn<QString>("target"); // the file whose step goes wrong
    QTest::addColumn<bool>("vanishes"); // instead of failing, the staged art.mul goes
    QTest::addColumn<QString>("named"); // the file the message names
    for (const QString name : {"art.mul", "artidx.mul", "tiledata.mul", "animdata.mul"})
        QTest::addRow("disk full writing %s", qPrintable(name)) << int(Step::Write) << name << false << name;
    // The last file fails after the other three have been put in place.
    QTest::newRow("renaming the last file") << int(Step::Rename) << "animdata.mul" << false << "animdata.mul";
    QTest::newRow("staged file vanishing") << int(Step::Write) << "tiledata.mul" << true << "art.mul";
}

void TestDataSetSaver::faultLeavesTheOutputAsItWas()
{
    QFETCH(int, step);
    QFETCH(QString, target);
    QFETCH(bool, vanishes);
    QFETCH(QString, named);
    EarlierOutput f;
    QVERIFY(f.ok);
    const QString reason = vanishes ? QString() : QStringLiteral("No space left on device");
    int renames = 0;
    DataSetSaver saver = f.saver();
    saver.setFaultHook([&](Step at, const QString &fileName) {
        renames += at == Step::Rename;
        const bool strikes = int(at) == step && fileName == target;
        const QStringList staged
            = QDir(f.output.path()).entryList({".art.mul.*"}, QDir::Files | QDir::Hidden);
        if (strikes && vanishes) // the staged art.mul, complete by now, goes
            QFile::remove(f.output.filePath(staged.value(0)));
        return strikes ? reason : QString();
    });
    QCOMPARE(saver.save(f.output.path()), Status::Failed);
    QVERIFY2(saver.errorString().contains(named) && saver.errorString().contains(reason),
        qPrintable(saver.errorString()));
    QCOMPARE(QFileInfo(saver.failedFile()).fileName(), named);
    if (step == int(Step::Rename))
        QCOMPARE(renames, 4);
    QVERIFY(f.untouched());
}

void TestDataSetSaver::diskFillingUpNamesTheSystemsReason()
{
    EarlierOutput f;
    QVERIFY(f.ok);
    DataSetSaver saver = f.saver();
    Status status;
    {
        const FileSizeLimit diskFull(64 * 1024);
        status = saver.save(f.output.path());
    }
    QCOMPARE(status, Status::Failed);
    QVERIFY2(saver.errorString().contains(QStringLiteral("art.mul: File too large")),
        qPrintable(saver.errorString()));
    QVERIFY(f.untouched());
}

void TestDataSetSaver::unwritableOutputDirectory()
{
    if (geteuid() == 0)
        QSKIP("file permissions do not bind the superuser");
    EarlierOutput f;
    QVERIFY(f.ok);
    QVERIFY(QFile::setPermissions(f.output.path(), QFile::ReadOwner | QFile::ExeOwner));
    DataSetSaver saver = f.saver();
    const Status status = saver.save(f.output.path());
    QFile::setPermissions(f.output.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QCOMPARE(status, Status::Failed);
    QVERIFY(saver.errorString().contains(QStringLiteral("art.mul")));
    QVERIFY(f.untouched());
}

void TestDataSetSaver::cancelledSaveLeavesTheOutputAsItWas()
{
    EarlierOutput f;
    QVERIFY(f.ok);
    DataSetSaver saver = f.saver();
    saver.setProgressHandler([](qint64 done, qint64) { return done == 0; });
    QCOMPARE(saver.save(f.output.path()), Status::Cancelled);
    QVERIFY(f.untouched());
    // Saving again replaces the earlier save and leaves the user's file alone.
    saver.setProgressHandler([](qint64, qint64) { return true; });
    QCOMPARE(saver.save(f.output.path()), Status::Saved);
    QCOMPARE(ArtWork(f.out("artidx.mul"), f.out("art.mul")).getTerrain(2, false),
        f.data.art().getTerrain(2, false));
    QCOMPARE(fileBytes(f.out("notes.txt")), QByteArray("mine"));
    // Once every file is in place a late cancel changes nothing: the save is done.
    saver.setProgressHandler([](qint64 done, qint64 total) { return done < total; });
    QCOMPARE(saver.save(f.output.path()), Status::Saved);
}

void TestDataSetSaver::patchListFileNames_data()
{
    QTest::addColumn<QString>("file"); // as the line names it
    QTest::addColumn<QString>("path"); // the image file read; empty: a deletion
    QTest::newRow("beside the list") << "tile.png"
                                     << "/lists/tile.png";
    QTest::newRow("relative") << "../art/t 1.png"
                              << "/art/t 1.png";
    QTest::newRow("absolute") << "/data/t.png"
                              << "/data/t.png";
    QTest::newRow("starting with a colon") << ":t.png"
                                           << "/lists/:t.png"; // not a Qt resource
    QTest::newRow("starting with delete") << "delete me.png"
                                          << "/lists/delete me.png";
    QTest::newRow("the word delete") << "delete"
                                     << "";
}

void TestDataSetSaver::patchListFileNames()
{
    QFETCH(QString, file);
    QFETCH(QString, path);
    const PatchList list = PatchList::parse("static 3 " + file + "\n", "/lists", 100, "e.txt");
    QCOMPARE(list.entries().size(), 1);
    QCOMPARE(list.entries().first().imagePath, path);
}

void TestDataSetSaver::patchListBadLines_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("complaint");
    QTest::newRow("unknown kind") << "land 5 a.png" << QString("'land' is neither terrain nor static");
    QTest::newRow("no file") << "terrain 5" << QString("expected");
    QTest::newRow("id not a number") << "terrain five a.png" << QString("not a tile id");
    QTest::newRow("negative id") << "static -1 a.png" << QString("not a tile id");
    QTest::newRow("terrain id too large") << "terrain 16384 a.png" << QString("out of range");
    QTest::newRow("static id too large") << "static 0x64 delete" << QString("out of range");
}

void TestDataSetSaver::patchListBadLines()
{
    QFETCH(QString, line);
    QFETCH(QString, complaint);
    try {
        PatchList::parse(
            "# header\nterrain 1 ok.png\n\n" + line + "\nstatic 2 delete\n", "/lists", 100, "e.txt");
        QFAIL("the bad line was accepted");
    } catch (const CliError &error) {
        QVERIFY2(
            error.message().startsWith(QStringLiteral("e.txt:4: ")) && error.message().contains(complaint),
            qPrintable(error.message()));
    }
}

void TestDataSetSaver::patchCommand()
{
    Saving s;
    const QImage road = TestDataSet::terrain(Qt::darkYellow);
    const QImage sign = TestDataSet::solid(30, 50, Qt::darkRed);
    QVERIFY(road.save(s.out("road tile.png")) && sign.save(s.out("sign.png")));
    QVERIFY(sign.save(s.out("delete me.png")));
    const auto patch = [&](const QString &outDir, QString *err, const char *list = "edits.txt") {
        QProcess process;
        process.start(QStringLiteral(TESSERA_CLI), {"patch", s.data.path(), outDir, s.out(list)});
        if (!process.waitForFinished(30000))
            process.kill();
        *err = QString::fromLocal8Bit(process.readAllStandardError());
        return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    };
    QString err;

    // A bad line: nothing written, neither in a new directory nor over an earlier output.
    QVERIFY(writeFile(s.out("edits.txt"), "terrain 1 sign.png\n# next\nstatic 4 missing.png\n"));
    QVERIFY(writeFile(s.out("art.mul"), "older"));
    const QMap<QString, QByteArray> before = snapshot(s.output.path());
    for (const QString &outDir : {s.out("fresh"), s.output.path()}) {
        QCOMPARE(patch(outDir, &err), 1);
        QVERIFY2(err.contains(QStringLiteral("edits.txt:3: cannot read image")), qPrintable(err));
        QCOMPARE(snapshot(s.output.path()), before);
    }

    // A list that is a FIFO would block the command for ever.
    QCOMPARE(mkfifo(QFile::encodeName(s.out("fifo.txt")).constData(), 0600), 0);
    QCOMPARE(patch(s.out("fromfifo"), &err, "fifo.txt"), 1);
    QVERIFY2(err.contains(QStringLiteral("not a regular file")), qPrintable(err));

    QVERIFY(writeFile(s.out("edits.txt"),
        "# rebuild\r\n  terrain 0x21   road tile.png \r\n\nstatic 5 sign.png\nterrain 7 "
        "delete\nstatic 6 delete me.png\n"));
    QVERIFY2(patch(s.out("patched"), &err) == 0, qPrintable(err));
    ArtWork patched(s.out("patched/artidx.mul"), s.out("patched/art.mul"));
    QCOMPARE(patched.getTerrain(0x21, false), ArtWork::normalizeTerrain(road));
    QCOMPARE(patched.getStatic(5, false), ArtWork::normalizeStatic(sign));
    QVERIFY(patched.getTerrain(7, false).isNull());
    QCOMPARE(patched.getStatic(6, false), ArtWork::normalizeStatic(sign)); // a file, not the word
    QCOMPARE(patched.getTerrain(8, false), s.data.art().getTerrain(8, false));
    QCOMPARE(fileBytes(s.out("patched/tiledata.mul")), fileBytes(s.data.filePath("tiledata.mul")));
}

QTEST_GUILESS_MAIN(TestDataSetSaver)
#include "test_datasetsaver.moc"
