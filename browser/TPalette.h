#pragma once

#include "browser/TilePalette.h"

// The terrain palette: ids 0 to 16383; every terrain image is 44 x 44.
class TPalette : public TilePalette
{
    Q_OBJECT

public:
    TPalette(ArtWork *artWork, TileData *tileData, QWidget *parent = nullptr, Qt::WindowFlags flags = {});

    int tileCount() const override { return ArtFormat::TerrainCount; }

protected:
    QImage image(int id, bool highlighted) const override;
    bool storeImage(int id, const QImage &image, QString *error) override;
    QSize selectionSize(int id) const override;
    QString tileName(int id) const override;
};
