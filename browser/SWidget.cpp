#include "browser/SWidget.h"

#include "app/MyBar.h"
#include "browser/SPalette.h"

SWidget::SWidget(MyBar *bar, ArtWork *artWork, AnimDataFile *animData, TileData *tileData, QWidget *parent,
    Qt::WindowFlags flags)
    : PalettePage(parent, flags)
{
    setUp(new SPalette(artWork, tileData, animData, this), bar, &MyBar::updateSId);
}

SPalette *SWidget::staticPalette() const
{
    return static_cast<SPalette *>(tilePalette());
}
