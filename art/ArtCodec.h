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
    // Pixels with less alpha are transparent: not stored in a static, black in terrain.
    static constexpr int MinOpaqueAlpha = 128;
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
    static QImage decodeTerrain(QByteArrayView record);
    // record: a whole static record, starting with its 4-byte header; bytes after it are
    // ignored. Null for damage: a side outside 1..MaxStaticSide, a negative line offset
    // or x offset, a negative run length, a run starting at or past the right edge (after
    // a run reaches it only the end marker may follow), or anything cut short. Time and
    // memory grow with the image's area, never with the record's size times it.
    static QImage decodeStatic(QByteArrayView record);

    // The bytes the record at the start of record spans: TerrainRecordSize for terrain;
    // for a static, up to and including the furthest byte decodeStatic reads (header,
    // line table, every line through its end marker). -1 when record does not start with
    // a complete record that decodes. For statics, barring a failed image allocation:
    // extent >= 0 exactly when decodeStatic is not null, and decoding record.first(extent)
    // gives the same image.
    static qint64 terrainRecordExtent(QByteArrayView record);
    static qint64 staticRecordExtent(QByteArrayView record);

    // Covers 44 x 44 keeping the aspect ratio, as QImage::scaled with
    // KeepAspectRatioByExpanding and FastTransformation would, and stores the top-left
    // 44 x 44, sampling only those pixels (any size works, even 1 x 1,000,000). Every
    // diamond pixel is stored; one with alpha below 128 has no colour to show and
    // becomes black, since terrain has no transparency.
    static QByteArray encodeTerrain(const QImage &image);
    // Pixels with alpha below 128 and black pixels are transparent (left out of the
    // runs). Empty result (and *error set) when the image cannot be expressed as a
    // static record: a null image, a side beyond MaxStaticSide, or so many visible
    // pixels that a line offset passes the int16 range.
    static QByteArray encodeStatic(const QImage &image, QString *error = nullptr);
};
