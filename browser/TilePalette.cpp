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
    const int anchor
        = rect().intersects(cellRect(selection.current())) ? selection.current() : firstVisibleId();
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
    // Keys and the Edit menu act on the selection: a tile out of sight is not selected. The
    // tiles left out are selected again when they are shown again before another selection.
    QVector<int> dropped;
    for (int id : selection.ids()) {
        if (!isShown(id))
            dropped.append(id);
    }
    if (!dropped.isEmpty()) {
        hiddenSelection += dropped;
        if (!isShown(selection.current()))
            hiddenCurrent = selection.current();
        narrowing = true;
        changeSelection(
            [this](PaletteSelection &tiles) { tiles.keepOnly([this](int id) { return isShown(id); }); });
        narrowing = false;
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
    return selection.current() != NoTile && isShown(selection.current()) ? selection.current()
                                                                         : firstVisibleId();
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
    QVector<int> back;
    QVector<int> stillHidden;
    for (int id : std::as_const(hiddenSelection))
        (isShown(id) ? back : stillHidden).append(id);
    if (!back.isEmpty()) {
        const int current = isShown(hiddenCurrent) ? hiddenCurrent : selection.current();
        hiddenSelection = stillHidden;
        if (current == hiddenCurrent)
            hiddenCurrent = NoTile;
        narrowing = true;
        changeSelection([&](PaletteSelection &tiles) { tiles.assign(selection.ids() + back, current); });
        narrowing = false;
        scrollIntoView(selection.current());
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
    announceCurrent();
    Q_EMIT selectedCountChanged(selection.count());
}

void TilePalette::announceCurrent()
{
    Q_EMIT selectionChanged(selection.current());
    const QSize size = selectionSize(selection.current());
    Q_EMIT selectionSizeChanged(size.width(), size.height());
}

void TilePalette::changeSelection(const std::function<void(PaletteSelection &)> &change, bool announce)
{
    const int previous = selection.current();
    const int previousCount = selection.count();
    change(selection);
    // Another selection takes the place of the tiles left out; announcing none again does not.
    if (!narrowing && selection.count() > 0) {
        hiddenSelection.clear();
        hiddenCurrent = NoTile;
    }
    // One tile or none before and after: only their cells change.
    if (previousCount <= 1 && selection.count() <= 1) {
        updateTile(previous);
        updateTile(selection.current());
    } else {
        update();
    }
    if (announce || selection.current() != previous)
        announceCurrent();
    if (selection.count() != previousCount)
        Q_EMIT selectedCountChanged(selection.count());
}

void TilePalette::selectIds(const QVector<int> &ids, int current)
{
    QVector<int> shown;
    for (int id : ids) {
        if (id >= 0 && id < tileCount() && isShown(id))
            shown.append(id);
    }
    if (current != NoTile && (current < 0 || current >= tileCount() || !isShown(current)))
        current = NoTile;
    changeSelection([&](PaletteSelection &tiles) { tiles.assign(shown, current); });
    scrollIntoView(selection.current());
}

void TilePalette::selectAll()
{
    QVector<int> all(shownCount());
    for (int index = 0; index < all.size(); ++index)
        all[index] = idAt(index);
    if (all.isEmpty())
        return;
    const int current = isShown(selection.current()) ? selection.current() : all.first();
    changeSelection([&](PaletteSelection &tiles) { tiles.assign(all, current); });
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
    changeSelection([sel](PaletteSelection &tiles) { tiles.selectOnly(sel); }, true);
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
    selectAloneOnRelease = NoTile;
    const int id = tileAt(position);
    if (id == NoTile)
        return;
    if (event->button() == Qt::LeftButton) {
        const Qt::KeyboardModifiers modifiers = event->modifiers();
        if (modifiers & Qt::ShiftModifier) {
            extendSelection(id, modifiers & Qt::ControlModifier);
        } else if (modifiers & Qt::ControlModifier) {
            changeSelection([id](PaletteSelection &tiles) { tiles.toggle(id); });
        } else {
            dragStart = position;
            if (selection.contains(id) && selection.count() > 1) {
                changeSelection([id](PaletteSelection &tiles) { tiles.makeCurrent(id); });
                selectAloneOnRelease = id;
            } else {
                selectInPlace(id);
            }
        }
    } else if (event->button() == Qt::RightButton) {
        // As in a file manager: the menu acts on the tiles the selection and the status
        // bar show; a tile outside the selection is selected alone first.
        if (selection.contains(id))
            changeSelection([id](PaletteSelection &tiles) { tiles.makeCurrent(id); });
        else
            selectInPlace(id);
        runContextMenu(id, event->globalPosition().toPoint());
    }
}

void TilePalette::mouseReleaseEvent(QMouseEvent *event)
{
    const int alone = selectAloneOnRelease;
    selectAloneOnRelease = NoTile;
    if (event->button() == Qt::LeftButton && alone != NoTile && tileAt(event->position().toPoint()) == alone)
        selectInPlace(alone);
}

void TilePalette::selectInPlace(int id)
{
    changeSelection([id](PaletteSelection &tiles) { tiles.selectOnly(id); });
}

void TilePalette::extendSelection(int id, bool add)
{
    // Without an anchor in view the range starts at the current tile, else at id itself.
    int anchor = selection.anchor();
    if (!isShown(anchor))
        anchor = isShown(selection.current()) ? selection.current() : id;
    const int from = indexOf(anchor);
    const int to = indexOf(id);
    QVector<int> range;
    range.reserve(qAbs(to - from) + 1);
    for (int index = qMin(from, to); index <= qMax(from, to); ++index)
        range.append(idAt(index));
    changeSelection([&](PaletteSelection &tiles) { tiles.selectRange(anchor, range, id, add); });
}

void TilePalette::mouseDoubleClickEvent(QMouseEvent *event)
{
    // The press that began the double-click selected the tile under the pointer; a
    // double-click beside every tile asks for nothing, whatever was selected before.
    if (event->button() != Qt::LeftButton)
        return;
    const int id = tileAt(event->position().toPoint());
    if (id != NoTile && id == selection.current())
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
    const int current = selection.current();
    const bool onTile = current >= 0 && current < tileCount();
    if (event->matches(QKeySequence::SelectAll)) {
        selectAll();
        return;
    }
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (onTile)
            Q_EMIT tileActivated(current);
        return;
    case Qt::Key_Delete:
        if (onTile)
            Q_EMIT imageEditRequested(selectedIds(), QImage(), TileEdits::deleteName());
        return;
    case Qt::Key_Menu:
        if (onTile)
            runContextMenu(current, mapToGlobal(cellRect(current).center()));
        return;
    default:
        break;
    }
    const int target = PaletteNavigation(shownCount(), columns, wholeRowCount(), startIndex)
                           .target(event->key(), indexOf(current));
    if (target == PaletteNavigation::NoTarget) {
        QWidget::keyPressEvent(event);
        return;
    }
    if (event->modifiers() & Qt::ShiftModifier) {
        extendSelection(idAt(target), false);
        scrollIntoView(idAt(target));
    } else {
        moveSelection(idAt(target));
    }
}

