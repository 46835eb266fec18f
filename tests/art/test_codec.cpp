// The art codec: colour conversion, record layout, encode rules and damaged records.

#include "art/ArtCodec.h"
#include "art/ArtFormat.h"

#include <QtEndian>
#include <QtTest>
#include <sys/mman.h>
#include <unistd.h>

using namespace ArtFormat;

namespace {

// Little-endian int16 words as a byte array.
QByteArray words(std::initializer_list<int> values)
{
    QByteArray bytes;
    for (int v : values)
        bytes.append(char(v)).append(char(v >> 8));
    return bytes;
}

// A static record: header 0, width, height, then the given line table and data words.
QByteArray staticRecord(int width, int height, std::initializer_list<int> tableAndData)
{
    return QByteArray(4, '\0') + words({width, height}) + words(tableAndData);
}

// An image of one colour.
QImage filled(int width, int height, QRgb color, QImage::Format format = QImage::Format_ARGB32)
{
    QImage image(width, height, format);
    image.fill(color);
    return image;
}

// The pixel a 15-bit colour word shows: each 5-bit field shifted up by 3.
QRgb rgbOf(quint16 word)
{
    return qRgb(((word >> 10) & 31) << 3, ((word >> 5) & 31) << 3, (word & 31) << 3);
}

// Bytes right before an inaccessible page: reading one byte past them crashes the test.
struct GuardedBytes
{
    explicit GuardedBytes(const QByteArray &bytes)
    {
        const qsizetype page = sysconf(_SC_PAGESIZE);
        mapped = (bytes.size() / page + 2) * page;
        base = static_cast<char *>(
            mmap(nullptr, size_t(mapped), PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0));
        if (base == MAP_FAILED || mprotect(base + mapped - page, size_t(page), PROT_NONE) != 0)
            qFatal("cannot map a guard page");
        char *start = base + mapped - page - bytes.size();
        view = QByteArrayView(start, bytes.size());
        memcpy(start, bytes.constData(), size_t(bytes.size()));
    }
    ~GuardedBytes() { munmap(base, size_t(mapped)); }
    qsizetype mapped;
    char *base;
    QByteArrayView view;
};

// Scaling the whole image (converted first unless 32-bit) to cover 44 x 44, the top-left 44 x 44 kept.
QImage referenceWindow(const QImage &source)
{
    const QImage image = source.depth() == 32 ? source : source.convertToFormat(QImage::Format_ARGB32);
    return image.scaled(TerrainSize, TerrainSize, Qt::KeepAspectRatioByExpanding, Qt::FastTransformation)
        .copy(0, 0, TerrainSize, TerrainSize);
}

// Every pixel differs from its neighbours, so that one taken from the wrong place shows; alpha from 128.
QImage patterned(int width, int height, QImage::Format format)
{
    QImage image(width, height, QImage::Format_ARGB32);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y,
                qRgba((x * 37 + y * 11) % 256, (x * 13 + y * 71) % 256, (x * y + 5 * x) % 256,
                    128 + (x * y) % 128));
    }
    return image.convertToFormat(format);
}

// The largest static, every line sharing one run list of one-pixel gaps: a run header per pixel.
QByteArray sharedRunsRecord()
{
    QByteArray record = QByteArray(4, '\0') + words({MaxStaticSide, MaxStaticSide});
    record += QByteArray(2 * MaxStaticSide, '\0'); // every line at offset 0
    for (int x = 1; x < MaxStaticSide; ++x)
        record += words({1, 0});
    return record + words({0, 0});
}

} // namespace

