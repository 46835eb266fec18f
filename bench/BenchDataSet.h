#pragma once

#include "io/DataFileNames.h"
#include "tools/sample/DataSetBuilder.h"

#include <QString>
#include <QTemporaryDir>
#include <cstdio>

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
