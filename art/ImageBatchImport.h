#pragma once

#include "io/TileKind.h"

#include <QImage>
#include <QList>
#include <QMap>
#include <QString>

// Reads a folder of image files named by tile (TileImageFileName::parse) as the images
// of tiles of one kind, deciding for each file whether it is taken and, when not, why:
// an unknown name or an id out of range, a tile of the other kind, two files for one
// tile (both refused: which one is meant cannot be told), a file that does not load, an
// image too large to load or to store, a terrain image that is not 44 x 44. The files
// are loaded on every core.
class ImageBatchImport
{
public:
    struct Refusal
    {
        QString fileName;
        QString reason;
    };
    struct Plan
    {
        // The image of each tile taken, as storing it gives it back.
        QMap<int, QImage> images;
        QMap<int, QString> fileNames;
        // In the order of the file names.
        QList<Refusal> refused;
    };

    // Every file directly in directory (not in folders below it, not hidden ones), for
    // tiles of kind; false, and *error, when the folder cannot be read.
    static bool read(const QString &directory, TileKind kind, Plan *plan, QString *error);
};
