// The MYP container format: lookup3's own hash vectors, containers written and read
// back, and damaged containers: each gives a clear message or an unreadable entry.

#include "TestFiles.h"
#include "io/MypHash.h"
#include "io/MypReader.h"
#include "io/MypWriter.h"
#include "io/Zlib.h"

#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>
#include <functional>
#include <zlib.h>

namespace {

using TestFiles::writeFile;
using Damage = std::function<void(QByteArray &)>;

// The layout as the format describes it, independently of the reader: header u32 magic,
// version, signature, then the u64 first table; a table is u32 count, u64 next, then
// entries of u64 offset, u32 header length, stored length, decompressed length, u64 hash,
// u32 checksum, u16 compression.
constexpr int FirstTableField = 12, TableHeader = 12, EntryBytes = 34;
constexpr int HeaderLengthField = 8, StoredLengthField = 12, DecompressedLengthField = 16;
constexpr int ChecksumField = 28, CompressionField = 32;
constexpr qint64 MaxLength = 4096;
// Not opened at all, opened with a note, opened as it is, or (0 and up) that entry unreadable.
constexpr int NotOpened = -1, Noted = -2, Sound = -3;

template <typename T> void put(QByteArray &bytes, qint64 at, T value)
{
    qToLittleEndian<T>(value, bytes.data() + at);
}

template <typename T> T get(const QByteArray &bytes, qint64 at)
{
    return qFromLittleEndian<T>(bytes.constData() + at);
}

struct Item
{
    QByteArray name;
    QByteArray bytes;
    bool compressed = false;
};

const QVector<Item> Items{{"first", QByteArray(300, 'a'), false},
    {"second", QByteArray("plain bytes"), false}, {"third", QByteArray(1000, 'z') + "end", true}};

// A container of the items, in order, two entries to a table, by the writer under test.
QByteArray container(const QVector<Item> &items)
{
    MypWriter writer(items.size(), 2);
    QByteArray data;
    for (const Item &item : items) {
        const QByteArray stored = item.compressed ? Zlib::compress(item.bytes) : item.bytes;
        const quint64 offset = quint64(writer.dataStart() + data.size());
        writer.add(MypWriter::entryFor(
            MypHash::ofName(item.name), offset, stored, item.compressed ? 1 : 0, quint32(item.bytes.size())));
        data += stored;
    }
    return writer.headerAndTables() + data;
}

// Where entry n of a container() lies.
qint64 entryAt(const QByteArray &file, int n)
{
    qint64 table = get<quint64>(file, FirstTableField);
    for (int skip = n / 2; skip > 0; --skip)
        table = qint64(get<quint64>(file, table + 4));
    return table + TableHeader + (n % 2) * EntryBytes;
}

template <typename T> Damage at(qint64 offset, T value)
{
    return [=](QByteArray &f) { put<T>(f, offset, value); };
}

// Writes a u32 into entry n's field.
Damage entry32(const QByteArray &file, int n, int field, quint32 value)
{
    return at<quint32>(entryAt(file, n) + field, value);
}

} // namespace

class TestMyp : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void lookup3Vectors();
    void writtenContainerReadsBack();
    void damagedContainers_data();
    void damagedContainers();
    void adler32AsZlibComputesIt();
};

void TestMyp::lookup3Vectors()
{
    // Published with lookup3's hashlittle2; a name's hash is the pair with both seeds 0.
    quint32 c = 0, b = 0;
    MypHash::hashLittle2("", &c, &b);
    QVERIFY(c == 0xdeadbeefu && b == 0xdeadbeefu);
    c = 0, b = 1;
    MypHash::hashLittle2("Four score and seven years ago", &c, &b);
    QVERIFY(c == 0xe3607caeu && b == 0xbd371de4u);
    QCOMPARE(MypHash::ofName("Four score and seven years ago"), Q_UINT64_C(0xce7226e617770551));
}

