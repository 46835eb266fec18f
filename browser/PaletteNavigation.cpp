#include "browser/PaletteNavigation.h"

#include <Qt>
#include <QtGlobal>

PaletteNavigation::PaletteNavigation(int tileCount, int columns, int pageRows, int firstVisible)
    : count(tileCount), row(columns > 0 ? columns : 1), page(row * pageRows), firstVisible(firstVisible)
{ }

int PaletteNavigation::target(int key, int selected) const
{
    if (count <= 0)
        return NoTarget;
    if (key == Qt::Key_Home)
        return 0;
    if (key == Qt::Key_End)
        return count - 1;
    const bool arrowOrPage = key == Qt::Key_Left || key == Qt::Key_Right || key == Qt::Key_Up
        || key == Qt::Key_Down || key == Qt::Key_PageUp || key == Qt::Key_PageDown;
    if (!arrowOrPage)
        return NoTarget;
    // Without a selection every move starts at the first tile in view.
    if (selected < 0 || selected >= count)
        return qMin(firstVisible, count - 1);
    switch (key) {
    case Qt::Key_Left:
        return qMax(selected - 1, 0);
    case Qt::Key_Right:
        return qMin(selected + 1, count - 1);
    case Qt::Key_Up:
        return selected >= row ? selected - row : selected;
    case Qt::Key_Down:
        return selected + row < count ? selected + row : selected;
    case Qt::Key_PageUp:
        // Up by a screen, in the same column; at most to the first row.
        return selected >= page ? selected - page : selected % row;
    default: {
        if (selected + page < count)
            return selected + page;
        // The last tile of the same column.
        const int last = (count - 1) / row * row + selected % row;
        return qMax(selected, last < count ? last : last - row);
    }
    }
}
