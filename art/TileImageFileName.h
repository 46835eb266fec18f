#pragma once

#include "io/TileKind.h"

#include <QString>

// The names of tile image files: the name an export gives a tile's image, and the tile a
// file to import names. One function names exported files for the window and the command
// line alike, so that what one writes the other reads back.
class TileImageFileName
{
public:
    // What a file name names: a tile, or, when refusal is not empty, why it names none.
    struct Parsed
    {
        TileKind kind = TileKind::Terrain;
        int id = -1;
        QString refusal;
        bool isValid() const { return refusal.isEmpty(); }
    };

    // "terrain-0x0010.png", "static-0x01f3.png": the kind's word, the id in lower-case
    // hexadecimal of at least four digits, PNG.
    static QString exportName(TileKind kind, int id);

    // The tile a file name names. Accepted, in any case: the name up to its last dot (the
    // extension does not matter; the contents tell the format) is a kind, "terrain",
    // "land" or "static", then at most one separator, "-", "_" or a space, then the id,
    // decimal or hexadecimal after "0x": "static-0x01f3.png" (as exported),
    // "static_0x1F3.png", "static-499.png", "land 12.png", "terrain7.bmp". An id past the
    // kind's ids (terrain 0 to 0x3FFF, static 0 to 0xFFFF) is refused as out of range.
    static Parsed parse(const QString &fileName);
};
