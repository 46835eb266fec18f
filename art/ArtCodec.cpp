#include "art/ArtCodec.h"

#include "art/ArtFormat.h"

#include <QVector>
#include <QtEndian>
#include <array>
#include <cmath>
#include <cstring>
#ifdef __SSE2__
#include <emmintrin.h>
#endif

using namespace ArtFormat;

namespace {

constexpr int FixedPointShift = 16;
constexpr qint64 FixedPointOne = qint64(1) << FixedPointShift;
constexpr QRgb AlphaMask = 0xff000000u;
// What terrain stores for a pixel without a colour to show: black, the format's
// "nothing" colour (a terrain tile shows every stored word, so it shows black).
constexpr quint16 TerrainTransparentWord = 0;

quint16 wordAt(const char *p)
{
    return qFromLittleEndian<quint16>(p);
}

qint16 int16At(const char *p)
{
    return qFromLittleEndian<qint16>(p);
}

void appendInt16(QByteArray &out, qint16 value)
{
    const qint16 le = qToLittleEndian(value);
    out.append(reinterpret_cast<const char *>(&le), sizeof le);
}

void putInt16(QByteArray &out, qsizetype position, qint16 value)
{
    qToLittleEndian(value, out.data() + position);
}

#if defined(__SSE2__) && Q_BYTE_ORDER == Q_LITTLE_ENDIAN
// Eight little-endian words to eight opaque pixels.
inline void convertEight(const char *words, QRgb *out)
{
    const __m128i mask = _mm_set1_epi16(0xf8);
    const __m128i w = _mm_loadu_si128(reinterpret_cast<const __m128i *>(words));
    const __m128i red = _mm_and_si128(_mm_srli_epi16(w, 7), mask);
    const __m128i green = _mm_and_si128(_mm_srli_epi16(w, 2), mask);
    const __m128i blue = _mm_and_si128(_mm_slli_epi16(w, 3), mask);
    const __m128i low = _mm_or_si128(_mm_slli_epi16(green, 8), blue); // GGBB
    const __m128i high = _mm_or_si128(_mm_set1_epi16(short(0xff00)), red); // AARR
    _mm_storeu_si128(reinterpret_cast<__m128i *>(out), _mm_unpacklo_epi16(low, high));
    _mm_storeu_si128(reinterpret_cast<__m128i *>(out + 4), _mm_unpackhi_epi16(low, high));
}
#endif

// count little-endian words to opaque pixels, eight at a time where the CPU allows;
// a run of eight or more ends with an overlapping group instead of single pixels.
void convertWords(const char *words, QRgb *out, int count)
{
#if defined(__SSE2__) && Q_BYTE_ORDER == Q_LITTLE_ENDIAN
    if (count >= 8) {
        int i = 0;
        for (; i + 8 <= count; i += 8)
            convertEight(words + 2 * i, out + i);
        if (i < count)
            convertEight(words + 2 * (count - 8), out + count - 8);
        return;
    }
#endif
    for (int i = 0; i < count; ++i)
        out[i] = ArtCodec::fromColor16(wordAt(words + 2 * i));
}

// The sizes of a static record, checked against the record and MaxStaticSide.
struct StaticShape
{
    int width = 0;
    int height = 0;
    qint64 dataStart = 0;
};

bool readStaticShape(QByteArrayView record, StaticShape *shape)
{
    if (record.size() < StaticLineTableOffset)
        return false;
    shape->width = int16At(record.data() + StaticHeaderSize);
    shape->height = int16At(record.data() + StaticHeaderSize + 2);
    shape->dataStart = StaticLineTableOffset + 2 * qint64(shape->height);
    return shape->width > 0 && shape->width <= MaxStaticSide && shape->height > 0
        && shape->height <= MaxStaticSide && shape->dataStart <= record.size();
}

// Reads line y's runs, handing draw(x, words, count) the part of each run inside the
// image, and returns the offset just past the line's end marker, or -1 for damage.
// Every run starts left of the width and moves x on by at least one pixel, so a line
// costs at most width + 1 run headers however its runs are laid out or shared.
template <typename Draw>
qint64 walkStaticLine(QByteArrayView record, const StaticShape &shape, int y, Draw &&draw)
{
    const char *base = record.data();
    const qsizetype size = record.size();
    const int lineOffset = int16At(base + StaticLineTableOffset + 2 * y);
    if (lineOffset < 0)
        return -1;
    qint64 pos = shape.dataStart + 2 * qint64(lineOffset);
    int x = 0;
    for (;;) {
        if (pos + StaticRunHeaderSize > size)
            return -1;
        const int xOffset = int16At(base + pos);
        const int runLength = int16At(base + pos + 2);
        pos += StaticRunHeaderSize;
        if (xOffset == 0 && runLength == 0)
            return pos;
        if (xOffset < 0 || runLength < 0 || x + xOffset >= shape.width)
            return -1;
        if (pos + 2 * qint64(runLength) > size)
            return -1;
        x += xOffset;
        draw(x, base + pos, qMin(runLength, shape.width - x));
        x += runLength;
        pos += 2 * qint64(runLength);
    }
}

QImage toArgb32(const QImage &image)
{
    if (image.format() == QImage::Format_ARGB32 || image.format() == QImage::Format_RGB32)
        return image;
    return image.convertToFormat(QImage::Format_ARGB32);
}

bool isOpaque(QRgb pixel)
{
    return qAlpha(pixel) >= ArtCodec::MinOpaqueAlpha;
}

// Whether a static stores the pixel in a run: black is the format's transparent colour.
bool visible(QRgb pixel)
{
    return isOpaque(pixel) && (ArtCodec::toColor16(pixel) & ColorMask) != 0;
}

// The size QSize::scaled gives for covering TerrainSize x TerrainSize with
// KeepAspectRatioByExpanding, in 64 bits so that no side overflows.
struct CoverSize
{
    qint64 width;
    qint64 height;
};

CoverSize coverSize(qint64 width, qint64 height)
{
    const qint64 scaledWidth = TerrainSize * width / height;
    if (scaledWidth >= TerrainSize)
        return {scaledWidth, TerrainSize};
    return {TerrainSize, TerrainSize * height / width};
}

// The source pixel that QImage's FastTransformation scaling (the raster engine's
// nearest-neighbour scaler) shows at target pixel i when size pixels become scaled:
// 16.16 fixed point, stepping size / scaled from just below the first pixel's centre.
int nearestSource(int i, qint64 size, qint64 scaled)
{
    const double ratio = double(size) / double(scaled);
    const qint64 step = qint64(ratio * FixedPointOne);
    const qint64 first = qint64(std::ceil(0.5 * ratio * FixedPointOne)) - 1;
    return int(qMin((first + i * step) >> FixedPointShift, size - 1));
}

// The top-left TerrainSize x TerrainSize of source scaled to cover that square, in the
// source's format, built from the source pixels that land there and nothing else.
QImage coveringWindow(const QImage &source)
{
    if (source.width() == TerrainSize && source.height() == TerrainSize)
        return source;
    const CoverSize scaled = coverSize(source.width(), source.height());
    std::array<int, TerrainSize> columns;
    std::array<int, TerrainSize> rows;
    for (int i = 0; i < TerrainSize; ++i) {
        columns[i] = nearestSource(i, source.width(), scaled.width);
        rows[i] = nearestSource(i, source.height(), scaled.height);
    }
    QImage window(TerrainSize, TerrainSize, source.format());
    if (window.isNull())
        return {};
    if (source.colorCount() > 0)
        window.setColorTable(source.colorTable());
    if (source.depth() % 8 != 0) { // one bit a pixel
        for (int y = 0; y < TerrainSize; ++y) {
            for (int x = 0; x < TerrainSize; ++x)
                window.setPixel(x, y, source.pixelIndex(columns[x], rows[y]));
        }
        return window;
    }
    const int bytes = source.depth() / 8;
    for (int y = 0; y < TerrainSize; ++y) {
        const uchar *from = source.constScanLine(rows[y]);
        uchar *to = window.scanLine(y);
        for (int x = 0; x < TerrainSize; ++x)
            std::memcpy(to + x * bytes, from + qsizetype(columns[x]) * bytes, size_t(bytes));
    }
    return window;
}

} // namespace

