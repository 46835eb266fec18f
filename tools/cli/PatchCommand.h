#pragma once

#include <QStringList>
#include <QTextStream>

// tessera-cli patch DIR OUTDIR LIST: the data set of DIR with the list's art edits
// applied, saved as a new data set in OUTDIR. Every line of the list is checked and
// every image loaded before anything is written; a bad line raises a CliError that
// names it and leaves OUTDIR as it was.
namespace PatchCommand {

void run(const QStringList &args, QTextStream &out);

} // namespace PatchCommand
