#include "edits/TileNameSearch.h"

#include "tiledata/TileData.h"

int TileNameSearch::next(const TileData &tiles, TileKind kind, int count, int after, const QString &text)
{
    if (text.isEmpty() || count <= 0)
        return -1;
    const int start = after < 0 || after >= count ? 0 : after + 1;
    for (int step = 0; step < count; ++step) {
        const int id = (start + step) % count;
        const QString name = tiles.name(kind, id);
        if (name.contains(text, Qt::CaseInsensitive))
            return id;
    }
    return -1;
}
