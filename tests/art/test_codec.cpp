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

// The colour a pixel with red field i shows highlighted, as the format describes it.
constexpr quint16 HighlightTable[32] = {0x18C0, 0x18C0, 0x1CE0, 0x2100, 0x2520, 0x2521, 0x2941, 0x2D61,
    0x3181, 0x3181, 0x35A2, 0x39C2, 0x3DE2, 0x3DE2, 0x4203, 0x4623, 0x4A43, 0x4A43, 0x4E63, 0x5284, 0x56A4,
    0x56A4, 0x5AC4, 0x5EE5, 0x6305, 0x6305, 0x6725, 0x6B45, 0x6F66, 0x6F66, 0x7386, 0x77A6};

// Bytes placed right before an inaccessible page, so that reading one byte past them
// crashes the test instead of going unnoticed.
class GuardedBytes
{
public:
    explicit GuardedBytes(const QByteArray &bytes)
    {
        const qsizetype page = sysconf(_SC_PAGESIZE);
        mappedSize = (bytes.size() / page + 2) * page;
        void *mapped
            = mmap(nullptr, size_t(mappedSize), PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (mapped == MAP_FAILED)
            qFatal("mmap failed");
        base = static_cast<char *>(mapped);
        mprotect(base + mappedSize - page, size_t(page), PROT_NONE);
        start = base + mappedSize - page - bytes.size();
        memcpy(start, bytes.constData(), size_t(bytes.size()));
        length = bytes.size();
    }
    ~GuardedBytes() { munmap(base, size_t(mappedSize)); }
    QByteArrayView view() const { return QByteArrayView(start, length); }

private:
    char *base = nullptr;
    char *start = nullptr;
    qsizetype length = 0;
    qsizetype mappedSize = 0;
};

// encodeTerrain before it sampled only the kept window: convert, scale the whole image
// to cover 44 x 44, keep the top-left 44 x 44. Only for images where that works.
QByteArray referenceTerrain(const QImage &source)
{
    QImage image = source.depth() == 32 ? source : source.convertToFormat(QImage::Format_ARGB32);
    if (image.width() != TerrainSize || image.height() != TerrainSize)
        image
            = image.scaled(TerrainSize, TerrainSize, Qt::KeepAspectRatioByExpanding, Qt::FastTransformation);
    if (image.format() != QImage::Format_ARGB32 && image.format() != QImage::Format_RGB32)
        image = image.convertToFormat(QImage::Format_ARGB32);
    QByteArray out;
    for (int y = 0; y < TerrainSize; ++y) {
        const QRgb *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        const int start = terrainRowStart(y);
        for (int x = start; x < start + terrainRowLength(y); ++x)
            out += words({qint16(ArtCodec::toColor16(line[x]))});
    }
    return out;
}

// An opaque image whose every pixel differs from its neighbours, so that a pixel taken
// from the wrong place shows.
QImage patterned(int width, int height, QImage::Format format)
{
    QImage image(width, height, QImage::Format_ARGB32);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x)
            image.setPixel(
                x, y, qRgb((x * 37 + y * 11) % 256, (x * 13 + y * 71) % 256, (x * y + 5 * x) % 256));
    }
    return image.convertToFormat(format);
}

// A static record of the largest size whose every line uses the same run list: a gap
// of one pixel per run up to the right edge, then the end marker.
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
    void fromColor16IgnoresBit15AndScalesByShift();
    void terrainWordOrder();
    void terrainBlackAndHighlight();
    void terrainEncodeScalesKeepingAspect();
    void terrainScalingMatchesWholeImageScaling_data();
    void terrainScalingMatchesWholeImageScaling();
    void terrainFromExtremeShapes();
    void terrainTransparency();
    void highlightTable();
    void highlightEveryRed_data();
    void highlightEveryRed();
    void staticRunsAndGaps();
    void staticEncodeRules();
    void staticTransparency();
    void normalizeIsStable();
    void damagedStaticRecords_data();
    void damagedStaticRecords();
    void staticExtent_data();
    void staticExtent();
    void everyShorterPrefixIsRefused();
    void terrainExtent();
    void sharedRunListsStayWithinTheArea();
    void unexpressibleStaticsAreRefused();
};

