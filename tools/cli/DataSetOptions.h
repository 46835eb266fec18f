#pragma once

#include "dataset/DataSet.h"

class QCommandLineParser;

// The options that say how DIR is read, shared by every command that opens a data set:
// --tiledata classic|high-seas.
namespace DataSetOptions {

void addTo(QCommandLineParser &parser);
// The options given on the parsed command line; a CliError names a value it does not know.
DataSet::Options read(const QCommandLineParser &parser);

} // namespace DataSetOptions
