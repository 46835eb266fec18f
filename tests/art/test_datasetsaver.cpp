// Saving a data set with its pending edits: the saved set, failures that must leave the
// output as it was, and tessera-cli patch on top of the saver.

#include "TestDataSet.h"
#include "art/ArtFormat.h"
#include "saving/DataSetSaver.h"
#include "tools/cli/CliError.h"
#include "tools/cli/PatchList.h"

#include <QDirIterator>
#include <QProcess>
#include <QtTest>
#include <unistd.h>

using namespace ArtFormat;
using Step = DataSetSaver::Step;
using Status = DataSetSaver::Status;

namespace {

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

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
    void faultLeavesTheOutputAsItWas_data();
    void faultLeavesTheOutputAsItWas();
    void unwritableOutputDirectory();
    void cancelledSaveLeavesTheOutputAsItWas();
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
    tileData.replace(836 + 4 + 8 * 26, 26, land.toBytes());
    tileData.replace(428032 + 1188 + 4 + 1 * 37, 37, item.toBytes());
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

void TestDataSetSaver::patchListBadLines_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("complaint");
    QTest::newRow("unknown kind") << "land 5 a.png" << QString("'land' is neither terrain nor static");
    QTest::newRow("no file") << "terrain 5" << QString("expected");
    QTest::newRow("id not a number") << "terrain five a.png" << QString("not a tile id");
    QTest::newRow("negative id") << "static -1 a.png" << QString("out of range");
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
    const auto patch = [&](const QString &outDir, QString *err) {
        QProcess process;
        process.start(QStringLiteral(TESSERA_CLI), {"patch", s.data.path(), outDir, s.out("edits.txt")});
        process.waitForFinished(120000);
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

    QVERIFY(writeFile(s.out("edits.txt"),
        "# rebuild\r\n  terrain 0x21   road tile.png \r\n\nstatic 5 sign.png\nterrain 7 "
        "delete\n"));
    QVERIFY2(patch(s.out("patched"), &err) == 0, qPrintable(err));
    ArtWork patched(s.out("patched/artidx.mul"), s.out("patched/art.mul"));
    QCOMPARE(patched.getTerrain(0x21, false), ArtWork::normalizeTerrain(road));
    QCOMPARE(patched.getStatic(5, false), ArtWork::normalizeStatic(sign));
    QVERIFY(patched.getTerrain(7, false).isNull());
    QCOMPARE(patched.getTerrain(8, false), s.data.art().getTerrain(8, false));
    QCOMPARE(fileBytes(s.out("patched/tiledata.mul")), fileBytes(s.data.filePath("tiledata.mul")));
}

QTEST_GUILESS_MAIN(TestDataSetSaver)
#include "test_datasetsaver.moc"
