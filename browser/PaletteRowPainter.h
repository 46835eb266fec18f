#pragma once

#include <QColor>
#include <QImage>
#include <QVector>
#include <functional>

class QPainter;

// Paints the palette's grid one row of cells at a time. A row is composed pixel by pixel
// into an image of its own (frame lines, the selection's yellow, the opaque pixels of
// every tile image, crosses, marks of pending edits and of differences) and copied to the painter in one
// piece: drawing thousands of small images one by one costs the painter more per image
// than their pixels do.
class PaletteRowPainter
{
public:
    // One row of the grid as the palette sees it.
    struct Row
    {
        int top = 0; // the y of its top frame line
        int cells = 0; // tiles in this row, from the left
        int cellsAbove = 0; // tiles in the row above on screen (0 for the first)
        int left = 0; // the pixels to paint, x from left to right
        int right = 0;
        int zoom = 1; // how many times their size the images are shown, without smoothing
    };
    // The image of the tile in a column, as the store decodes it (every pixel opaque or
    // transparent black; null for none), and whether the tile has pending edits.
    using ImageOf = std::function<QImage(int column)>;
    using SelectedOf = std::function<bool(int column)>;
    using PendingOf = std::function<bool(int column)>;
    // How the tile in a column differs from a data set compared with: a bit per
    // PaletteDifferenceMarks::Mark; none without it.
    using MarksOf = std::function<int(int column)>;

    void paint(QPainter &painter, const Row &row, const QColor &background, const ImageOf &imageOf,
        const SelectedOf &selectedOf, const PendingOf &pendingOf, const MarksOf &marksOf = {});

private:
    // What one cell puts into the lines of the row.
    struct Cell
    {
        int column = 0;
        QImage image; // ARGB32, or null
        QRect target; // where its visible part goes, in the row's coordinates
        bool selected = false;
        bool pending = false;
        int marks = 0;
    };

    void collect(const Row &row, const ImageOf &imageOf, const SelectedOf &selectedOf,
        const PendingOf &pendingOf, const MarksOf &marksOf);
    void compose(const Row &row, QRgb background);
    void drawCross(int column);
    void drawPendingMark(int column);
    void drawDifferenceMarks(int column, int marks);
    QRgb *line(int y) { return reinterpret_cast<QRgb *>(pixels + y * stride); }

    QImage strip;
    // Of the row being painted: the cell pitch, the image box's side and the zoom.
    int pitch = 0;
    int box = 0;
    int zoom = 1;
    uchar *pixels = nullptr;
    qsizetype stride = 0;
    QVector<Cell> cells;
};
