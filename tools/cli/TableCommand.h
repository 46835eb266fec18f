#pragma once

#include <QStringList>
#include <QTextStream>

// tessera-cli tiledata and animdata: tile data or animation data as a table (CSV).
// export writes the table of DIR; import writes DIR as a new data set in OUTDIR with
// the table's rows changed, every other byte unchanged. A table with an error is
// refused whole, naming the line and column, and nothing is written.
namespace TableCommand {

// tiledata export DIR OUT.csv --kind land|static; tiledata import DIR IN.csv OUTDIR.
void tileData(const QStringList &args, QTextStream &out);
// animdata export DIR OUT.csv; animdata import DIR IN.csv OUTDIR.
void animData(const QStringList &args, QTextStream &out);

} // namespace TableCommand
