#pragma once

#include "browser/TilePalette.h"

// The static palette: every static id that the tile data or the art holds, each image
// placed by its size, and the selection reported with its image's real size.
class SPalette : public TilePalette
{
    Q_OBJECT

public:
    SPalette(ArtWork *artWork, TileData *tileData, QWidget *parent = nullptr, Qt::WindowFlags flags = {});

    int tileCount() const override { return staticCount; }
    TileKind kind() const override { return TileKind::Static; }

protected:

private:
    // Taken once: the more of tiledata.mul's statics and the art's static slots.
    const int staticCount;
};
