#pragma once

#include "browser/PalettePage.h"

class ArtWork;
class TPalette;
class TileData;

// The "Terrain" page: the terrain palette and its scroll bar.
class TWidget : public PalettePage
{
    Q_OBJECT

public:
    TWidget(ArtWork *artWork, TileData *tileData, QWidget *parent = nullptr, Qt::WindowFlags flags = {});

    TPalette *terrainPalette() const;
};