const ArtCodec::HueTable &ArtCodec::highlightHue()
{
    static const HueTable table = {0x18C0, 0x18C0, 0x1CE0, 0x2100, 0x2520, 0x2521, 0x2941, 0x2D61, 0x3181,
        0x3181, 0x35A2, 0x39C2, 0x3DE2, 0x3DE2, 0x4203, 0x4623, 0x4A43, 0x4A43, 0x4E63, 0x5284, 0x56A4,
        0x56A4, 0x5AC4, 0x5EE5, 0x6305, 0x6305, 0x6725, 0x6B45, 0x6F66, 0x6F66, 0x7386, 0x77A6};
    return table;
}

quint16 ArtCodec::toColor16(QRgb pixel)
{
    const auto component = [](int c) {
        int v = (c >> 3) + ((c & 7) >= 4 ? 1 : 0);
        v = qMin(v, 31);
        if (v == 0 && c != 0)
            v = 1;
        return quint16(v);
    };
    const quint16 opaque = qAlpha(pixel) >= MinOpaqueAlpha ? OpaqueBit : 0;
    return opaque | component(qRed(pixel)) << 10 | component(qGreen(pixel)) << 5 | component(qBlue(pixel));
}

QImage ArtCodec::decodeTerrain(QByteArrayView record)
{
    if (record.size() < TerrainRecordSize)
        return {};
    QImage image(TerrainSize, TerrainSize, QImage::Format_ARGB32);
    if (image.isNull())
        return {};

    // Each row: the transparent margins either side of the diamond, then its pixels.
    const qsizetype stride = image.bytesPerLine();
    uchar *bits = image.bits();
    const char *words = record.data();
    for (int y = 0; y < TerrainSize; ++y) {
        const int start = terrainRowStart(y);
        const int count = terrainRowLength(y);
        QRgb *line = reinterpret_cast<QRgb *>(bits + y * stride);
        for (int x = 0; x < start; ++x) {
            line[x] = 0;
            line[TerrainSize - 1 - x] = 0;
        }
        convertWords(words, line + start, count);
        words += 2 * count;
    }
    return image;
}

