#pragma once

#include <QString>

// The two kinds of tile, numbered separately: terrain (land) tiles and statics.
enum class TileKind { Terrain, Static };

// How edits and messages name a tile: "Terrain 0x1F3", "Static 0x1F3".
inline QString tileLabel(TileKind kind, int id)
{
    const QString hex = QString::number(id, 16).toUpper();
    return kind == TileKind::Terrain ? QStringLiteral("Terrain 0x%1").arg(hex)
                                     : QStringLiteral("Static 0x%1").arg(hex);
}
