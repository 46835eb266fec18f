#pragma once

#include "art/ArtFormat.h"

#include <QImage>
#include <QPoint>
#include <QRect>
#include <QRectF>
#include <QWidget>

class ArtWork;
class QMimeData;
class QPainter;
class TileData;

// The grid both palettes share: one 46-pixel cell per tile id, in id order, left to
// right and top to bottom, scrolled by whole rows, with one selected tile; and the
// editing of tile images by context menu, drag and drop. TPalette and SPalette add the
// id range, the store calls and the size they report for the selection.
class TilePalette : public QWidget
{
    Q_OBJECT

public:
    static constexpr int CellPitch = 46;
    static constexpr int ImageBoxSize = ArtFormat::TerrainSize;
    static constexpr int NoTile = -1;
    static constexpr int MinCacheScreens = 2;

    // The context menu's actions, recognised by their text.
    static QString importText() { return QStringLiteral("Import"); }
    static QString deleteText() { return QStringLiteral("Delete"); }
    static QString saveText() { return QStringLiteral("Save"); }

    // The 46 x 46 frame of the cell in visible row row and column col.
    static QRect cellFrame(int row, int col);
    // The 44 x 44 box one pixel inside the frame where the image goes.
    static QRect imageBox(int row, int col);
    // Where an image of the given size is drawn inside imageBox: images narrower or
    // lower than the box move in from its left and top edges, the right and bottom
    // edges stay. The source is always the box-sized window at the image's origin.
    static QRect imageTarget(const QRect &imageBox, const QSize &imageSize);
    // The picture of cells 0 to cellCount-1 of a grid of the given columns, drawn in
    // two passes: first every cell frame (a black outline, filled yellow for the cell
    // selectedCell), then, per cell, its image or a cross where it has none.
    static void drawFrames(QPainter &painter, int columns, int cellCount, int selectedCell);
    // Expects the painter as drawFrames leaves it, and an image as the store decodes it:
    // every pixel opaque or transparent black.
    static void drawTile(QPainter &painter, int row, int col, const QImage &image);

    int tileAt(const QPoint &position) const;
    int firstVisibleId() const { return startId; }
    int columnCount() const { return columns; }
    int visibleRowCount() const;
    // Cells that hold a tile, from the top left: at most the visible grid.
    int visibleCellCount() const;
    int selectedId() const { return selected; }
    // Ids are 0 to tileCount()-1.
    virtual int tileCount() const = 0;
    // Re-announces the selection (updateSelected, then updateSize) without changing it.
    void reportSelection();

Q_SIGNALS:
    void newSize(int maxrow, int rwidth);
    void updateSelected(int id);
    void updateSize(int width, int height);
    // The user asked for the properties of tile id (a double-click on it).
    void tileActivated(int id);

public Q_SLOTS:
    void setStart(int value);
    void setSelected(int sel);

protected:
    TilePalette(ArtWork *artWork, TileData *tileData, QWidget *parent, Qt::WindowFlags flags);

    virtual QImage image(int id, bool highlighted) const = 0;
    // A null image deletes the tile's image. False and *error when it cannot be stored.
    virtual bool storeImage(int id, const QImage &image, QString *error) = 0;
    // The size updateSize reports for a selected id.
    virtual QSize selectionSize(int id) const = 0;
    // "terrain tile 12", for messages.
    virtual QString tileName(int id) const = 0;

    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    // The drag-over rule decides the enter event too: without an accepted enter no
    // move event follows.
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;

    int startId = 0;
    int columns = 0;
    int selected = NoTile;
    ArtWork *artWork;
    TileData *tileData;
    // Where the left button went down on a tile; NoDrag when no drag is armed.
    QPoint dragStart = NoDrag;

private:
    static constexpr QPoint NoDrag{-1, -1};

    // What drawTile draws of an image; it refers to the image's pixels.
    static QImage visiblePart(const QImage &image);

    void growCaches();
    void runContextMenu(int id, const QPoint &globalPos);
    void importImage(int id);
    void deleteImage(int id);
    void exportImage(int id);
    void startDrag();
    bool acceptsDrop(const QPoint &position, const QMimeData *mime) const;
    bool dropFile(int id, const QString &fileName);
    bool dropPng(int id, const QByteArray &png);
    // Stores a changed image and repaints; tells the user when it cannot be stored.
    bool changeImage(int id, const QImage &image);
    void warn(const QString &text);
};
