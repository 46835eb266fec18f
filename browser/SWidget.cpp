#include "browser/SWidget.h"

#include "browser/SPalette.h"

SWidget::SWidget(ArtWork *artWork, TileData *tileData, QWidget *parent, Qt::WindowFlags flags)
    : PalettePage(parent, flags)
{
    setUp(new SPalette(artWork, tileData, this));
}

SPalette *SWidget::staticPalette() const
{
    return static_cast<SPalette *>(tilePalette());
}
