#pragma once

#include <QString>

class DataSetSaver;

// Saves a data set into the directory named on the command line, creating it when it
// is missing (and removing it again when the save fails). A CliError says why a save
// failed; what the save had to leave out is printed as a warning.
namespace SaveToDirectory {

void save(DataSetSaver &saver, const QString &outDir);

} // namespace SaveToDirectory
