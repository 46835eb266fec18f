#pragma once

#include "dataset/DataSet.h"

#include <QString>
#include <memory>

// The data set named on the command line, read as the input options say (--in-art,
// --in-tiledata); a CliError names what is missing or damaged when the directory does
// not hold one. When tiledata.mul's layout had to be inferred from damaged data, or a
// save into the directory had been cut short, a warning on stderr says so. Opening one
// also clears away the pending edits that killed runs of the command line left behind.
namespace OpenDataSet {

std::unique_ptr<DataSet> open(const QString &directory);

} // namespace OpenDataSet
