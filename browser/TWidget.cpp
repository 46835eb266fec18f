#include "browser/TWidget.h"

#include "app/MyBar.h"
#include "browser/TPalette.h"

TWidget::TWidget(MyBar *bar, ArtWork *artWork, AnimDataFile *animData, TileData *tileData, QWidget *parent,
    Qt::WindowFlags flags)
    : PalettePage(parent, flags)
{
    setUp(new TPalette(artWork, tileData, animData, this), bar, &MyBar::updateTId);
}

TPalette *TWidget::terrainPalette() const
{
    return static_cast<TPalette *>(tilePalette());
}