void TilePalette::contextMenuEvent(QContextMenuEvent *event)
{
    // The right press has opened the menu for the tile under the pointer already; the
    // keyboard's menu key opens it for the selected tile.
    event->accept();
    const int current = selection.current();
    if (event->reason() == QContextMenuEvent::Keyboard && current >= 0 && current < tileCount())
        runContextMenu(current, mapToGlobal(cellRect(current).center()));
}

void TilePalette::startDrag()
{
    // The current tile's image, also when several are selected; the press that began the
    // drag keeps them selected.
    selectAloneOnRelease = NoTile;
    auto *mime = new QMimeData;
    mime->setData(ImageTransfer::pngType(), ImageTransfer::pngBytes(image(selection.current(), false)));
    // Qt deletes the drag once it is over.
    auto *drag = new QDrag(this);
    drag->setMimeData(mime);
    UserPrompts::current().execDrag(drag, Qt::CopyAction);
}

void TilePalette::runContextMenu(int id, const QPoint &globalPos)
{
    // Import and Delete act on every selected tile, Save on the one the menu is of.
    const QVector<int> tiles = selection.contains(id) ? selectedIds() : QVector<int>{id};
    const TileImageActions actions(this);
    switch (actions.choose(globalPos)) {
    case TileImageActions::Action::Import: {
        const QImage loaded = actions.importImage();
        if (!loaded.isNull())
            Q_EMIT imageEditRequested(tiles, loaded, TileEdits::importName());
        break;
    }
    case TileImageActions::Action::Delete:
        Q_EMIT imageEditRequested(tiles, QImage(), TileEdits::deleteName());
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
    // Each rectangle of the region on its own: a cell marked far from the row that
    // scrolls in does not repaint every row between them.
    for (const QRect &area : event->region())
        paintArea(painter, area);
}

void TilePalette::paintArea(QPainter &painter, const QRect &area)
{
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
        grid.left = area.left();
        grid.right = area.right();
        const auto selectedAt = [&](int column) { return selection.contains(idAt(first + column)); };
        rowPainter->paint(
            painter, grid, background,
            [&](int column) { return image(idAt(first + column), selectedAt(column)); }, selectedAt,
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
        scrollIntoView(selection.current());
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
        Q_EMIT imageEditRequested({id}, dropped, TileEdits::dropName());
        event->accept();
    } else if (!error.isEmpty()) {
        warn(error);
    }
}
