#include "app/ImageBatchCommands.h"

#include "app/MyBar.h"
#include "app/MyMainWindow.h"
#include "art/ArtWork.h"
#include "art/ImageBatchExport.h"
#include "art/ImageBatchImport.h"
#include "browser/TilePalette.h"
#include "edits/TileEdits.h"
#include "tiledata/AnimDataFile.h"
#include "tiledata/TileData.h"
#include "ui/UserPrompts.h"

#include <QDir>
#include <QGuiApplication>
#include <QPointer>
#include <QProgressDialog>

namespace {

// The files of the open data set by identity: an export never replaces one of them.
QVector<FileIdentity> dataSetFiles(const MyMainWindow &window)
{
    QVector<FileIdentity> files;
    const QStringList paths = window.artStore()->container().fileNames()
        + QStringList{window.tileStore()->fileName(), window.animStore()->fileName()};
    for (const QString &path : paths) {
        const FileIdentity identity = FileIdentity::of(path);
        if (identity.isValid())
            files.append(identity);
    }
    return files;
}

QString imagesText(int count)
{
    return count == 1 ? QStringLiteral("1 image") : QStringLiteral("%1 images").arg(count);
}

} // namespace

ImageBatchCommands::ImageBatchCommands(MyMainWindow *window) : QObject(window), window(window) { }

QVector<int> ImageBatchCommands::tilesToExport(const TilePalette &palette)
{
    // One tile is always selected once the user has clicked: only several are a choice.
    if (palette.selectedIds().size() > 1)
        return palette.selectedIds();
    QVector<int> ids;
    ids.reserve(palette.shownCount());
    for (int index = 0; index < palette.shownCount(); ++index)
        ids.append(palette.idAt(index));
    return ids;
}

void ImageBatchCommands::exportImages()
{
    QPointer<TilePalette> palette = window->currentPalette();
    if (!palette)
        return;
    const TileKind kind = palette->kind();
    const QVector<int> ids = tilesToExport(*palette);
    const QString directory = UserPrompts::current().existingDirectory(window, exportCaption(), QString());
    // The data set may have gone while the user chose.
    if (directory.isEmpty() || !palette)
        return;
    const QString shownDirectory = QDir::toNativeSeparators(directory);

    QProgressDialog progress(
        QStringLiteral("Exporting the images of %1 to %2").arg(tilesLabel(kind, ids), shownDirectory),
        QStringLiteral("Cancel"), 0, int(ids.size()), window);
    progress.setWindowTitle(QStringLiteral("Export Images"));
    // Shown at once and modal: the window takes no input while the export runs, and
    // each step lets events through, so that it repaints and a cancel is heard.
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(0);
    ImageBatchExport batch(*window->artStore(), kind);
    batch.protect(dataSetFiles(*window));
    batch.setProgress([&progress](int done, int) {
        progress.setValue(done);
        return !progress.wasCanceled();
    });
    const ImageBatchExport::Outcome outcome = batch.run(ids, directory);
    progress.reset();

    if (!outcome.ok()) {
        const QString what = outcome.failedPath.isEmpty()
            ? QStringLiteral("Could not export into %1: %2").arg(shownDirectory, outcome.error)
            : QStringLiteral("Could not write %1: %2")
                  .arg(QDir::toNativeSeparators(outcome.failedPath), outcome.error);
        window->warn(QStringLiteral("%1\n\nThe export stopped there; %2 had been written to %3.")
                         .arg(what, imagesText(outcome.written), shownDirectory));
        return;
    }
    if (MyBar *bar = window->dataSetBar()) {
        bar->showNotice(outcome.cancelled
                ? QStringLiteral("Export cancelled: %1 written to %2")
                      .arg(imagesText(outcome.written), shownDirectory)
                : QStringLiteral("Exported %1 to %2").arg(imagesText(outcome.written), shownDirectory));
    }
}

void ImageBatchCommands::importImages()
{
    QPointer<TilePalette> palette = window->currentPalette();
    if (!palette || !window->edits())
        return;
    const TileKind kind = palette->kind();
    const QString directory = UserPrompts::current().existingDirectory(window, importCaption(), QString());
    if (directory.isEmpty() || !palette || !window->edits())
        return;
    const QString shownDirectory = QDir::toNativeSeparators(directory);
    ImageBatchImport::Plan plan;
    QString error;
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    const bool read = ImageBatchImport::read(directory, kind, &plan, &error);
    QGuiApplication::restoreOverrideCursor();
    if (!read) {
        window->warn(QStringLiteral("Could not import the images: %1.").arg(error));
        return;
    }

    QStringList lines;
    for (auto it = plan.fileNames.cbegin(); it != plan.fileNames.cend(); ++it)
        lines << QStringLiteral("%1 from %2").arg(tileLabel(kind, it.key()), it.value());
    if (!plan.refused.isEmpty()) {
        if (!lines.isEmpty())
            lines << QString();
        lines << QStringLiteral("Refused:");
        for (const ImageBatchImport::Refusal &refused : std::as_const(plan.refused))
            lines << QStringLiteral("%1: %2").arg(refused.fileName, refused.reason);
    }
    const QString title = QStringLiteral("Import Images");
    if (plan.images.isEmpty()) {
        if (plan.refused.isEmpty())
            UserPrompts::current().information(
                window, title, QStringLiteral("%1 holds no image files.").arg(shownDirectory));
        else
            UserPrompts::current().confirmList(window, title,
                QStringLiteral("No file in %1 can be imported:").arg(shownDirectory), lines, QString());
        return;
    }
    const QList<int> ids = plan.images.keys();
    const QString tiles = tilesLabel(kind, ids);
    QString question = QStringLiteral("The images of %1 will change.").arg(tiles);
    if (!plan.refused.isEmpty())
        question += plan.refused.size() == 1
            ? QStringLiteral(" 1 file is refused.")
            : QStringLiteral(" %1 files are refused.").arg(plan.refused.size());
    if (!UserPrompts::current().confirmList(window, title, question, lines, QStringLiteral("Import"))
        || !window->edits())
        return;
    if (!window->edits()->changeImages(kind, plan.images, TileEdits::importName(), &error)) {
        window->warn(error);
        return;
    }
    if (MyBar *bar = window->dataSetBar())
        bar->showNotice(QStringLiteral("Imported the images of %1 from %2").arg(tiles, shownDirectory));
}
