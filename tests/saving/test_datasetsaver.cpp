// Saving a data set with its edits: the saved set, failed, cut short and overlapping saves, tessera-cli
// patch.

#include "FileSizeLimit.h"
#include "TestDataSet.h"
#include "TestFiles.h"
#include "art/ArtFormat.h"
#include "art/UopArtContainer.h"
#include "dataset/DataSet.h"
#include "saving/DataSetSaver.h"
#include "tools/cli/CliError.h"
#include "tools/cli/PatchList.h"

#include <QDirIterator>
#include <QJsonDocument>
#include <QProcess>
#include <QtTest>
#include <csignal>
#include <optional>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace ArtFormat;
using Step = DataSetSaver::Step;
using Status = DataSetSaver::Status;

namespace {

using TestFiles::fileBytes;
using TestFiles::writeFile;

// Every entry below a directory, hidden ones too, with its files' contents: "as it was" exactly.
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

// The output holds an earlier save (art in the container given) and a user's file; newer edits pend.
struct EarlierOutput : Saving
{
    explicit EarlierOutput(ArtContainer::Format earlier = ArtContainer::Format::Mul)
    {
        DataSetSaver first = saver();
        first.setArtFormat(earlier);
        ok = data.art().setImage(TileKind::Terrain, 1, TestDataSet::terrain(Qt::red))
            && writeFile(out("notes.txt"), "mine") && first.save(output.path()) == Status::Saved
            && data.art().setImage(TileKind::Terrain, 2, TestDataSet::terrain(Qt::blue))
            && data.art().setImage(TileKind::Static, 3, QImage())
            && data.tiles().setLandRecord(2, LandTileRecord::fromBytes(QByteArray(26, 'x')));
        before = snapshot(output.path());
        pending = snapshot(data.pendingParent());
    }
    // Nothing in the output directory changed and every pending edit is still there.
    bool untouched() const { return snapshot(output.path()) == before && pendingKept(); }
    bool pendingKept() const { return snapshot(data.pendingParent()) == pending; }
    // Terrain 2 blue (5 bits a channel) and land record 2 (after the first block's 4-byte header).
    bool holdsNewerEdits() const
    {
        ArtWork saved(out("artidx.mul"), out("art.mul"));
        return saved.image(TileKind::Terrain, 2, false).pixel(22, 22) == qRgb(0, 0, 248)
            && fileBytes(out("tiledata.mul")).mid(4 + 2 * 26, 26) == QByteArray(26, 'x');
    }
    // The output's entries whose names start with a dot.
    QStringList hidden() const
    {
        return QDir(output.path())
            .entryList(QDir::AllEntries | QDir::Hidden | QDir::System, QDir::Name)
            .filter(QRegularExpression(QStringLiteral("^\\.[^.]")));
    }

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
    void inputsAreNeverReplaced_data();
    void inputsAreNeverReplaced();
    void oddIndexEntries();
    void failedSaveLeavesTheOutputAsItWas_data();
    void failedSaveLeavesTheOutputAsItWas();
    void cancelledSaveLeavesTheOutputAsItWas();
    void secondSaveIntoTheDirectoryIsRefused();
    void interruptedSaveIsFinishedOrUndone_data();
    void interruptedSaveIsFinishedOrUndone();
    void patchListLines_data();
    void patchListLines();
    void patchCommand();
};

void TestDataSetSaver::savedDataSetHoldsTheEditsAndCopiesTheRest()
{
    Saving s;
    ArtWork &art = s.data.art();
    QVERIFY(
        !art.image(TileKind::Terrain, 7, false).isNull() && !art.image(TileKind::Static, 9, false).isNull());
    // animdata.mul's 12 blocks of 548 bytes with a marker in the last block's header.
    QByteArray animData = fileBytes(s.data.filePath("animdata.mul")).replace(11 * 548, 4, "\xef\xbe\xad\xde");
    QVERIFY(animData.size() == 12 * 548 && writeFile(s.data.filePath("animdata.mul"), animData)
        && s.data.anims().setFileName(s.data.filePath("animdata.mul")));
    AnimDataEntry entry;
    entry.frameCount = 3;
    entry.frameInterval = -2;
    entry.frameOffsets = {1, 2, 3};
    entry.frameStart = 7;
    // Static 5 (entry 5 of block 0) and static 100 (entry 4 of block 12, past the end).
    QVERIFY(s.data.anims().setEntry(5, entry) && s.data.anims().setEntry(100, entry));
    animData.replace(4 + 5 * 68, 68, entry.toBytes());
    animData.append(QByteArray(548, '\0').replace(4 + 4 * 68, 68, entry.toBytes()));
    const QMap<QString, QByteArray> originals = snapshot(s.data.path());
    const int beyond = art.staticSlotCount() + 5; // extends the index
    QVERIFY(art.setImage(TileKind::Terrain, 3, TestDataSet::terrain(Qt::red))
        && art.setImage(TileKind::Terrain, 7, QImage()));
    QVERIFY(art.setImage(TileKind::Static, 5, TestDataSet::solid(23, 40, Qt::blue))
        && art.setImage(TileKind::Static, 9, QImage()));
    QVERIFY(art.setImage(TileKind::Static, beyond, TestDataSet::solid(9, 9, Qt::green)));
    const QMap<QString, QByteArray> pending = snapshot(s.data.pendingParent());
    QCOMPARE(s.saver().save(s.output.path()), Status::Saved);

    // Read back by the same store: edited tiles show their edits, deleted ones nothing.
    ArtWork saved(s.out("artidx.mul"), s.out("art.mul"));
    for (int id : {3, 7, 5, 9, beyond}) {
        const TileKind kind = id < 5 ? TileKind::Terrain : TileKind::Static;
        QCOMPARE(saved.image(kind, id, false), art.image(kind, id, false));
    }
    QVERIFY(
        saved.container().entry(7).offset == -1 && saved.container().entry(StaticIdBase + 9).offset == -1);
    QCOMPARE(saved.container().entry(StaticIdBase + beyond - 1), (ArtIndexEntry{-1, -1, 0}));

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
    QCOMPARE(fileBytes(s.out("tiledata.mul")), fileBytes(s.data.filePath("tiledata.mul")));
    QCOMPARE(fileBytes(s.out("animdata.mul")), animData);
    QCOMPARE(snapshot(s.data.path()), originals);
    QCOMPARE(snapshot(s.data.pendingParent()), pending);
}

void TestDataSetSaver::inputsAreNeverReplaced_data()
{
    // Opened from "work", saved into "out", which holds by another name a file work reads.
    QTest::addColumn<QString>("work"); // the data directory, or links to (or copies of) its files
    QTest::addColumn<QString>("out"); // the data directory, or a symbolic link to it
    const auto row = [](const char *name, QString work, QString out) { QTest::newRow(name) << work << out; };
    row("the data directory", "data", "data");
    row("the data directory by a symbolic link", "data", "link");
    row("its files by symbolic links", "symbolic links", "data");
    row("tiledata.mul by a hard link, the rest copies", "tiledata.mul linked", "data");
}

void TestDataSetSaver::inputsAreNeverReplaced()
{
    QFETCH(QString, work);
    QFETCH(QString, out);
    const TestDataSet data(sampleSet());
    QTemporaryDir scratch;
    QString from = data.path();
    if (work != "data") {
        from = scratch.filePath("work");
        QVERIFY(QDir().mkpath(from));
        for (const char *name : {"art.mul", "artidx.mul", "tiledata.mul", "animdata.mul"}) {
            const QByteArray original = QFile::encodeName(data.filePath(name));
            const QByteArray copy = QFile::encodeName(QDir(from).filePath(name));
            if (work == "symbolic links")
                QCOMPARE(::symlink(original.constData(), copy.constData()), 0);
            else if (qstrcmp(name, "tiledata.mul") == 0)
                QCOMPARE(::link(original.constData(), copy.constData()), 0);
            else
                QVERIFY(QFile::copy(original, copy));
        }
    }
    const QString to = out == "data" ? data.path() : scratch.filePath("link");
    QVERIFY(out == "data" || QFile::link(data.path(), to));
    DataSet::Options options;
    options.pendingParent = scratch.path();
    QString error;
    const auto set = DataSet::open(from, options, &error);
    QVERIFY2(set, qPrintable(error));
    QVERIFY(set->art().setImage(TileKind::Terrain, 1, TestDataSet::terrain(Qt::red)));
    const QMap<QString, QByteArray> before = snapshot(data.path());
    DataSetSaver saver(set->art(), set->tiles(), set->anims());
    QCOMPARE(saver.save(to), Status::Failed);
    QVERIFY2(saver.errorString().contains("the original files are never overwritten"),
        qPrintable(saver.errorString()));
    QCOMPARE(snapshot(data.path()), before);
}

void TestDataSetSaver::oddIndexEntries()
{
    // Entries outside art.mul; lengths ending inside another record or running past it (the
    // record alone is saved); undrawable records (kept as the index states, never past the
    // next record); statics 3 and 4 sharing one record that an edit before them moves.
    DataSetBuilder builder = sampleSet();
    builder.setTerrainImage(9, TestDataSet::terrain(Qt::cyan));
    builder.setStaticImage(2, TestDataSet::solid(20, 30, Qt::magenta));
    builder.setStaticImage(3, TestDataSet::solid(15, 25, Qt::yellow));
    // 1 x 1025, a line more than drawn here: header, sides, 1,025 line offsets of 0, one end marker.
    const QByteArray tall = QByteArray(4, '\1') + QByteArray("\1\0\1\4", 4) + QByteArray(2 * 1025 + 4, '\0');
    const QByteArray junk("not a static record at all");
    builder.setStaticRecord(8, tall);
    builder.setStaticRecord(11, junk);
    builder.setStaticImage(12, TestDataSet::solid(3, 3, Qt::red)); // right after the junk
    const QByteArray longJunk(150000, 'j'); // longer than any record that can be drawn
    builder.setStaticRecord(16, longJunk);
    // Raw entries own no record: place them, then read where the records they point at went.
    for (int id : {10, 11, 12, 13})
        builder.setRawTerrainEntry(id, -1, 0);
    for (int id : {4, 5, 6, 7, 13, 14, 15})
        builder.setRawStaticEntry(id, -1, 0);
    const QByteArray index = builder.artIndexBytes();
    const qint32 artSize = qint32(builder.artBytes().size());
    const ArtIndexEntry terrain9 = entryIn(index, 9);
    const ArtIndexEntry static2 = entryIn(index, StaticIdBase + 2);
    const ArtIndexEntry static3 = entryIn(index, StaticIdBase + 3);
    const qint32 junkAt = entryIn(index, StaticIdBase + 11).offset;
    builder.setRawTerrainEntry(10, artSize + 100, 2024, 7);
    builder.setRawTerrainEntry(11, artSize - 10, 2024);
    builder.setRawStaticEntry(7, -5, 100);
    builder.setRawTerrainEntry(12, terrain9.offset, 100);
    builder.setRawTerrainEntry(13, terrain9.offset, artSize - terrain9.offset);
    builder.setRawStaticEntry(5, static2.offset, 8);
    builder.setRawStaticEntry(6, static2.offset, static2.length + 40);
    builder.setRawStaticEntry(4, static3.offset, static3.length, 99);
    builder.setRawStaticEntry(13, static3.offset, artSize - static3.offset);
    builder.setRawStaticEntry(14, static3.offset, artSize - static3.offset);
    builder.setRawStaticEntry(15, junkAt, artSize - junkAt);
    Saving s(builder);
    ArtWork &art = s.data.art();
    QVERIFY(art.setImage(TileKind::Terrain, 0, TestDataSet::terrain(Qt::red)));
    QVERIFY(art.setImage(TileKind::Static, 1, TestDataSet::solid(40, 40, Qt::blue)));

    DataSetSaver saver = s.saver();
    QCOMPARE(saver.save(s.output.path()), Status::Saved);
    // Each kind of entry is told with every tile that had it, each tile sharing a record too.
    for (const char *told :
        {"no readable record and were saved without an image: terrain tile 10, static tile 7.",
            "ending inside their record; the whole record, as far as its content reaches, was saved: terrain "
            "tile 12, static tile 5.",
            "running past their record; the record alone, as far as its content reaches, was saved: terrain "
            "tile 13, static tile 6, static tile 13, static tile 14.",
            "as their index entry states: static tile 8, static tile 11, static tile 16.",
            "runs into the next record or past the end of art.mul; their bytes were copied up to there: "
            "terrain tile 11, static tile 15."})
        QVERIFY2(saver.notice().contains(told), qPrintable(saver.notice()));
    ArtWork saved(s.out("artidx.mul"), s.out("art.mul"));
    QCOMPARE(saved.container().entry(10), (ArtIndexEntry{-1, -1, 7}));
    for (int id : {9, 12, 13})
        QCOMPARE(saved.image(TileKind::Terrain, id, false), art.image(TileKind::Terrain, id, false));
    for (int id : {2, 5, 6, 13})
        QCOMPARE(saved.image(TileKind::Static, id, false), art.image(TileKind::Static, id, false));
    // Lengths and bytes as written, read from the files here.
    const QByteArray outIndex = fileBytes(s.out("artidx.mul"));
    const QByteArray outArt = fileBytes(s.out("art.mul"));
    const QByteArray inArt = fileBytes(s.data.filePath("art.mul"));
    const auto savedRecord = [&](int slot) {
        const ArtIndexEntry entry = entryIn(outIndex, slot);
        return outArt.mid(entry.offset, entry.length);
    };
    for (const auto &[slot, length] : {std::pair{12, 2024}, {13, 2024}, {StaticIdBase + 5, static2.length},
             {StaticIdBase + 6, static2.length}})
        QCOMPARE(entryIn(outIndex, slot).length, length);
    // Static 15 is cut where static 12 starts, terrain 11 at the end of art.mul.
    for (const auto &[slot, bytes] : {std::pair{StaticIdBase + 8, tall}, {StaticIdBase + 11, junk},
             {StaticIdBase + 15, junk}, {11, inArt.right(10)}, {StaticIdBase + 16, longJunk}})
        QCOMPARE(savedRecord(slot), bytes);
    const ArtIndexEntry out3 = entryIn(outIndex, StaticIdBase + 3);
    QCOMPARE(out3.length, static3.length);
    QCOMPARE(entryIn(outIndex, StaticIdBase + 4), (ArtIndexEntry{out3.offset, out3.length, 99}));
    for (int id : {13, 14})
        QCOMPARE(entryIn(outIndex, StaticIdBase + id), (ArtIndexEntry{out3.offset, out3.length, 0}));
    QCOMPARE(saved.image(TileKind::Static, 4, false),
        ArtWork::normalize(TileKind::Static, TestDataSet::solid(15, 25, Qt::yellow)));

    // As a .uop every record is the same bytes, undrawable ones too.
    QVERIFY(QDir(s.output.path()).mkdir("uop"));
    saver.setArtFormat(ArtContainer::Format::Uop);
    QCOMPARE(saver.save(s.out("uop")), Status::Saved);
    UopArtContainer uop;
    QVERIFY(uop.open(s.out("uop/artLegacyMUL.uop")));
    for (int slot = 0; slot < outIndex.size() / IndexEntrySize; ++slot)
        QCOMPARE(uop.plainRecord(slot).bytes,
            entryIn(outIndex, slot).isEmpty() ? QByteArray() : savedRecord(slot));
}

void TestDataSetSaver::failedSaveLeavesTheOutputAsItWas_data()
{
    QTest::addColumn<int>("step"); // a DataSetSaver::Step; -1: before the save
    QTest::addColumn<QString>("target"); // the file whose step goes wrong
    QTest::addColumn<QString>("fault"); // fails, the staged art.mul vanishes, an input grows or is cut, a full disk
    QTest::addColumn<QString>("failed"); // the file the saver names
    QTest::addColumn<QStringList>("message");
    QTest::addColumn<bool>("overUop"); // the earlier save holds artLegacyMUL.uop, which goes
    const auto row = [](const char *name, Step step, QString target, QString fault, QString failed,
                         QStringList message, bool overUop = false) {
        QTest::newRow(name) << int(step) << target << fault << failed << message << overUop;
    };
    const Step write = Step::Write, before = Step(-1);
    const QString noSpace = QStringLiteral("No space left on device");
    row("disk full writing animdata.mul", write, "animdata.mul", "fails", "animdata.mul",
        {"animdata.mul", noSpace});
    // The last file fails after the other three are in place (and the earlier .uop is gone).
    row("renaming the last file", Step::Rename, "animdata.mul", "fails", "animdata.mul",
        {"animdata.mul", noSpace});
    row("renaming the last file, over a uop set", Step::Rename, "animdata.mul", "fails", "animdata.mul",
        {"animdata.mul", noSpace}, true);
    row("staged file vanishing", write, "tiledata.mul", "vanishes", "art.mul", {"art.mul"});
    row("disk filling up", before, {}, "full disk", {}, {"art.mul: File too large"});
    row("art.mul changed before", before, {}, "art.mul grows", "art.mul", {"art.mul", "changed on disk"});
    row("art.mul changed during", write, "tiledata.mul", "art.mul grows", "art.mul",
        {"art.mul", "changed on disk"});
    // Between the check that planned the save and its copy.
    row("pending record changed during", write, "artidx.mul", "pending cut", {},
        {"land tile 2", "changed size"});
}

void TestDataSetSaver::failedSaveLeavesTheOutputAsItWas()
{
    QFETCH(int, step);
    QFETCH(QString, target);
    QFETCH(QString, fault);
    QFETCH(QString, failed);
    QFETCH(QStringList, message);
    QFETCH(bool, overUop);
    EarlierOutput f(overUop ? ArtContainer::Format::Uop : ArtContainer::Format::Mul);
    QVERIFY(f.ok);
    const auto grow = [&] {
        if (fault == "pending cut") {
            QFile pending(f.data.pendingEdits().recordAt(TileKind::Terrain, 2, PendingEditStore::Part::TileData).path);
            return pending.resize(pending.size() - 2);
        }
        QFile file(f.data.filePath("art.mul"));
        return file.open(QIODevice::Append) && file.write("more") == 4;
    };
    int renames = 0;
    DataSetSaver saver = f.saver();
    saver.setFaultHook([&](Step at, const QString &fileName) {
        renames += at == Step::Rename;
        if (int(at) != step || fileName != target)
            return QString();
        const QStringList staged
            = QDir(f.output.path()).entryList({".art.mul.*"}, QDir::Files | QDir::Hidden);
        if (fault == "vanishes") // the staged art.mul, complete by now, goes
            QFile::remove(f.output.filePath(staged.value(0)));
        if (fault.endsWith("grows") || fault == "pending cut")
            grow();
        return fault == "fails" ? message.last() : QString();
    });
    QVERIFY(step >= 0 || fault != "art.mul grows" || grow());
    std::optional<FileSizeLimit> diskFull;
    if (fault == "full disk")
        diskFull.emplace(64 * 1024);
    const Status status = saver.save(f.output.path());
    diskFull.reset();
    QCOMPARE(status, Status::Failed);
    for (const QString &part : message)
        QVERIFY2(saver.errorString().contains(part), qPrintable(saver.errorString()));
    QVERIFY(failed.isEmpty() || QFileInfo(saver.failedFile()).fileName() == failed);
    QVERIFY(step != int(Step::Rename) || renames == 4);
    QCOMPARE(snapshot(f.output.path()), f.before);
    QVERIFY(fault == "pending cut" || f.pendingKept());
}

void TestDataSetSaver::cancelledSaveLeavesTheOutputAsItWas()
{
    // Over an earlier save as artLegacyMUL.uop, which the finished save removes.
    EarlierOutput f(ArtContainer::Format::Uop);
    QVERIFY(f.ok);
    DataSetSaver saver = f.saver();
    saver.setProgressHandler([](qint64 done, qint64) { return done == 0; });
    QCOMPARE(saver.save(f.output.path()), Status::Cancelled);
    QVERIFY(f.untouched());
    // Once every file is in place a late cancel changes nothing: the earlier save is replaced, the
    // user's file left alone and no backups left behind.
    saver.setProgressHandler([](qint64 done, qint64 total) { return done < total; });
    QCOMPARE(saver.save(f.output.path()), Status::Saved);
    QVERIFY(f.holdsNewerEdits());
    QCOMPARE(fileBytes(f.out("notes.txt")), QByteArray("mine"));
    QCOMPARE(QDir(f.output.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
        (QStringList{"animdata.mul", "art.mul", "artidx.mul", "notes.txt", "tiledata.mul"}));
}

void TestDataSetSaver::secondSaveIntoTheDirectoryIsRefused()
{
    // The second save starts while the first is writing (from its progress report).
    EarlierOutput f;
    QVERIFY(f.ok);
    DataSetSaver first = f.saver();
    DataSetSaver second = f.saver();
    std::optional<Status> secondStatus;
    first.setProgressHandler([&](qint64, qint64) {
        if (!secondStatus)
            secondStatus = second.save(f.output.path());
        return true;
    });
    QCOMPARE(first.save(f.output.path()), Status::Saved);
    QCOMPARE(secondStatus, Status::Failed);
    QVERIFY2(second.errorString().contains(
                 QStringLiteral("Another save into %1 is under way").arg(f.output.path())),
        qPrintable(second.errorString()));
    QVERIFY(f.holdsNewerEdits());
    QCOMPARE(f.hidden(), QStringList());
}

void TestDataSetSaver::interruptedSaveIsFinishedOrUndone_data()
{
    QTest::addColumn<QString>("killed"); // where the saving process is killed
    QTest::addColumn<QString>("then"); // who comes next: "open", "save" or "tessera-cli info"
    QTest::addColumn<bool>("lost"); // the staged tiledata.mul is lost meanwhile
    QTest::addColumn<QString>("told"); // what the next one says; empty: nothing
    QTest::addColumn<bool>("newer"); // the output then holds the newer edits (else the earlier save)
    const auto row = [](const char *name, QString killed, QString then, bool lost, QString told, bool newer) {
        QTest::newRow(name) << killed << then << lost << told << newer;
    };
    // Before the commit only staged files were written: the earlier save stands.
    row("writing, opened", "writing", "open", false, {}, false);
    row("writing, saved again", "writing", "save", false, {}, true);
    // art.mul and artidx.mul are new, tiledata.mul and animdata.mul still the earlier ones.
    const QString done = "was interrupted while its files were being put in place; it has now been completed";
    row("renaming, opened", "renaming", "open", false, done, true);
    row("renaming, saved again", "renaming", "save", false, done, true);
    row("renaming, tessera-cli", "renaming", "tessera-cli info", false, done, true);
    row("renaming, tessera-cli --json", "renaming", "tessera-cli info --json", false, done, true);
    row("renaming, staged file lost, opened", "renaming", "open", true,
        "the files that were there before it have been put back", false);
}

void TestDataSetSaver::interruptedSaveIsFinishedOrUndone()
{
    QFETCH(QString, killed);
    QFETCH(QString, then);
    QFETCH(bool, lost);
    QFETCH(QString, told);
    QFETCH(bool, newer);
    EarlierOutput f;
    QVERIFY(f.ok);
    const pid_t child = ::fork();
    if (child == 0) {
        DataSetSaver saver = f.saver();
        saver.setFaultHook([&](Step at, const QString &fileName) {
            if (fileName == "tiledata.mul" && (at == Step::Rename) == (killed == "renaming"))
                ::raise(SIGKILL);
            return QString();
        });
        saver.save(f.output.path());
        ::_exit(0);
    }
    int status = 0;
    QVERIFY(child > 0 && ::waitpid(child, &status, 0) == child && WIFSIGNALED(status));
    if (lost) {
        const QStringList staged
            = QDir(f.output.path()).entryList({".tiledata.mul.*.part"}, QDir::Files | QDir::Hidden);
        QCOMPARE(staged.size(), 1);
        QVERIFY(QFile::remove(f.output.filePath(staged.first())));
    }

    QString said;
    if (then == "open") {
        DataSet::Options options;
        options.pendingParent = f.data.pendingParent();
        QString error;
        const auto set = DataSet::open(f.output.path(), options, &error);
        QVERIFY2(set, qPrintable(error));
        said = set->interruptedSave();
    } else if (then == "save") {
        DataSetSaver saver = f.saver();
        QCOMPARE(saver.save(f.output.path()), Status::Saved);
        said = saver.notice();
        // Nothing of the killed run is left: no staged files, backups, journal or lock.
        QCOMPARE(f.hidden(), QStringList());
    } else {
        QProcess cli;
        cli.start(QStringLiteral(TESSERA_CLI), then.split(' ').mid(1) << f.output.path());
        QVERIFY(cli.waitForFinished(30000) && cli.exitCode() == 0);
        // --json tells in its object's warnings, the text form on stderr.
        said = then.endsWith("--json")
            ? QJsonDocument::fromJson(cli.readAllStandardOutput())["warnings"][0].toString()
            : QString::fromLocal8Bit(cli.readAllStandardError());
    }
    QVERIFY2(told.isEmpty() ? !said.contains("interrupted") : said.contains(told), qPrintable(said));
    QCOMPARE(f.holdsNewerEdits(), newer);
    if (!newer) {
        for (auto it = f.before.cbegin(); it != f.before.cend(); ++it)
            QCOMPARE(fileBytes(it.key()), it.value());
    }
    // Undone, nothing of the interrupted save is left.
    QVERIFY(!lost || snapshot(f.output.path()) == f.before);
}

void TestDataSetSaver::patchListLines_data()
{
    QTest::addColumn<QString>("line"); // the fourth of a list in /lists
    QTest::addColumn<QString>("path"); // the image file read
    QTest::addColumn<QString>("complaint"); // empty: the line is read
    const auto row = [](const char *name, QString line, QString path, QString complaint = {}) {
        QTest::newRow(name) << line << path << complaint;
    };
    row("relative", "static 3 ../art/t 1.png", "/art/t 1.png");
    row("starting with a colon", "static 3 :t.png", "/lists/:t.png"); // not a resource
    row("starting with delete", "static 3 delete me.png", "/lists/delete me.png");
    row("unknown kind", "item 5 a.png", {}, "'item' is neither terrain nor static");
}

void TestDataSetSaver::patchListLines()
{
    QFETCH(QString, line);
    QFETCH(QString, path);
    QFETCH(QString, complaint);
    try {
        const PatchList list = PatchList::parse(
            "# header\nterrain 1 ok.png\n\n" + line + "\nstatic 2 delete\n", "/lists", 100, "e.txt");
        QVERIFY2(complaint.isEmpty(), "the bad line was accepted");
        QCOMPARE(list.entries().size(), 3);
        QCOMPARE(list.entries().at(1).imagePath, path);
    } catch (const CliError &error) {
        QVERIFY2(!complaint.isEmpty() && error.message().startsWith(QStringLiteral("e.txt:4: "))
                && error.message().contains(complaint),
            qPrintable(error.message()));
    }
}

void TestDataSetSaver::patchCommand()
{
    Saving s;
    const QImage road = TestDataSet::terrain(Qt::darkYellow);
    const QImage sign = TestDataSet::solid(30, 50, Qt::darkRed);
    QVERIFY(road.save(s.out("road tile.png")) && sign.save(s.out("sign.png")));
    const auto patch = [&](const QString &outDir, const char *list = "edits.txt") {
        QProcess process;
        process.start(QStringLiteral(TESSERA_CLI), {"patch", s.data.path(), outDir, s.out(list)});
        if (!process.waitForFinished(30000))
            process.kill();
        return qMakePair(process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromLocal8Bit(process.readAllStandardError()));
    };

    // A bad line: nothing written, neither in a new directory nor over an earlier output.
    QVERIFY(writeFile(s.out("edits.txt"), "terrain 1 sign.png\n# next\nstatic 4 missing.png\n"));
    QVERIFY(writeFile(s.out("art.mul"), "older"));
    const QMap<QString, QByteArray> before = snapshot(s.output.path());
    for (const QString &outDir : {s.out("fresh"), s.output.path()}) {
        const auto [code, err] = patch(outDir);
        QVERIFY2(code == 1 && err.contains("edits.txt:3: cannot read image"), qPrintable(err));
        QCOMPARE(snapshot(s.output.path()), before);
    }
    // A list that is a FIFO would block the command for ever.
    QCOMPARE(mkfifo(QFile::encodeName(s.out("fifo.txt")).constData(), 0600), 0);
    const auto [code, err] = patch(s.out("fromfifo"), "fifo.txt");
    QVERIFY2(code == 1 && err.contains("not a regular file"), qPrintable(err));

    QVERIFY(writeFile(s.out("edits.txt"),
        "# rebuild\r\n  terrain 0x21   road tile.png \r\n\nstatic 5 sign.png\nterrain 7 delete\n"));
    const auto [patched, why] = patch(s.out("patched"));
    QVERIFY2(patched == 0, qPrintable(why));
    ArtWork art(s.out("patched/artidx.mul"), s.out("patched/art.mul"));
    QCOMPARE(art.image(TileKind::Terrain, 0x21, false), ArtWork::normalize(TileKind::Terrain, road));
    QCOMPARE(art.image(TileKind::Static, 5, false), ArtWork::normalize(TileKind::Static, sign));
    QVERIFY(art.image(TileKind::Terrain, 7, false).isNull());
}

QTEST_GUILESS_MAIN(TestDataSetSaver)
#include "test_datasetsaver.moc"
