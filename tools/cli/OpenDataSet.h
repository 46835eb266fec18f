#pragma once

#include "dataset/DataSet.h"

#include <QString>
#include <memory>

// The data set named on the command line; a CliError names what is missing or damaged
// when the directory does not hold one.
namespace OpenDataSet {

// The options every later open() without options uses: those of the command line.
void setOptions(const DataSet::Options &options);
std::unique_ptr<DataSet> open(const QString &directory);
std::unique_ptr<DataSet> open(const QString &directory, const DataSet::Options &options);

} // namespace OpenDataSet
