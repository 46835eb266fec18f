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

} // namespace TileJson
