#include "browser/TilePalette.h"

#include "art/ArtWork.h"
#include "browser/ImageTransfer.h"
#include "browser/PaletteNavigation.h"
#include "browser/PaletteRowPainter.h"
#include "edits/TileEdits.h"
#include "tiledata/TileData.h"
#include "ui/TileImageActions.h"
#include "ui/UserPrompts.h"

#include <QApplication>
#include <QDrag>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QResizeEvent>
#include <QToolTip>

TilePalette::TilePalette(ArtWork *artWork, TileData *tileData, QWidget *parent, Qt::WindowFlags flags)
    : QWidget(parent, flags), artWork(artWork), tileData(tileData),
      rowPainter(std::make_unique<PaletteRowPainter>())
{
    setAcceptDrops(true);
    setFocusPolicy(Qt::StrongFocus);
    // Every pixel is painted: scrolling can move the pixels already on screen.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

TilePalette::~TilePalette() = default;

// An image smaller than the box is moved in by half the difference, so it sits in the
// middle; each of its pixels is drawn as zoom x zoom, and it is cut at the box's right and
// bottom edges.
QRect TilePalette::imageTarget(const QRect &imageBox, const QSize &imageSize, int zoom)
{
    const int dx = imageSize.width() < ImageBoxSize ? (ImageBoxSize - imageSize.width()) / 2 : 0;
    const int dy = imageSize.height() < ImageBoxSize ? (ImageBoxSize - imageSize.height()) / 2 : 0;
    return QRect(imageBox.topLeft() + QPoint(dx, dy) * zoom,
        imageSize.boundedTo(QSize(ImageBoxSize, ImageBoxSize)) * zoom);
}

void TilePalette::setZoom(int zoom)
{
    if (zoom == zoomFactor || zoom < 1)
        return;
    // The selection stays in place when it is in view; else the tiles in view stay on top.
    const int anchor = rect().intersects(cellRect(selected)) ? selected : firstVisibleId();
    const int anchorRow = screenRowOf(anchor);
    zoomFactor = zoom;
    columns = width() / cellPitch();
    if (columns > 0) {
        growCaches();
        placeRows(anchor, qMin(anchorRow, wholeRowCount() - 1));
    }
    updateGeometry();
    update();
}

int TilePalette::tileAt(const QPoint &position) const
{
    if (position.x() < 0 || position.y() < 0)
        return NoTile;
    const int col = position.x() / cellPitch();
    const int row = position.y() / cellPitch();
    if (col >= columns)
        return NoTile;
    const int index = columns * row + startIndex + col;
    return index < shownCount() ? idAt(index) : NoTile;
}

int TilePalette::visibleRowCount() const
{
    return (height() + cellPitch() - 1) / cellPitch();
}

int TilePalette::wholeRowCount() const
{
    return qMax(1, height() / cellPitch());
}

int TilePalette::visibleCellCount() const
{
    return qBound(0, shownCount() - startIndex, columns * visibleRowCount());
}

QRect TilePalette::cellRect(int id) const
{
    const int index = indexOf(id);
    if (columns <= 0 || index < startIndex)
        return {};
    const int cell = index - startIndex;
    const int pitch = cellPitch();
    return QRect(pitch * (cell % columns), pitch * (cell / columns), pitch, pitch);
}

QSize TilePalette::sizeHint() const
{
    return QSize(cellPitch() * HintColumns + 1, cellPitch() * HintRows + 1);
}

QImage TilePalette::image(int id, bool highlighted) const
{
    return artWork->image(kind(), id, highlighted);
}

QSize TilePalette::selectionSize(int id) const
{
    // Terrain is always 44 x 44; a tile without an image (deleted, or an empty slot) has no size.
    return artWork->image(kind(), id, false).size();
}

QString TilePalette::tileNameOf(int id) const
{
    return tileData->name(kind(), id);
}

QString TilePalette::toolTipText(int id) const
{
    const QString name = tileNameOf(id);
    QString text
        = QStringLiteral("%1 %2 (0x%3)\n%4")
              .arg(tileKindTitle(kind()))
              .arg(id)
              .arg(QString::number(id, 16).toUpper(), name.isEmpty() ? QStringLiteral("(no name)") : name);
    if (isMarkedUnsaved(id))
        text += QStringLiteral("\nEdited, not saved yet");
    for (const QString &line : differences.texts(kind(), id))
        text += QLatin1Char('\n') + line;
    return text;
}

void TilePalette::showOnly(const QVector<int> &ids, Narrowing by)
{
    const int anchor = anchorId();
    const int anchorRow = screenRowOf(anchor);
    if (!order.showOnly(by, ids))
        return;
    // Keys and the Edit menu act on the selection: a tile out of sight is not selected.
    if (selected != NoTile && !isShown(selected)) {
        hiddenSelection = selected;
        setSelected(NoTile);
    }
    refreshRows(anchor, anchorRow);
}

void TilePalette::showAll(Narrowing by)
{
    const int anchor = anchorId();
    const int anchorRow = screenRowOf(anchor);
    if (order.showAll(by))
        refreshRows(anchor, anchorRow);
}

int TilePalette::anchorId() const
{
    return selected != NoTile && isShown(selected) ? selected : firstVisibleId();
}

int TilePalette::screenRowOf(int id) const
{
    const int index = indexOf(id);
    if (columns <= 0 || index < startIndex)
        return 0;
    return qMin((index - startIndex) / columns, wholeRowCount() - 1);
}

void TilePalette::refreshRows(int anchor, int anchorRow)
{
    placeRows(anchor, anchorRow);
    // Narrowing as the user types passes through conditions the selection does not meet.
    if (selected == NoTile && isShown(hiddenSelection)) {
        setSelected(hiddenSelection);
        scrollIntoView(selected);
    }
    update();
    Q_EMIT shownChanged();
}

void TilePalette::placeRows(int anchor, int anchorRow)
{
    if (columns > 0) {
        // An anchor no longer shown gives its place to the next tile shown, at the top.
        const int index = anchor == NoTile ? 0 : order.indexFrom(anchor, tileCount());
        if (!isShown(anchor))
            anchorRow = 0;
        const int lastRow = qMax(0, shownCount() - 1) / columns;
        const int row = qBound(0, index / columns - anchorRow, lastRow);
        startIndex = row * columns;
        Q_EMIT rowsChanged(shownCount() / columns, row);
    }
}

void TilePalette::setDifferences(DifferenceOf lookup)
{
    differences.setLookup(std::move(lookup));
    update();
}

void TilePalette::reportSelection()
{
    setSelected(selected);
}

void TilePalette::setStart(int value)
{
    const int start = columns * value;
    if (start == startIndex)
        return;
    // Both starts are whole rows: the rows still in view move with the pixels already
    // on screen, and only the rows that come into view are painted.
    const int dy = (startIndex - start) / columns * cellPitch();
    startIndex = start;
    if (isVisible() && qAbs(dy) < height())
        scroll(0, dy);
    else
        update();
}

void TilePalette::setSelected(int sel)
{
    selected = sel;
    // Another tile selected takes the place of one left out; announcing none again does not.
    if (sel != NoTile)
        hiddenSelection = NoTile;
    Q_EMIT selectionChanged(sel);
    const QSize size = selectionSize(sel);
    Q_EMIT selectionSizeChanged(size.width(), size.height());
}

void TilePalette::selectTile(int id)
{
    if (id < 0 || id >= tileCount() || !isShown(id))
        return;
    moveSelection(id);
    // The keys go on where a click would have left them: in the grid (a window not
    // active now gives it the focus when it becomes active again).
    setFocus(Qt::OtherFocusReason);
}

void TilePalette::moveSelection(int id)
{
    selectInPlace(id);
    scrollIntoView(id);
}

void TilePalette::updateTile(int id)
{
    const QRect cell = cellRect(id);
    if (!cell.isEmpty())
        update(cell);
}

void TilePalette::setEdits(TileEdits *history)
{
    if (edits)
        disconnect(edits, nullptr, this, nullptr);
    edits = history;
    // A save takes every mark away at once; an undo past it brings marks back.
    if (edits)
        connect(edits, &TileEdits::unsavedChanged, this, [this] { update(); });
    update();
}

bool TilePalette::isMarkedUnsaved(int id) const
{
    return edits ? edits->isUnsaved(kind(), id) : artWork->pendingEdits().isEdited(kind(), id);
}

void TilePalette::scrollIntoView(int id)
{
    const int index = indexOf(id);
    if (columns <= 0 || index < 0)
        return;
    const int row = index / columns;
    const int top = startIndex / columns;
    const int rows = wholeRowCount();
    int newTop = top;
    if (row < top)
        newTop = row;
    else if (row >= top + rows)
        newTop = row - rows + 1;
    if (newTop == top)
        return;
    setStart(newTop);
    // The page's scroll bar follows.
    Q_EMIT rowsChanged(shownCount() / columns, newTop);
}

bool TilePalette::event(QEvent *event)
{
    if (event->type() != QEvent::ToolTip)
        return QWidget::event(event);
    const auto *help = static_cast<QHelpEvent *>(event);
    const int id = tileAt(help->pos());
    if (id == NoTile) {
        QToolTip::hideText();
        event->ignore();
    } else {
        QToolTip::showText(help->globalPos(), toolTipText(id), this, cellRect(id));
    }
    return true;
}

void TilePalette::mousePressEvent(QMouseEvent *event)
{
    dragStart = NoDrag;
    const QPoint position = event->position().toPoint();
    const int id = tileAt(position);
    if (id == NoTile)
        return;
    if (event->button() == Qt::LeftButton) {
        dragStart = position;
        selectInPlace(id);
    } else if (event->button() == Qt::RightButton) {
        // As in a file manager: the menu acts on the tile the selection and the status
        // bar show.
        selectInPlace(id);
        runContextMenu(id, event->globalPosition().toPoint());
    }
}

void TilePalette::selectInPlace(int id)
{
    if (id == selected)
        return;
    const int previous = selected;
    setSelected(id);
    updateTile(previous);
    updateTile(id);
}

void TilePalette::mouseDoubleClickEvent(QMouseEvent *event)
{
    // The press that began the double-click selected the tile under the pointer; a
    // double-click beside every tile asks for nothing, whatever was selected before.
    if (event->button() != Qt::LeftButton)
        return;
    const int id = tileAt(event->position().toPoint());
    if (id != NoTile && id == selected)
        Q_EMIT tileActivated(id);
}

void TilePalette::mouseMoveEvent(QMouseEvent *event)
{
    if (!(event->buttons() & Qt::LeftButton) || dragStart == NoDrag)
        return;
    if ((event->position().toPoint() - dragStart).manhattanLength() < QApplication::startDragDistance())
        return;
    startDrag();
}

void TilePalette::keyPressEvent(QKeyEvent *event)
{
    const bool onTile = selected >= 0 && selected < tileCount();
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (onTile)
            Q_EMIT tileActivated(selected);
        return;
    case Qt::Key_Delete:
        if (onTile)
            Q_EMIT imageEditRequested(selected, QImage(), TileEdits::deleteName());
        return;
    case Qt::Key_Menu:
        if (onTile)
            runContextMenu(selected, mapToGlobal(cellRect(selected).center()));
        return;
    default:
        break;
    }
    const int target = PaletteNavigation(shownCount(), columns, wholeRowCount(), startIndex)
                           .target(event->key(), indexOf(selected));
    if (target == PaletteNavigation::NoTarget) {
        QWidget::keyPressEvent(event);
        return;
    }
    moveSelection(idAt(target));
}

