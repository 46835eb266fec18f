#pragma once

#include "app/TileLocator.h"

#include <QObject>
#include <QVector>

class MyMainWindow;
class QImage;
class TilePalette;

// What the Edit menu does, on the palette in view of the window and the history of its
// data set: undo and redo, the clipboard, finding and locating tiles; and the image
// edits the palettes ask for. Every failure is told the user.
class EditCommands : public QObject
{
    Q_OBJECT

public:
    // A child of window.
    explicit EditCommands(MyMainWindow *window);

    // Makes image the image of tile id of palette, as the edit named action.
    void changeImage(TilePalette *palette, int id, const QImage &image, const QString &action);
    // The same for every tile of ids, as one edit; an image (not a deletion) for several
    // tiles is asked about first.
    void changeImages(
        TilePalette *palette, const QVector<int> &ids, const QImage &image, const QString &action);

public Q_SLOTS:
    void undo();
    void redo();
    void cut();
    void copy();
    void paste();
    void find();
    void findNext();
    void locate();

private:
    // Copies the selected tile's image; false, after telling the user, when it has none.
    bool copySelection();
    void warn(const QString &text);

    MyMainWindow *window;
    TileLocator locator;
};
