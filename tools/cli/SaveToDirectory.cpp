#include "tools/cli/SaveToDirectory.h"

#include "saving/DataSetSaver.h"
#include "tools/cli/CliError.h"
#include "tools/cli/CliText.h"

#include <QDir>
#include <QFileInfo>
#include <cstdio>

void SaveToDirectory::save(DataSetSaver &saver, const QString &outDir)
{
    if (saver.isDataDirectory(outDir))
        throw CliError(
            QStringLiteral("%1 is the data directory; the originals are never overwritten").arg(outDir));
    const QString notDirectory = CliText::notADirectory(outDir);
    if (!notDirectory.isEmpty())
        throw CliError(notDirectory);
    const bool created = !QFileInfo::exists(outDir);
    if (created && !QDir().mkpath(outDir))
        throw CliError(QStringLiteral("cannot create directory %1").arg(outDir));
    if (saver.save(outDir) != DataSetSaver::Status::Saved) {
        if (created)
            QDir().rmdir(outDir);
        throw CliError(saver.errorString());
    }
    if (!saver.notice().isEmpty())
        std::fprintf(stderr, "tessera-cli: warning: %s\n", qPrintable(saver.notice()));
}
