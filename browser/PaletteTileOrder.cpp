#include "browser/PaletteTileOrder.h"

#include <algorithm>

int PaletteTileOrder::indexOf(int id, int tileCount) const
{
    if (!filtered)
        return id >= 0 && id < tileCount ? id : -1;
    const auto found = std::lower_bound(shown.cbegin(), shown.cend(), id);
    return found != shown.cend() && *found == id ? int(found - shown.cbegin()) : -1;
}

bool PaletteTileOrder::showOnly(const QVector<int> &ids)
{
    if (filtered && ids == shown)
        return false;
    filtered = true;
    shown = ids;
    return true;
}

bool PaletteTileOrder::showAll()
{
    if (!filtered)
        return false;
    filtered = false;
    shown.clear();
    return true;
}
