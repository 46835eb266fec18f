#include "browser/SPalette.h"

#include "art/ArtWork.h"
#include "tiledata/TileData.h"

SPalette::SPalette(ArtWork *artWork, TileData *tileData, QWidget *parent, Qt::WindowFlags flags)
    : TilePalette(artWork, tileData, parent, flags),
      staticCount(qMax(tileData->count(TileKind::Static), artWork->staticSlotCount()))
{ }
