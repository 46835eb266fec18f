#pragma once

// Where the palette's navigation keys lead from the selection: Home and End to the first
// and last tile, the arrows by one cell or one row, Page Up and Page Down by a screen of
// whole rows in the same column. Moves stop at the ends of the grid.
class PaletteNavigation
{
public:
    static constexpr int NoTarget = -1;

    // tileCount tiles (ids 0 to tileCount-1) in rows of columns cells, pageRows rows
    // wholly in view, firstVisible the first tile in view.
    PaletteNavigation(int tileCount, int columns, int pageRows, int firstVisible);

    // The tile key leads to from selected (any id, or none: every move then starts at the
    // first tile in view); NoTarget for keys that do not navigate, and in an empty grid.
    int target(int key, int selected) const;

private:
    int count;
    int row;
    int page;
    int firstVisible;
};
