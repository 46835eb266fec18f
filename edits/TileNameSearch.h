#pragma once

#include "io/TileKind.h"

#include <QString>

class TileData;

// Finding tiles by name: a part of the name, in any case.
class TileNameSearch
{
public:
    // The first of ids 0 to count-1 after the id after, wrapping around to 0 and ending
    // with after itself, whose name (pending edits included) contains text, compared
    // case-insensitively; -1 when there is none, or text is empty. after = -1 starts at 0.
    static int next(const TileData &tiles, TileKind kind, int count, int after, const QString &text);
};
