#include "tools/cli/MergeCommand.h"

#include "art/ArtFormat.h"
#include "dataset/DataSet.h"
#include "edits/TileEdits.h"
#include "saving/DataSetSaver.h"
#include "tiledata/TileData.h"
#include "tools/cli/CliError.h"
#include "tools/cli/CliOptions.h"
#include "tools/cli/CliText.h"
#include "tools/cli/OpenDataSet.h"
#include "tools/cli/SaveToDirectory.h"
#include "tools/cli/TileId.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace {

const char *const Usage = "usage: tessera-cli merge A B OUTDIR --ids LIST [--art] [--tiledata] [--animation]";

struct Tile
{
    TileKind kind = TileKind::Terrain;
    int id = 0;
    bool operator<(const Tile &other) const
    {
        return std::pair(kind == TileKind::Static, id) < std::pair(other.kind == TileKind::Static, other.id);
    }
    bool operator==(const Tile &other) const { return kind == other.kind && id == other.id; }
};

int idLimit(TileKind kind)
{
    return kind == TileKind::Terrain ? ArtFormat::TerrainCount : ArtFormat::MaxStaticCount;
}

// "land:5", "static:0x100-0x1FF", comma-separated; in kind then id order, each tile once.
std::vector<Tile> parseIds(const QString &list)
{
    std::vector<Tile> tiles;
    for (const QString &item : list.split(QLatin1Char(','))) {
        const qsizetype colon = item.indexOf(QLatin1Char(':'));
        if (colon < 0)
            throw CliError(
                QStringLiteral("'%1' in --ids is not KIND:ID or KIND:FIRST-LAST").arg(CliText::elide(item)));
        const TileKind kind = TileId::parseKind(item.left(colon));
        const QString ids = item.mid(colon + 1);
        // Ids are never negative, so a dash can only separate the ends of a range.
        const qsizetype dash = ids.indexOf(QLatin1Char('-'));
        const QString what = tileDataKindWord(kind);
        const int first = TileId::parse(dash < 0 ? ids : ids.left(dash), idLimit(kind), what);
        const int last = dash < 0 ? first : TileId::parse(ids.mid(dash + 1), idLimit(kind), what);
        if (last < first)
            throw CliError(
                QStringLiteral("the range '%1' in --ids ends before it starts").arg(CliText::elide(item)));
        for (int id = first; id <= last; ++id)
            tiles.push_back({kind, id});
    }
    std::sort(tiles.begin(), tiles.end());
    tiles.erase(std::unique(tiles.begin(), tiles.end()), tiles.end());
    return tiles;
}

} // namespace

void MergeCommand::run(const QStringList &args, QTextStream &out)
{
    if (args.size() != 3)
        throw CliError(QLatin1String(Usage));
    const CliOptions &options = CliOptions::current();
    if (options.mergeIds.isEmpty())
        throw CliError(
            QStringLiteral("merge needs the tiles to take (--ids LIST); %1").arg(QLatin1String(Usage)));
    const std::vector<Tile> tiles = parseIds(options.mergeIds);
    // No part named: the whole tile.
    const bool all = !options.parts.art && !options.parts.tileData && !options.parts.animation;

    const auto a = OpenDataSet::open(args[0]);
    const auto b = OpenDataSet::open(args[1]);
    // Taken as the window takes them, so that both bring a tile across alike.
    TileEdits edits(a->art(), a->tiles(), &a->anims());
    int changed = 0;
    QObject::connect(&edits, &TileEdits::tileChanged, &edits, [&changed] { ++changed; });
    QList<std::pair<TileKind, int>> taking;
    for (const Tile &tile : tiles)
        taking.append({tile.kind, tile.id});
    QString error;
    if (!edits.takeFromOther(*b, taking,
            {all || options.parts.art, all || options.parts.tileData, all || options.parts.animation},
            &error))
        throw CliError(QStringLiteral("%1; nothing was merged").arg(error));

    DataSetSaver saver(a->art(), a->tiles(), a->anims());
    SaveToDirectory::save(saver, args[2]);
    out << tiles.size() << " tiles taken from " << args[1] << " (" << changed
        << " changed), data set written to " << args[2] << '\n';
}
