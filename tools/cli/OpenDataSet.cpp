#include "tools/cli/OpenDataSet.h"

#include "tools/cli/CliError.h"

namespace {

DataSet::Options &commandLineOptions()
{
    static DataSet::Options options;
    return options;
}

} // namespace

void OpenDataSet::setOptions(const DataSet::Options &options)
{
    commandLineOptions() = options;
}

std::unique_ptr<DataSet> OpenDataSet::open(const QString &directory)
{
    return open(directory, commandLineOptions());
}

std::unique_ptr<DataSet> OpenDataSet::open(const QString &directory, const DataSet::Options &options)
{
    QString error;
    std::unique_ptr<DataSet> set = DataSet::open(directory, options, &error);
    if (!set)
        throw CliError(QString(error).replace(QLatin1Char('\n'), QLatin1Char(' ')));
    return set;
}
