#pragma once

#include "browser/PalettePage.h"

class ArtWork;
class SPalette;
class TileData;

// The "Statics" page: the static palette and its scroll bar.
class SWidget : public PalettePage
{
    Q_OBJECT

public:
    SWidget(ArtWork *artWork, TileData *tileData, QWidget *parent = nullptr, Qt::WindowFlags flags = {});

    SPalette *staticPalette() const;
};
