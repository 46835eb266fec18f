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
    for (int v : values) {
        const qint16 le = qToLittleEndian(qint16(v));
        bytes.append(reinterpret_cast<const char *>(&le), 2);
    }
    return bytes;
}

// A static record: header 0, width, height, then the given line table and data words.
QByteArray staticRecord(int width, int height, std::initializer_list<int> tableAndData)
{
    return QByteArray(4, '\0') + words({width, height}) + words(tableAndData);
}

quint16 wordAt(const QByteArray &bytes, int index)
{
    return qFromLittleEndian<quint16>(bytes.constData() + 2 * index);
}

// The pixel a 15-bit colour word shows: each 5-bit field shifted up by 3.
QRgb rgbOf(quint16 word)
{
    return qRgb(((word >> 10) & 31) << 3, ((word >> 5) & 31) << 3, (word & 31) << 3);
}

// The colour a pixel with red field i shows highlighted, as the format describes it.
constexpr quint16 HighlightTable[32] = {0x18C0, 0x18C0, 0x1CE0, 0x2100, 0x2520, 0x2521, 0x2941, 0x2D61,
    0x3181, 0x3181, 0x35A2, 0x39C2, 0x3DE2, 0x3DE2, 0x4203, 0x4623, 0x4A43, 0x4A43, 0x4E63, 0x5284, 0x56A4,
    0x56A4, 0x5AC4, 0x5EE5, 0x6305, 0x6305, 0x6725, 0x6B45, 0x6F66, 0x6F66, 0x7386, 0x77A6};

// Bytes placed right before an inaccessible page, so that reading one byte past them
// crashes the test instead of going unnoticed.
class GuardedBytes
{
public:
    explicit GuardedBytes(const QByteArray &bytes) : length(bytes.size())
    {
        const qsizetype page = sysconf(_SC_PAGESIZE);
        mappedSize = (length / page + 2) * page;
        base = static_cast<char *>(
            mmap(nullptr, size_t(mappedSize), PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0));
        if (base == MAP_FAILED || mprotect(base + mappedSize - page, size_t(page), PROT_NONE) != 0)
            qFatal("cannot map a guard page");
        start = base + mappedSize - page - length;
        memcpy(start, bytes.constData(), size_t(length));
    }
    ~GuardedBytes() { munmap(base, size_t(mappedSize)); }
    QByteArrayView view() const { return QByteArrayView(start, length); }

private:
    qsizetype length;
    qsizetype mappedSize = 0;
    char *base = nullptr;
    char *start = nullptr;
};

// What encodeTerrain did before it sampled only the kept window: scale the whole image
// (converted first unless 32-bit) to cover 44 x 44 and keep the top-left 44 x 44.
QImage referenceWindow(const QImage &source)
{
    const QImage image = source.depth() == 32 ? source : source.convertToFormat(QImage::Format_ARGB32);
    return image.scaled(TerrainSize, TerrainSize, Qt::KeepAspectRatioByExpanding, Qt::FastTransformation)
        .copy(0, 0, TerrainSize, TerrainSize);
}

// An image whose every pixel differs from its neighbours, so that a pixel taken from the
// wrong place shows; opaque, or with alpha from 128 up.
QImage patterned(int width, int height, QImage::Format format, bool translucent = false)
{
    QImage image(width, height, QImage::Format_ARGB32);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y,
                qRgba((x * 37 + y * 11) % 256, (x * 13 + y * 71) % 256, (x * y + 5 * x) % 256,
                    translucent ? 128 + (x * y) % 128 : 255));
    }
    return image.convertToFormat(format);
}

// A static record of the largest size whose every line uses the same run list: a gap
// of one pixel per run up to the right edge, then the end marker. The most run headers
// a record can make a decoder walk: one per pixel.
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
    void colorConversion_data();
    void colorConversion();
    void terrainWordOrder();
    void terrainScalingMatchesWholeImageScaling();
    void terrainEncodeRules();
    void staticEncodeRules();
    void staticRecords_data();
    void staticRecords();
};

