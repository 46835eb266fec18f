#pragma once

#include <QString>

// The names of the data files in a data directory, for every layer that opens, saves or
// names them.
namespace DataFileNames {

inline const QString ArtMul = QStringLiteral("art.mul");
inline const QString ArtIdxMul = QStringLiteral("artidx.mul");
inline const QString ArtUop = QStringLiteral("artLegacyMUL.uop");
inline const QString TileDataMul = QStringLiteral("tiledata.mul");
inline const QString AnimDataMul = QStringLiteral("animdata.mul");

} // namespace DataFileNames
