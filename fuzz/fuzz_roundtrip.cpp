// Encoding small images and decoding them again. Input: width and height bytes (1..255
// for terrain, which is scaled; folded into 1..64 for statics), then ARGB pixels, four
// bytes each, big-endian, missing ones transparent black. Statics keep every pixel
// with alpha from 128 on whose colour is not black, in its 15-bit colour, and nothing
// else; terrain keeps its 44 x 44 diamond; a second encode and decode changes nothing.

#include "FuzzSupport.h"
#include "art/ArtCodec.h"
#include "art/ArtFormat.h"

#include <QtEndian>

namespace {

constexpr size_t SizeBytes = 2;
constexpr int MaxStaticFuzzSide = 64;

int staticSide(int byte)
{
    return byte == 0 ? 1 : 1 + (byte - 1) % MaxStaticFuzzSide;
}

QImage imageOf(const uint8_t *data, size_t size, int width, int height)
{
    QImage image(width, height, QImage::Format_ARGB32);
    const size_t pixels = (size - SizeBytes) / 4;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const size_t index = size_t(y) * size_t(width) + size_t(x);
            image.setPixel(x, y, index < pixels ? qFromBigEndian<quint32>(data + SizeBytes + 4 * index) : 0u);
        }
    }
    return image;
}

bool stored(QRgb pixel)
{
    return qAlpha(pixel) >= ArtCodec::MinOpaqueAlpha
        && (ArtCodec::toColor16(pixel) & ArtFormat::ColorMask) != 0;
}

void staticRoundTrip(const QImage &source)
{
    QString error;
    const QByteArray record = ArtCodec::encodeStatic(source, &error);
    FUZZ_CHECK(!record.isEmpty()); // small images always fit
    FUZZ_CHECK(ArtCodec::staticRecordExtent(record) == record.size());
    const QImage decoded = ArtCodec::decodeStatic(record);
    FUZZ_CHECK(decoded.size() == source.size());
    for (int y = 0; y < source.height(); ++y) {
        for (int x = 0; x < source.width(); ++x) {
            const QRgb pixel = source.pixel(x, y);
            const QRgb expected = stored(pixel) ? ArtCodec::fromColor16(ArtCodec::toColor16(pixel)) : 0u;
            FUZZ_CHECK(decoded.pixel(x, y) == expected);
        }
    }
    FUZZ_CHECK(ArtCodec::encodeStatic(decoded) == record);
}

void terrainRoundTrip(const QImage &source)
{
    const QByteArray record = ArtCodec::encodeTerrain(source);
    FUZZ_CHECK(record.size() == ArtFormat::TerrainRecordSize);
    const QImage decoded = ArtCodec::decodeTerrain(record);
    FUZZ_CHECK(!decoded.isNull());
    FUZZ_CHECK(ArtCodec::decodeTerrain(ArtCodec::encodeTerrain(decoded)) == decoded);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < SizeBytes)
        return 0;
    const int width = data[0];
    const int height = data[1];
    if (width > 0 && height > 0)
        terrainRoundTrip(imageOf(data, size, width, height));
    staticRoundTrip(imageOf(data, size, staticSide(width), staticSide(height)));
    return 0;
}
