// The MYP container format: lookup3's own hash vectors, containers written and read
// back, and a table of damaged containers, each of which must give a clear message or
// an unreadable entry, never a crash, a hang or a huge allocation.

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

// The layout as the format describes it, written out here independently of the reader.
constexpr int FirstTableField = 12; // after u32 magic, u32 version, u32 signature
constexpr int VersionField = 4;
constexpr int TableHeader = 12; // u32 count, u64 next
constexpr int EntryBytes = 34;
constexpr int OffsetField = 0;
constexpr int HeaderLengthField = 8;
constexpr int StoredLengthField = 12;
constexpr int DecompressedLengthField = 16;
constexpr int HashField = 20;
constexpr int ChecksumField = 28;
constexpr int CompressionField = 32;
constexpr qint64 MaxLength = 4096;

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

// A container of the items, in order, written with the writer under test.
QByteArray container(const QVector<Item> &items, int tableCapacity = 2)
{
    MypWriter writer(items.size(), tableCapacity);
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

QVector<Item> sampleItems()
{
    return {{"first", QByteArray(300, 'a'), false}, {"second", QByteArray("plain bytes"), false},
        {"third", QByteArray(1000, 'z') + "end", true}};
}

// Where entry n of the sample container lies (two entries to a table).
qint64 entryAt(const QByteArray &file, int n)
{
    qint64 table = get<quint64>(file, FirstTableField);
    for (int skip = n / 2; skip > 0; --skip)
        table = qint64(get<quint64>(file, table + 4));
    return table + TableHeader + (n % 2) * EntryBytes;
}

struct Damage
{
    const char *name;
    std::function<void(QByteArray &)> apply;
    const char *openError; // the container is not opened, with this in its message
    int entry; // otherwise this entry (of sampleItems) is unreadable...
    const char *readError; // ...with this in the reason (or, without one, in the notes)
};

void setEntry32(QByteArray &file, int n, int field, quint32 value)
{
    put<quint32>(file, entryAt(file, n) + field, value);
}

const QVector<Damage> &damages()
{
    static const QVector<Damage> table = {
        {"wrong magic", [](QByteArray &f) { f[0] = 'Z'; }, "not a MYP container", -1, ""},
        {"unknown version", [](QByteArray &f) { put<quint32>(f, VersionField, 9); }, "version 9", -1, ""},
        {"too short for a header", [](QByteArray &f) { f.truncate(20); }, "too short", -1, ""},
        {"first table past the end",
            [](QByteArray &f) { put<quint64>(f, FirstTableField, quint64(f.size()) + 100); },
            "leaves the file", -1, ""},
        {"first table far beyond any file",
            [](QByteArray &f) { put<quint64>(f, FirstTableField, ~quint64(0) - 3); }, "leaves the file", -1,
            ""},
        {"first table in the header", [](QByteArray &f) { put<quint64>(f, FirstTableField, 6); }, "header",
            -1, ""},
        {"table chain loops",
            [](QByteArray &f) {
                const qint64 first = qint64(get<quint64>(f, FirstTableField));
                const quint64 second = get<quint64>(f, first + 4);
                put<quint64>(f, qint64(second) + 4, quint64(first));
            },
            "loops", -1, ""},
        {"table points at itself",
            [](QByteArray &f) {
                const qint64 first = qint64(get<quint64>(f, FirstTableField));
                put<quint64>(f, first + 4, quint64(first));
            },
            "loops", -1, ""},
        {"table holds more entries than fit",
            [](QByteArray &f) { put<quint32>(f, qint64(get<quint64>(f, FirstTableField)), 0xFFFFFFFF); },
            "more than fit", -1, ""},
        {"file cut inside the tables",
            [](QByteArray &f) { f.truncate(qint64(get<quint64>(f, FirstTableField)) + TableHeader + 10); },
            "more than fit", -1, ""},
        {"entry past the end", [](QByteArray &f) { put<quint64>(f, entryAt(f, 1), quint64(f.size()) + 1); },
            "", 1, "outside the file"},
        {"entry offset near 2^64", [](QByteArray &f) { put<quint64>(f, entryAt(f, 1), ~quint64(0) - 8); }, "",
            1, "outside the file"},
        {"stored length beyond the file",
            [](QByteArray &f) { setEntry32(f, 2, StoredLengthField, quint32(f.size())); }, "", 2,
            "outside the file"},
        {"header length beyond the file",
            [](QByteArray &f) { setEntry32(f, 0, HeaderLengthField, 0xFFFFFFF0); }, "", 0,
            "outside the file"},
        {"decompressed length far beyond any record",
            [](QByteArray &f) { setEntry32(f, 2, DecompressedLengthField, 0xFFFFFFF0); }, "", 2,
            "beyond any record"},
        {"stored length beyond any record",
            [](QByteArray &f) { setEntry32(f, 0, StoredLengthField, 1 << 30); }, "", 0, "beyond any record"},
        {"unknown compression", [](QByteArray &f) { put<quint16>(f, entryAt(f, 1) + CompressionField, 7); },
            "", 1, "compression (7)"},
        {"checksum mismatch", [](QByteArray &f) { f[f.size() - 1] = char(f[f.size() - 1] ^ 1); }, "", 2,
            "checksum"},
        {"decompressed length too short",
            [](QByteArray &f) { setEntry32(f, 2, DecompressedLengthField, 10); }, "", 2,
            "more than the 10 bytes"},
        {"decompressed length too long",
            [](QByteArray &f) { setEntry32(f, 2, DecompressedLengthField, 2000); }, "", 2, "not the 2000"},
        {"damaged compressed data",
            [](QByteArray &f) {
                // Garbage in place of the stream, with a checksum that matches it.
                const qint64 at = qint64(get<quint64>(f, entryAt(f, 2)));
                const quint32 length = get<quint32>(f, entryAt(f, 2) + StoredLengthField);
                f.replace(at, length, QByteArray(length, char(0xEE)));
                setEntry32(f, 2, ChecksumField, Zlib::adler32(f.mid(at, length)));
            },
            "", 2, "damaged"},
        {"compressed entry marked plain",
            [](QByteArray &f) { put<quint16>(f, entryAt(f, 2) + CompressionField, 0); }, "", -1,
            "decompressed length other than their stored length"},
    };
    return table;
}

} // namespace

