#include "tools/cli/OpenDataSet.h"

#include "session/DataSetSession.h"
#include "tiledata/TileData.h"
#include "tools/cli/CliError.h"
#include "tools/cli/CliOptions.h"

#include <QCoreApplication>
#include <cstdio>

std::unique_ptr<DataSet> OpenDataSet::open(const QString &directory)
{
    const DataSet::Options &options = CliOptions::current().input;
    // A run of this program that was killed left its pending edits behind; nobody
    // recovers them (the patch list is the work), so the next run clears them away.
    DataSet::discard(DataSet::orphanedEditsOf(QCoreApplication::applicationName(), options.pendingParent));
    QString error;
    // Read as the window reads a data set.
    std::unique_ptr<DataSet> set = DataSetSession::read(directory, options, &error);
    if (!set)
        throw CliError(QString(error).replace(QLatin1Char('\n'), QLatin1Char(' ')));
    // info --json carries them in its object instead.
    if (!CliOptions::current().json) {
        for (const QString &warning : {set->interruptedSave(), set->tiles().layoutWarning()}) {
            if (!warning.isEmpty())
                std::fprintf(stderr, "tessera-cli: warning: %s\n", qPrintable(warning));
        }
    }
    return set;
}
