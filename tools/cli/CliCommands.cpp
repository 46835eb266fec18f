#include "tools/cli/CliCommands.h"

#include "art/ArtFormat.h"
#include "art/ArtWork.h"
#include "art/ImageFileWriter.h"
#include "io/FileIdentity.h"
#include "tiledata/AnimDataFile.h"
#include "tiledata/TileData.h"
#include "tools/cli/CliError.h"
#include "tools/cli/DataSetDirectory.h"
#include "tools/cli/TileId.h"
#include "tools/cli/TileJson.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonDocument>
#include <QVector>
#include <cstdio>

namespace {

const QString ArtIndexName = QStringLiteral("artidx.mul");
const QString ArtName = QStringLiteral("art.mul");
const QString TileDataName = QStringLiteral("tiledata.mul");
const QString AnimDataName = QStringLiteral("animdata.mul");

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

std::unique_ptr<ArtWork> openArt(const DataSetDirectory &dir)
{
    return std::make_unique<ArtWork>(dir.existingFile(ArtIndexName), dir.existingFile(ArtName));
}

int imageCount(ArtWork &art, Kind kind, int count)
{
    int images = 0;
    for (int id = 0; id < count; ++id) {
        const QImage image = kind == Kind::Terrain ? art.getTerrain(id, false) : art.getStatic(id, false);
        images += image.isNull() ? 0 : 1;
    }
    return images;
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

// The files of the data set by identity, so that no export replaces one of them
// however its path is spelt.
QVector<FileIdentity> dataSetFiles(const DataSetDirectory &dir)
{
    QVector<FileIdentity> files;
    for (const QString &name : {ArtName, ArtIndexName, TileDataName, AnimDataName}) {
        const FileIdentity identity = FileIdentity::of(dir.filePath(name));
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

void exportAll(
    ArtWork &art, Kind kind, const QString &outDir, const QVector<FileIdentity> &dataFiles, QTextStream &out)
{
    if (!QDir().mkpath(outDir) || !QFileInfo(outDir).isWritable())
        throw CliError(QStringLiteral("cannot write to directory %1").arg(outDir));
    const int count = idCount(art, kind);
    int written = 0;
    for (int id = 0; id < count; ++id) {
        const QImage image = kind == Kind::Terrain ? art.getTerrain(id, false) : art.getStatic(id, false);
        if (!image.isNull()) {
            savePng(image, QDir(outDir).filePath(exportName(kind, id)), dataFiles);
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
    expectArguments(args, 1, "info DIR");
    const DataSetDirectory dir(args[0]);
    auto art = openArt(dir);
    const TileData tiles(dir.existingFile(TileDataName));
    out << "terrain images: " << imageCount(*art, Kind::Terrain, ArtFormat::TerrainCount) << '\n';
    out << "static images: " << imageCount(*art, Kind::Static, art->staticSlotCount()) << '\n';
    out << "static tiles: " << tiles.staticCount() << '\n';
    for (const QString &name : {ArtName, ArtIndexName, TileDataName, AnimDataName})
        out << name << ": " << QFileInfo(dir.existingFile(name)).size() << " bytes\n";
}

void CliCommands::tile(const QStringList &args, QTextStream &out)
{
    expectArguments(args, 3, "tile DIR land|static ID");
    const DataSetDirectory dir(args[0]);
    const Kind kind = parseKind(args[1], "land");
    const TileData tiles(dir.existingFile(TileDataName));
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
    const DataSetDirectory dir(args[0]);
    const QString path = dir.existingFile(AnimDataName);
    const int entries = int(QFileInfo(path).size() / AnimDataFile::BlockSize * AnimDataFile::EntriesPerBlock);
    const int id = TileId::parse(args[1], entries, QStringLiteral("animation"));
    AnimDataFile anim;
    anim.setFileName(path);
    out << QJsonDocument(TileJson::animation(id, anim.readEntry(id))).toJson(QJsonDocument::Indented);
}

void CliCommands::exportImages(const QStringList &args, QTextStream &out)
{
    expectArguments(args, 4, "export DIR terrain|static ID|all OUT");
    const DataSetDirectory dir(args[0]);
    const Kind kind = parseKind(args[1], "terrain");
    auto art = openArt(dir);
    const QVector<FileIdentity> dataFiles = dataSetFiles(dir);
    if (args[2] == QLatin1String("all"))
        return exportAll(*art, kind, args[3], dataFiles, out);

    const int id = TileId::parse(args[2], idCount(*art, kind), args[1]);
    const QImage image = kind == Kind::Terrain ? art->getTerrain(id, false) : art->getStatic(id, false);
    if (image.isNull())
        throw CliError(QStringLiteral("%1 %2 has no image").arg(args[1], args[2]));
    savePng(image, args[3], dataFiles);
    out << "wrote " << args[3] << '\n';
}
