#pragma once

#include "art/ArtFormat.h"
#include "browser/PaletteDifferenceMarks.h"
#include "browser/PaletteSelection.h"
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
class QPainter;
class TileData;
class TileEdits;

// The grid both palettes share: one 46-pixel cell per tile shown (every id, or only
// those given to show), in id order, left to right and top to bottom, scrolled by whole rows, with
// the selected tiles that the mouse and the keyboard choose (a click or an arrow key one, Ctrl+click
// one more, Shift a range, Ctrl+A all shown), one of them the current tile; the editing of tile images
// by context menu, keys, drag and drop. The palette changes no store itself: it asks for every edit with
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
    // The current tile: the last one clicked of those selected; NoTile when none is.
    int selectedId() const { return selection.current(); }
    // Every selected tile, ascending (the current one among them); empty when none is.
    QVector<int> selectedIds() const { return selection.ids(); }
    int selectedCount() const { return selection.count(); }
    // Selects the ids shown among ids, current the current tile (selected too; NoTile: the
    // lowest of them), and scrolls it into view.
    void selectIds(const QVector<int> &ids, int current);
    // Selects every tile shown, keeping the current tile where it is shown.
    void selectAll();
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
    // those the others leave; showAll takes it away. The selected tiles no longer shown are
    // no longer selected, until they are shown again with no other selection made
    // meanwhile; the tiles still shown stay where they were on screen, as far as they can.
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
    // Re-announces the selection (selectionChanged, selectionSizeChanged, then
    // selectedCountChanged) without changing it.
    void reportSelection();
    // Selects id alone as a click on it would, and scrolls it into view (an id not shown: nothing).
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
    // The current tile is id now (NoTile: none), and its image is width x height.
    void selectionChanged(int id);
    void selectionSizeChanged(int width, int height);
    // count tiles are selected now.
    void selectedCountChanged(int count);
    // The user asked for the properties of tile id (a double-click on it, or Enter).
    void tileActivated(int id);
    // The user asked for the image of every tile of ids to become image (a null image:
    // deleted), by the edit named action (TileEdits' names).
    void imageEditRequested(const QVector<int> &ids, const QImage &image, const QString &action);
    // Other tiles are shown now: showOnly or showAll changed the cells.
    void shownChanged();

public Q_SLOTS:
    void setStart(int value);
    // Selects sel alone (NoTile: nothing) and announces it, changed or not.
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
    void mouseReleaseEvent(QMouseEvent *event) override;
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
    ArtWork *artWork;
    TileData *tileData;
    // Where the left button went down on a tile; NoDrag when no drag is armed.
    QPoint dragStart = NoDrag;

private:
    static constexpr QPoint NoDrag{-1, -1};

    QRect cellRect(int id) const;
    void paintArea(QPainter &painter, const QRect &area);
    // Rows wholly in view, at least one.
    int wholeRowCount() const;
    void moveSelection(int id);
    // Selects id alone where it is, as a click does, without scrolling.
    void selectInPlace(int id);
    // Selects the cells from the anchor to id, in place of the selection or added to it.
    void extendSelection(int id, bool add);
    // Makes a change of the selection, repaints what it changed and announces it: the
    // current tile when it changed (or always, when announceCurrent), the count when it changed.
    void changeSelection(const std::function<void(PaletteSelection &)> &change, bool announce = false);
    void announceCurrent();
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
    PaletteSelection selection;
    // A press on a tile of several selected keeps them for a drag; the release without
    // one selects that tile alone.
    int selectAloneOnRelease = NoTile;
    // Whether the palette has had columns yet.
    bool laidOut = false;
    int zoomFactor = 1;
    // The tiles that were selected until the cells left them out, and the current one among them.
    QVector<int> hiddenSelection;
    int hiddenCurrent = NoTile;
    // Set while the cells leave selected tiles out or bring them back.
    bool narrowing = false;
};
