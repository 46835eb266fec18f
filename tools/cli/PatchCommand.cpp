#include "tools/cli/PatchCommand.h"

#include "art/ArtWork.h"
#include "art/ImageFileLoader.h"
#include "saving/DataSetSaver.h"
#include "tiledata/TileData.h"
#include "tools/cli/CliError.h"
#include "tools/cli/OpenDataSet.h"
#include "tools/cli/PatchList.h"
#include "tools/cli/SaveToDirectory.h"

#include <QDir>
#include <QFileInfo>
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
        throw CliError(lineError(
            listPath, entry, QStringLiteral("cannot read image %1: %2").arg(entry.imagePath, error)));
    return image;
}

void apply(ArtWork &art, const QString &listPath, const PatchList &list)
{
    for (const PatchList::Entry &entry : list.entries()) {
        const QImage image = loadImage(listPath, entry);
        QString error;
        const bool stored = entry.kind == PatchList::Entry::Kind::Terrain
            ? art.setTerrain(entry.id, image, &error)
            : art.setStatic(entry.id, image, &error);
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
    const PatchList list = PatchList::read(listPath, qMax(tiles.staticCount(), art.staticSlotCount()));
    apply(art, listPath, list);

    DataSetSaver saver(art, tiles, set->anims());
    SaveToDirectory::save(saver, outDir);
    out << list.entries().size() << " edits applied, data set written to " << outDir << '\n';
}
