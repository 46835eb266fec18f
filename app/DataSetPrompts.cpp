#include "app/DataSetPrompts.h"

#include "app/DataDirectory.h"
#include "app/MyBar.h"
#include "app/MyMainWindow.h"
#include "dataset/DataSet.h"
#include "session/DataSetSession.h"
#include "tiledata/TileData.h"
#include "ui/UserPrompts.h"

#include <QDir>

namespace {

const QString ProgramName = QStringLiteral("Tessera");

} // namespace

DataSetPrompts::DataSetPrompts(QWidget *window, DataSetSession &session)
    : window(window), session(session) { }

void DataSetPrompts::warn(const QString &text)
{
    UserPrompts::current().warning(window, ProgramName, text);
}

bool DataSetPrompts::askToRecover(int edits, const QString &directory)
{
    const QString question
        = QStringLiteral("Tessera ended without saving last time: %1 pending edits of this data set (%2) "
                         "were left behind.\n\nRecover them? Otherwise they are discarded.")
              .arg(edits)
              .arg(QDir::toNativeSeparators(directory));
    return UserPrompts::current().confirm(window, ProgramName, question, QStringLiteral("Recover"));
}

std::unique_ptr<DataSet> DataSetPrompts::read(const QString &directory, const QString &hint)
{
    QString error;
    auto set = session.read(DataDirectory::filePath(directory, QString()), &error);
    if (!set)
        UserPrompts::current().warning(window, ProgramName, QStringLiteral("%1\n\n%2").arg(error, hint));
    else if (!set->interruptedSave().isEmpty())
        UserPrompts::current().information(window, ProgramName, set->interruptedSave());
    return set;
}

QString DataSetPrompts::chooseDirectory(const QString &start)
{
    const QString chosen
        = UserPrompts::current().existingDirectory(window, MyMainWindow::chooserCaption(), start);
    return DataDirectory::fromChosen(chosen);
}

bool DataSetPrompts::askToReopen(const QString &file)
{
    const QString question = QStringLiteral(
        "%1 has changed on disk since Tessera opened it; another program may have written "
        "it.\n\nOpen the data set again to work on the new file? Your pending edits are kept "
        "wherever they still fit. Until then saving is refused, so that a saved data set never "
        "mixes the old file with the new; File > Reopen opens it again later.")
                                 .arg(QDir::toNativeSeparators(file));
    return UserPrompts::current().confirm(window, ProgramName, question, QStringLiteral("Reopen"));
}

void DataSetPrompts::warnOfTileDataLayout(MyBar *bar)
{
    // Records read in a layout guessed from a cut file may be garbage: the user hears of
    // it before editing or saving them, and the status bar keeps saying so.
    const QString warning = session.dataSet()->tiles().layoutWarning();
    if (warning.isEmpty())
        return;
    UserPrompts::current().warning(window, ProgramName, warning);
    bar->showNotice(warning);
}
