#include "browser/PaletteRowPainter.h"

#include "browser/PaletteDifferenceMarks.h"
#include "browser/TilePalette.h"

#include <QPainter>

namespace {

constexpr QRgb Black = 0xff000000;
constexpr QRgb Yellow = 0xffffff00;

void fill(QRgb *line, int from, int to, QRgb colour)
{
    for (int x = from; x <= to; ++x)
        line[x] = colour;
}

// The opaque pixels of source over what dest holds. The store's pixels are opaque or
// transparent black, so this is a choice per pixel, which the compiler vectorises.
void overlay(QRgb *dest, const QRgb *source, int count)
{
    for (int x = 0; x < count; ++x)
        dest[x] = (source[x] >> 24) ? source[x] : dest[x];
}

// The same with each source pixel zoom pixels wide: count is in dest pixels.
void overlayZoomed(QRgb *dest, const QRgb *source, int count, int zoom)
{
    for (int x = 0; x < count; ++x) {
        const QRgb pixel = source[x / zoom];
        if (pixel >> 24)
            dest[x] = pixel;
    }
}

} // namespace

void PaletteRowPainter::paint(QPainter &painter, const Row &row, const QColor &background,
    const ImageOf &imageOf, const SelectedOf &selectedOf, const PendingOf &pendingOf, const MarksOf &marksOf)
{
    if (row.right < row.left)
        return;
    zoom = qMax(1, row.zoom);
    box = TilePalette::ImageBoxSize * zoom;
    pitch = box + TilePalette::CellPitch - TilePalette::ImageBoxSize;
    if (strip.width() <= row.right || strip.height() != pitch)
        strip = QImage(qMax(row.right + 1, strip.width()), pitch, QImage::Format_ARGB32_Premultiplied);
    pixels = strip.bits();
    stride = strip.bytesPerLine();
    collect(row, imageOf, selectedOf, pendingOf, marksOf);
    compose(row, background.rgba());
    for (const Cell &cell : cells) {
        if (cell.image.isNull())
            drawCross(cell.column);
        if (cell.pending)
            drawPendingMark(cell.column);
        if (cell.marks)
            drawDifferenceMarks(cell.column, cell.marks);
    }
    cells.clear();
    const QPainter::CompositionMode mode = painter.compositionMode();
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(QPoint(row.left, row.top), strip, QRect(row.left, 0, row.right - row.left + 1, pitch));
    painter.setCompositionMode(mode);
}

void PaletteRowPainter::collect(const Row &row, const ImageOf &imageOf, const SelectedOf &selectedOf,
    const PendingOf &pendingOf, const MarksOf &marksOf)
{
    const int lastColumn = qMin(row.right / pitch, row.cells - 1);
    for (int column = row.left / pitch; column <= lastColumn; ++column) {
        Cell cell;
        cell.column = column;
        cell.image = imageOf(column);
        if (!cell.image.isNull() && cell.image.format() != QImage::Format_ARGB32
            && cell.image.format() != QImage::Format_ARGB32_Premultiplied)
            cell.image = cell.image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
        cell.target
            = TilePalette::imageTarget(QRect(pitch * column + 1, 1, box, box), cell.image.size(), zoom);
        cell.selected = selectedOf(column);
        cell.pending = pendingOf(column);
        cell.marks = marksOf ? marksOf(column) : 0;
        cells.append(cell);
    }
}

void PaletteRowPainter::compose(const Row &row, QRgb background)
{
    // The top line runs over the cells of this row and of the one above, each frame's
    // outline one pixel past its cell.
    const int lineEnd = pitch * qMax(row.cells, row.cellsAbove);
    QRgb *top = line(0);
    for (int x = row.left; x <= row.right; ++x)
        top[x] = x <= lineEnd && lineEnd > 0 ? Black : background;
    // Below it, line by line (each stays in the cache while it is made): the background,
    // a vertical line left of every cell and right of the last one, the selection's
    // yellow, the images.
    const int lastLine = row.cells > 0 ? pitch * row.cells : -1;
    const int firstLine = row.left + (pitch - row.left % pitch) % pitch;
    for (int y = 1; y < pitch; ++y) {
        QRgb *pixelsOfLine = line(y);
        fill(pixelsOfLine, row.left, row.right, background);
        for (int x = firstLine; x <= qMin(row.right, lastLine); x += pitch)
            pixelsOfLine[x] = Black;
        for (const Cell &cell : cells) {
            if (cell.selected)
                fill(pixelsOfLine, pitch * cell.column + 1, pitch * cell.column + pitch - 1, Yellow);
            const int imageLine = y - cell.target.top();
            if (imageLine < 0 || imageLine >= cell.target.height())
                continue;
            const auto *source = reinterpret_cast<const QRgb *>(cell.image.constScanLine(imageLine / zoom));
            if (zoom == 1)
                overlay(pixelsOfLine + cell.target.left(), source, cell.target.width());
            else
                overlayZoomed(pixelsOfLine + cell.target.left(), source, cell.target.width(), zoom);
        }
    }
}

void PaletteRowPainter::drawCross(int column)
{
    // A tile without an image: a cross from corner to corner of its image box, set
    // pixel by pixel (the painter's line drawing costs many times more).
    const int left = pitch * column + 1;
    for (int i = 0; i < box; ++i) {
        line(1 + i)[left + i] = Black;
        line(box - i)[left + i] = Black;
    }
}

void PaletteRowPainter::drawPendingMark(int column)
{
    // A right triangle in the image box's top right corner, one column of pixels at a
    // time: the rightmost column is PendingMarkSize pixels high, each one to its left
    // one less.
    const int right = pitch * column + box;
    const QRgb mark = TilePalette::pendingMarkColor().rgba();
    for (int i = 0; i < TilePalette::PendingMarkSize; ++i) {
        for (int y = 1; y <= TilePalette::PendingMarkSize - i; ++y)
            line(y)[right - i] = mark;
    }
}

void PaletteRowPainter::drawDifferenceMarks(int column, int marks)
{
    const QRect imageBox(pitch * column + 1, 1, box, box);
    for (int mark = 0; mark < PaletteDifferenceMarks::MarkCount; ++mark) {
        if (!(marks & (1 << mark)))
            continue;
        const auto which = PaletteDifferenceMarks::Mark(mark);
        const QRect square = PaletteDifferenceMarks::rect(imageBox, which);
        const QRgb colour = PaletteDifferenceMarks::color(which).rgba();
        for (int y = square.top(); y <= square.bottom(); ++y)
            fill(line(y), square.left(), square.right(), colour);
    }
}