QImage ArtCodec::decodeStatic(QByteArrayView record)
{
    StaticShape shape;
    if (!readStaticShape(record, &shape))
        return {};
    QImage image(shape.width, shape.height, QImage::Format_ARGB32);
    if (image.isNull())
        return {};
    image.fill(0);
    for (int y = 0; y < shape.height; ++y) {
        QRgb *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        const auto draw = [&](int x, const char *words, int count) { convertWords(words, line + x, count); };
        if (walkStaticLine(record, shape, y, draw) < 0)
            return {};
    }
    return image;
}

qint64 ArtCodec::terrainRecordExtent(QByteArrayView record)
{
    return record.size() >= TerrainRecordSize ? TerrainRecordSize : -1;
}

qint64 ArtCodec::staticRecordExtent(QByteArrayView record)
{
    StaticShape shape;
    if (!readStaticShape(record, &shape))
        return -1;
    qint64 extent = shape.dataStart;
    for (int y = 0; y < shape.height; ++y) {
        const qint64 lineEnd = walkStaticLine(record, shape, y, [](int, const char *, int) {});
        if (lineEnd < 0)
            return -1;
        extent = qMax(extent, lineEnd);
    }
    return extent;
}

QByteArray ArtCodec::encodeTerrain(const QImage &source)
{
    if (source.isNull())
        return {};
    const QImage image = toArgb32(coveringWindow(source));
    if (image.isNull())
        return {};
    const QRgb forcedAlpha = image.hasAlphaChannel() ? 0 : AlphaMask;

    QByteArray out;
    out.reserve(TerrainRecordSize);
    for (int y = 0; y < TerrainSize; ++y) {
        const QRgb *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        const int start = terrainRowStart(y);
        for (int x = start; x < start + terrainRowLength(y); ++x) {
            const QRgb pixel = line[x] | forcedAlpha;
            appendInt16(out, qint16(isOpaque(pixel) ? toColor16(pixel) : TerrainTransparentWord));
        }
    }
    return out;
}

QByteArray ArtCodec::encodeStatic(const QImage &source, QString *error)
{
    const auto fail = [error](const QString &why) {
        if (error)
            *error = why;
        return QByteArray();
    };
    if (source.isNull())
        return fail(QStringLiteral("There is no image to store."));
    const int width = source.width();
    const int height = source.height();
    if (width > MaxStaticSide || height > MaxStaticSide)
        return fail(QStringLiteral("The image is %1 x %2 pixels; a static tile is at most %3 x %3.")
                        .arg(width)
                        .arg(height)
                        .arg(MaxStaticSide));

    const QImage image = toArgb32(source);
    const QRgb forcedAlpha = image.hasAlphaChannel() ? 0 : AlphaMask;
    QByteArray out;
    out.reserve(StaticLineTableOffset + 2 * height + 4 * height);
    out.append(StaticLineTableOffset + 2 * qsizetype(height), '\0'); // header 0, size, line table
    putInt16(out, StaticHeaderSize, qint16(width));
    putInt16(out, StaticHeaderSize + 2, qint16(height));
    const qsizetype dataStart = StaticLineTableOffset + 2 * qsizetype(height);

    QVector<QRgb> line(width);
    for (int y = 0; y < height; ++y) {
        const qsizetype lineOffset = (out.size() - dataStart) / 2;
        if (lineOffset > MaxStaticWordOffset)
            return fail(
                QStringLiteral("The image holds too many pixels for a tile: line %1 cannot be addressed.")
                    .arg(y));
        putInt16(out, StaticLineTableOffset + 2 * y, qint16(lineOffset));
        const QRgb *pixels = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        for (int x = 0; x < width; ++x)
            line[x] = pixels[x] | forcedAlpha;
        int x = 0;
        int previousEnd = 0;
        for (;;) {
            while (x < width && !visible(line[x]))
                ++x;
            if (x >= width)
                break;
            int end = x;
            while (end < width && visible(line[end]))
                ++end;
            appendInt16(out, qint16(x - previousEnd));
            appendInt16(out, qint16(end - x));
            for (int px = x; px < end; ++px)
                appendInt16(out, qint16(toColor16(line[px])));
            previousEnd = end;
            x = end;
        }
        appendInt16(out, 0);
        appendInt16(out, 0);
    }
    return out;
}
