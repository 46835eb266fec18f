#pragma once

#include "app/TileLocator.h"
#include "io/TileKind.h"
#include "tiledata/TileRecord.h"

#include <QObject>
#include <QVector>
#include <optional>

class MyMainWindow;
class QImage;
class TilePalette;

// What the Edit menu does, on the palette in view of the window and the history of its
// data set: undo and redo, the clipboard, deleting and selecting, copying one tile's tile
// data onto others, finding and locating tiles; and the image edits the palettes ask
// for. Every failure is told the user.
class EditCommands : public QObject
{
    Q_OBJECT

public:
    // The choices of Paste Tile Data, in this order.
    static QString withoutNameChoice() { return QStringLiteral("All fields but the name"); }
    static QString withNameChoice() { return QStringLiteral("All fields and the name"); }

    // A child of window.
    explicit EditCommands(MyMainWindow *window);

    // Makes image the image of tile id of palette, as the edit named action.
    void changeImage(TilePalette *palette, int id, const QImage &image, const QString &action);
    // The same for every tile of ids, as one edit; an image (not a deletion) for several
    // tiles is asked about first.
    void changeImages(
        TilePalette *palette, const QVector<int> &ids, const QImage &image, const QString &action);
    // Whether Paste Tile Data has a record for tiles of kind.
    bool canPasteTileData(TileKind kind) const;

public Q_SLOTS:
    void undo();
    void redo();
    void cut();
    void copy();
    void paste();
    // Deletes the image of every selected tile.
    void deleteImages();
    void selectAll();
    // Keeps the current tile's tile-data record for Paste Tile Data.
    void copyTileData();
    // Writes the record copied onto every selected tile of its kind, with or without its
    // name as the user chooses, as one edit.
    void pasteTileData();
    void find();
    void findNext();
    void locate();

Q_SIGNALS:
    // What Paste Tile Data can do changed.
    void tileDataCopied();

private:
    // Copies the selected tile's image; false, after telling the user, when it has none.
    bool copySelection();
    // The record copied made to fit tile id of kind: its layout, and its own name unless withName.
    TileRecord pastedRecord(TileKind kind, int id, bool withName) const;
    void warn(const QString &text);

    MyMainWindow *window;
    TileLocator locator;
    std::optional<TileRecord> copiedRecord;
    // The tile it was copied from, as the question names it.
    QString copiedFrom;
};