void TestCodec::colorConversion_data()
{
    QTest::addColumn<QRgb>("pixel");
    QTest::addColumn<int>("word");
    QTest::newRow("white") << qRgb(255, 255, 255) << 0xffff;
    QTest::newRow("at least 1") << qRgb(3, 3, 3) << (0x8000 | 1 << 10 | 1 << 5 | 1);
    QTest::newRow("rounds up") << qRgb(4, 4, 4) << (0x8000 | 1 << 10 | 1 << 5 | 1);
    QTest::newRow("twelve") << qRgb(12, 12, 12) << (0x8000 | 2 << 10 | 2 << 5 | 2);
    QTest::newRow("red only") << qRgb(2, 0, 0) << (0x8000 | 1 << 10);
    QTest::newRow("alpha 127") << qRgba(255, 0, 0, 127) << (31 << 10);
    QTest::newRow("alpha 128") << qRgba(255, 0, 0, 128) << (0x8000 | 31 << 10);
}

void TestCodec::colorConversion()
{
    QFETCH(QRgb, pixel);
    QFETCH(int, word);
    QCOMPARE(int(ArtCodec::toColor16(pixel)), word);
}

void TestCodec::fromColor16IgnoresBit15AndScalesByShift()
{
    QCOMPARE(ArtCodec::fromColor16(0xffff), qRgb(248, 248, 248));
    QCOMPARE(ArtCodec::fromColor16(0x8000), qRgba(0, 0, 0, 255));
    QCOMPARE(ArtCodec::fromColor16(1 << 10 | 2 << 5 | 3), qRgb(8, 16, 24));
    // Every decoded component converts back to the same word.
    for (int c = 0; c < 32; ++c)
        QCOMPARE(int(ArtCodec::toColor16(ArtCodec::fromColor16(quint16(c << 10 | c << 5 | c)))),
            0x8000 | c << 10 | c << 5 | c);
}

void TestCodec::terrainWordOrder()
{
    QByteArray record;
    for (int i = 0; i < TerrainWordCount; ++i)
        record += words({i % 32 << 10});
    const QImage image = ArtCodec::decodeTerrain(record, false);
    QCOMPARE(image.size(), QSize(44, 44));
    QCOMPARE(image.format(), QImage::Format_ARGB32);
    // Row 0 holds words 0 and 1 at x 21 and 22; row 43 the last two words.
    QCOMPARE(image.pixel(21, 0), ArtCodec::fromColor16(0 << 10));
    QCOMPARE(image.pixel(22, 0), ArtCodec::fromColor16(1 << 10));
    QCOMPARE(image.pixel(20, 0), 0u);
    QCOMPARE(image.pixel(23, 0), 0u);
    QCOMPARE(image.pixel(21, 43), ArtCodec::fromColor16(1010 % 32 << 10));
    QCOMPARE(image.pixel(22, 43), ArtCodec::fromColor16(1011 % 32 << 10));
    QCOMPARE(image.pixel(0, 21), ArtCodec::fromColor16(462 % 32 << 10)); // 462 words above row 21
    QCOMPARE(image.pixel(0, 0), 0u);
    QCOMPARE(image.pixel(43, 43), 0u);
    // Encoding gives the record back (with bit 15 set on opaque pixels).
    const QByteArray encoded = ArtCodec::encodeTerrain(image);
    QCOMPARE(encoded.size(), TerrainRecordSize);
    for (int i = 0; i < TerrainWordCount; ++i)
        QCOMPARE(int(wordAt(encoded, i)), 0x8000 | (i % 32 == 0 ? 0 : i % 32 << 10));
}

void TestCodec::terrainBlackAndHighlight()
{
    const QByteArray zeros(TerrainRecordSize, '\0');
    const QImage plain = ArtCodec::decodeTerrain(zeros, false);
    const QImage lit = ArtCodec::decodeTerrain(zeros, true);
    QCOMPARE(plain.pixel(22, 22), 0xff000000u);
    QCOMPARE(lit.pixel(22, 22), 0xff303000u);
    QCOMPARE(lit.pixel(0, 0), 0u);
    QVERIFY(ArtCodec::decodeTerrain(zeros.left(TerrainRecordSize - 1), false).isNull());
}

