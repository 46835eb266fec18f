#pragma once

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
            m_path = QString::fromLocal8Bit(argv[1]);
            return;
        }
        QString error;
        if (!DataSetBuilder::procedural(DataSetBuilder::Options{}).write(m_temp.path(), &error))
            std::fprintf(stderr, "cannot write the sample set: %s\n", qPrintable(error));
        m_path = m_temp.path();
    }
    QString path() const { return m_path; }
    QString file(const char *name) const { return m_path + QLatin1Char('/') + QLatin1String(name); }

private:
    QTemporaryDir m_temp;
    QString m_path;
};
