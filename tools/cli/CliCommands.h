#pragma once

#include <QStringList>
#include <QTextStream>

// The read-only commands of tessera-cli. Each takes its positional arguments (after
// the command name), writes its result to out and raises CliError on bad input.
namespace CliCommands {

void info(const QStringList &args, QTextStream &out);
void tile(const QStringList &args, QTextStream &out);
void anim(const QStringList &args, QTextStream &out);
void exportImages(const QStringList &args, QTextStream &out);

} // namespace CliCommands