void TestCodec::terrainEncodeScalesKeepingAspect()
{
    QImage source(100, 50, QImage::Format_ARGB32);
    for (int x = 0; x < 100; ++x) {
        for (int y = 0; y < 50; ++y)
            source.setPixel(x, y, x < 50 ? qRgb(255, 0, 0) : qRgb(0, 0, 255));
    }
    // Scaled to 88 x 44: only the left 44 columns (all red) are stored.
    const QImage image = ArtCodec::normalizeTerrain(source);
    QCOMPARE(image.pixel(43, 22), qRgb(248, 0, 0));
    QCOMPARE(image.pixel(0, 22), qRgb(248, 0, 0));
}

void TestCodec::terrainScalingMatchesWholeImageScaling_data()
{
    QTest::addColumn<QImage>("image");
    const QList<QSize> sizes = {{1, 1}, {3, 2}, {43, 44}, {44, 45}, {45, 44}, {45, 45}, {20, 7}, {7, 20},
        {88, 44}, {89, 44}, {100, 50}, {66, 133}, {131, 130}, {300, 301}, {1000, 3}, {3, 1000}, {640, 480},
        {2, 2000}, {1, 800}, {900, 1}, {12, 5000}, {4000, 45}, {997, 2003}};
    const QList<QImage::Format> formats = {QImage::Format_ARGB32, QImage::Format_RGB32,
        QImage::Format_ARGB32_Premultiplied, QImage::Format_RGBA8888, QImage::Format_RGB888,
        QImage::Format_RGB16, QImage::Format_Indexed8, QImage::Format_Mono};
    for (const QSize size : sizes) {
        for (const QImage::Format format : formats) {
            QTest::addRow("%dx%d format %d", size.width(), size.height(), int(format))
                << patterned(size.width(), size.height(), format);
        }
    }
    // Translucent pixels in a premultiplied image keep their colour through scaling.
    QImage translucent = patterned(70, 50, QImage::Format_ARGB32);
    for (int y = 0; y < 50; ++y) {
        for (int x = 0; x < 70; ++x)
            translucent.setPixel(
                x, y, (translucent.pixel(x, y) & 0xffffff) | uint(128 + (x * y) % 128) << 24);
    }
    QTest::newRow("translucent, premultiplied")
        << translucent.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

void TestCodec::terrainScalingMatchesWholeImageScaling()
{
    QFETCH(QImage, image);
    QCOMPARE(ArtCodec::encodeTerrain(image), referenceTerrain(image));
}

void TestCodec::terrainFromExtremeShapes()
{
    // Scaled to cover 44 x 44, a 1-pixel side becomes 44 pixels and the long side 44
    // times its length; the kept top-left square shows the first source pixel only.
    const int length = 1000000;
    QImage tall(1, length, QImage::Format_ARGB32);
    tall.fill(qRgb(0, 0, 255));
    tall.setPixel(0, 0, qRgb(255, 0, 0));
    QImage wide(length, 1, QImage::Format_RGB32);
    wide.fill(qRgb(0, 0, 255));
    wide.setPixel(0, 0, qRgb(255, 0, 0));
    for (const QImage &image : {tall, wide}) {
        const QByteArray record = ArtCodec::encodeTerrain(image);
        QCOMPARE(record.size(), TerrainRecordSize);
        for (int i = 0; i < TerrainWordCount; ++i)
            QCOMPARE(int(wordAt(record, i)), 0x8000 | 31 << 10);
    }
    // Two pixels across, 44 x 44 million scaled: the left half comes from the first.
    QImage pair(2, length / 2, QImage::Format_ARGB32);
    pair.fill(qRgb(0, 0, 255));
    pair.setPixel(0, 0, qRgb(255, 0, 0));
    const QImage diamond = ArtCodec::normalizeTerrain(pair);
    QCOMPARE(diamond.pixel(21, 0), qRgb(248, 0, 0));
    QCOMPARE(diamond.pixel(22, 0), qRgb(0, 0, 248));
    QCOMPARE(diamond.pixel(0, 21), qRgb(248, 0, 0));
    QCOMPARE(diamond.pixel(43, 21), qRgb(0, 0, 248));
    QVERIFY(ArtCodec::encodeTerrain(QImage()).isEmpty());
}

void TestCodec::terrainTransparency()
{
    // Terrain stores every diamond pixel: one with alpha below 128 becomes black (word 0),
    // whatever colour values it carries; from 128 on the colour is kept with bit 15.
    QImage image(TerrainSize, TerrainSize, QImage::Format_ARGB32);
    image.fill(qRgba(255, 255, 255, 0));
    image.setPixel(21, 0, qRgba(255, 255, 255, 127));
    image.setPixel(22, 0, qRgba(255, 0, 0, 128));
    const QByteArray record = ArtCodec::encodeTerrain(image);
    QCOMPARE(int(wordAt(record, 0)), 0);
    QCOMPARE(int(wordAt(record, 1)), 0x8000 | 31 << 10);
    for (int i = 2; i < TerrainWordCount; ++i)
        QCOMPARE(int(wordAt(record, i)), 0);
    QCOMPARE(ArtCodec::normalizeTerrain(image).pixel(22, 22), qRgb(0, 0, 0));
    // An image without an alpha channel is opaque whatever its unused byte holds.
    QImage rgb(TerrainSize, TerrainSize, QImage::Format_RGB32);
    rgb.fill(0x00ff0000u);
    QCOMPARE(int(wordAt(ArtCodec::encodeTerrain(rgb), 500)), 0x8000 | 31 << 10);
}

void TestCodec::highlightTable()
{
    // The table itself, and what it is: a dark yellow ramp (red equal to green, little
    // blue) that never gets darker as the red field grows.
    for (int red = 0; red < 32; ++red) {
        const quint16 hue = ArtCodec::highlightHue()[red];
        QCOMPARE(int(hue), int(HighlightTable[red]));
        QCOMPARE((hue >> 10) & 31, (hue >> 5) & 31);
        QVERIFY((hue & 31) <= 6);
        if (red > 0)
            QVERIFY(hue >= ArtCodec::highlightHue()[red - 1]);
    }
}

void TestCodec::highlightEveryRed_data()
{
    QTest::addColumn<int>("red");
    for (int red = 0; red < 32; ++red)
        QTest::addRow("red %d", red) << red;
}

void TestCodec::highlightEveryRed()
{
    // Highlighted, a pixel's colour depends on its red field alone: green, blue and bit
    // 15 change nothing. Terrain and statics alike.
    QFETCH(int, red);
    const QRgb expected = qRgb(((HighlightTable[red] >> 10) & 31) << 3,
        ((HighlightTable[red] >> 5) & 31) << 3, (HighlightTable[red] & 31) << 3);
    QByteArray terrain;
    for (int i = 0; i < TerrainWordCount; ++i)
        terrain += words({qint16(red << 10 | (i * 7) % 32 << 5 | (i * 3) % 32 | (i % 2) << 15)});
    const QImage lit = ArtCodec::decodeTerrain(terrain, true);
    for (int y = 0; y < TerrainSize; ++y) {
        const int start = terrainRowStart(y);
        for (int x = start; x < start + terrainRowLength(y); ++x)
            QCOMPARE(lit.pixel(x, y), expected);
    }
    QCOMPARE(lit.pixel(0, 0), 0u);
    const QByteArray item = staticRecord(
        3, 1, {0, 0, 3, red << 10, red << 10 | 31 << 5 | 31, int(0x8000 | red << 10 | 5), 0, 0});
    const QImage litItem = ArtCodec::decodeStatic(item, true);
    for (int x = 0; x < 3; ++x)
        QCOMPARE(litItem.pixel(x, 0), expected);
    QCOMPARE(ArtCodec::decodeStatic(item, false).pixel(0, 0), qRgb(red << 3, 0, 0));
}

void TestCodec::staticRunsAndGaps()
{
    // Line 0: a run of 2 at x 3, then 3,2 after it ends at 5 -> pixels 8 and 9.
    // Line 1: the end marker only (fully transparent).
    const QByteArray record
        = staticRecord(12, 2, {0, 10, 3, 2, 0x7c00, 0x03e0, 3, 2, 0x001f, 0x7fff, 0, 0, 0, 0});
    const QImage image = ArtCodec::decodeStatic(record, false);
    QCOMPARE(image.size(), QSize(12, 2));
    QCOMPARE(image.pixel(2, 0), 0u);
    QCOMPARE(image.pixel(3, 0), qRgb(248, 0, 0));
    QCOMPARE(image.pixel(4, 0), qRgb(0, 248, 0));
    QCOMPARE(image.pixel(5, 0), 0u);
    QCOMPARE(image.pixel(8, 0), qRgb(0, 0, 248));
    QCOMPARE(image.pixel(9, 0), qRgb(248, 248, 248));
    for (int x = 0; x < 12; ++x)
        QCOMPARE(image.pixel(x, 1), 0u);
    // Line data in any order: swap the lines through the table.
    const QByteArray swapped = staticRecord(2, 2, {2, 0, 0, 0, 1, 1, 0x7c00, 0, 0});
    const QImage other = ArtCodec::decodeStatic(swapped, false);
    QCOMPARE(other.pixel(1, 0), qRgb(248, 0, 0));
    QCOMPARE(other.pixel(1, 1), 0u);
    // A black word inside a run is opaque black; highlighted it is dark yellow.
    const QByteArray hole = staticRecord(1, 1, {0, 0, 1, 0, 0, 0});
    QCOMPARE(ArtCodec::decodeStatic(hole, false).pixel(0, 0), 0xff000000u);
    QCOMPARE(ArtCodec::decodeStatic(hole, true).pixel(0, 0), 0xff303000u);
    // A run past the width sets only the pixels inside.
    const QByteArray wide = staticRecord(2, 1, {0, 1, 3, 0x7c00, 0x7c00, 0x7c00, 0, 0});
    QCOMPARE(ArtCodec::decodeStatic(wide, false).pixel(1, 0), qRgb(248, 0, 0));
    QCOMPARE(ArtCodec::decodeStatic(wide, false).pixel(0, 0), 0u);
    // Gaps without pixels (length 0) just move x on.
    const QByteArray gaps = staticRecord(4, 1, {0, 1, 0, 2, 1, 0x001f, 0, 0});
    QCOMPARE(ArtCodec::decodeStatic(gaps, false).pixel(3, 0), qRgb(0, 0, 248));
    QCOMPARE(ArtCodec::decodeStatic(gaps, false).pixel(1, 0), 0u);
}

void TestCodec::staticEncodeRules()
{
    // Black everywhere: header, size, table 0,2,4 and one end marker a line.
    QImage black(3, 3, QImage::Format_ARGB32);
    black.fill(qRgb(0, 0, 0));
    const QByteArray empty = ArtCodec::encodeStatic(black);
    QCOMPARE(empty.size(), 8 + 6 * 3);
    QCOMPARE(int(wordAt(empty, 4)), 0);
    QCOMPARE(int(wordAt(empty, 5)), 2);
    QCOMPARE(int(wordAt(empty, 6)), 4);
    // Opaque black and a transparent red pixel are left out; green is stored with bit 15.
    QImage image(4, 1, QImage::Format_ARGB32);
    image.setPixel(0, 0, qRgba(255, 0, 0, 0));
    image.setPixel(1, 0, qRgb(0, 0, 0));
    image.setPixel(2, 0, qRgb(0, 255, 0));
    image.setPixel(3, 0, qRgba(0, 0, 255, 200));
    const QByteArray record = ArtCodec::encodeStatic(image);
    // Runs: (2,2) green and blue, then the end marker.
    QCOMPARE(record.mid(10), words({2, 2, 0x8000 | 31 << 5, 0x8000 | 31, 0, 0}));
    // Indexed images are converted first.
    QCOMPARE(
        ArtCodec::decodeStatic(ArtCodec::encodeStatic(image.convertToFormat(QImage::Format_RGB16)), false)
            .pixel(2, 0),
        qRgb(0, 248, 0));
}

void TestCodec::staticTransparency()
{
    // A drawing on a transparent background whose colour values are white, as image
    // editors save them: the background stays transparent, the drawing opaque.
    QImage image(6, 4, QImage::Format_ARGB32);
    image.fill(qRgba(255, 255, 255, 0));
    image.setPixel(1, 1, qRgb(200, 0, 0));
    image.setPixel(2, 1, qRgba(0, 200, 0, 128));
    image.setPixel(3, 1, qRgba(0, 0, 200, 127));
    image.setPixel(4, 2, qRgba(255, 255, 255, 255));
    const QImage decoded = ArtCodec::decodeStatic(ArtCodec::encodeStatic(image), false);
    QCOMPARE(decoded.size(), image.size());
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 6; ++x) {
            const bool drawn = (y == 1 && (x == 1 || x == 2)) || (y == 2 && x == 4);
            QCOMPARE(qAlpha(decoded.pixel(x, y)), drawn ? 255 : 0);
        }
    }
    QCOMPARE(decoded.pixel(1, 1), qRgb(200, 0, 0));
    QCOMPARE(decoded.pixel(4, 2), qRgb(248, 248, 248));
    // The same drawing in a premultiplied image gives the same record.
    QCOMPARE(ArtCodec::encodeStatic(image.convertToFormat(QImage::Format_ARGB32_Premultiplied)),
        ArtCodec::encodeStatic(image));
    // Fully opaque images: every non-black pixel stored with bit 15.
    QImage opaque = patterned(5, 3, QImage::Format_RGB32);
    opaque.setPixel(0, 0, qRgb(1, 2, 3)); // the only black pixel of the pattern
    const QByteArray record = ArtCodec::encodeStatic(opaque);
    QCOMPARE(record.mid(8, 6), words({0, 9, 18}));
    QCOMPARE(record.mid(14, 4), words({0, 5}));
    for (int x = 0; x < 5; ++x)
        QCOMPARE(int(wordAt(record, 9 + x)), int(ArtCodec::toColor16(opaque.pixel(x, 0))));
}

