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

protected:
    QImage image(int id, bool highlighted) const override;
    bool storeImage(int id, const QImage &image, QString *error) override;
    QSize selectionSize(int id) const override;
    QString tileName(int id) const override;

private:
    // Taken once from tiledata.mul, not from the art index.
    const int staticCount;
};
