#pragma once

#include "compare/DataSetComparison.h"
#include "io/TileKind.h"

#include <QColor>
#include <QRect>
#include <QStringList>
#include <functional>

// How the tiles of a palette differ from the data set compared with, as its cells mark
// it and its tool tips explain it. A cell's marks are squares along the bottom of its
// image box, one per way its tile differs, from the left: art, tile data, animation,
// only here.
class PaletteDifferenceMarks
{
public:
    enum Mark { ArtMark, TileDataMark, AnimationMark, OnlyHereMark, MarkCount };
    static constexpr int MarkSize = 6;
    static QColor color(Mark mark);
    // Where the mark goes in the cell whose image box is imageBox.
    static QRect rect(const QRect &imageBox, Mark mark);
    // How a tile differs from the data set compared with; null when it does not.
    using DifferenceOf = std::function<const DataSetComparison::Difference *(TileKind kind, int id)>;

    // Where the differences come from; no tile differs without a lookup.
    void setLookup(DifferenceOf lookup) { differenceOf = std::move(lookup); }
    // The marks of the tile, a bit per Mark.
    int marks(TileKind kind, int id) const;
    // What the tool tip says of how the tile differs, one line per way; empty when it does not.
    QStringList texts(TileKind kind, int id) const;

private:
    const DataSetComparison::Difference *differenceAt(TileKind kind, int id) const
    {
        return differenceOf ? differenceOf(kind, id) : nullptr;
    }

    DifferenceOf differenceOf;
};
