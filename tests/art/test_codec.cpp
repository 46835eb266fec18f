// The art codec: colour conversion, record layout, encode rules and damaged records.

#include "art/ArtCodec.h"
#include "art/ArtFormat.h"

#include <QtEndian>
#include <QtTest>

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
    void staticRunsAndGaps();
    void staticEncodeRules();
    void normalizeIsStable();
    void damagedStaticRecords_data();
    void damagedStaticRecords();
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
    // A run past the width sets only the pixels inside; a negative x offset moves left.
    const QByteArray wide = staticRecord(2, 1, {0, 1, 3, 0x7c00, 0x7c00, 0x7c00, 0, 0});
    QCOMPARE(ArtCodec::decodeStatic(wide, false).pixel(1, 0), qRgb(248, 0, 0));
    const QByteArray left = staticRecord(2, 1, {0, -1, 2, 0x7c00, 0x03e0, 0, 0});
    QCOMPARE(ArtCodec::decodeStatic(left, false).pixel(0, 0), qRgb(0, 248, 0));
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
    // Opaque black is transparent; a fully transparent red pixel is stored as visible.
    QImage image(3, 1, QImage::Format_ARGB32);
    image.setPixel(0, 0, qRgba(255, 0, 0, 0));
    image.setPixel(1, 0, qRgb(0, 0, 0));
    image.setPixel(2, 0, qRgb(0, 255, 0));
    const QByteArray record = ArtCodec::encodeStatic(image);
    // Runs: (0,1) red without bit 15, then (1,1) green, then the end marker.
    QCOMPARE(record.mid(10), words({0, 1, 31 << 10, 1, 1, 0x8000 | 31 << 5, 0, 0}));
    // Indexed images are converted first.
    QCOMPARE(
        ArtCodec::decodeStatic(ArtCodec::encodeStatic(image.convertToFormat(QImage::Format_RGB16)), false)
            .pixel(2, 0),
        qRgb(0, 248, 0));
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
}

void TestCodec::damagedStaticRecords()
{
    QFETCH(QByteArray, record);
    QVERIFY(ArtCodec::decodeStatic(record, false).isNull());
    QVERIFY(ArtCodec::decodeStatic(record, true).isNull());
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
