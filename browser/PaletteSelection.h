#pragma once

#include <QBitArray>
#include <QVector>
#include <functional>

// Which tiles of a palette are selected: any set of ids, one of them the current tile (the
// last one clicked, which the status bar and the properties window describe), and the
// anchor that a Shift click or key extends a range from.
class PaletteSelection
{
public:
    static constexpr int None = -1;

    bool contains(int id) const { return id >= 0 && id < bits.size() && bits.testBit(id); }
    int count() const { return selectedCount; }
    int current() const { return currentId; }
    int anchor() const { return anchorId; }
    // Ascending.
    QVector<int> ids() const;

    // Only id (None: nothing), which becomes the current tile and the anchor.
    void selectOnly(int id);
    // id joins the selection or leaves it, and becomes the anchor. It becomes the
    // current tile when it joins; when the current tile leaves, the nearest selected
    // tile takes its place.
    void toggle(int id);
    // range (ids, any order; from anchor to current) is selected, in place of the
    // selection or added to it; current becomes the current tile, anchor the anchor.
    void selectRange(int anchor, const QVector<int> &range, int current, bool add);
    // Exactly ids; current (None: the lowest of them) becomes the current tile, selected
    // too, and the anchor.
    void assign(const QVector<int> &ids, int current);
    // A selected tile becomes the current one, the selection unchanged.
    void makeCurrent(int id);
    // Drops every selected tile that keep refuses; a current tile dropped is replaced by
    // the nearest one kept. False when nothing was dropped.
    bool keepOnly(const std::function<bool(int id)> &keep);

private:
    void add(int id);
    void remove(int id);
    // The selected id nearest to id (the lower one first), None when nothing is selected.
    int nearest(int id) const;

    QBitArray bits;
    int selectedCount = 0;
    int currentId = None;
    int anchorId = None;
};
