// Art in artLegacyMUL.uop: read through both containers, damaged inside a data set, edits saved to it.

#include "TestDataSet.h"
#include "TestFiles.h"
#include "art/ArtFormat.h"
#include "art/UopArtContainer.h"
#include "dataset/DataSet.h"
#include "io/MypHash.h"
#include "io/MypReader.h"
#include "saving/DataSetSaver.h"

#include <QtEndian>
#include <QtTest>

using namespace ArtFormat;
using Format = ArtContainer::Format;
using Choice = ArtContainerChoice::Choice;

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
    const QString &directory, Choice choice = Choice::Automatic, QString *error = {})
{
    DataSet::Options options;
    options.art = choice;
    QString why;
    return DataSet::open(directory, options, error ? error : &why);
}

// The first image that differs between the stores, over every id either has; empty when none.
QString firstDifference(ArtWork &a, ArtWork &b)
{
    for (int id = 0; id < TerrainCount; ++id) {
        if (a.image(TileKind::Terrain, id, false) != b.image(TileKind::Terrain, id, false))
            return QStringLiteral("terrain %1").arg(id);
    }
    for (int id = 0; id < qMax(a.staticSlotCount(), b.staticSlotCount()); ++id) {
        if (a.image(TileKind::Static, id, false) != b.image(TileKind::Static, id, false))
            return QStringLiteral("static %1").arg(id);
    }
    return QString();
}

// An artidx.mul entry, read here.
ArtIndexEntry indexEntry(const QByteArray &index, int slot)
{
    const char *p = index.constData() + qsizetype(slot) * IndexEntrySize;
    return {qFromLittleEndian<qint32>(p), qFromLittleEndian<qint32>(p + 4), qFromLittleEndian<qint32>(p + 8)};
}

// The edits both stores are given.
bool edit(ArtWork &art)
{
    return art.setImage(TileKind::Terrain, 3, TestDataSet::terrain(Qt::red))
        && art.setImage(TileKind::Terrain, 7, QImage())
        && art.setImage(TileKind::Static, 5, TestDataSet::solid(23, 40, Qt::blue))
        && art.setImage(TileKind::Static, 9, QImage())
        && art.setImage(TileKind::Static, HighStatic + 3, TestDataSet::solid(4, 4, Qt::green));
}

// The entry of an art position in a .uop file, by its name.
int entryOf(const MypReader &reader, int slot)
{
    return reader.find(MypHash::ofName(UopArtContainer::entryName(slot)));
}

// Where in the file a field of that entry lies: tables of 64 entries follow the 0x200-byte
// header one after another, 12 bytes of table header, 34 an entry.
qint64 fieldOf(const MypReader &reader, int slot, int field)
{
    const int n = entryOf(reader, slot);
    return 0x200 + (n / 64) * (12 + 64 * 34) + 12 + (n % 64) * 34 + field;
}

quint32 get32(const QByteArray &bytes, qint64 at)
{
    return qFromLittleEndian<quint32>(bytes.constData() + at);
}

} // namespace

