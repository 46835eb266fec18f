#pragma once

#include "io/CsvError.h"
#include "io/TileKind.h"
#include "tiledata/TileRecord.h"

#include <QByteArray>
#include <QMap>
#include <QStringList>

class CsvTable;
class TileData;

// The tile-data records of one kind as a table (comma-separated values, UTF-8, a header
// row), its columns named as tessera-cli tile names the fields: land
// id,name,flags,flagNames,texid; static id,name,flags,flagNames,weight,…,height. Ids and
// flags are 0x-hex (flags with 8 digits classic, 16 high-seas), flagNames the names of
// the flags set joined by "|" (a bit without a name as Bit45), names Latin-1 in the file.
class TileDataTable
{
public:
    static QStringList columns(TileKind kind);
    // Every record of the kind that tiles serves (pending edits included), in id order.
    static QByteArray write(const TileData &tiles, TileKind kind);
    // The name of a flag bit in a table: its own name, or Bit45.
    static QString flagName(int bit);

    // Reads a table, whose header says the kind, as changes to the records tiles serves.
    // A row may leave flags empty and give flagNames. False, with *error naming the line
    // and column, for a table that cannot be applied whole: a value that does not fit its
    // field, flags and flagNames that disagree, an unknown flag name, a name that is not
    // 20 Latin-1 characters at most, an id given twice or not in the file.
    bool read(const QByteArray &bytes, const TileData &tiles, CsvError *error);
    TileKind kind() const { return tableKind; }
    int rowCount() const { return rows; }
    // The records the rows change, by id, in the layout of tiles; every field the table
    // leaves as it was keeps its bytes (a name's bytes after its end too).
    const QMap<int, TileRecord> &changes() const { return changed; }

private:
    TileKind tableKind = TileKind::Terrain;
    int rows = 0;
    QMap<int, TileRecord> changed;
};
