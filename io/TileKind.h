#pragma once

#include <QLatin1String>
#include <QList>
#include <QString>
#include <optional>

// The two kinds of tile, numbered separately: terrain (land) tiles and statics.
enum class TileKind { Terrain, Static };

// "Terrain" or "Static", as titles and labels name the kind.
inline QString tileKindTitle(TileKind kind)
{
    return kind == TileKind::Terrain ? QStringLiteral("Terrain") : QStringLiteral("Static");
}

// "terrain" or "static", as messages and exported file names name the kind.
inline QString tileKindWord(TileKind kind)
{
    return kind == TileKind::Terrain ? QStringLiteral("terrain") : QStringLiteral("static");
}

// "terrain tile" or "static", the kind as a noun: "the next static", "no terrain tiles".
inline QString tileKindNoun(TileKind kind)
{
    return kind == TileKind::Terrain ? QStringLiteral("terrain tile") : QStringLiteral("static");
}

// "land" or "static", as tiledata.mul and its messages name the kind.
inline QString tileDataKindWord(TileKind kind)
{
    return kind == TileKind::Terrain ? QStringLiteral("land") : QStringLiteral("static");
}

// How edits and messages name a tile: "Terrain 0x1F3", "Static 0x1F3".
inline QString tileLabel(TileKind kind, int id)
{
    return QStringLiteral("%1 0x%2").arg(tileKindTitle(kind), QString::number(id, 16).toUpper());
}

// How an edit of several tiles names them: "37 Statics", "2 Terrain Tiles"; one tile by
// its label.
inline QString tilesLabel(TileKind kind, const QList<int> &ids)
{
    if (ids.size() == 1)
        return tileLabel(kind, ids.first());
    return QStringLiteral("%1 %2").arg(ids.size()).arg(
        kind == TileKind::Terrain ? QStringLiteral("Terrain Tiles") : QStringLiteral("Statics"));
}

// A kind as a user types it: "terrain" or its tile-data name "land", or "static".
inline std::optional<TileKind> parseTileKind(const QString &word)
{
    if (word == QLatin1String("terrain") || word == QLatin1String("land"))
        return TileKind::Terrain;
    if (word == QLatin1String("static"))
        return TileKind::Static;
    return std::nullopt;
}
