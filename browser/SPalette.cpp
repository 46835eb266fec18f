#include "browser/SPalette.h"

#include "art/ArtWork.h"
#include "tiledata/TileData.h"

SPalette::SPalette(ArtWork *artWork, TileData *tileData, QWidget *parent, Qt::WindowFlags flags)
    : TilePalette(artWork, tileData, parent, flags),
      staticCount(qMax(tileData->staticCount(), artWork->staticSlotCount()))
{ }

QImage SPalette::image(int id, bool highlighted) const
{
    return artWork->getStatic(id, highlighted);
}

QSize SPalette::selectionSize(int id) const
{
    return artWork->getStatic(id, false).size();
}

QString SPalette::tileNameOf(int id) const
{
    return tileData->staticName(id);
}
