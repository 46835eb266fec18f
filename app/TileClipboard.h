#pragma once

#include <QImage>
#include <QString>

// Tile images on the system clipboard: out as an image (transparent pixels stay
// transparent) that any image editor pastes, and also as a PNG file's bytes; in from an
// image, PNG data or a copied image file.
class TileClipboard
{
public:
    static void copy(const QImage &image);
    // The clipboard's image; null, and *error saying why, when it holds none.
    static QImage image(QString *error);
};
