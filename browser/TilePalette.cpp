#include "browser/TilePalette.h"

#include "art/ArtWork.h"

#include <QMouseEvent>
#include <QPainter>
#include <QResizeEvent>

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

void TilePalette::prepareCellPainter(QPainter &painter)
{
    painter.setPen(QColor(Qt::black));
    painter.setBrush(Qt::NoBrush);
}

void TilePalette::drawCell(QPainter &painter, int row, int col, const QImage &image, bool selected)
{
    if (selected)
        painter.setBrush(QBrush(Qt::yellow, Qt::SolidPattern));
    painter.drawRect(cellFrame(row, col));
    if (selected)
        painter.setBrush(Qt::NoBrush);

    const QRect box = imageBox(row, col);
    if (!image.isNull()) {
        painter.drawImage(imageTarget(box, image.size()), image, imageSource());
        return;
    }
    const QLineF cross[]
        = {QLineF(box.left(), box.top(), box.left() + ImageBoxSize, box.top() + ImageBoxSize),
            QLineF(box.left(), box.top() + ImageBoxSize, box.left() + ImageBoxSize, box.top())};
    painter.drawLines(cross, 2);
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
    prepareCellPainter(painter);
    const int rows = visibleRowCount();
    const int count = tileCount();
    for (int row = 0; row < rows; ++row) {
        for (int col = 0; col < columns; ++col) {
            const int id = startId + columns * row + col;
            if (id >= count)
                return;
            const bool isSelected = id == selected;
            drawCell(painter, row, col, image(id, isSelected), isSelected);
        }
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
