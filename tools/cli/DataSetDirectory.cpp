#include "tools/cli/DataSetDirectory.h"

#include "tools/cli/CliError.h"

#include <QDir>
#include <QFileInfo>

DataSetDirectory::DataSetDirectory(const QString &path) : m_path(path)
{
    if (!QFileInfo(path).isDir())
        throw CliError(QStringLiteral("%1: no such directory").arg(path));
}

QString DataSetDirectory::filePath(const QString &fileName) const
{
    return QDir(m_path).filePath(fileName);
}

QString DataSetDirectory::existingFile(const QString &fileName) const
{
    const QString file = filePath(fileName);
    const QFileInfo info(file);
    if (!info.isFile() || !info.isReadable())
        throw CliError(QStringLiteral("%1: no such file or not readable").arg(file));
    return file;
}
