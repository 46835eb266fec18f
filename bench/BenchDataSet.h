#pragma once

#include "dataset/DataSet.h"
#include "io/DataFileNames.h"
#include "tools/sample/DataSetBuilder.h"

#include <QString>
#include <QTemporaryDir>
#include <cstdio>
#include <memory>

// The data set a benchmark runs on: the directory named as its first argument, or the
// default sample set generated into a temporary directory.
class BenchDataSet
{
public:
    BenchDataSet(int argc, char **argv)
    {
        if (argc > 1) {
            directory = QString::fromLocal8Bit(argv[1]);
            return;
        }
        QString error;
        if (!DataSetBuilder::procedural(DataSetBuilder::Options{}).write(temporary.path(), &error))
            std::fprintf(stderr, "cannot write the sample set: %s\n", qPrintable(error));
        directory = temporary.path();
    }
    QString path() const { return directory; }
    QString file(const QString &name) const { return directory + QLatin1Char('/') + name; }

private:
    QTemporaryDir temporary;
    QString directory;
};

// The data set in directory as the window opens it; null, with the reason printed, when it
// cannot be read.
inline std::unique_ptr<DataSet> openBenchSet(const QString &directory)
{
    QString error;
    std::unique_ptr<DataSet> set = DataSet::open(directory, DataSet::Options(), &error);
    if (!set)
        std::fprintf(stderr, "cannot open %s: %s\n", qPrintable(directory), qPrintable(error));
    return set;
}
