#pragma once

#include <QString>

// Parses a tile id written in decimal or as 0x-hex and checks it against [0, limit).
namespace TileId {

int parse(const QString &text, int limit, const QString &what);

} // namespace TileId
