#include "tools/cli/CliCommands.h"

#include "art/ArtCodec.h"
#include "art/ArtFormat.h"
#include "art/ArtWork.h"
#include "art/ImageBatchExport.h"
#include "art/ImageFileWriter.h"
#include "io/FileIdentity.h"
#include "tiledata/AnimDataFile.h"
#include "tiledata/TileData.h"
#include "tiledata/TileDataFormat.h"
#include "tools/cli/CliError.h"
#include "tools/cli/CliOptions.h"
#include "tools/cli/CliText.h"
#include "tools/cli/OpenDataSet.h"
#include "tools/cli/TileId.h"
#include "tools/cli/TileJson.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QVector>
#include <cstdio>
#include <numeric>

namespace {

void expectArguments(const QStringList &args, int count, const char *usage)
{
    if (args.size() != count)
        throw CliError(QStringLiteral("usage: tessera-cli %1").arg(QLatin1String(usage)));
}

// Whether decoding the record of the slot gives an image, told without building it.
bool recordShows(int slot, QByteArrayView record)
{
    return (slot < ArtFormat::StaticIdBase ? ArtCodec::terrainRecordExtent(record)
                                           : ArtCodec::staticRecordExtent(record))
        >= 0;
}

// Slots first..end-1 whose record would show an image, told from the records without
// decoding them; a record shared by several slots is read once.
int imageCount(const ArtContainer &container, int first, int end)
{
    QHash<QPair<qint32, qint32>, bool> shows;
    int images = 0;
    for (int slot = first; slot < end; ++slot) {
        const ArtIndexEntry entry = container.entry(slot);
        if (entry.isEmpty())
            continue;
        const QPair<qint32, qint32> key(entry.offset, entry.length);
        auto known = shows.constFind(key);
        if (known == shows.cend())
            known = shows.insert(key, recordShows(slot, container.record(slot)));
        images += *known ? 1 : 0;
    }
    return images;
}

// The layout line of info's text: the layout and why it was chosen.
void describeTileData(const TileData &tiles, QTextStream &out)
{
    out << "tile data layout: " << tiles.layoutName();
    if (tiles.isLayoutForced())
        out << " (forced)\n";
    else
        out << " (" << tiles.layoutReason() << ")\n";
}

void printInfo(const DataSet &set, QTextStream &out)
{
    const ArtWork &art = set.art();
    const ArtContainer &container = art.container();
    const int terrainImages = imageCount(container, 0, qMin(container.slotCount(), ArtFormat::TerrainCount));
    const int staticImages = imageCount(container, ArtFormat::StaticIdBase, container.slotCount());
    const QStringList files
        = container.fileNames() + QStringList{set.tiles().fileName(), set.anims().fileName()};
    const QStringList notes = container.notes();
    QStringList warnings;
    if (!set.interruptedSave().isEmpty())
        warnings.append(set.interruptedSave());
    if (!set.tiles().layoutWarning().isEmpty())
        warnings.append(set.tiles().layoutWarning());
    if (CliOptions::current().json) {
        QJsonArray sizes;
        for (const QString &path : files)
            sizes.append(QJsonObject{{QStringLiteral("name"), QFileInfo(path).fileName()},
                {QStringLiteral("bytes"), QFileInfo(path).size()}});
        const QJsonObject json{{QStringLiteral("artContainer"), ArtContainer::formatName(container.format())},
            {QStringLiteral("tileDataLayout"), set.tiles().layoutName()},
            {QStringLiteral("tileDataLayoutReason"), set.tiles().layoutReason()},
            {QStringLiteral("terrainImages"), terrainImages}, {QStringLiteral("staticImages"), staticImages},
            {QStringLiteral("staticTiles"), set.tiles().count(TileKind::Static)},
            {QStringLiteral("artNotes"), QJsonArray::fromStringList(notes)}, {QStringLiteral("files"), sizes},
            {QStringLiteral("warnings"), QJsonArray::fromStringList(warnings)}};
        out << QJsonDocument(json).toJson(QJsonDocument::Indented);
        return;
    }
    out << "art container: " << ArtContainer::formatName(container.format()) << '\n';
    describeTileData(set.tiles(), out);
    out << "terrain images: " << terrainImages << '\n';
    out << "static images: " << staticImages << '\n';
    out << "static tiles: " << set.tiles().count(TileKind::Static) << '\n';
    for (const QString &path : files)
        out << QFileInfo(path).fileName() << ": " << QFileInfo(path).size() << " bytes\n";
    for (const QString &note : notes)
        out << "art container note: " << note << '\n';
}

int idCount(const ArtWork &art, TileKind kind)
{
    return kind == TileKind::Terrain ? ArtFormat::TerrainCount : art.staticSlotCount();
}

// The files of the data set by identity, so that no export replaces one of them
// however its path is spelt.
QVector<FileIdentity> dataSetFiles(const DataSet &set)
{
    QVector<FileIdentity> files;
    const QStringList paths
        = set.art().container().fileNames() + QStringList{set.tiles().fileName(), set.anims().fileName()};
    for (const QString &path : paths) {
        const FileIdentity identity = FileIdentity::of(path);
        if (identity.isValid())
            files.append(identity);
    }
    return files;
}

// Writes the PNG whole or not at all, never over a file of the data set.
void savePng(const QImage &image, const QString &path, const QVector<FileIdentity> &dataFiles)
{
    if (dataFiles.contains(FileIdentity::of(path)))
        throw CliError(
            QStringLiteral("%1 is a file of the data set; the originals are never overwritten").arg(path));
    QString error;
    if (!ImageFileWriter::write(image, path, "png", &error))
        throw CliError(QStringLiteral("cannot write %1: %2").arg(path, error));
}

void exportAll(ArtWork &art, TileKind kind, const QString &outDir, const QVector<FileIdentity> &dataFiles,
    QTextStream &out)
{
    const QString notDirectory = CliText::notADirectory(outDir);
    if (!notDirectory.isEmpty())
        throw CliError(notDirectory);
    if (!QDir().mkpath(outDir) || !QFileInfo(outDir).isWritable())
        throw CliError(QStringLiteral("cannot write to directory %1").arg(outDir));
    const int count = idCount(art, kind);
    QVector<int> ids(count);
    std::iota(ids.begin(), ids.end(), 0);
    ImageBatchExport batch(art, kind);
    batch.protect(dataFiles);
    int shown = -1;
    batch.setProgress([count, &shown](int done, int written) {
        if (done / 1024 != shown / 1024 || done == count) {
            std::fprintf(stderr, "\r%d of %d ids, %d images", done, count, written);
            shown = done;
        }
        return true;
    });
    const ImageBatchExport::Outcome outcome = batch.run(ids, outDir);
    std::fprintf(stderr, "\n");
    if (!outcome.ok()) {
        if (outcome.failedPath.isEmpty())
            throw CliError(QStringLiteral("cannot write to directory %1: %2").arg(outDir, outcome.error));
        throw CliError(QStringLiteral("cannot write %1: %2").arg(outcome.failedPath, outcome.error));
    }
    const int written = outcome.written;
    out << written << " images written to " << outDir << '\n';
}

// The record the store gives, or its reason why there is none.
template <typename Record> Record heldRecord(const std::optional<Record> &record, const QString &error)
{
    if (!record)
        throw CliError(error);
    return *record;
}


} // namespace

