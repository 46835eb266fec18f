#pragma once

#include <QByteArray>
#include <QString>

// The fixed 20-byte Latin-1 name field of tile-data records.
namespace TileName {

// The bytes up to the first NUL, at most 20, as Latin-1 text.
QString decode(const char *field, int size = 20);
// Latin-1, cut after 20 bytes, NUL-padded to 20.
QByteArray encode(const QString &text);
// Whether two names are stored as the same 20 bytes (a shorter one NUL-padded).
bool sameField(const QByteArray &a, const QByteArray &b);

} // namespace TileName
