#include "browser/TPalette.h"

#include "art/ArtWork.h"
#include "tiledata/TileData.h"

TPalette::TPalette(ArtWork *artWork, TileData *tileData, QWidget *parent, Qt::WindowFlags flags)
    : TilePalette(artWork, tileData, parent, flags)
{ }

bool TPalette::hasPendingEdit(int id) const
{
    // Land records are keyed by their id.
    return artWork->pendingTerrain().contains(id) || tileData->pendingRecords().contains(id);
}
