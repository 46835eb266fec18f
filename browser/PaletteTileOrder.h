#pragma once

#include <QVector>
#include <array>
#include <optional>

// Which tiles the cells of a palette show, in id order, left to right and top to bottom:
// every id, or only those every narrowing set leaves.
class PaletteTileOrder
{
public:
    // What may narrow the cells: View > Differences Only, the filter bar.
    enum class Narrowing { Differences, Filter };

    bool showsAll() const { return !filtered; }
    // The cells of a palette of tileCount tiles (ids 0 to tileCount-1).
    int count(int tileCount) const { return filtered ? int(shown.size()) : tileCount; }
    // The id of the index-th cell, and the cell of id (-1 when it is not shown).
    int idAt(int index) const { return filtered ? shown.at(index) : index; }
    int indexOf(int id, int tileCount) const;
    // The first cell whose id is id or above; count(tileCount) when there is none.
    int indexFrom(int id, int tileCount) const;
    // Narrows by to ids (ascending); false when the cells stay as they were.
    bool showOnly(Narrowing by, const QVector<int> &ids);
    // Takes the narrowing away; false when the cells stay as they were.
    bool showAll(Narrowing by);
    // Whether the narrowing is set and leaves id out.
    bool leavesOut(Narrowing by, int id) const;

private:
    static constexpr int NarrowingCount = 2;
    // The cells again, from the narrowings; false when they stay as they were.
    bool combine();

    std::array<std::optional<QVector<int>>, NarrowingCount> narrowings;
    bool filtered = false;
    QVector<int> shown;
};
