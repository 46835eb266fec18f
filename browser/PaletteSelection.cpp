#include "browser/PaletteSelection.h"

QVector<int> PaletteSelection::ids() const
{
    QVector<int> selected;
    selected.reserve(selectedCount);
    for (int id = 0; id < bits.size() && selected.size() < selectedCount; ++id) {
        if (bits.testBit(id))
            selected.append(id);
    }
    return selected;
}

void PaletteSelection::add(int id)
{
    if (id < 0 || contains(id))
        return;
    if (id >= bits.size())
        bits.resize(id + 1);
    bits.setBit(id);
    ++selectedCount;
}

void PaletteSelection::remove(int id)
{
    if (!contains(id))
        return;
    bits.clearBit(id);
    --selectedCount;
}

void PaletteSelection::selectOnly(int id)
{
    bits.fill(false);
    selectedCount = 0;
    add(id);
    currentId = id < 0 ? None : id;
    anchorId = currentId;
}

void PaletteSelection::toggle(int id)
{
    if (id < 0)
        return;
    anchorId = id;
    if (!contains(id)) {
        add(id);
        currentId = id;
        return;
    }
    remove(id);
    if (currentId == id)
        currentId = nearest(id);
}

void PaletteSelection::selectRange(int anchor, const QVector<int> &range, int current, bool add)
{
    anchorId = anchor;
    if (!add) {
        bits.fill(false);
        selectedCount = 0;
    }
    for (int id : range)
        this->add(id);
    this->add(current);
    currentId = current < 0 ? nearest(currentId) : current;
}

void PaletteSelection::assign(const QVector<int> &ids, int current)
{
    bits.fill(false);
    selectedCount = 0;
    for (int id : ids)
        add(id);
    add(current);
    currentId = current >= 0 ? current : nearest(0);
    anchorId = currentId;
}

void PaletteSelection::makeCurrent(int id)
{
    if (contains(id))
        currentId = id;
}

bool PaletteSelection::keepOnly(const std::function<bool(int id)> &keep)
{
    bool dropped = false;
    for (int id = 0; id < bits.size(); ++id) {
        if (bits.testBit(id) && !keep(id)) {
            remove(id);
            dropped = true;
        }
    }
    if (!contains(currentId))
        currentId = nearest(currentId);
    if (anchorId != None && !keep(anchorId))
        anchorId = currentId;
    return dropped;
}

int PaletteSelection::nearest(int id) const
{
    if (selectedCount == 0)
        return None;
    const int from = qBound(0, id, int(bits.size()) - 1);
    for (int distance = 0; distance < bits.size(); ++distance) {
        if (contains(from - distance))
            return from - distance;
        if (contains(from + distance))
            return from + distance;
    }
    return None;
}
