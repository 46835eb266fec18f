#pragma once

#include "art/ArtFormat.h"
#include "browser/PaletteDifferenceMarks.h"
#include "browser/PaletteTileOrder.h"
#include "io/TileKind.h"

#include <QColor>
#include <QImage>
#include <QPoint>
#include <QPointer>
#include <QRect>
#include <QVector>
#include <QWidget>
#include <functional>
#include <memory>

class ArtWork;
class PaletteRowPainter;
class QMimeData;
class TileData;
class TileEdits;

// The grid both palettes share: one 46-pixel cell per tile shown (every id, or only
// those given to show), in id order, left to right and top to bottom, scrolled by whole rows, with one
// selected tile that the mouse and the keyboard move; the editing of tile images by context menu, keys, drag
// and drop. The palette changes no store itself: it asks for every edit with
// imageEditRequested. TPalette and SPalette add the id range, the images and the size
// they report for the selection.
class TilePalette : public QWidget
{
    Q_OBJECT

public:
    // The cell pitch and image box at actual size; zoomed, the box is zoom() times as
    // large and the frame stays one pixel wide.
    static constexpr int CellPitch = 46;
    static constexpr int ImageBoxSize = ArtFormat::TerrainSize;
    static constexpr int NoTile = -1;
    static constexpr int MinCacheScreens = 2;
    // The size the palette asks for: a working window on first start.
    static constexpr int HintColumns = 12;
    static constexpr int HintRows = 8;
    // The triangle in the top right corner of a tile with unsaved edits.
    static constexpr int PendingMarkSize = 8;
    static QColor pendingMarkColor() { return QColor(255, 96, 0); }
    using DifferenceOf = PaletteDifferenceMarks::DifferenceOf;

    // Where an image of the given size is drawn inside a cell's image box, zoom times its
    // size: in the middle when it is smaller than 44 x 44, cut at the right and bottom
    // edges when it is larger.
    static QRect imageTarget(const QRect &imageBox, const QSize &imageSize, int zoom = 1);

    ~TilePalette() override;

    // How many times their size the cells show the images (1 to 4).
    int zoom() const { return zoomFactor; }
    void setZoom(int zoom);
    int cellPitch() const { return ImageBoxSize * zoomFactor + CellPitch - ImageBoxSize; }

    int tileAt(const QPoint &position) const;
    // The id in the top left cell; NoTile when nothing is shown.
    int firstVisibleId() const { return startIndex < shownCount() ? idAt(startIndex) : NoTile; }
    int columnCount() const { return columns; }
    int visibleRowCount() const;
    // Cells that hold a tile, from the top left: at most the visible grid.
    int visibleCellCount() const;
    int selectedId() const { return selected; }
    // Ids are 0 to tileCount()-1.
    virtual int tileCount() const = 0;
    // The cells: every id, or those given to showOnly.
    int shownCount() const { return order.count(tileCount()); }
    // The id of the index-th cell, and the cell of id (-1 when it is not shown).
    int idAt(int index) const { return order.idAt(index); }
    int indexOf(int id) const { return order.indexOf(id, tileCount()); }
    bool isShown(int id) const { return indexOf(id) >= 0; }
    using Narrowing = PaletteTileOrder::Narrowing;
    // Narrows the cells to ids (ascending, each below tileCount()) by one narrowing, of
    // those the others leave; showAll takes it away. A selected tile no longer shown is
    // no longer selected, until it is shown again with nothing else selected meanwhile;
    // one still shown stays where it was on screen, as far as it can.
    void showOnly(const QVector<int> &ids, Narrowing by);
    void showAll(Narrowing by);
    bool showsAll() const { return order.showsAll(); }
    // Whether the narrowing is set and leaves id out.
    bool leavesOut(Narrowing by, int id) const { return order.leavesOut(by, id); }
    // The differences that cells mark and tool tips explain; none without a lookup.
    void setDifferences(DifferenceOf lookup);
    virtual TileKind kind() const = 0;
    // The tile's image as stored, never highlighted; null when it has none.
    QImage tileImage(int id) const { return image(id, false); }
    // What the tool tip of a tile says: its kind, id in decimal and hexadecimal, name.
    QString toolTipText(int id) const;
    // Re-announces the selection (selectionChanged, then selectionSizeChanged) without changing it.
    void reportSelection();
    // Selects id as a click on it would, and scrolls it into view (an id not shown: nothing).
    void selectTile(int id);
    // Repaints the cell of id, when it is in view.
    void updateTile(int id);
    // The history that tells which tiles differ from the last save; without one every
    // tile with pending edits is marked as unsaved.
    void setEdits(TileEdits *history);

    QSize sizeHint() const override;

Q_SIGNALS:
    // How many rows the scroll bar covers (tileCount() / columnCount()), or which row is on
    // top, changed.
    void rowsChanged(int rows, int topRow);
    // The selected tile is id now (NoTile: none), and its image is width x height.
    void selectionChanged(int id);
    void selectionSizeChanged(int width, int height);
    // The user asked for the properties of tile id (a double-click on it, or Enter).
    void tileActivated(int id);
    // The user asked for the image of tile id to become image (a null image: deleted),
    // by the edit named action (TileEdits' names).
    void imageEditRequested(int id, const QImage &image, const QString &action);
    // Other tiles are shown now: showOnly or showAll changed the cells.
    void shownChanged();

public Q_SLOTS:
    void setStart(int value);
    void setSelected(int sel);

protected:
    TilePalette(ArtWork *artWork, TileData *tileData, QWidget *parent, Qt::WindowFlags flags);

    QImage image(int id, bool highlighted) const;
    // The size selectionSizeChanged reports for a selected id: that of its image, none without one.
    QSize selectionSize(int id) const;
    QString tileNameOf(int id) const;
    // Whether the tile carries the mark of edits not saved yet.
    bool isMarkedUnsaved(int id) const;

    bool event(QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    // The drag-over rule decides the enter event too: without an accepted enter no
    // move event follows.
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;

    // The index of the top left cell.
    int startIndex = 0;
    int columns = 0;
    int selected = NoTile;
    ArtWork *artWork;
    TileData *tileData;
    // Where the left button went down on a tile; NoDrag when no drag is armed.
    QPoint dragStart = NoDrag;

private:
    static constexpr QPoint NoDrag{-1, -1};

    QRect cellRect(int id) const;
    // Rows wholly in view, at least one.
    int wholeRowCount() const;
    void moveSelection(int id);
    // Selects id where it is, as a click does, without scrolling.
    void selectInPlace(int id);
    void scrollIntoView(int id);
    void growCaches();
    void runContextMenu(int id, const QPoint &globalPos);
    void startDrag();
    bool acceptsDrop(const QPoint &position, const QMimeData *mime) const;
    void warn(const QString &text);
    // After the cells changed: the row of the selection, or else of the first tile in
    // view before (anchor), keeps its place on screen where it can, and the scroll bar follows.
    void refreshRows(int anchor, int anchorRow);
    // Puts the anchor's row anchorRow rows below the top, as far as the rows allow; the
    // scroll bar follows.
    void placeRows(int anchor, int anchorRow);
    // Which tile refreshRows keeps in place, and its row on screen now.
    int anchorId() const;
    int screenRowOf(int id) const;

    std::unique_ptr<PaletteRowPainter> rowPainter;
    QPointer<TileEdits> edits;
    PaletteDifferenceMarks differences;
    PaletteTileOrder order;
    // Whether the palette has had columns yet.
    bool laidOut = false;
    int zoomFactor = 1;
    // The tile that was selected until the cells left it out.
    int hiddenSelection = NoTile;
};