void TestMyp::writtenContainerReadsBack()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("c.uop");
    // The items and, in a second table, a later entry with the name of the second.
    QByteArray file = container(QVector<Item>(Items) << Item{"second", "a later entry of the same name"});
    QVERIFY(writeFile(path, file));
    // Header: magic "MYP\0", version 5, the number of files.
    QVERIFY(
        file.startsWith(QByteArray("MYP\0", 4)) && get<quint32>(file, 4) == 5 && get<quint32>(file, 24) == 4);

    MypReader reader;
    QVERIFY2(reader.open(path, MaxLength), qPrintable(reader.errorString()));
    QVERIFY(reader.entryCount() == 4 && reader.notes().isEmpty());
    // Of entries with one name the first is read and the later one reported.
    QCOMPARE(reader.duplicates(), QVector<int>{3});
    // Every entry reads back (only the compressed one inflated: counted below).
    QString why;
    for (const Item &item : Items)
        QCOMPARE(reader.read(reader.find(MypHash::ofName(item.name)), &why), item.bytes);

    // A checksum that does not match is told, and the bytes are still given. An entry
    // longer than the caller can use is never inflated, but its stored bytes are given.
    QByteArray damaged = file;
    entry32(file, 2, ChecksumField, get<quint32>(file, entryAt(file, 2) + ChecksumField) ^ 1)(damaged);
    entry32(file, 0, DecompressedLengthField, MaxLength + 1)(damaged);
    QVERIFY(writeFile(path, damaged) && reader.open(path, MaxLength));
    bool matches = true;
    QCOMPARE(reader.read(reader.find(MypHash::ofName("third")), &why, &matches), Items.at(2).bytes);
    QVERIFY(!matches && why.isEmpty());
    const int first = reader.find(MypHash::ofName("first"));
    QVERIFY(reader.read(first, &why).isEmpty() && why.contains("beyond any record"));
    QCOMPARE(reader.readStored(first, &why, &matches), Items.at(0).bytes);
    QCOMPARE(reader.decompressions(), 1);

    // An unused entry (offset 0) is no entry, and the header counting it is noted.
    put<quint64>(file, entryAt(file, 0), 0);
    QVERIFY(writeFile(path, file) && reader.open(path, MaxLength));
    QVERIFY(reader.entryCount() == 3 && reader.find(MypHash::ofName("first")) == -1);
    QVERIFY(reader.notes().join(' ').contains("4 files"));
}

void TestMyp::damagedContainers_data()
{
    // One row per check the reader makes.
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<int>("entry"); // NotOpened, Noted, Sound or the entry that is unreadable
    QTest::addColumn<QString>("message"); // in the error, the notes or the entry's reason
    const QByteArray good = container(Items);
    const auto row = [&](const char *name, int entry, const char *message, const Damage &damage) {
        QByteArray file = good;
        damage(file);
        QTest::newRow(name) << file << entry << QString::fromLatin1(message);
    };
    const quint64 firstTable = get<quint64>(good, FirstTableField);
    row("too short for a header", NotOpened, "too short", [](QByteArray &f) { f.truncate(20); });
    row("wrong magic", NotOpened, "not a MYP container", [](QByteArray &f) { f[0] = 'Z'; });
    // Versions 4 to 5 are read.
    row("version 3", NotOpened, "version 3", at<quint32>(4, 3));
    row("version 4", Sound, "", at<quint32>(4, 4));
    row("version 6", NotOpened, "version 6", at<quint32>(4, 6));
    row("first table in the header", NotOpened, "header", at<quint64>(FirstTableField, 6));
    row("first table far beyond any file", NotOpened, "leaves the file",
        at<quint64>(FirstTableField, ~0ull - 3));
    // The second table's "next" points back at the first.
    row("table chain loops", NotOpened, "loops",
        at<quint64>(get<quint64>(good, firstTable + 4) + 4, firstTable));
    row("table holds more entries than fit", NotOpened, "more than fit", at<quint32>(firstTable, 0xFFFFFFFF));
    row("entry offset near 2^64", 1, "outside the file", at<quint64>(entryAt(good, 1), ~0ull - 8));
    row("stored length beyond the file", 2, "outside the file",
        entry32(good, 2, StoredLengthField, good.size()));
    row("decompressed length far beyond any record", 2, "beyond any record",
        entry32(good, 2, DecompressedLengthField, 0xFFFFFFF0));
    row("unknown compression", 1, "compression (7)", at<quint16>(entryAt(good, 1) + CompressionField, 7));
    row("header length alone past the end", 1, "outside the file",
        entry32(good, 1, HeaderLengthField, good.size()));
    row("decompressed length too short", 2, "more than the 10 bytes",
        entry32(good, 2, DecompressedLengthField, 10));
    row("decompressed length too long", 2, "not the 2000", entry32(good, 2, DecompressedLengthField, 2000));
    row("damaged compressed data", 2, "damaged", [](QByteArray &f) {
        // Garbage in place of the stream, with a checksum that matches it.
        const qint64 at = qint64(get<quint64>(f, entryAt(f, 2)));
        const quint32 length = get<quint32>(f, entryAt(f, 2) + StoredLengthField);
        f.replace(at, length, QByteArray(length, char(0xEE)));
        entry32(f, 2, ChecksumField, Zlib::adler32(f.mid(at, length)))(f);
    });
    row("compressed entry marked plain", Noted, "decompressed length other than their stored length",
        at<quint16>(entryAt(good, 2) + CompressionField, 0));
}

