#pragma once

#include <QVector>

// Which tiles the cells of a palette show, in id order, left to right and top to bottom:
// every id, or only those given to show.
class PaletteTileOrder
{
public:
    bool showsAll() const { return !filtered; }
    // The cells of a palette of tileCount tiles (ids 0 to tileCount-1).
    int count(int tileCount) const { return filtered ? int(shown.size()) : tileCount; }
    // The id of the index-th cell, and the cell of id (-1 when it is not shown).
    int idAt(int index) const { return filtered ? shown.at(index) : index; }
    int indexOf(int id, int tileCount) const;
    // Shows only ids (ascending); false when just those were shown already.
    bool showOnly(const QVector<int> &ids);
    // Shows every id again; false when it did already.
    bool showAll();

private:
    bool filtered = false;
    QVector<int> shown;
};
