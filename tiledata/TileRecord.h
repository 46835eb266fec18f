#pragma once

#include "tiledata/LandTileRecord.h"
#include "tiledata/StaticTileRecord.h"

#include <variant>

// The record of a tile of either kind, where one operation takes both.
using TileRecord = std::variant<LandTileRecord, StaticTileRecord>;