class TestCodec : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void colorConversion_data()
    {
        QTest::addColumn<QRgb>("pixel");
        QTest::addColumn<int>("word");
        QTest::addColumn<QRgb>("shown"); // the word decoded: bit 15 ignored, each field shifted
        QTest::newRow("white") << qRgb(255, 255, 255) << 0xffff << qRgb(248, 248, 248);
        QTest::newRow("at least 1") << qRgb(3, 3, 3) << (0x8000 | 1 << 10 | 1 << 5 | 1) << qRgb(8, 8, 8);
        QTest::newRow("half up") << qRgb(12, 12, 12) << (0x8000 | 2 << 10 | 2 << 5 | 2) << qRgb(16, 16, 16);
        QTest::newRow("fields") << qRgb(8, 16, 24) << (0x8000 | 1 << 10 | 2 << 5 | 3) << qRgb(8, 16, 24);
        QTest::newRow("alpha 127") << qRgba(255, 0, 0, 127) << (31 << 10) << qRgb(248, 0, 0);
        QTest::newRow("alpha 128") << qRgba(255, 0, 0, 128) << (0x8000 | 31 << 10) << qRgb(248, 0, 0);
    }

    void colorConversion()
    {
        QFETCH(QRgb, pixel);
        QFETCH(int, word);
        QFETCH(QRgb, shown);
        QCOMPARE(int(ArtCodec::toColor16(pixel)), word);
        QCOMPARE(ArtCodec::fromColor16(quint16(word)), shown);
    }

    void terrainWordOrder()
    {
        // Every red field, with green, blue and bit 15 varying.
        const auto word = [](int i) { return quint16((i * 37 & 0x7fff) | (i % 2) << 15); };
        QByteArray record;
        QByteArray opaque; // the record with bit 15 set everywhere
        for (int i = 0; i < TerrainWordCount; ++i) {
            record += words({word(i)});
            opaque += words({0x8000 | word(i)});
        }
        const GuardedBytes guarded(record);
        const QImage image = ArtCodec::decodeTerrain(guarded.view);
        // Row 0 holds words 0 and 1 at x 21 and 22, row 43 the last two, 462 words lie above row 21.
        QCOMPARE(image.pixel(22, 43), rgbOf(word(1011)));
        QCOMPARE(image.pixel(0, 21), rgbOf(word(462)));
        QCOMPARE(image.pixel(20, 0) | image.pixel(23, 0) | image.pixel(0, 0) | image.pixel(43, 43), 0u);
        // Every decoded level converts back to the same word.
        QCOMPARE(ArtCodec::encodeTerrain(image), opaque);
        // Alpha below 128 stores black whatever the colour, from 128 the colour; RGB32 ignores alpha.
        QImage edited = image;
        edited.setPixel(21, 0, qRgba(255, 255, 255, 127));
        edited.setPixel(22, 0, qRgba(255, 0, 0, 128));
        const QImage unusedByte(edited.constBits(), TerrainSize, TerrainSize, QImage::Format_RGB32);
        QCOMPARE(ArtCodec::encodeTerrain(edited).left(4), words({0, 0x8000 | 31 << 10}));
        QCOMPARE(ArtCodec::encodeTerrain(unusedByte).left(4), words({0xffff, 0x8000 | 31 << 10}));
        // A byte short it is no record; bytes after it are not part of it.
        const QByteArrayView cut(record.constData(), TerrainRecordSize - 1);
        QVERIFY(ArtCodec::decodeTerrain(cut).isNull() && ArtCodec::terrainRecordExtent(cut) < 0);
        QCOMPARE(ArtCodec::terrainRecordExtent(record + "more"), qint64(TerrainRecordSize));
    }

    void terrainScalingMatchesWholeImageScaling()
    {
        for (const QSize size : {QSize(1, 1), QSize(43, 44), QSize(45, 44), QSize(20, 7), QSize(89, 44),
                 QSize(131, 130), QSize(1000, 3), QSize(3, 1000), QSize(997, 2003)}) {
            for (const QImage::Format format : {QImage::Format_ARGB32, QImage::Format_ARGB32_Premultiplied,
                     QImage::Format_RGBA8888, QImage::Format_RGB888, QImage::Format_RGB16,
                     QImage::Format_Indexed8, QImage::Format_Mono}) {
                const QImage image = patterned(size.width(), size.height(), format);
                QVERIFY2(ArtCodec::encodeTerrain(image) == ArtCodec::encodeTerrain(referenceWindow(image)),
                    qPrintable(
                        QStringLiteral("%1x%2 format %3").arg(size.width()).arg(size.height()).arg(format)));
            }
        }
        // Too large to scale whole: scaled to cover 44 x 44, the kept square shows the first pixel only.
        const QRgb blue = qRgb(0, 0, 255);
        for (QImage image : {filled(1, 1000000, blue), filled(1000000, 1, blue, QImage::Format_RGB32)}) {
            image.setPixel(0, 0, qRgb(255, 0, 0));
            QCOMPARE(
                ArtCodec::encodeTerrain(image), ArtCodec::encodeTerrain(filled(44, 44, qRgb(255, 0, 0))));
        }
        QVERIFY(ArtCodec::encodeTerrain(QImage()).isEmpty());
    }

    void staticEncodeRules()
    {
        // Black everywhere: header, size, table 0,2,4 and one end marker a line.
        QCOMPARE(ArtCodec::encodeStatic(filled(3, 3, qRgb(0, 0, 0))),
            staticRecord(3, 3, {0, 2, 4, 0, 0, 0, 0, 0, 0}));
        // Left out: alpha below 128 (any colour) and opaque black; alpha 128 and up kept, colour unchanged.
        const QRgb line[] = {qRgba(255, 255, 255, 0), qRgb(0, 0, 0), qRgba(0, 255, 0, 128),
            qRgba(0, 0, 255, 127), qRgb(255, 255, 255)};
        const QImage image(reinterpret_cast<const uchar *>(line), 5, 1, QImage::Format_ARGB32);
        QCOMPARE(ArtCodec::encodeStatic(image).mid(10), words({2, 1, 0x8000 | 31 << 5, 1, 1, 0xffff, 0, 0}));
        // Refused with a reason: null, a side over 1024, a line offset past 32767 words; 1024 x 1024 kept.
        for (const QImage &image :
            {QImage(), filled(1025, 1, 0), filled(1, 1025, 0), filled(300, 200, ~0u)}) {
            QString error;
            QVERIFY(ArtCodec::encodeStatic(image, &error).isEmpty());
            QVERIFY2(!error.isEmpty() && (image.height() + image.width() != 1026 || error.contains("1024")),
                qPrintable(error));
        }
        QCOMPARE(
            ArtCodec::decodeStatic(ArtCodec::encodeStatic(filled(1024, 1024, 0))).size(), QSize(1024, 1024));

        // The longest record that decodes: 1024 x 1024, last line at word 32767, 1023 runs, one of 32767.
        QByteArray longest = QByteArray(4, '\0') + words({1024, 1024});
        longest += QByteArray(2 * 1023, '\0') + words({32767}) + words({0, 0});
        longest += QByteArray(2 * 32767 - 4, '\0');
        for (int x = 0; x < 1023; ++x)
            longest += words({0, 1, 0x7c00});
        longest += words({0, 32767}) + QByteArray(2 * 32767, '\1') + words({0, 0});
        QCOMPARE(ArtCodec::staticRecordExtent(longest), MaxStaticRecordSize);
    }

    void staticRecords_data()
    {
        QTest::addColumn<QByteArray>("record");
        QTest::addColumn<int>("extent"); // -1: damaged
        QTest::addColumn<QList<QRgb>>("pixels"); // line by line, when given
        const auto row = [](const char *name, const QByteArray &record, int extent = -1,
                             QList<QRgb> pixels = {}) { QTest::newRow(name) << record << extent << pixels; };
        const QRgb r = qRgb(248, 0, 0);
        // Extent: header 8 + table 2 * height, each line's runs (4 + 2 * length) and end marker (4).
        row("runs and gaps", staticRecord(7, 2, {0, 10, 1, 2, 0x7c00, 0, 2, 2, 0x001f, 0x7fff, 0, 0, 0, 0}),
            8 + 4 + 20 + 4,
            {0, r, qRgb(0, 0, 0), 0, 0, qRgb(0, 0, 248), qRgb(248, 248, 248), 0, 0, 0, 0, 0, 0, 0});
        // Line 0 stored after line 1: the record ends with its end marker, not the word after it.
        row("lines out of order, a word after", staticRecord(2, 2, {5, 0, 1, 1, 0x7c00, 0, 0, 0, 0, 9}),
            8 + 4 + 10 + 4, {0, 0, 0, r});
        row("shared runs", staticRecord(2, 3, {0, 0, 0, 0, 1, 0x7c00, 0, 0}), 8 + 6 + 6 + 4,
            {r, 0, r, 0, r, 0});
        row("run past the width, read whole", staticRecord(2, 1, {0, 1, 3, 0x7c00, 0x7c00, 0x7c00, 0, 0}),
            8 + 2 + 10 + 4, {0, r});
        // The most work a record can ask for (bench_codec times it).
        const QByteArray shared = sharedRunsRecord();
        row("largest, every line one run list", shared, int(shared.size()));
        // Damage, one row per rule; records cut short are checked as every shorter prefix of the above.
        row("zero width", staticRecord(0, 1, {0, 0, 0}));
        row("negative height", staticRecord(4, -3, {0, 0, 0}));
        row("width over the maximum", staticRecord(MaxStaticSide + 1, 1, {0, 0, 0}));
        row("height over the maximum",
            staticRecord(1, MaxStaticSide + 1, {}) + QByteArray(2 * MaxStaticSide + 6, '\0'));
        row("line offset past the end", staticRecord(2, 1, {500, 0, 0}));
        row("line offset before the record", staticRecord(2, 1, {-200, 0, 0}));
        row("negative run length", staticRecord(2, 1, {0, 5, -2, 0, 0}));
        row("run length past the end", staticRecord(2, 1, {0, 0, 30000, 1, 0, 0}));
        row("negative x offset", staticRecord(4, 1, {0, 1, 1, 0x7c00, -1, 1, 0x7c00, 0, 0}));
        row("run starting at the width", staticRecord(2, 1, {0, 2, 1, 0x7c00, 0, 0}));
        row("largest, one gap too many", shared.left(shared.size() - 4) + words({1, 0, 0, 0}));
    }

    void staticRecords()
    {
        QFETCH(QByteArray, record);
        QFETCH(int, extent);
        QFETCH(QList<QRgb>, pixels);
        const GuardedBytes guarded(record);
        QCOMPARE(ArtCodec::staticRecordExtent(guarded.view), qint64(extent));
        const QImage image = ArtCodec::decodeStatic(guarded.view);
        QCOMPARE(image.isNull(), extent < 0);
        if (extent < 0)
            return;
        const GuardedBytes exact(record.left(extent)); // the record's own bytes decode the same
        QCOMPARE(ArtCodec::decodeStatic(exact.view), image);
        QCOMPARE(ArtCodec::staticRecordExtent(exact.view), qint64(extent));
        QVERIFY(pixels.isEmpty() || pixels.size() == image.width() * image.height());
        for (int i = 0; i < pixels.size(); ++i)
            QCOMPARE(image.pixel(i % image.width(), i / image.width()), pixels.at(i));
        // Cut anywhere before its end it is refused, even with its other bytes following in memory.
        for (int length = 0; length < extent; ++length) {
            const QByteArrayView prefix(record.constData(), length);
            const GuardedBytes cut(record.left(length));
            QVERIFY2(ArtCodec::decodeStatic(prefix).isNull() && ArtCodec::staticRecordExtent(prefix) < 0
                    && ArtCodec::decodeStatic(cut.view).isNull(),
                qPrintable(QString::number(length)));
        }
    }
};

QTEST_APPLESS_MAIN(TestCodec)
#include "test_codec.moc"
