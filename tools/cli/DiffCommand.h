#pragma once

#include <QStringList>
#include <QTextStream>

// tessera-cli diff A B [--json] [--kind land|static] [--art] [--tiledata] [--animation]:
// the tiles that differ between two data sets, whatever container or layout each is
// stored in; one line per tile and a summary, or one JSON object. The exit status tells
// the result as diff's does: 0 the same, 1 different (an error raises a CliError).
namespace DiffCommand {

// Takes diff's own options out of the command line (after the command word) before it is
// parsed: there --art and --tiledata are switches, while for every other command they
// name forms and take a value. Any other command's line is left as it is. False, and
// *error, for a value --kind does not know.
bool takeOptions(QStringList *arguments, QString *error);

int run(const QStringList &args, QTextStream &out);

} // namespace DiffCommand
