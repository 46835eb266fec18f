#include "art/ArtCodec.h"

#include "art/ArtFormat.h"

#include <QtEndian>
#include <cstring>
#ifdef __SSE2__
#include <emmintrin.h>
#endif

using namespace ArtFormat;

namespace {

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

// The colour a decoder shows for a stored word.
struct Palette
{
    explicit Palette(bool highlighted) : highlighted(highlighted)
    {
        for (int red = 0; red < 32; ++red)
            hue[red] = ArtCodec::fromColor16(ArtCodec::highlightHue()[red]);
    }
    QRgb operator()(quint16 word) const
    {
        return highlighted ? hue[(word >> 10) & 31] : ArtCodec::fromColor16(word);
    }
    bool highlighted;
    QRgb hue[32];
};

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

// Pixels of a static image run that fall inside the image.
void drawRun(QRgb *line, int width, qint64 x, const char *words, int count, const Palette &palette)
{
    const qint64 first = qMax<qint64>(x, 0);
    const qint64 last = qMin<qint64>(x + count, width);
    for (qint64 px = first; px < last; ++px)
        line[px] = palette(wordAt(words + 2 * (px - x)));
}

QImage toArgb32(const QImage &image)
{
    if (image.format() == QImage::Format_ARGB32 || image.format() == QImage::Format_RGB32)
        return image;
    return image.convertToFormat(QImage::Format_ARGB32);
}

bool visible(QRgb pixel)
{
    return (ArtCodec::toColor16(pixel) & ColorMask) != 0;
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
    const quint16 opaque = qAlpha(pixel) >= 128 ? OpaqueBit : 0;
    return opaque | component(qRed(pixel)) << 10 | component(qGreen(pixel)) << 5 | component(qBlue(pixel));
}

QImage ArtCodec::decodeTerrain(QByteArrayView record, bool highlighted)
{
    if (record.size() < TerrainRecordSize)
        return {};
    QImage image(TerrainSize, TerrainSize, QImage::Format_ARGB32);
    if (image.isNull())
        return {};

    // A transparent square, then the rows of the diamond converted in place.
    const qsizetype stride = image.bytesPerLine();
    uchar *bits = image.bits();
    std::memset(bits, 0, size_t(stride) * TerrainSize);
    const char *words = record.data();
    const Palette palette(highlighted);
    for (int y = 0; y < TerrainSize; ++y) {
        const int count = terrainRowLength(y);
        QRgb *pixels = reinterpret_cast<QRgb *>(bits + y * stride) + terrainRowStart(y);
        if (highlighted) {
            for (int i = 0; i < count; ++i)
                pixels[i] = palette(wordAt(words + 2 * i));
        } else {
            convertWords(words, pixels, count);
        }
        words += 2 * count;
    }
    return image;
}

QImage ArtCodec::decodeStatic(QByteArrayView record, bool highlighted)
{
    const qsizetype size = record.size();
    if (size < StaticLineTableOffset)
        return {};
    const char *base = record.data();
    const int width = int16At(base + StaticHeaderSize);
    const int height = int16At(base + StaticHeaderSize + 2);
    if (width <= 0 || height <= 0 || qint64(width) * height > MaxStaticPixels)
        return {};
    const qint64 dataStart = StaticLineTableOffset + 2 * qint64(height);
    if (dataStart > size)
        return {};

    QImage image(width, height, QImage::Format_ARGB32);
    if (image.isNull())
        return {};
    image.fill(0);
    const Palette palette(highlighted);
    for (int y = 0; y < height; ++y) {
        qint64 pos = dataStart + 2 * qint64(int16At(base + StaticLineTableOffset + 2 * y));
        if (pos < 0)
            return {};
        QRgb *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        qint64 x = 0;
        for (;;) {
            if (pos + 4 > size)
                return {};
            const int xOffset = int16At(base + pos);
            const int runLength = int16At(base + pos + 2);
            pos += 4;
            if (xOffset + runLength == 0)
                break;
            if (runLength < 0 || pos + 2 * qint64(runLength) > size)
                return {};
            x += xOffset;
            drawRun(line, width, x, base + pos, runLength, palette);
            x += runLength;
            pos += 2 * qint64(runLength);
        }
    }
    return image;
}

QByteArray ArtCodec::encodeTerrain(const QImage &source)
{
    QImage image = source.depth() == 32 ? source : source.convertToFormat(QImage::Format_ARGB32);
    if (image.width() != TerrainSize || image.height() != TerrainSize)
        image
            = image.scaled(TerrainSize, TerrainSize, Qt::KeepAspectRatioByExpanding, Qt::FastTransformation);
    image = toArgb32(image);

    QByteArray out;
    out.reserve(TerrainRecordSize);
    for (int y = 0; y < TerrainSize; ++y) {
        const QRgb *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        const int start = terrainRowStart(y);
        for (int x = start; x < start + terrainRowLength(y); ++x)
            appendInt16(out, qint16(toColor16(line[x])));
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
    if (width > 32767 || height > 32767 || qint64(width) * height > MaxStaticPixels)
        return fail(
            QStringLiteral("The image is %1 x %2 pixels, larger than a tile can be.").arg(width).arg(height));

    const QImage image = toArgb32(source);
    QByteArray out;
    out.reserve(StaticLineTableOffset + 2 * height + 4 * height);
    out.append(StaticLineTableOffset + 2 * qsizetype(height), '\0'); // header 0, size, line table
    putInt16(out, StaticHeaderSize, qint16(width));
    putInt16(out, StaticHeaderSize + 2, qint16(height));
    const qsizetype dataStart = StaticLineTableOffset + 2 * qsizetype(height);

    for (int y = 0; y < height; ++y) {
        const qsizetype lineOffset = (out.size() - dataStart) / 2;
        if (lineOffset > 32767)
            return fail(
                QStringLiteral("The image holds too many pixels for a tile: line %1 cannot be addressed.")
                    .arg(y));
        putInt16(out, StaticLineTableOffset + 2 * y, qint16(lineOffset));
        const QRgb *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
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

QImage ArtCodec::normalizeTerrain(const QImage &image)
{
    if (image.isNull())
        return image;
    return decodeTerrain(encodeTerrain(image), false);
}

QImage ArtCodec::normalizeStatic(const QImage &image)
{
    if (image.isNull())
        return image;
    return decodeStatic(encodeStatic(image), false);
}
