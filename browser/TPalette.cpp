#include "browser/TPalette.h"

#include "art/ArtWork.h"
#include "tiledata/TileData.h"

TPalette::TPalette(ArtWork *artWork, TileData *tileData, QWidget *parent, Qt::WindowFlags flags)
    : TilePalette(artWork, tileData, parent, flags)
{ }