void TestMyp::damagedContainers()
{
    QFETCH(QByteArray, file);
    QFETCH(int, entry);
    QFETCH(QString, message);
    QTemporaryDir dir;
    const QString path = dir.filePath("artLegacyMUL.uop");
    QVERIFY(writeFile(path, file));

    MypReader reader;
    QString error;
    QCOMPARE(reader.open(path, MaxLength, &error), entry != NotOpened);
    if (entry == NotOpened) {
        QVERIFY2(error.contains("artLegacyMUL.uop") && error.contains(message), qPrintable(error));
        QVERIFY(reader.errorString() == error && reader.entryCount() == 0);
        return;
    }
    const QString notes = reader.notes().join(' ');
    QVERIFY2(entry == Noted ? notes.contains(message) : entry != Sound || notes.isEmpty(), qPrintable(notes));
    // Damage the tables show is known once the container is open, before any read.
    const bool inTables = message == "outside the file" || message == "beyond any record"
        || message.startsWith("compression");
    for (int n = 0; n < reader.entryCount(); ++n)
        QCOMPARE(!reader.problem(n).isEmpty(), inTables && n == entry);
    // Every other entry reads as written; the damaged one gives its reason.
    for (int n = 0; n < Items.size(); ++n) {
        QString why;
        const QByteArray bytes = reader.read(reader.find(MypHash::ofName(Items.at(n).name)), &why);
        if (n == entry)
            QVERIFY2(bytes.isEmpty() && why.contains(message), qPrintable(why));
        else if (entry >= 0 || entry == Sound)
            QCOMPARE(bytes, Items.at(n).bytes);
    }
}

void TestMyp::adler32AsZlibComputesIt()
{
    // Lengths around the 32-byte blocks and the runs between reductions, of bytes that
    // make the sums large (the largest over several reductions), at odd offsets.
    QByteArray bytes(300000, Qt::Uninitialized);
    QRandomGenerator random(7);
    for (char &byte : bytes)
        byte = char(0x80 | random.bounded(128));
    bytes.fill(char(0xFF), 20000);
    for (qsizetype length : {0, 1, 31, 32, 33, 5551, 5552, 5553, 20000, 100001, 299990}) {
        for (qsizetype offset : {0, 3}) {
            const QByteArrayView view(bytes.constData() + offset, length);
            const uLong expected = ::adler32(
                ::adler32(0, nullptr, 0), reinterpret_cast<const Bytef *>(view.data()), uInt(view.size()));
            QCOMPARE(Zlib::adler32(view), quint32(expected));
        }
    }
}

QTEST_GUILESS_MAIN(TestMyp)
#include "test_myp.moc"
