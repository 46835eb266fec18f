#include "tools/cli/CliCommands.h"

#include "art/ArtFormat.h"
#include "art/ArtRecordCheck.h"
#include "art/ArtWork.h"
#include "tiledata/AnimDataFile.h"
#include "tiledata/TileData.h"
#include "tools/cli/CliError.h"
#include "tools/cli/CliOptions.h"
#include "tools/cli/OpenDataSet.h"
#include "tools/cli/TileId.h"
#include "tools/cli/TileJson.h"

#include <QDir>
#include <QFileInfo>
#include <QImageWriter>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cstdio>

namespace {

void expectArguments(const QStringList &args, int count, const char *usage)
{
    if (args.size() != count)
        throw CliError(QStringLiteral("usage: tessera-cli %1").arg(QLatin1String(usage)));
}

enum class Kind { Terrain, Static };

Kind parseKind(const QString &text, const char *terrainWord)
{
    if (text == QLatin1String(terrainWord))
        return Kind::Terrain;
    if (text == QLatin1String("static"))
        return Kind::Static;
    throw CliError(QStringLiteral("'%1' is neither %2 nor static").arg(text, QLatin1String(terrainWord)));
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
            known = shows.insert(key, ArtRecordCheck::shows(slot, container.record(slot)));
        images += *known ? 1 : 0;
    }
    return images;
}

// The name of the tile-data layout the store has read; the store reads the classic
// layout only.
QString tileDataLayoutName(const TileData &)
{
    return QStringLiteral("classic");
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
    if (CliOptions::current().json) {
        QJsonArray sizes;
        for (const QString &path : files)
            sizes.append(QJsonObject{{QStringLiteral("name"), QFileInfo(path).fileName()},
                {QStringLiteral("bytes"), QFileInfo(path).size()}});
        const QJsonObject json{{QStringLiteral("artContainer"), ArtContainer::formatName(container.format())},
            {QStringLiteral("tileDataLayout"), tileDataLayoutName(set.tiles())},
            {QStringLiteral("terrainImages"), terrainImages}, {QStringLiteral("staticImages"), staticImages},
            {QStringLiteral("staticTiles"), set.tiles().staticCount()},
            {QStringLiteral("artNotes"), QJsonArray::fromStringList(notes)},
            {QStringLiteral("files"), sizes}};
        out << QJsonDocument(json).toJson(QJsonDocument::Indented);
        return;
    }
    out << "art container: " << ArtContainer::formatName(container.format()) << '\n';
    out << "tile data layout: " << tileDataLayoutName(set.tiles()) << '\n';
    out << "terrain images: " << terrainImages << '\n';
    out << "static images: " << staticImages << '\n';
    out << "static tiles: " << set.tiles().staticCount() << '\n';
    for (const QString &path : files)
        out << QFileInfo(path).fileName() << ": " << QFileInfo(path).size() << " bytes\n";
    for (const QString &note : notes)
        out << "art container note: " << note << '\n';
}

int idCount(const ArtWork &art, Kind kind)
{
    return kind == Kind::Terrain ? ArtFormat::TerrainCount : art.staticSlotCount();
}

QString exportName(Kind kind, int id)
{
    return QStringLiteral("%1-0x%2.png")
        .arg(QLatin1String(kind == Kind::Terrain ? "terrain" : "static"))
        .arg(id, 4, 16, QLatin1Char('0'));
}

void savePng(const QImage &image, const QString &path)
{
    QImageWriter writer(path, "png");
    if (!writer.write(image))
        throw CliError(QStringLiteral("cannot write %1: %2").arg(path, writer.errorString()));
}

void exportAll(ArtWork &art, Kind kind, const QString &outDir, QTextStream &out)
{
    if (!QDir().mkpath(outDir) || !QFileInfo(outDir).isWritable())
        throw CliError(QStringLiteral("cannot write to directory %1").arg(outDir));
    const int count = idCount(art, kind);
    int written = 0;
    for (int id = 0; id < count; ++id) {
        const QImage image = kind == Kind::Terrain ? art.getTerrain(id, false) : art.getStatic(id, false);
        if (!image.isNull()) {
            savePng(image, QDir(outDir).filePath(exportName(kind, id)));
            ++written;
        }
        if ((id + 1) % 1024 == 0 || id + 1 == count)
            std::fprintf(stderr, "\r%d of %d ids, %d images", id + 1, count, written);
    }
    std::fprintf(stderr, "\n");
    out << written << " images written to " << outDir << '\n';
}

} // namespace

void CliCommands::info(const QStringList &args, QTextStream &out)
{
    expectArguments(args, 1, "info DIR [--json]");
    printInfo(*OpenDataSet::open(args[0]), out);
}

void CliCommands::tile(const QStringList &args, QTextStream &out)
{
    expectArguments(args, 3, "tile DIR land|static ID");
    const auto set = OpenDataSet::open(args[0]);
    const Kind kind = parseKind(args[1], "land");
    const TileData &tiles = set->tiles();
    QJsonObject json;
    if (kind == Kind::Terrain) {
        const int id = TileId::parse(args[2], ArtFormat::TerrainCount, QStringLiteral("land"));
        json = TileJson::land(id, LandTileRecord::fromBytes(tiles.landRecord(id)));
    } else {
        const int id = TileId::parse(args[2], tiles.staticCount(), QStringLiteral("static"));
        json = TileJson::statics(id, StaticTileRecord::fromBytes(tiles.staticRecord(id)));
    }
    out << QJsonDocument(json).toJson(QJsonDocument::Indented);
}

void CliCommands::anim(const QStringList &args, QTextStream &out)
{
    expectArguments(args, 2, "anim DIR ID");
    const auto set = OpenDataSet::open(args[0]);
    const AnimDataFile &anim = set->anims();
    const int entries
        = int(anim.fileBytes().size() / AnimDataFile::BlockSize * AnimDataFile::EntriesPerBlock);
    const int id = TileId::parse(args[1], entries, QStringLiteral("animation"));
    out << QJsonDocument(TileJson::animation(id, anim.readEntry(id))).toJson(QJsonDocument::Indented);
}

void CliCommands::exportImages(const QStringList &args, QTextStream &out)
{
    expectArguments(args, 4, "export DIR terrain|static ID|all OUT");
    const auto set = OpenDataSet::open(args[0]);
    const Kind kind = parseKind(args[1], "terrain");
    ArtWork &art = set->art();
    if (args[2] == QLatin1String("all"))
        return exportAll(art, kind, args[3], out);

    const int id = TileId::parse(args[2], idCount(art, kind), args[1]);
    const QImage image = kind == Kind::Terrain ? art.getTerrain(id, false) : art.getStatic(id, false);
    if (image.isNull())
        throw CliError(QStringLiteral("%1 %2 has no image").arg(args[1], args[2]));
    savePng(image, args[3]);
    out << "wrote " << args[3] << '\n';
}
