#pragma once

#include "browser/TilePalette.h"

// The static palette: ids 0 to the tile data's static count - 1, each image placed by
// its size, and the selection reported with its image's real size.
class SPalette : public TilePalette
{
    Q_OBJECT

public:
    SPalette(ArtWork *artWork, TileData *tileData, QWidget *parent = nullptr, Qt::WindowFlags flags = {});

    int tileCount() const override { return staticCount; }
    TileKind kind() const override { return TileKind::Static; }

protected:
    QImage image(int id, bool highlighted) const override;
    QSize selectionSize(int id) const override;
    QString tileNameOf(int id) const override;
    bool hasPendingEdit(int id) const override;

private:
    // Taken once from tiledata.mul, not from the art index.
    const int staticCount;
};
