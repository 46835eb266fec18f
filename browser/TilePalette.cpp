#include "browser/TilePalette.h"

#include "art/ArtWork.h"
#include "browser/ImageTransfer.h"
#include "ui/ImageFiles.h"
#include "ui/UserPrompts.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QDrag>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QResizeEvent>
#include <QVector>

TilePalette::TilePalette(ArtWork *artWork, TileData *tileData, QWidget *parent, Qt::WindowFlags flags)
    : QWidget(parent, flags), artWork(artWork), tileData(tileData)
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

// An image smaller than the box is moved in by half the difference, so it sits in the
// middle; it is drawn one to one and cut at the box's right and bottom edges.
QRect TilePalette::imageTarget(const QRect &imageBox, const QSize &imageSize)
{
    const int dx = imageSize.width() < ImageBoxSize ? (ImageBoxSize - imageSize.width()) / 2 : 0;
    const int dy = imageSize.height() < ImageBoxSize ? (ImageBoxSize - imageSize.height()) / 2 : 0;
    return QRect(imageBox.topLeft() + QPoint(dx, dy), imageSize.boundedTo(QSize(ImageBoxSize, ImageBoxSize)));
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

void TilePalette::drawTile(QPainter &painter, int row, int col, const QImage &image)
{
    const QRect box = imageBox(row, col);
    if (image.isNull()) {
        const QLineF cross[]
            = {QLineF(box.left(), box.top(), box.left() + ImageBoxSize, box.top() + ImageBoxSize),
                QLineF(box.left(), box.top() + ImageBoxSize, box.left() + ImageBoxSize, box.top())};
        painter.drawLines(cross, 2);
        return;
    }
    painter.drawImage(imageTarget(box, image.size()).topLeft(), visiblePart(image));
}

QImage TilePalette::visiblePart(const QImage &image)
{
    // Only the box-sized window at the origin can show, and premultiplied the raster
    // engine blends it several times faster. Decoded 16-bit colours are opaque or
    // transparent black, premultiplied already: a view of the image's own pixels
    // under the other format does, with nothing copied or converted.
    const QSize size = image.size().boundedTo(QSize(ImageBoxSize, ImageBoxSize));
    if (image.format() != QImage::Format_ARGB32)
        return image.copy(QRect(QPoint(0, 0), size)).convertToFormat(QImage::Format_ARGB32_Premultiplied);
    return QImage(image.constBits(), size.width(), size.height(), image.bytesPerLine(),
        QImage::Format_ARGB32_Premultiplied);
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
    dragStart = NoDrag;
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
    } else if (event->button() == Qt::RightButton) {
        runContextMenu(id, event->globalPosition().toPoint());
    }
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
    const QPointer<TilePalette> self(this);
    auto *menu = new QMenu(this);
    menu->addAction(importText());
    menu->addAction(deleteText());
    menu->addAction(saveText());
    const QAction *chosen = UserPrompts::current().execMenu(menu, globalPos);
    if (!self)
        return;
    const QString choice = chosen ? chosen->text() : QString();
    delete menu;
    if (choice == importText())
        importImage(id);
    else if (choice == deleteText())
        deleteImage(id);
    else if (choice == saveText())
        exportImage(id);
}

void TilePalette::importImage(int id)
{
    const QPointer<TilePalette> self(this);
    QString message;
    const QImage loaded = ImageFiles::chooseAndLoad(this, &message);
    if (!self)
        return;
    if (!message.isEmpty())
        warn(message);
    else if (!loaded.isNull())
        changeImage(id, loaded);
}

void TilePalette::deleteImage(int id)
{
    changeImage(id, QImage());
}

void TilePalette::exportImage(int id)
{
    const QPointer<TilePalette> self(this);
    QString filter;
    const QString chosen = UserPrompts::current().saveFileName(
        this, QStringLiteral("Save Image"), ImageFiles::writeFilter(), &filter);
    if (!self || chosen.isEmpty())
        return;
    const QString format = ImageFiles::formatOfFilter(filter);
    const QString fileName = ImageFiles::withFormatSuffix(chosen, format);
    QString error;
    if (!ImageFiles::save(image(id, false), fileName, format, &error))
        warn(QStringLiteral("Could not save the image of %1 to \"%2\": %3")
                 .arg(tileName(id), QDir::toNativeSeparators(fileName), error));
}

bool TilePalette::changeImage(int id, const QImage &image)
{
    QString error;
    const bool stored = storeImage(id, image, &error);
    update();
    if (!stored)
        warn(QStringLiteral("The image of %1 was not changed: %2").arg(tileName(id), error));
    return stored;
}

void TilePalette::warn(const QString &text)
{
    UserPrompts::current().warning(this, window()->windowTitle(), text);
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
    if (!mime || tileAt(position) == NoTile)
        return false;
    // Offered files take precedence over offered data; an offer of URLs without a
    // local file among them is refused.
    if (mime->hasUrls()) {
        const QString fileName = ImageTransfer::localFile(mime);
        return !fileName.isEmpty() && !ImageFiles::load(fileName, nullptr).isNull();
    }
    return ImageTransfer::offersPng(mime);
}

void TilePalette::dropEvent(QDropEvent *event)
{
    const QMimeData *mime = event->mimeData();
    const int id = tileAt(event->position().toPoint());
    if (!mime || id == NoTile)
        return;
    bool changed = false;
    if (mime->hasUrls()) {
        const QString fileName = ImageTransfer::localFile(mime);
        if (fileName.isEmpty())
            return;
        changed = dropFile(id, fileName);
    } else if (ImageTransfer::offersPng(mime)) {
        changed = dropPng(id, mime->data(ImageTransfer::pngType()));
    }
    if (changed)
        event->accept();
}

bool TilePalette::dropFile(int id, const QString &fileName)
{
    QString error;
    const QImage dropped = ImageFiles::load(fileName, &error);
    if (dropped.isNull()) {
        warn(QStringLiteral("Could not load the dropped image file \"%1\": %2")
                 .arg(QDir::toNativeSeparators(fileName), error));
        return false;
    }
    return changeImage(id, dropped);
}

bool TilePalette::dropPng(int id, const QByteArray &png)
{
    // No data is what the drag of a tile without an image carries: a copy of "no image".
    if (png.isEmpty())
        return changeImage(id, QImage());
    QString error;
    const QImage dropped = ImageFiles::loadData(png, &error);
    if (dropped.isNull()) {
        warn(QStringLiteral("The dropped image could not be read (%2); %1 was not changed.")
                 .arg(tileName(id), error));
        return false;
    }
    return changeImage(id, dropped);
}