void TilePalette::contextMenuEvent(QContextMenuEvent *event)
{
    // The right press has opened the menu for the tile under the pointer already; the
    // keyboard's menu key opens it for the selected tile.
    event->accept();
    if (event->reason() == QContextMenuEvent::Keyboard && selected >= 0 && selected < tileCount())
        runContextMenu(selected, mapToGlobal(cellRect(selected).center()));
}

void TilePalette::startDrag()
{
    auto *mime = new QMimeData;
    mime->setData(ImageTransfer::pngType(), ImageTransfer::pngBytes(image(selected, false)));
    // Qt deletes the drag once it is over.
    auto *drag = new QDrag(this);
    drag->setMimeData(mime);
    UserPrompts::current().execDrag(drag, Qt::CopyAction);
}

void TilePalette::runContextMenu(int id, const QPoint &globalPos)
{
    const TileImageActions actions(this);
    switch (actions.choose(globalPos)) {
    case TileImageActions::Action::Import: {
        const QImage loaded = actions.importImage();
        if (!loaded.isNull())
            Q_EMIT imageEditRequested(id, loaded, TileEdits::importName());
        break;
    }
    case TileImageActions::Action::Delete:
        Q_EMIT imageEditRequested(id, QImage(), TileEdits::deleteName());
        break;
    case TileImageActions::Action::Save:
        actions.saveImage(image(id, false), tileLabel(kind(), id));
        break;
    case TileImageActions::Action::None:
        break;
    }
}