void TestCodec::normalizeIsStable()
{
    QImage image(30, 20, QImage::Format_ARGB32);
    for (int x = 0; x < 30; ++x) {
        for (int y = 0; y < 20; ++y)
            image.setPixel(x, y, qRgba(x * 8, y * 12, (x * y) % 256, (x + y) % 3 ? 255 : 0));
    }
    const QImage once = ArtCodec::normalizeStatic(image);
    QCOMPARE(ArtCodec::normalizeStatic(once), once);
    const QImage terrain = ArtCodec::normalizeTerrain(image);
    QCOMPARE(ArtCodec::normalizeTerrain(terrain), terrain);
    QVERIFY(ArtCodec::normalizeStatic(QImage()).isNull());
    QVERIFY(ArtCodec::normalizeTerrain(QImage()).isNull());
}

void TestCodec::damagedStaticRecords_data()
{
    QTest::addColumn<QByteArray>("record");
    const QByteArray good = staticRecord(2, 1, {0, 0, 2, 0x7c00, 0x7c00, 0, 0});
    QTest::newRow("shorter than its header") << good.left(6);
    QTest::newRow("line table cut") << staticRecord(2, 3, {0});
    QTest::newRow("run header cut") << good.left(12);
    QTest::newRow("run data cut") << good.left(16);
    QTest::newRow("no end marker") << good.left(18);
    QTest::newRow("zero width") << staticRecord(0, 1, {0, 0, 0});
    QTest::newRow("negative height") << staticRecord(4, -3, {0, 0, 0});
    QTest::newRow("huge size") << staticRecord(32767, 32767, {0, 0, 0});
    QTest::newRow("line offset past the end") << staticRecord(2, 1, {500, 0, 0});
    QTest::newRow("line offset before the record") << staticRecord(2, 1, {-200, 0, 0});
    QTest::newRow("negative run length") << staticRecord(2, 1, {0, 5, -2, 0, 0});
    QTest::newRow("run length past the end") << staticRecord(2, 1, {0, 0, 30000, 1, 0, 0});
    QTest::newRow("negative x offset") << staticRecord(2, 1, {0, 1, 1, 0x7c00, -1, 1, 0x7c00, 0, 0});
    QTest::newRow("negative x offset ending the line") << staticRecord(2, 1, {0, -2, 2, 0x7c00, 0x7c00});
    QTest::newRow("run starting at the width") << staticRecord(2, 1, {0, 2, 1, 0x7c00, 0, 0});
    QTest::newRow("gap to the width") << staticRecord(2, 1, {0, 0, 2, 0x7c00, 0x7c00, 1, 0, 0, 0});
    QTest::newRow("gap past the width") << staticRecord(2, 1, {0, 30000, 0, 0, 0});
    QTest::newRow("width beyond the maximum") << staticRecord(MaxStaticSide + 1, 1, {0, 0, 0});
    QTest::newRow("height beyond the maximum") << QByteArray(4, '\0') + words({1, MaxStaticSide + 1})
            + QByteArray(2 * (MaxStaticSide + 1), '\0') + words({0, 0});
    QByteArray tall = QByteArray(4, '\0') + words({4, 32767}) + QByteArray(2 * 32767, '\0');
    QTest::newRow("tall, every line one run list") << tall + words({1, 3, 1, 2, 3, 0, 0});
}

