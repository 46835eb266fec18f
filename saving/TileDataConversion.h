#pragma once

#include "tiledata/TileDataLayout.h"

#include <QByteArray>
#include <QString>

class TileData;

// tiledata.mul from one layout to the other. Every block of the file is converted
// record by record: classic to high-seas widens the flags with zero upper bits,
// high-seas to classic narrows them; every other field, the bytes of names after their
// NUL and the block headers are copied unchanged. A file cut inside a block gets that
// block whole, the bytes it lacks zero.
namespace TileDataConversion {

// The file as tiles holds it (its pending edits merged in) in the target layout, into
// *output; in the layout it was read in, that is the merged file as it is. False, and
// *error saying why, when a record uses an upper flag and target is classic (naming
// the first such tile: land tiles first, then statics, by id) or a pending edit
// cannot be read.
bool convert(const TileData &tiles, TileDataLayout target, QByteArray *output, QString *error);

} // namespace TileDataConversion