void TestCodec::colorConversion_data()
{
    QTest::addColumn<QRgb>("pixel");
    QTest::addColumn<int>("word");
    QTest::addColumn<QRgb>("shown"); // the word decoded: bit 15 ignored, each field shifted
    QTest::newRow("white") << qRgb(255, 255, 255) << 0xffff << qRgb(248, 248, 248);
    QTest::newRow("at least 1") << qRgb(3, 3, 3) << (0x8000 | 1 << 10 | 1 << 5 | 1) << qRgb(8, 8, 8);
    QTest::newRow("rounds half up") << qRgb(12, 12, 12) << (0x8000 | 2 << 10 | 2 << 5 | 2)
                                    << qRgb(16, 16, 16);
    QTest::newRow("fields apart") << qRgb(8, 16, 24) << (0x8000 | 1 << 10 | 2 << 5 | 3) << qRgb(8, 16, 24);
    QTest::newRow("alpha 127") << qRgba(255, 0, 0, 127) << (31 << 10) << qRgb(248, 0, 0);
    QTest::newRow("alpha 128") << qRgba(255, 0, 0, 128) << (0x8000 | 31 << 10) << qRgb(248, 0, 0);
}

void TestCodec::colorConversion()
{
    QFETCH(QRgb, pixel);
    QFETCH(int, word);
    QFETCH(QRgb, shown);
    QCOMPARE(int(ArtCodec::toColor16(pixel)), word);
    QCOMPARE(ArtCodec::fromColor16(quint16(word)), shown);
    // Every decoded level converts back to the same word.
    for (int c = 0; c < 32; ++c)
        QCOMPARE(int(ArtCodec::toColor16(ArtCodec::fromColor16(quint16(c << 10 | c << 5 | c)))),
            0x8000 | c << 10 | c << 5 | c);
}

void TestCodec::terrainWordOrder()
{
    // Every red field, with green, blue and bit 15 varying.
    const auto word = [](int i) { return quint16((i * 37 & 0x7fff) | (i % 2) << 15); };
    QByteArray record;
    for (int i = 0; i < TerrainWordCount; ++i)
        record += words({word(i)});
    const GuardedBytes guarded(record);
    const QImage image = ArtCodec::decodeTerrain(guarded.view(), false);
    const QImage lit = ArtCodec::decodeTerrain(guarded.view(), true);
    QCOMPARE(image.size(), QSize(44, 44));
    // Row 0 holds words 0 and 1 at x 21 and 22; row 43 the last two; 462 words lie
    // above row 21; the corners are transparent. Word 0 shows opaque black.
    QCOMPARE(image.pixel(22, 43), rgbOf(word(1011)));
    QCOMPARE(image.pixel(0, 21), rgbOf(word(462)));
    QCOMPARE(
        image.pixel(20, 0) | image.pixel(23, 0) | image.pixel(0, 0) | image.pixel(43, 43) | lit.pixel(0, 0),
        0u);
    // Highlighted, a pixel's colour depends on its red field alone.
    int i = 0;
    for (int y = 0; y < TerrainSize; ++y) {
        for (int x = terrainRowStart(y); x < terrainRowStart(y) + terrainRowLength(y); ++x, ++i) {
            QCOMPARE(image.pixel(x, y), rgbOf(word(i)));
            QCOMPARE(lit.pixel(x, y), rgbOf(HighlightTable[word(i) >> 10 & 31]));
        }
    }
    // Encoding gives the record back, with bit 15 set on the opaque pixels.
    const QByteArray encoded = ArtCodec::encodeTerrain(image);
    QCOMPARE(encoded.size(), TerrainRecordSize);
    for (i = 0; i < TerrainWordCount; ++i)
        QCOMPARE(int(wordAt(encoded, i)), 0x8000 | word(i));
    // A byte short it is no record; bytes after it are not part of it.
    const QByteArrayView cut(record.constData(), TerrainRecordSize - 1);
    QVERIFY(ArtCodec::decodeTerrain(cut, false).isNull() && ArtCodec::terrainRecordExtent(cut) < 0);
    QCOMPARE(ArtCodec::terrainRecordExtent(record + "more"), qint64(TerrainRecordSize));
}

