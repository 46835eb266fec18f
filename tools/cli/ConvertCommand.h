#pragma once

#include <QStringList>
#include <QTextStream>

// tessera-cli convert DIR OUTDIR --art mul|uop: the data set of DIR written to OUTDIR
// whole, with its art in the container named; every tile's image and every record
// unchanged.
namespace ConvertCommand {

void run(const QStringList &args, QTextStream &out);

} // namespace ConvertCommand