void TestCodec::damagedStaticRecords()
{
    QFETCH(QByteArray, record);
    const GuardedBytes guarded(record);
    QVERIFY(ArtCodec::decodeStatic(guarded.view(), false).isNull());
    QVERIFY(ArtCodec::decodeStatic(guarded.view(), true).isNull());
    QCOMPARE(ArtCodec::staticRecordExtent(guarded.view()), qint64(-1));
}

void TestCodec::staticExtent_data()
{
    QTest::addColumn<QByteArray>("record");
    QTest::addColumn<int>("extent");
    // Header 8 + table 2 * height, then each line's runs (4 + 2 * length) and end marker (4).
    QTest::newRow("one run") << staticRecord(2, 1, {0, 0, 2, 0x7c00, 0x7c00, 0, 0}) << 8 + 2 + 8 + 4;
    QTest::newRow("trailing bytes ignored")
        << staticRecord(2, 1, {0, 0, 2, 0x7c00, 0x7c00, 0, 0, 7, 7, 7}) << 8 + 2 + 8 + 4;
    QTest::newRow("empty lines") << staticRecord(3, 2, {0, 2, 0, 0, 0, 0}) << 8 + 4 + 4 + 4;
    // Line 0 is stored after line 1: the record ends with line 0's end marker.
    QTest::newRow("lines out of order")
        << staticRecord(2, 2, {5, 0, 1, 1, 0x7c00, 0, 0, 0, 0, 9}) << 8 + 4 + 10 + 4;
    QTest::newRow("lines sharing runs") << staticRecord(2, 3, {0, 0, 0, 0, 1, 0x7c00, 0, 0}) << 8 + 6 + 6 + 4;
    // A run past the width is read whole, and so is its end marker.
    QTest::newRow("run past the width")
        << staticRecord(2, 1, {0, 1, 3, 0x7c00, 0x7c00, 0x7c00, 0, 0}) << 8 + 2 + 10 + 4;
    QTest::newRow("unused words between lines")
        << staticRecord(1, 2, {0, 4, 0, 0, 5, 5, 0, 0}) << 8 + 4 + 4 + 4 + 4;
    QTest::newRow("largest, every line one run list") << sharedRunsRecord() << sharedRunsRecord().size();
}

