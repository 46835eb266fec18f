#pragma once

#include "io/TileKind.h"

#include <QString>

// Parses a tile id written in decimal or as 0x-hex and checks it against [0, limit),
// and the kind written before it.
namespace TileId {

int parse(const QString &text, int limit, const QString &what);
// "terrain" or "land" (tiledata.mul's word) for terrain, "static" for statics.
TileKind parseKind(const QString &word);

} // namespace TileId
