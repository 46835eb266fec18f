#include "browser/PaletteTileOrder.h"

#include <algorithm>
#include <iterator>

int PaletteTileOrder::indexOf(int id, int tileCount) const
{
    if (!filtered)
        return id >= 0 && id < tileCount ? id : -1;
    const auto found = std::lower_bound(shown.cbegin(), shown.cend(), id);
    return found != shown.cend() && *found == id ? int(found - shown.cbegin()) : -1;
}

int PaletteTileOrder::indexFrom(int id, int tileCount) const
{
    if (!filtered)
        return qBound(0, id, tileCount);
    return int(std::lower_bound(shown.cbegin(), shown.cend(), id) - shown.cbegin());
}

bool PaletteTileOrder::showOnly(Narrowing by, const QVector<int> &ids)
{
    std::optional<QVector<int>> &narrowing = narrowings[int(by)];
    if (narrowing && *narrowing == ids)
        return false;
    narrowing = ids;
    return combine();
}

bool PaletteTileOrder::showAll(Narrowing by)
{
    std::optional<QVector<int>> &narrowing = narrowings[int(by)];
    if (!narrowing)
        return false;
    narrowing.reset();
    return combine();
}

bool PaletteTileOrder::leavesOut(Narrowing by, int id) const
{
    const std::optional<QVector<int>> &narrowing = narrowings[int(by)];
    return narrowing && !std::binary_search(narrowing->cbegin(), narrowing->cend(), id);
}

bool PaletteTileOrder::combine()
{
    bool any = false;
    QVector<int> cells;
    for (const std::optional<QVector<int>> &narrowing : narrowings) {
        if (!narrowing)
            continue;
        if (!any) {
            cells = *narrowing;
        } else {
            QVector<int> both;
            std::set_intersection(cells.cbegin(), cells.cend(), narrowing->cbegin(), narrowing->cend(),
                std::back_inserter(both));
            cells = both;
        }
        any = true;
    }
    if (any == filtered && cells == shown)
        return false;
    filtered = any;
    shown = cells;
    return true;
}