void CliCommands::info(const QStringList &args, QTextStream &out)
{
    try {
        expectArguments(args, 1, "info DIR [--json]");
        printInfo(*OpenDataSet::open(args[0]), out);
    } catch (const CliError &error) {
        // Whoever reads the JSON learns why there is none of the usual kind.
        if (CliOptions::current().json)
            out << QJsonDocument(QJsonObject{{QStringLiteral("error"), error.message()}})
                       .toJson(QJsonDocument::Indented);
        throw;
    }
}

void CliCommands::tile(const QStringList &args, QTextStream &out)
{
    expectArguments(args, 3, "tile DIR terrain|static ID");
    const auto set = OpenDataSet::open(args[0]);
    const TileKind kind = TileId::parseKind(args[1]);
    const TileData &tiles = set->tiles();
    QJsonObject json;
    QString error;
    // Ids within the format's limits; the store says whether the file holds them.
    if (kind == TileKind::Terrain) {
        const int id = TileId::parse(args[2], TileDataFormat::LandCount, args[1]);
        json = TileJson::land(id, heldRecord(tiles.landRecord(id, &error), error));
    } else {
        const int id = TileId::parse(args[2], TileDataFormat::MaxStaticCount, args[1]);
        json = TileJson::statics(id, heldRecord(tiles.staticRecord(id, &error), error));
    }
    out << TileJson::toText(json);
}

void CliCommands::anim(const QStringList &args, QTextStream &out)
{
    expectArguments(args, 2, "anim DIR ID");
    const auto set = OpenDataSet::open(args[0]);
    const AnimDataFile &anim = set->anims();
    const int id = TileId::parse(args[1], anim.count(), QStringLiteral("animation"));
    out << TileJson::toText(TileJson::animation(id, anim.readEntry(id)));
}

void CliCommands::exportImages(const QStringList &args, QTextStream &out)
{
    expectArguments(args, 4, "export DIR terrain|static ID|all OUT");
    const auto set = OpenDataSet::open(args[0]);
    const TileKind kind = TileId::parseKind(args[1]);
    ArtWork &art = set->art();
    const QVector<FileIdentity> dataFiles = dataSetFiles(*set);
    if (args[2] == QLatin1String("all"))
        return exportAll(art, kind, args[3], dataFiles, out);

    const int id = TileId::parse(args[2], idCount(art, kind), args[1]);
    const QImage image = art.image(kind, id, false);
    if (image.isNull())
        throw CliError(QStringLiteral("%1 %2 has no image").arg(args[1], args[2]));
    savePng(image, args[3], dataFiles);
    out << "wrote " << args[3] << '\n';
}
