#include "browser/TPalette.h"

#include "art/ArtWork.h"
#include "tiledata/TileData.h"

TPalette::TPalette(ArtWork *artWork, TileData *tileData, QWidget *parent, Qt::WindowFlags flags)
    : TilePalette(artWork, tileData, parent, flags)
{ }

QImage TPalette::image(int id, bool highlighted) const
{
    return artWork->getTerrain(id, highlighted);
}

QSize TPalette::selectionSize(int id) const
{
    // 44 x 44; a tile without an image (deleted, or an empty slot) has no size.
    return artWork->getTerrain(id, false).size();
}

QString TPalette::tileNameOf(int id) const
{
    return tileData->landName(id);
}