void TestCodec::terrainScalingMatchesWholeImageScaling()
{
    const QList<QSize> sizes
        = {{1, 1}, {43, 44}, {45, 44}, {20, 7}, {89, 44}, {131, 130}, {1000, 3}, {3, 1000}, {997, 2003}};
    for (const QSize size : sizes) {
        for (const QImage::Format format :
            {QImage::Format_ARGB32, QImage::Format_ARGB32_Premultiplied, QImage::Format_RGBA8888,
                QImage::Format_RGB888, QImage::Format_RGB16, QImage::Format_Indexed8, QImage::Format_Mono}) {
            const QImage image = patterned(size.width(), size.height(), format);
            QVERIFY2(ArtCodec::encodeTerrain(image) == ArtCodec::encodeTerrain(referenceWindow(image)),
                qPrintable(
                    QStringLiteral("%1x%2 format %3").arg(size.width()).arg(size.height()).arg(format)));
        }
    }
    // Translucent pixels in a premultiplied image keep their colour through scaling.
    const QImage translucent = patterned(70, 50, QImage::Format_ARGB32_Premultiplied, true);
    QCOMPARE(ArtCodec::encodeTerrain(translucent), ArtCodec::encodeTerrain(referenceWindow(translucent)));
}

void TestCodec::terrainEncodeRules()
{
    // Too large to scale whole. Scaled to cover 44 x 44, a 1-pixel side becomes 44 pixels
    // and the long side 44 times its length: the kept top-left square shows the first
    // source pixel only.
    const int length = 1000000;
    QImage tall(1, length, QImage::Format_ARGB32);
    QImage wide(length, 1, QImage::Format_RGB32);
    QImage red(TerrainSize, TerrainSize, QImage::Format_ARGB32);
    for (QImage *image : {&tall, &wide}) {
        image->fill(qRgb(0, 0, 255));
        image->setPixel(0, 0, qRgb(255, 0, 0));
    }
    red.fill(qRgb(255, 0, 0));
    QCOMPARE(ArtCodec::encodeTerrain(tall), ArtCodec::encodeTerrain(red));
    QCOMPARE(ArtCodec::encodeTerrain(wide), ArtCodec::encodeTerrain(red));
    QVERIFY(ArtCodec::encodeTerrain(QImage()).isEmpty());

    // Terrain stores every diamond pixel: one with alpha below 128 becomes black (word 0),
    // whatever colour values it carries; from 128 on the colour is kept with bit 15.
    QImage image(TerrainSize, TerrainSize, QImage::Format_ARGB32);
    image.fill(qRgba(255, 255, 255, 0));
    image.setPixel(21, 0, qRgba(255, 255, 255, 127));
    image.setPixel(22, 0, qRgba(255, 0, 0, 128));
    const QByteArray record = ArtCodec::encodeTerrain(image);
    QCOMPARE(int(wordAt(record, 1)), 0x8000 | 31 << 10);
    for (int i : {0, 2, 500, TerrainWordCount - 1})
        QCOMPARE(int(wordAt(record, i)), 0);
    // An image without an alpha channel is opaque whatever its unused byte holds.
    QImage rgb(TerrainSize, TerrainSize, QImage::Format_RGB32);
    rgb.fill(0x00ff0000u);
    QCOMPARE(int(wordAt(ArtCodec::encodeTerrain(rgb), 500)), 0x8000 | 31 << 10);
}