void TilePalette::warn(const QString &text)
{
    UserPrompts::current().warning(this, window()->windowTitle(), text);
}

void TilePalette::paintEvent(QPaintEvent *event)
{
    QPainter painter(this);
    const QRect area = event->rect();
    const QColor background = palette().window().color();
    const int cells = visibleCellCount();
    const int cellsPerRow = qMax(columns, 1);
    const auto cellsIn = [&](int row) { return row < 0 ? 0 : qBound(0, cells - row * cellsPerRow, columns); };
    // The palette is opaque: every pixel of the area is painted, row by row; below the
    // line under the last tiles only the background.
    const int pitch = cellPitch();
    for (int row = area.top() / pitch; row <= area.bottom() / pitch; ++row) {
        const int top = pitch * row;
        PaletteRowPainter::Row grid;
        grid.top = top;
        grid.zoom = zoomFactor;
        grid.cells = cellsIn(row);
        grid.cellsAbove = row > 0 ? cellsIn(row - 1) : 0;
        if (grid.cells == 0 && grid.cellsAbove == 0) {
            painter.fillRect(QRect(area.left(), top, area.width(), area.bottom() + 1 - top), background);
            break;
        }
        const int first = startIndex + row * columns;
        const int selectedIndex = indexOf(selected);
        grid.selectedColumn
            = selectedIndex >= first && selectedIndex < first + grid.cells ? selectedIndex - first : -1;
        grid.left = area.left();
        grid.right = area.right();
        rowPainter->paint(
            painter, grid, background,
            [&](int column) { return image(idAt(first + column), idAt(first + column) == selected); },
            [&](int column) { return isMarkedUnsaved(idAt(first + column)); },
            [&](int column) { return differences.marks(kind(), idAt(first + column)); });
    }
}

