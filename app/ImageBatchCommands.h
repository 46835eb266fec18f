#pragma once

#include "io/TileKind.h"

#include <QObject>
#include <QString>
#include <QVector>

class MyMainWindow;
class TilePalette;

// What File > Export Images and File > Import Images do: the images of many tiles of the
// palette in view written into a folder, or read from one as one edit. The files are
// named as tessera-cli export names them. Every outcome is told the user.
class ImageBatchCommands : public QObject
{
    Q_OBJECT

public:
    static QString exportCaption() { return QStringLiteral("Choose the folder to export the images into"); }
    static QString importCaption() { return QStringLiteral("Choose the folder of the images to import"); }

    // A child of window.
    explicit ImageBatchCommands(MyMainWindow *window);

    // The tiles Export Images writes: those selected when there are several, else every
    // tile the palette shows.
    static QVector<int> tilesToExport(const TilePalette &palette);

public Q_SLOTS:
    // Asks for a folder and writes the images there, with a progress dialog that can
    // cancel; what was written stays.
    void exportImages();
    // Asks for a folder of images named by tile, shows which tiles would change and which
    // files are refused and why, and on the user's word makes the images one edit.
    void importImages();

private:
    MyMainWindow *window;
};
