#pragma once

#include "tiledata/AnimDataEntry.h"
#include "tiledata/LandTileRecord.h"
#include "tiledata/StaticTileRecord.h"

#include <QJsonObject>

// Tile-data records and animation entries as JSON, keyed by their field names.
namespace TileJson {

QJsonObject land(int id, const LandTileRecord &record);
QJsonObject statics(int id, const StaticTileRecord &record);
QJsonObject animation(int id, const AnimDataEntry &entry);
// The object as indented JSON text. `flags` is written as the unsigned 64-bit value it
// is, also with bit 63 set (which a JSON value of Qt holds as a negative integer).
QByteArray toText(const QJsonObject &object);

} // namespace TileJson
