#include "app/DataSetSaveController.h"

#include "dataset/DataSet.h"
#include "edits/TileEdits.h"
#include "saving/DataSetSaver.h"
#include "ui/UserPrompts.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProgressDialog>
#include <QScopedValueRollback>

namespace {

constexpr int ProgressSteps = 1000;
constexpr int ProgressDelayMs = 300;

} // namespace

DataSetSaveController::DataSetSaveController(QWidget *window, DataSet *dataSet, TileEdits *edits)
    : QObject(window), window(window), dataSet(dataSet), edits(edits)
{
    connect(edits, &TileEdits::unsavedChanged, this, &DataSetSaveController::unsavedChanged);
}

QString DataSetSaveController::replaceQuestion(const QString &directory, const QStringList &files)
{
    return QStringLiteral("%1 already holds a data set (%2). Replace it with the data set open now?")
        .arg(QDir::toNativeSeparators(directory), files.join(QStringLiteral(", ")));
}

bool DataSetSaveController::hasUnsavedEdits() const
{
    return edits->hasUnsavedEdits();
}

bool DataSetSaveController::save()
{
    if (saving)
        return false;
    const QString directory = lastOutput.isEmpty() ? chooseDirectory() : lastOutput;
    return !directory.isEmpty() && saveTo(directory);
}

bool DataSetSaveController::saveAs()
{
    if (saving)
        return false;
    const QString directory = chooseDirectory();
    return !directory.isEmpty() && saveTo(directory);
}

QString DataSetSaveController::chooseDirectory()
{
    // Start where the last save went, else beside the data directory (in its parent):
    // the output must be another directory.
    QString start = lastTried.isEmpty() ? chooserStart : lastTried;
    if (start.isEmpty() || !QFileInfo(start).isDir())
        start = QFileInfo(QDir(dataSet->directory()).absolutePath()).absolutePath();
    return UserPrompts::current().existingDirectory(window, chooserCaption(), start);
}

bool DataSetSaveController::saveTo(const QString &directory)
{
    QScopedValueRollback<bool> guard(saving, true);
    lastTried = directory;
    DataSetSaver saver(dataSet->art(), dataSet->tiles(), dataSet->anims());
    // Another data set there is replaced only when the user says so; the saver itself
    // refuses the data set's own files, under any name.
    const QStringList present = DataSet::filesIn(directory);
    QString input;
    const bool refused
        = saver.isDataDirectory(directory) || !saver.replacedInput(directory, &input).isEmpty();
    if (directory != lastOutput && !present.isEmpty() && !refused
        && !UserPrompts::current().confirm(window, QStringLiteral("Replace the data set?"),
            replaceQuestion(directory, present), QStringLiteral("Replace")))
        return false;
    QProgressDialog progress(progressText(), QStringLiteral("Cancel"), 0, ProgressSteps, window);
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(ProgressDelayMs);

    saver.setProgressHandler([&progress](qint64 done, qint64 total) {
        progress.setValue(total > 0 ? int(done * ProgressSteps / total) : ProgressSteps);
        QCoreApplication::processEvents();
        return !progress.wasCanceled();
    });
    const DataSetSaver::Status status = saver.save(directory);
    progress.reset();

    if (status == DataSetSaver::Status::Failed) {
        // The next Save asks again: the remembered directory may be gone or read-only.
        lastOutput.clear();
        UserPrompts::current().warning(window, QStringLiteral("Save failed"),
            QStringLiteral("The data set was not saved; your edits are kept.\n\n%1")
                .arg(saver.errorString()));
        return false;
    }
    if (status == DataSetSaver::Status::Cancelled)
        return false;
    lastOutput = directory;
    edits->markSaved();
    Q_EMIT saved(directory);
    if (!saver.notice().isEmpty())
        UserPrompts::current().warning(window, QStringLiteral("Saved"),
            QStringLiteral("The data set was saved.\n\n%1").arg(saver.notice()));
    return true;
}

bool DataSetSaveController::confirmClose(const QString &question)
{
    if (!hasUnsavedEdits())
        return true;
    switch (UserPrompts::current().askSaveChanges(window, question)) {
    case UserPrompts::SaveAnswer::Save:
        return save();
    case UserPrompts::SaveAnswer::Discard:
        return true;
    case UserPrompts::SaveAnswer::Cancel:
        break;
    }
    return false;
}
