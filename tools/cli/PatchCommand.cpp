#include "tools/cli/PatchCommand.h"

#include "art/ArtWork.h"
#include "art/ImageFileLoader.h"
#include "io/CheckedWrite.h"
#include "saving/DataSetSaver.h"
#include "tiledata/TileData.h"
#include "tools/cli/CliError.h"
#include "tools/cli/CliText.h"
#include "tools/cli/OpenDataSet.h"
#include "tools/cli/PatchList.h"
#include "tools/cli/SaveToDirectory.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryFile>
#include <cstdio>

namespace {

QString lineError(const QString &listPath, const PatchList::Entry &entry, const QString &message)
{
    return QStringLiteral("%1:%2: %3").arg(listPath).arg(entry.line).arg(message);
}

QImage loadImage(const QString &listPath, const PatchList::Entry &entry)
{
    if (entry.imagePath.isEmpty())
        return QImage();
    QString error;
    const QImage image = ImageFileLoader::load(entry.imagePath, &error);
    if (image.isNull())
        throw CliError(lineError(listPath, entry,
            QStringLiteral("cannot read image %1: %2").arg(CliText::elide(entry.imagePath), error)));
    return image;
}

// Why nothing can be written in directory, as the system says; empty when it can be.
QString writeFailure(const QString &directory)
{
    QTemporaryFile probe(QDir(directory).filePath(QStringLiteral("tessera-probe-XXXXXX")));
    // Unbuffered, so that a failing write fails itself, with the system's reason.
    if (!static_cast<QFile &>(probe).open(QIODevice::ReadWrite | QIODevice::Unbuffered))
        return probe.errorString();
    // A full disk still lets an empty file be made: only writing shows it.
    if (!CheckedWrite::writeAll(probe, QByteArray(4096, '\0')))
        return probe.errorString();
    return QString();
}

// The edits are kept in the temporary directory until saved: when the store could not
// set up its directory there, or the directory is full, that is the fault, not the
// list's first line.
void requireTemporarySpace(const ArtWork &art)
{
    const QString reason = writeFailure(QDir::tempPath());
    if (reason.isEmpty() && !art.pendingEdits().directory().isEmpty())
        return;
    throw CliError(QStringLiteral("cannot keep the edits in the temporary directory %1: %2")
                       .arg(QDir::toNativeSeparators(QDir::tempPath()),
                           reason.isEmpty() ? QStringLiteral("it could not be written") : reason));
}

void apply(ArtWork &art, const QString &listPath, const PatchList &list)
{
    for (const PatchList::Entry &entry : list.entries()) {
        const QImage image = loadImage(listPath, entry);
        QString error;
        const bool stored = art.setImage(entry.kind, entry.id, image, &error);
        if (!stored)
            throw CliError(lineError(listPath, entry, error));
    }
}

} // namespace

void PatchCommand::run(const QStringList &args, QTextStream &out)
{
    if (args.size() != 3)
        throw CliError(QStringLiteral("usage: tessera-cli patch DIR OUTDIR LIST"));
    const auto set = OpenDataSet::open(args[0]);
    const QString &outDir = args[1];
    const QString &listPath = args[2];

    ArtWork &art = set->art();
    const TileData &tiles = set->tiles();
    const PatchList list
        = PatchList::read(listPath, qMax(tiles.count(TileKind::Static), art.staticSlotCount()));
    if (!list.entries().isEmpty())
        requireTemporarySpace(art);
    apply(art, listPath, list);

    DataSetSaver saver(art, tiles, set->anims());
    SaveToDirectory::save(saver, outDir);
    out << list.entries().size() << " edits applied, data set written to " << outDir << '\n';
}
