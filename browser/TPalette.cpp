#include "browser/TPalette.h"

#include "art/ArtWork.h"

TPalette::TPalette(ArtWork *artWork, TileData *tileData, QWidget *parent, Qt::WindowFlags flags)
    : TilePalette(artWork, tileData, parent, flags)
{ }

QImage TPalette::image(int id, bool highlighted) const
{
    return artWork->getTerrain(id, highlighted);
}

QSize TPalette::selectionSize(int) const
{
    return QSize(ArtFormat::TerrainSize, ArtFormat::TerrainSize);
}

bool TPalette::storeImage(int id, const QImage &image, QString *error)
{
    return artWork->setTerrain(id, image, error);
}

QString TPalette::tileName(int id) const
{
    return QStringLiteral("terrain tile %1").arg(id);
}