void TestCodec::staticExtent()
{
    QFETCH(QByteArray, record);
    QFETCH(int, extent);
    const GuardedBytes guarded(record);
    QCOMPARE(ArtCodec::staticRecordExtent(guarded.view()), qint64(extent));
    const QImage whole = ArtCodec::decodeStatic(guarded.view(), false);
    QVERIFY(!whole.isNull());
    // The record's own bytes decode to the same image.
    const GuardedBytes exact(record.left(extent));
    QCOMPARE(ArtCodec::decodeStatic(exact.view(), false), whole);
    QCOMPARE(ArtCodec::staticRecordExtent(exact.view()), qint64(extent));
}

void TestCodec::everyShorterPrefixIsRefused()
{
    // Cut anywhere before its end, a record is refused even though its remaining bytes
    // follow in memory: the decoder reads nothing past the view it is given.
    QImage image = patterned(9, 6, QImage::Format_ARGB32);
    image.setPixel(4, 2, qRgb(0, 0, 0)); // a gap
    const QByteArray record = ArtCodec::encodeStatic(image);
    QCOMPARE(ArtCodec::staticRecordExtent(record), qint64(record.size()));
    const QImage whole = ArtCodec::decodeStatic(record, false);
    QVERIFY(!whole.isNull());
    for (int length = 0; length < record.size(); ++length) {
        const QByteArrayView prefix(record.constData(), length);
        QVERIFY2(ArtCodec::decodeStatic(prefix, false).isNull(), qPrintable(QString::number(length)));
        QVERIFY2(ArtCodec::decodeStatic(prefix, true).isNull(), qPrintable(QString::number(length)));
        QCOMPARE(ArtCodec::staticRecordExtent(prefix), qint64(-1));
        const GuardedBytes guarded(record.left(length));
        QVERIFY(ArtCodec::decodeStatic(guarded.view(), false).isNull());
    }
    const GuardedBytes exact(record);
    QCOMPARE(ArtCodec::decodeStatic(exact.view(), false), whole);
    QCOMPARE(ArtCodec::decodeStatic(exact.view(), true).size(), whole.size());

    QByteArray terrain(TerrainRecordSize, '\x11');
    QVERIFY(
        ArtCodec::decodeTerrain(QByteArrayView(terrain.constData(), TerrainRecordSize - 1), false).isNull());
    const GuardedBytes guardedTerrain(terrain);
    QVERIFY(!ArtCodec::decodeTerrain(guardedTerrain.view(), false).isNull());
    QVERIFY(!ArtCodec::decodeTerrain(guardedTerrain.view(), true).isNull());
}