class TestUop : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void sameArtThroughBothContainers_data();
    void sameArtThroughBothContainers();
    void damagedContainerInADataSet();
    void editsSavedThroughBothContainers();
    void sharedBlocksInflateOnce();
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
    QTemporaryDir dir;
    QVERIFY(builder.write(dir.path(), output(Format::Uop, compressed)));
    QVERIFY(builder.write(dir.path(), output(Format::Mul)));
    // Both in one directory: art.mul is read unless the .uop is asked for.
    auto mul = openSet(dir.path());
    auto uop = openSet(dir.path(), Choice::Uop);
    QVERIFY(mul && uop);
    QCOMPARE(mul->art().container().format(), Format::Mul);
    QCOMPARE(uop->art().container().format(), Format::Uop);
    QVERIFY2(uop->art().container().notes().isEmpty(), qPrintable(uop->art().container().notes().join('\n')));

    // The static palette reaches the highest position the container has.
    QCOMPARE(uop->art().staticSlotCount(), HighStatic + 1);
    QCOMPARE(firstDifference(mul->art(), uop->art()), QString());
    // Positions sharing a record share its entry.
    const ArtContainer &container = uop->art().container();
    QVERIFY(!container.entry(StaticIdBase + SharedStatic).isEmpty());
    QCOMPARE(container.entry(StaticIdBase + SharingStatic), container.entry(StaticIdBase + SharedStatic));

    // art.mul without its index is no container: the .uop is read. (A directory missing
    // both, or the one forced, is named by the data set tests and tessera-cli's.)
    QVERIFY(QFile::remove(dir.filePath("artidx.mul")));
    auto fallback = openSet(dir.path());
    QVERIFY(fallback);
    QCOMPARE(fallback->art().container().format(), Format::Uop);
}

void TestUop::damagedContainerInADataSet()
{
    DataSetBuilder builder(32);
    for (int id = 0; id < 5; ++id)
        builder.setStaticImage(id, TestDataSet::solid(5 + id, 5, Qt::red));
    QTemporaryDir dir;
    QVERIFY(builder.write(dir.path(), output(Format::Uop)));
    const QString path = dir.filePath("artLegacyMUL.uop");
    QByteArray bytes = fileBytes(path);
    MypReader reader;
    QVERIFY(reader.open(path, UopArtContainer::MaxRecordLength));
    // Static 2's checksum (28 bytes into an entry) changed; static 3's entry given static 1's
    // name hash (20 bytes in), static 4's a hash no art position has.
    const auto hash = [&](int id) { return fieldOf(reader, StaticIdBase + id, 20); };
    const quint32 checksum = get32(bytes, fieldOf(reader, StaticIdBase + 2, 28)) ^ 0x5555;
    qToLittleEndian<quint32>(checksum, bytes.data() + fieldOf(reader, StaticIdBase + 2, 28));
    bytes.replace(hash(3), 8, bytes.mid(hash(1), 8)).replace(hash(4), 8, QByteArray("no name."));
    QVERIFY(writeFile(path, bytes));
    QString error;
    auto set = openSet(dir.path(), Choice::Automatic, &error);
    QVERIFY2(set, qPrintable(error));
    // The tile whose checksum does not match still shows; of two entries of a name the first is used.
    for (int id : {0, 1, 2})
        QCOMPARE(set->art().image(TileKind::Static, id, false).size(), QSize(5 + id, 5));
    QVERIFY(set->art().image(TileKind::Static, 3, false).isNull());
    const QString notes = set->art().container().notes().join('\n');
    QVERIFY2(notes.contains("static tile 2: checksum does not match"), qPrintable(notes));
    QVERIFY2(notes.contains("repeat the name of an earlier entry, which is used: static tile 1"),
        qPrintable(notes));

    // Saved in either container, the entry is kept as read (as stored, its checksum too),
    // and the save says so and what it left out.
    for (const Format format : {Format::Uop, Format::Mul}) {
        QTemporaryDir out;
        DataSetSaver saver(set->art(), set->tiles(), set->anims());
        saver.setArtFormat(format);
        QCOMPARE(saver.save(out.path()), DataSetSaver::Status::Saved);
        for (const char *part : {"1 tiles' checksum does not match; ", ": static tile 2.",
                 "1 entries of artLegacyMUL.uop repeat the name of an earlier entry",
                 "1 entries of artLegacyMUL.uop are not named after an art position; they were not saved"})
            QVERIFY2(saver.notice().contains(part), qPrintable(saver.notice()));
        auto saved = openSet(out.path());
        QVERIFY(saved);
        QCOMPARE(
            saved->art().image(TileKind::Static, 2, false), set->art().image(TileKind::Static, 2, false));
        MypReader written;
        if (format == Format::Uop) {
            QVERIFY(written.open(out.filePath("artLegacyMUL.uop"), UopArtContainer::MaxRecordLength));
            QCOMPARE(
                get32(fileBytes(out.filePath("artLegacyMUL.uop")), fieldOf(written, StaticIdBase + 2, 28)),
                checksum);
        }
    }

    // Not a container at all: the data set is not opened, and the message says why.
    QVERIFY(writeFile(path, "not a container, just some bytes"));
    QVERIFY(!openSet(dir.path(), Choice::Automatic, &error));
    QVERIFY2(error.contains("artLegacyMUL.uop is damaged") && error.contains("not a MYP container"),
        qPrintable(error));
}

