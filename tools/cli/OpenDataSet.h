#pragma once

#include "dataset/DataSet.h"

#include <QString>
#include <memory>

// The data set named on the command line; a CliError names what is missing or damaged
// when the directory does not hold one. Opening one also clears away the pending edits
// that killed runs of the command line left in the temporary directory.
namespace OpenDataSet {

// With the command line's options (--art, --tiledata).
std::unique_ptr<DataSet> open(const QString &directory);
std::unique_ptr<DataSet> open(const QString &directory, const DataSet::Options &options);

} // namespace OpenDataSet