void TestCodec::staticEncodeRules()
{
    // Black everywhere: header, size, table 0,2,4 and one end marker a line.
    QImage black(3, 3, QImage::Format_ARGB32);
    black.fill(qRgb(0, 0, 0));
    QCOMPARE(ArtCodec::encodeStatic(black), staticRecord(3, 3, {0, 2, 4, 0, 0, 0, 0, 0, 0}));
    // Left out: alpha below 128 (whatever colour, as image editors save transparent
    // white) and opaque black. Kept with bit 15, colour unchanged: alpha 128 and up.
    QImage image(5, 1, QImage::Format_ARGB32);
    image.setPixel(0, 0, qRgba(255, 255, 255, 0));
    image.setPixel(1, 0, qRgb(0, 0, 0));
    image.setPixel(2, 0, qRgba(0, 255, 0, 128));
    image.setPixel(3, 0, qRgba(0, 0, 255, 127));
    image.setPixel(4, 0, qRgb(255, 255, 255));
    QCOMPARE(ArtCodec::encodeStatic(image).mid(10), words({2, 1, 0x8000 | 31 << 5, 1, 1, 0xffff, 0, 0}));
    // Null, a side beyond 1024 pixels whatever the content, and so many visible pixels
    // that a later line's offset passes 32767 words.
    QImage wide(1025, 1, QImage::Format_ARGB32);
    QImage tall(1, 1025, QImage::Format_ARGB32);
    QImage dense(300, 200, QImage::Format_ARGB32);
    wide.fill(0);
    tall.fill(0);
    dense.fill(Qt::red);
    for (const QImage &image : {QImage(), wide, tall, dense}) {
        QString error;
        QVERIFY(ArtCodec::encodeStatic(image, &error).isEmpty());
        QVERIFY2(!error.isEmpty() && (image.height() + image.width() != 1026 || error.contains("1024")),
            qPrintable(error));
    }
    QImage largest(1024, 1024, QImage::Format_ARGB32);
    largest.fill(0);
    QCOMPARE(ArtCodec::decodeStatic(ArtCodec::encodeStatic(largest), false).size(), QSize(1024, 1024));

    // The longest record that decodes, which bounds every read of a record: 1024 x 1024,
    // the last line 32767 words past the table, holding 1023 one-pixel runs and then a
    // run of 32767 words starting at the last pixel. 8 + 2,048 + 65,534 + 1,023 x 6 +
    // 4 + 65,534 + 4 = 139,270 bytes.
    QByteArray longest = QByteArray(4, '\0') + words({1024, 1024});
    longest += QByteArray(2 * 1023, '\0') + words({32767}) + words({0, 0});
    longest += QByteArray(2 * 32767 - 4, '\0');
    for (int x = 0; x < 1023; ++x)
        longest += words({0, 1, 0x7c00});
    longest += words({0, 32767}) + QByteArray(2 * 32767, '\1') + words({0, 0});
    QCOMPARE(longest.size(), 139270);
    QCOMPARE(ArtCodec::staticRecordExtent(longest), qint64(longest.size()));
    QCOMPARE(MaxStaticRecordSize, qint64(longest.size()));
}

void TestCodec::staticRecords_data()
{
    QTest::addColumn<QByteArray>("record");
    QTest::addColumn<int>("extent"); // -1: damaged
    QTest::addColumn<QList<QRgb>>("pixels"); // line by line, when given
    const QRgb r = qRgb(248, 0, 0);
    // Extent: header 8 + table 2 * height, then each line's runs (4 + 2 * length) and end
    // marker (4). Line 0: a run of 2 at x 1 (its second word black, shown opaque), then
    // 2,2 after it ends at 3 -> pixels 5 and 6; line 1: the end marker only.
    QTest::newRow("runs and gaps") << staticRecord(
        7, 2, {0, 10, 1, 2, 0x7c00, 0, 2, 2, 0x001f, 0x7fff, 0, 0, 0, 0})
                                   << 8 + 4 + 20 + 4
                                   << QList<QRgb>{0, r, qRgb(0, 0, 0), 0, 0, qRgb(0, 0, 248),
                                          qRgb(248, 248, 248), 0, 0, 0, 0, 0, 0, 0};
    // Line 0 is stored after line 1: the record ends with line 0's end marker, and the
    // word after it is not part of it.
    QTest::newRow("lines out of order, a word after")
        << staticRecord(2, 2, {5, 0, 1, 1, 0x7c00, 0, 0, 0, 0, 9}) << 8 + 4 + 10 + 4
        << QList<QRgb>{0, 0, 0, r};
    QTest::newRow("lines sharing runs") << staticRecord(2, 3, {0, 0, 0, 0, 1, 0x7c00, 0, 0}) << 8 + 6 + 6 + 4
                                        << QList<QRgb>{r, 0, r, 0, r, 0};
    // A run past the width sets only the pixels inside, but is read whole.
    QTest::newRow("run past the width")
        << staticRecord(2, 1, {0, 1, 3, 0x7c00, 0x7c00, 0x7c00, 0, 0}) << 8 + 2 + 10 + 4 << QList<QRgb>{0, r};
    QTest::newRow("gap without pixels")
        << staticRecord(4, 1, {0, 1, 0, 2, 1, 0x7c00, 0, 0}) << 8 + 2 + 10 + 4 << QList<QRgb>{0, 0, 0, r};
    // The most work a record can ask for: decoded in time proportional to the area
    // (bench_codec measures it), never to the record's size times it.
    const QByteArray shared = sharedRunsRecord();
    QTest::newRow("largest, every line one run list") << shared << int(shared.size()) << QList<QRgb>();

    // Damage, one row per rule; records cut short are every prefix in everyShorterPrefixIsRefused.
    const QList<QPair<const char *, QByteArray>> damaged
        = {{"zero width", staticRecord(0, 1, {0, 0, 0})}, {"negative height", staticRecord(4, -3, {0, 0, 0})},
            {"width beyond the maximum", staticRecord(MaxStaticSide + 1, 1, {0, 0, 0})},
            {"height beyond the maximum",
                QByteArray(4, '\0') + words({1, MaxStaticSide + 1})
                    + QByteArray(2 * (MaxStaticSide + 1), '\0') + words({0, 0})},
            {"line offset past the end", staticRecord(2, 1, {500, 0, 0})},
            {"line offset before the record", staticRecord(2, 1, {-200, 0, 0})},
            {"negative run length", staticRecord(2, 1, {0, 5, -2, 0, 0})},
            {"run length past the end", staticRecord(2, 1, {0, 0, 30000, 1, 0, 0})},
            {"negative x offset", staticRecord(4, 1, {0, 1, 1, 0x7c00, -1, 1, 0x7c00, 0, 0})},
            {"run starting at the width", staticRecord(2, 1, {0, 2, 1, 0x7c00, 0, 0})},
            {"gap after the width is reached", staticRecord(2, 1, {0, 0, 2, 0x7c00, 0x7c00, 1, 0, 0, 0})},
            {"largest, one gap too many", shared.left(shared.size() - 4) + words({1, 0, 0, 0})}};
    for (const auto &[name, record] : damaged)
        QTest::newRow(name) << record << -1 << QList<QRgb>();
}

