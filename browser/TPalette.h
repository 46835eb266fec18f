#pragma once

#include "browser/TilePalette.h"

// The terrain palette: ids 0 to 16383; every terrain image is 44 x 44.
class TPalette : public TilePalette
{
    Q_OBJECT

public:
    TPalette(ArtWork *artWork, TileData *tileData, QWidget *parent = nullptr, Qt::WindowFlags flags = {});

    int tileCount() const override { return ArtFormat::TerrainCount; }
    TileKind kind() const override { return TileKind::Terrain; }

protected:
};