void TestUop::editsSavedThroughBothContainers()
{
    // One data set as art.mul and as a compressed .uop, given the same edits.
    const DataSetBuilder builder = sampleSet();
    QTemporaryDir mulDir, dir, out;
    QVERIFY(builder.write(mulDir.path(), output(Format::Mul)));
    QVERIFY(builder.write(dir.path(), output(Format::Uop, true)));
    auto mul = openSet(mulDir.path());
    auto set = openSet(dir.path());
    QVERIFY(mul && set && edit(mul->art()) && edit(set->art()));
    // Saves a set into out/name, in the container given (else as read): its notice, or "failed".
    const auto save = [&](DataSet &from, const QString &name, std::optional<Format> format = std::nullopt) {
        DataSetSaver to(from.art(), from.tiles(), from.anims());
        if (format)
            to.setArtFormat(*format);
        QDir(out.path()).mkdir(name);
        return to.save(out.filePath(name)) == DataSetSaver::Status::Saved ? to.notice()
                                                                          : QStringLiteral("failed");
    };
    // The .uop one saved in the container it was read from: it shows what the edited store showed.
    QCOMPARE(save(*set, "uu"), QString());
    auto saved = openSet(out.filePath("uu"));
    QVERIFY(saved);
    QCOMPARE(firstDifference(saved->art(), set->art()), QString());

    MypReader before, after;
    QVERIFY(before.open(dir.filePath("artLegacyMUL.uop"), UopArtContainer::MaxRecordLength));
    QVERIFY(after.open(out.filePath("uu/artLegacyMUL.uop"), UopArtContainer::MaxRecordLength));
    // Nothing noted: the header counts the entries the tables hold.
    QVERIFY2(after.notes().isEmpty() && after.duplicates().isEmpty(), qPrintable(after.notes().join(' ')));
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
            // Unedited entries keep their stored bytes, compressed or not.
            QCOMPARE(is >= 0, was >= 0);
            if (was < 0)
                continue;
            QCOMPARE(after.readStored(is, &why), before.readStored(was, &why));
            QVERIFY(after.entry(is).compression == before.entry(was).compression
                && after.entry(is).decompressedLength == before.entry(was).decompressedLength);
            ++kept;
        }
    }
    QVERIFY(kept > 200);
    // The two positions that shared a record still point at one block.
    QCOMPARE(after.entry(entryOf(after, StaticIdBase + SharingStatic)).offset,
        after.entry(entryOf(after, StaticIdBase + SharedStatic)).offset);

    // Over a set of art.mul and artidx.mul, which would be read in its place, those two go.
    QVERIFY(QDir(out.path()).mkdir("over") && builder.write(out.filePath("over"), output(Format::Mul)));
    QCOMPARE(save(*set, "over"), QString());
    QCOMPARE(QDir(out.filePath("over")).entryList(QDir::Files | QDir::Hidden),
        (QStringList{"animdata.mul", "artLegacyMUL.uop", "tiledata.mul"}));

    // Saved as art.mul the two are the same files; so is the .uop save saved again as art.mul:
    // a round trip keeps empty entries as (-1, -1, 0).
    // The third field of artidx.mul has no place in a .uop: the conversion says so.
    const QByteArray original = fileBytes(mulDir.filePath("artidx.mul"));
    int thirdFields = 0;
    for (int slot = 0; slot < original.size() / IndexEntrySize; ++slot)
        thirdFields += indexEntry(original, slot).reserved != 0;
    QVERIFY(thirdFields > 0);
    QCOMPARE(save(*mul, "mu", Format::Uop),
        QStringLiteral("%1 entries of artidx.mul have a third field other than 0, which artLegacyMUL.uop has "
                       "no place for; it was dropped.")
            .arg(thirdFields));
    QCOMPARE(save(*mul, "mm", Format::Mul), QString());
    QCOMPARE(save(*set, "um", Format::Mul), QString());
    auto converted = openSet(out.filePath("mu"));
    QVERIFY(converted);
    QCOMPARE(save(*converted, "mum", Format::Mul), QString());
    const QByteArray index = fileBytes(out.filePath("mm/artidx.mul"));
    for (const char *name : {"um", "mum"}) {
        QCOMPARE(fileBytes(out.filePath(QStringLiteral("%1/art.mul").arg(name))),
            fileBytes(out.filePath("mm/art.mul")));
        const QByteArray other = fileBytes(out.filePath(QStringLiteral("%1/artidx.mul").arg(name)));
        QCOMPARE(other.size(), index.size());
        for (int slot = 0; slot < index.size() / IndexEntrySize; ++slot) {
            const ArtIndexEntry expected = indexEntry(index, slot);
            QCOMPARE(indexEntry(other, slot), (ArtIndexEntry{expected.offset, expected.length, 0}));
        }
    }
}

