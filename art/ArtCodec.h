#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QImage>
#include <QString>
#include <array>

// Conversion between art.mul records and ARGB32 images. Every decoder checks each
// offset against the record it is given and yields a null image for damaged data.
class ArtCodec
{
public:
    using HueTable = std::array<quint16, 32>;
    static const HueTable &highlightHue();

    static quint16 toColor16(QRgb pixel);
    // Each 5-bit component scales by a plain shift (31 -> 248); bit 15 is ignored and a
    // zero word comes out as opaque black like any other. Inline: it runs per pixel.
    static constexpr QRgb fromColor16(quint16 color)
    {
        return 0xff000000u | ((color >> 7) & 0xf8u) << 16 | ((color >> 2) & 0xf8u) << 8
            | ((color << 3) & 0xf8u);
    }

    // record: at least TerrainRecordSize bytes, else the result is null.
    static QImage decodeTerrain(QByteArrayView record, bool highlighted);
    // record: a whole static record, starting with its 4-byte header.
    static QImage decodeStatic(QByteArrayView record, bool highlighted);

    static QByteArray encodeTerrain(const QImage &image);
    // Empty result (and *error set) when the image cannot be expressed as a static
    // record: a null image, a dimension or a line offset beyond the int16 range.
    static QByteArray encodeStatic(const QImage &image, QString *error = nullptr);

    // The image as storing it would give it back; a null image is returned unchanged.
    static QImage normalizeTerrain(const QImage &image);
    static QImage normalizeStatic(const QImage &image);
};