class TestMyp : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void lookup3Vectors();
    void writtenContainerReadsBack();
    void unusedEntriesAndDuplicates();
    void damagedContainers_data();
    void damagedContainers();
    void compressedDataOfTheWrongLength();
    void adler32AsZlibComputesIt();
};

void TestMyp::lookup3Vectors()
{
    // The vectors published with lookup3's hashlittle2.
    quint32 c = 0;
    quint32 b = 0;
    MypHash::hashLittle2("", &c, &b);
    QCOMPARE(c, 0xdeadbeefu);
    QCOMPARE(b, 0xdeadbeefu);
    c = 0;
    b = 0xdeadbeef;
    MypHash::hashLittle2("", &c, &b);
    QCOMPARE(c, 0xbd5b7ddeu);
    QCOMPARE(b, 0xdeadbeefu);
    c = 0xdeadbeef;
    b = 0xdeadbeef;
    MypHash::hashLittle2("", &c, &b);
    QCOMPARE(c, 0x9c093ccdu);
    QCOMPARE(b, 0xbd5b7ddeu);
    c = 0;
    b = 0;
    MypHash::hashLittle2("Four score and seven years ago", &c, &b);
    QCOMPARE(c, 0x17770551u);
    QCOMPARE(b, 0xce7226e6u);
    c = 0;
    b = 1;
    MypHash::hashLittle2("Four score and seven years ago", &c, &b);
    QCOMPARE(c, 0xe3607caeu);
    QCOMPARE(b, 0xbd371de4u);
    c = 1;
    b = 0;
    MypHash::hashLittle2("Four score and seven years ago", &c, &b);
    QCOMPARE(c, 0xcd628161u);
    QCOMPARE(b, 0x6cbea4b3u);
    QCOMPARE(MypHash::ofName("Four score and seven years ago"), Q_UINT64_C(0xce7226e617770551));
}

void TestMyp::writtenContainerReadsBack()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("c.uop");
    const QVector<Item> items = sampleItems();
    const QByteArray file = container(items);
    QVERIFY(writeFile(path, file));
    // Header as laid out: magic "MYP\0", version 5, first table after the header.
    QCOMPARE(file.left(4), QByteArray("MYP\0", 4));
    QCOMPARE(get<quint32>(file, VersionField), 5u);
    QCOMPARE(get<quint32>(file, 24), 3u); // number of files

    MypReader reader;
    QVERIFY2(reader.open(path, MaxLength), qPrintable(reader.errorString()));
    QCOMPARE(reader.entryCount(), 3);
    QVERIFY(reader.notes().isEmpty() && reader.duplicates().isEmpty());
    for (const Item &item : items) {
        const int index = reader.find(MypHash::ofName(item.name));
        QVERIFY(index >= 0);
        QString why;
        QCOMPARE(reader.read(index, &why), item.bytes);
        QVERIFY(why.isEmpty());
        // Stored bytes are as written, the compressed ones a zlib stream of the bytes.
        const MypEntry &entry = reader.entry(index);
        const QByteArray stored = reader.readStored(index, &why);
        QCOMPARE(stored, file.mid(qint64(entry.offset), entry.storedLength));
        QCOMPARE(entry.checksum, Zlib::adler32(stored));
        QCOMPARE(entry.compression, quint16(item.compressed ? 1 : 0));
        QCOMPARE(qint64(entry.decompressedLength), qint64(item.bytes.size()));
    }
    QCOMPARE(reader.find(MypHash::ofName("fourth")), -1);
}