void TestCodec::staticRecords()
{
    QFETCH(QByteArray, record);
    QFETCH(int, extent);
    QFETCH(QList<QRgb>, pixels);
    const GuardedBytes guarded(record);
    QCOMPARE(ArtCodec::staticRecordExtent(guarded.view()), qint64(extent));
    const QImage image = ArtCodec::decodeStatic(guarded.view(), false);
    QCOMPARE(image.isNull(), extent < 0);
    QCOMPARE(ArtCodec::decodeStatic(guarded.view(), true).isNull(), extent < 0);
    if (extent < 0)
        return;
    // The record's own bytes decode to the same image.
    const GuardedBytes exact(record.left(extent));
    QCOMPARE(ArtCodec::decodeStatic(exact.view(), false), image);
    QCOMPARE(ArtCodec::staticRecordExtent(exact.view()), qint64(extent));
    // Highlighted, an opaque pixel shows the colour of its red field.
    const QImage lit = ArtCodec::decodeStatic(guarded.view(), true);
    QVERIFY(pixels.isEmpty() || pixels.size() == image.width() * image.height());
    for (int i = 0; i < pixels.size(); ++i) {
        const QRgb plain = pixels.at(i);
        QCOMPARE(image.pixel(i % image.width(), i / image.width()), plain);
        QCOMPARE(lit.pixel(i % image.width(), i / image.width()),
            plain ? rgbOf(HighlightTable[qRed(plain) >> 3]) : 0u);
    }
    // Cut anywhere before its end, it is refused even with the rest of its bytes
    // following in memory: nothing past the view given is read.
    for (int length = 0; length < extent; ++length) {
        const QByteArrayView prefix(record.constData(), length);
        const GuardedBytes cut(record.left(length));
        QVERIFY2(ArtCodec::decodeStatic(prefix, false).isNull() && ArtCodec::staticRecordExtent(prefix) < 0
                && ArtCodec::decodeStatic(cut.view(), false).isNull()
                && ArtCodec::decodeStatic(cut.view(), true).isNull(),
            qPrintable(QString::number(length)));
    }
}

QTEST_APPLESS_MAIN(TestCodec)
#include "test_codec.moc"