void TestUop::sharedBlocksInflateOnce()
{
    // Thousands of positions sharing one compressed record, read twice: inflated once.
    DataSetBuilder builder(4096);
    builder.setStaticImage(0, TestDataSet::solid(30, 30, Qt::red));
    for (int id = 1; id < 4000; ++id)
        builder.shareSlot(StaticIdBase + id, StaticIdBase);
    QTemporaryDir dir;
    QVERIFY(builder.write(dir.path(), output(Format::Uop, true)));
    auto container = std::make_unique<UopArtContainer>();
    QVERIFY(container->open(dir.filePath("artLegacyMUL.uop")));
    UopArtContainer *opened = container.get();
    ArtWork art(std::move(container));
    for (int pass = 0; pass < 2; ++pass) {
        for (int id = 0; id < 4000; ++id)
            QCOMPARE(art.image(TileKind::Static, id, false).size(), QSize(30, 30));
    }
    for (int slot = 0; slot < opened->slotCount(); ++slot)
        opened->record(slot);
    QCOMPARE(opened->decompressions(), 1);

    // An entry pointing at the same bytes with another decompressed length (16 bytes in) is
    // damage, told when the container is opened, and never inflated.
    const QString path = dir.filePath("artLegacyMUL.uop");
    MypReader reader;
    QVERIFY(reader.open(path, UopArtContainer::MaxRecordLength));
    const qint64 at = fieldOf(reader, StaticIdBase + 1, 16);
    QByteArray bytes = fileBytes(path);
    qToLittleEndian<quint32>(get32(bytes, at) - 1, bytes.data() + at);
    QVERIFY(writeFile(path, bytes));
    UopArtContainer damaged;
    QVERIFY(damaged.open(path));
    QVERIFY2(damaged.notes().join(' ').contains("static tile 1: its bytes (at"),
        qPrintable(damaged.notes().join(' ')));
    QVERIFY(damaged.record(StaticIdBase + 1).isEmpty());
    QCOMPARE(damaged.record(StaticIdBase + 2).size(), 8 + 2 * 30 + 30 * (8 + 60));
    QCOMPARE(damaged.decompressions(), 1);
}

QTEST_GUILESS_MAIN(TestUop)
#include "test_uop.moc"
