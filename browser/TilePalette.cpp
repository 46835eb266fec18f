#include "browser/TilePalette.h"

#include "art/ArtWork.h"

#include <QMouseEvent>
#include <QPainter>
#include <QResizeEvent>
#include <QVector>

TilePalette::TilePalette(
    ArtWork *artWork, TileData *tileData, AnimDataFile *animData, QWidget *parent, Qt::WindowFlags flags)
    : QWidget(parent, flags), artWork(artWork), tileData(tileData), animData(animData)
{
    setAcceptDrops(true);
}

QRect TilePalette::cellFrame(int row, int col)
{
    return QRect(CellPitch * col, CellPitch * row, CellPitch, CellPitch);
}

QRect TilePalette::imageBox(int row, int col)
{
    return QRect(CellPitch * col + 1, CellPitch * row + 1, ImageBoxSize, ImageBoxSize);
}

QRectF TilePalette::imageTarget(const QRect &imageBox, const QSize &imageSize)
{
    const int dx = imageSize.width() < ImageBoxSize ? (ImageBoxSize - imageSize.width()) / 2 : 0;
    const int dy = imageSize.height() < ImageBoxSize ? (ImageBoxSize - imageSize.height()) / 2 : 0;
    return QRectF(imageBox.left() + dx, imageBox.top() + dy, ImageBoxSize - dx, ImageBoxSize - dy);
}

QRectF TilePalette::imageSource()
{
    return QRectF(0, 0, ImageBoxSize, ImageBoxSize);
}

void TilePalette::drawFrames(QPainter &painter, int columns, int cellCount, int selectedCell)
{
    painter.setPen(QColor(Qt::black));
    painter.setBrush(Qt::NoBrush);
    if (columns <= 0 || cellCount <= 0)
        return;
    if (selectedCell >= 0 && selectedCell < cellCount)
        painter.fillRect(cellFrame(selectedCell / columns, selectedCell % columns), Qt::yellow);

    // Neighbouring frames share their edges (a frame's outline runs one pixel past its
    // rectangle), so the frames of all cells are the lines of one grid: the full rows,
    // then the cells of a last, shorter row. Filled as one-pixel rectangles they are the
    // same pixels as a stroked rectangle per cell, drawn many times faster.
    const int fullRows = cellCount / columns;
    const int rest = cellCount % columns;
    QVector<QRect> lines;
    lines.reserve(fullRows + columns + rest + 5);
    const auto horizontal
        = [&lines](int y, int cells) { lines.append(QRect(0, y, CellPitch * cells + 1, 1)); };
    const auto vertical
        = [&lines](int x, int top, int rows) { lines.append(QRect(x, top, 1, CellPitch * rows + 1)); };
    if (fullRows > 0) {
        for (int row = 0; row <= fullRows; ++row)
            horizontal(CellPitch * row, columns);
        for (int col = 0; col <= columns; ++col)
            vertical(CellPitch * col, 0, fullRows);
    }
    if (rest > 0) {
        const int top = CellPitch * fullRows;
        horizontal(top, rest);
        horizontal(top + CellPitch, rest);
        for (int col = 0; col <= rest; ++col)
            vertical(CellPitch * col, top, 1);
    }
    for (const QRect &line : lines)
        painter.fillRect(line, Qt::black);
}

void TilePalette::drawTile(QPainter &painter, int row, int col, QImage image)
{
    const QRect box = imageBox(row, col);
    if (image.isNull()) {
        const QLineF cross[]
            = {QLineF(box.left(), box.top(), box.left() + ImageBoxSize, box.top() + ImageBoxSize),
                QLineF(box.left(), box.top() + ImageBoxSize, box.left() + ImageBoxSize, box.top())};
        painter.drawLines(cross, 2);
        return;
    }
    const QRectF target = imageTarget(box, image.size());
    // Only the box-sized window at the origin can show. Premultiplied, the raster engine
    // blends it several times faster; the conversion happens in place when the image is
    // not shared.
    if (image.width() > ImageBoxSize || image.height() > ImageBoxSize)
        image = image.copy(0, 0, qMin(image.width(), ImageBoxSize), qMin(image.height(), ImageBoxSize));
    image.convertTo(QImage::Format_ARGB32_Premultiplied);
    painter.drawImage(target, image, imageSource());
}

int TilePalette::tileAt(const QPoint &position) const
{
    if (position.x() < 0 || position.y() < 0)
        return NoTile;
    const int col = position.x() / CellPitch;
    const int row = position.y() / CellPitch;
    if (col >= columns)
        return NoTile;
    const int id = columns * row + startId + col;
    return id < tileCount() ? id : NoTile;
}

int TilePalette::visibleRowCount() const
{
    return (height() + CellPitch - 1) / CellPitch;
}

int TilePalette::visibleCellCount() const
{
    return qBound(0, tileCount() - startId, columns * visibleRowCount());
}

void TilePalette::reportSelection()
{
    setSelected(selected);
}

void TilePalette::setStart(int value)
{
    startId = columns * value;
    update();
}

void TilePalette::setSelected(int sel)
{
    selected = sel;
    Q_EMIT updateSelected(sel);
    const QSize size = selectionSize(sel);
    Q_EMIT updateSize(size.width(), size.height());
}

void TilePalette::mousePressEvent(QMouseEvent *event)
{
    dragStart = QPoint(-1, -1);
    const QPoint position = event->position().toPoint();
    const int id = tileAt(position);
    if (id == NoTile)
        return;
    if (event->button() == Qt::LeftButton) {
        dragStart = position;
        if (id == selected)
            return;
        setSelected(id);
        update();
    }
}

void TilePalette::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const int cells = visibleCellCount();
    drawFrames(painter, columns, cells, selected - startId);
    for (int cell = 0; cell < cells; ++cell) {
        const int id = startId + cell;
        drawTile(painter, cell / columns, cell % columns, image(id, id == selected));
    }
}

void TilePalette::resizeEvent(QResizeEvent *event)
{
    columns = event->size().width() / CellPitch;
    if (columns <= 0)
        return;
    const int row = startId / columns;
    startId = row * columns;
    growCaches();
    Q_EMIT newSize(tileCount() / columns, row);
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
