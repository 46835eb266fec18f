#include "browser/TPalette.h"

#include "art/ArtWork.h"

TPalette::TPalette(
    ArtWork *artWork, TileData *tileData, AnimDataFile *animData, QWidget *parent, Qt::WindowFlags flags)
    : TilePalette(artWork, tileData, animData, parent, flags)
{ }

QImage TPalette::image(int id, bool highlighted) const
{
    return artWork->getTerrain(id, highlighted);
}

QSize TPalette::selectionSize(int) const
{
    return QSize(ArtFormat::TerrainSize, ArtFormat::TerrainSize);
}