void TestCodec::terrainExtent()
{
    const QByteArray record(TerrainRecordSize + 10, '\0');
    QCOMPARE(ArtCodec::terrainRecordExtent(record), qint64(TerrainRecordSize));
    QCOMPARE(ArtCodec::terrainRecordExtent(record.left(TerrainRecordSize)), qint64(TerrainRecordSize));
    QCOMPARE(ArtCodec::terrainRecordExtent(record.left(TerrainRecordSize - 1)), qint64(-1));
}

void TestCodec::sharedRunListsStayWithinTheArea()
{
    // The largest image whose every line walks the longest run list a line can hold:
    // one header per pixel, decoded in time proportional to the area (bench_codec
    // measures it). Every pixel is a gap, so the image is fully transparent.
    const QByteArray record = sharedRunsRecord();
    const QImage image = ArtCodec::decodeStatic(record, false);
    QCOMPARE(image.size(), QSize(MaxStaticSide, MaxStaticSide));
    QCOMPARE(image.pixel(MaxStaticSide - 1, MaxStaticSide - 1), 0u);
    // One more gap would start at the width.
    QByteArray over = record.left(record.size() - 4) + words({1, 0, 0, 0});
    QVERIFY(ArtCodec::decodeStatic(over, false).isNull());
}

void TestCodec::unexpressibleStaticsAreRefused()
{
    QString error;
    QVERIFY(ArtCodec::encodeStatic(QImage(), &error).isEmpty());
    QVERIFY(!error.isEmpty());
    error.clear();
    QImage tooWide(40000, 1, QImage::Format_ARGB32);
    tooWide.fill(Qt::red);
    QVERIFY(ArtCodec::encodeStatic(tooWide, &error).isEmpty());
    QVERIFY(error.contains(QLatin1String("40000")));
    // Each side at most 1024 pixels, whatever the content.
    for (const QSize size : {QSize(1025, 1), QSize(1, 1025)}) {
        error.clear();
        QImage blank(size, QImage::Format_ARGB32);
        blank.fill(0);
        QVERIFY(ArtCodec::encodeStatic(blank, &error).isEmpty());
        QVERIFY2(error.contains(QLatin1String("1024")), qPrintable(error));
    }
    QImage largest(1024, 1024, QImage::Format_ARGB32);
    largest.fill(0);
    QCOMPARE(ArtCodec::decodeStatic(ArtCodec::encodeStatic(largest), false).size(), QSize(1024, 1024));
    // Enough visible pixels that a later line's offset passes 32767 words.
    QImage dense(300, 200, QImage::Format_ARGB32);
    dense.fill(Qt::red);
    error.clear();
    QVERIFY(ArtCodec::encodeStatic(dense, &error).isEmpty());
    QVERIFY(!error.isEmpty());
    QVERIFY(ArtCodec::normalizeStatic(dense).isNull());
}

QTEST_APPLESS_MAIN(TestCodec)
#include "test_codec.moc"
