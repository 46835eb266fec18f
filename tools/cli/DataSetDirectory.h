#pragma once

#include <QString>

// The data directory named on the command line, and the paths of its files. Asking for
// a file that does not exist raises a CliError naming it.
class DataSetDirectory
{
public:
    explicit DataSetDirectory(const QString &path);

    QString path() const { return m_path; }
    QString filePath(const QString &fileName) const;
    QString existingFile(const QString &fileName) const;

private:
    QString m_path;
};