void TilePalette::resizeEvent(QResizeEvent *event)
{
    columns = event->size().width() / cellPitch();
    if (columns <= 0)
        return;
    const int row = startIndex / columns;
    startIndex = row * columns;
    growCaches();
    Q_EMIT rowsChanged(shownCount() / columns, row);
    // A selection made before the palette had a size (a data set opened again) comes into view.
    if (!laidOut)
        scrollIntoView(selected);
    laidOut = true;
    update();
}

void TilePalette::growCaches()
{
    const int cellsOnScreen = columns * visibleRowCount();
    // Two palettes share the store's caches; never shrink what the other one needs.
    const int wanted = qMax(artWork->cacheCapacity(), MinCacheScreens * cellsOnScreen);
    if (wanted != artWork->cacheCapacity())
        artWork->setCacheCapacity(wanted);
}

void TilePalette::dragEnterEvent(QDragEnterEvent *event)
{
    if (acceptsDrop(event->position().toPoint(), event->mimeData()))
        event->accept();
}

void TilePalette::dragMoveEvent(QDragMoveEvent *event)
{
    if (acceptsDrop(event->position().toPoint(), event->mimeData()))
        event->accept();
}

bool TilePalette::acceptsDrop(const QPoint &position, const QMimeData *mime) const
{
    return mime && tileAt(position) != NoTile && ImageTransfer::offersImage(mime);
}

void TilePalette::dropEvent(QDropEvent *event)
{
    const QMimeData *mime = event->mimeData();
    const int id = tileAt(event->position().toPoint());
    if (!mime || id == NoTile)
        return;
    QImage dropped;
    QString error;
    if (ImageTransfer::droppedImage(mime, tileLabel(kind(), id), &dropped, &error)) {
        Q_EMIT imageEditRequested(id, dropped, TileEdits::dropName());
        event->accept();
    } else if (!error.isEmpty()) {
        warn(error);
    }
}
