#include "browser/TWidget.h"

#include "browser/TPalette.h"

TWidget::TWidget(ArtWork *artWork, TileData *tileData, QWidget *parent, Qt::WindowFlags flags)
    : PalettePage(parent, flags)
{
    setUp(new TPalette(artWork, tileData, this));
}

TPalette *TWidget::terrainPalette() const
{
    return static_cast<TPalette *>(tilePalette());
}
