#pragma once

#include <QStringList>
#include <QTextStream>

// tessera-cli diff A B [--json] [--kind land|static] [--art] [--tiledata] [--animation]:
// the tiles that differ between two data sets, whatever container or layout each is
// stored in; one line per tile and a summary, or one JSON object. The exit status tells
// the result as diff's does: 0 the same, 1 different (an error raises a CliError).
namespace DiffCommand {

int run(const QStringList &args, QTextStream &out);

} // namespace DiffCommand