void TestMyp::unusedEntriesAndDuplicates()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("c.uop");
    QVector<Item> items = sampleItems();
    items.append({"second", "a later entry of the same name", false});
    QByteArray file = container(items);
    put<quint64>(file, entryAt(file, 0), 0); // unused
    QVERIFY(writeFile(path, file));
    MypReader reader;
    QVERIFY(reader.open(path, MaxLength));
    QCOMPARE(reader.entryCount(), 3);
    QCOMPARE(reader.duplicates().size(), 1);
    QString why;
    QCOMPARE(reader.read(reader.find(MypHash::ofName("second")), &why), QByteArray("plain bytes"));
    QCOMPARE(reader.find(MypHash::ofName("first")), -1);
    // The header still counts four files.
    QVERIFY(reader.notes().join(' ').contains("4 files"));
}

void TestMyp::damagedContainers_data()
{
    QTest::addColumn<int>("index");
    for (int i = 0; i < damages().size(); ++i)
        QTest::newRow(damages().at(i).name) << i;
}

void TestMyp::damagedContainers()
{
    QFETCH(int, index);
    const Damage &damage = damages().at(index);
    QTemporaryDir dir;
    const QString path = dir.filePath("artLegacyMUL.uop");
    QByteArray file = container(sampleItems());
    damage.apply(file);
    QVERIFY(writeFile(path, file));

    MypReader reader;
    QString error;
    const bool opened = reader.open(path, MaxLength, &error);
    if (*damage.openError) {
        QVERIFY(!opened);
        QVERIFY2(error.contains("artLegacyMUL.uop") && error.contains(QLatin1String(damage.openError)),
            qPrintable(error));
        QCOMPARE(reader.errorString(), error);
        QCOMPARE(reader.entryCount(), 0);
        return;
    }
    QVERIFY2(opened, qPrintable(error));
    if (damage.entry < 0)
        QVERIFY2(reader.notes().join(' ').contains(QLatin1String(damage.readError)),
            qPrintable(reader.notes().join(' ')));
    // Every other entry reads as written; the damaged one gives its reason.
    const QVector<Item> items = sampleItems();
    for (int n = 0; n < items.size(); ++n) {
        const int found = reader.find(MypHash::ofName(items.at(n).name));
        QString why;
        const QByteArray bytes = reader.read(found, &why);
        if (n == damage.entry) {
            QVERIFY(bytes.isEmpty());
            QVERIFY2(why.contains(QLatin1String(damage.readError)), qPrintable(why));
        } else if (damage.entry >= 0) {
            QCOMPARE(bytes, items.at(n).bytes);
        }
    }
}

void TestMyp::compressedDataOfTheWrongLength()
{
    const QByteArray bytes(5000, 'q');
    const QByteArray stream = Zlib::compress(bytes);
    QByteArray out;
    QString why;
    QVERIFY(Zlib::decompress(stream, bytes.size(), &out, &why));
    QCOMPARE(out, bytes);
    // A stream cut short, and one that holds more than stated, are refused.
    QVERIFY(!Zlib::decompress(stream.left(stream.size() - 6), bytes.size(), &out, &why));
    QVERIFY(!Zlib::decompress(stream, bytes.size() - 1, &out, &why));
    QVERIFY(why.contains("more than"));
    QVERIFY(!Zlib::decompress(stream, 0, &out, &why));
    // Adler-32 of "Wikipedia", the checksum's usual worked example.
    QCOMPARE(Zlib::adler32("Wikipedia"), 0x11E60398u);
}

void TestMyp::adler32AsZlibComputesIt()
{
    // Every length around the block size, and runs long enough to need reducing, of
    // bytes that make the sums large; at odd offsets.
    QByteArray bytes(300000, Qt::Uninitialized);
    QRandomGenerator random(7);
    for (char &byte : bytes)
        byte = char(0x80 | random.bounded(128));
    bytes.fill(char(0xFF), 20000); // the largest bytes over several reductions
    for (qsizetype length : {0, 1, 31, 32, 33, 63, 64, 65, 5551, 5552, 5553, 20000, 100001, 299990}) {
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
