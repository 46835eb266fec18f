#include "tools/cli/MergeCommand.h"

#include "art/ArtFormat.h"
#include "art/ArtWork.h"
#include "saving/DataSetSaver.h"
#include "tiledata/AnimDataFile.h"
#include "tiledata/TileData.h"
#include "tiledata/TileFlags.h"
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

class Merge
{
public:
    Merge(DataSet &a, DataSet &b, const QString &bPath) : a(a), b(b), bPath(bPath) { }

    // The tile must be one B has: an id within its palette.
    void requireInB(const Tile &tile) const
    {
        const int held = tile.kind == TileKind::Terrain
            ? ArtFormat::TerrainCount
            : qMax(b.tiles().count(TileKind::Static), b.art().staticSlotCount());
        if (tile.id < held)
            return;
        const QString word = tileDataKindWord(tile.kind);
        const QString range = held == 0
            ? QStringLiteral("it has no %1 tiles").arg(word)
            : QStringLiteral("its %1 tiles end at 0x%2").arg(word, QString::number(held - 1, 16).toUpper());
        throw CliError(QStringLiteral("%1 is not in %2 (%3); nothing was merged")
                           .arg(tileLabel(tile.kind, tile.id), bPath, range));
    }

    // B's image, its record as B stores it, or its absence.
    bool takeArt(const Tile &tile)
    {
        const int slot = (tile.kind == TileKind::Terrain ? 0 : ArtFormat::StaticIdBase) + tile.id;
        const ArtContainer &theirs = b.art().container();
        const ArtContainer &mine = a.art().container();
        const QByteArray record = slot < theirs.slotCount() ? theirs.record(slot) : QByteArray();
        if (!record.isEmpty() && slot < mine.slotCount() && record == mine.record(slot))
            return false;
        PendingEdit edit = record.isEmpty() ? PendingEdit::deleted() : PendingEdit::replaced(record);
        // Both read records alike: one A cannot draw, B shows as no image either.
        if (!a.art().accepts(tile.kind, tile.id, edit))
            edit = PendingEdit::deleted();
        if (edit.state == PendingEdit::State::Deleted
            && (slot >= mine.slotCount() || mine.entry(slot).isEmpty()))
            return false;
        QString error;
        if (!a.pendingEdits().put(tile.kind, tile.id, PendingEditStore::Part::Image, edit, &error))
            throw CliError(QStringLiteral("the image of %1 cannot be taken: %2")
                               .arg(tileLabel(tile.kind, tile.id), error));
        return true;
    }

    // B's record in A's layout.
    bool takeRecord(const Tile &tile)
    {
        if (!b.tiles().holds(tile.kind, tile.id))
            throw CliError(QStringLiteral("%1 has no tile data for %2; nothing was merged")
                               .arg(bPath, tileLabel(tile.kind, tile.id)));
        return tile.kind == TileKind::Terrain
            ? takeRecord(
                tile, *b.tiles().landRecord(tile.id), a.tiles().landRecord(tile.id), &TileData::setLandRecord)
            : takeRecord(tile, *b.tiles().staticRecord(tile.id), a.tiles().staticRecord(tile.id),
                &TileData::setStaticRecord);
    }

    // B's entry, as B reads it (zeros past the end of its file).
    bool takeAnimation(const Tile &tile)
    {
        const AnimDataEntry theirs = b.anims().readEntry(tile.id);
        if (tile.kind != TileKind::Static || theirs == a.anims().readEntry(tile.id))
            return false;
        QString error;
        if (!a.anims().setEntry(tile.id, theirs, &error))
            throw CliError(QStringLiteral("the animation of %1 cannot be taken: %2")
                               .arg(tileLabel(tile.kind, tile.id), error));
        return true;
    }

private:
    template <typename Record>
    bool takeRecord(const Tile &tile, Record record, const std::optional<Record> &mine,
        bool (TileData::*set)(int, const Record &, QString *))
    {
        const TileDataLayout layout = a.tiles().layout();
        if (!layout.hasUpperFlags() && (record.flags & TileFlags::UpperFlags))
            throw CliError(
                QStringLiteral("%1 uses flags the classic layout cannot hold (%2); nothing was merged")
                    .arg(TileData::describeTile(tile.kind, tile.id),
                        TileFlags::flagNames(record.flags & TileFlags::UpperFlags)
                            .join(QStringLiteral(", "))));
        record.layout = layout;
        if (mine && mine->toBytes() == record.toBytes())
            return false;
        QString error;
        if (!(a.tiles().*set)(tile.id, record, &error))
            throw CliError(error);
        return true;
    }

    DataSet &a;
    DataSet &b;
    QString bPath;
};

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
    Merge merge(*a, *b, args[1]);
    int changed = 0;
    for (const Tile &tile : tiles) {
        merge.requireInB(tile);
        bool taken = false;
        if (all || options.parts.art)
            taken |= merge.takeArt(tile);
        if (all || options.parts.tileData)
            taken |= merge.takeRecord(tile);
        if (all || options.parts.animation)
            taken |= merge.takeAnimation(tile);
        changed += taken ? 1 : 0;
    }

    DataSetSaver saver(a->art(), a->tiles(), a->anims());
    SaveToDirectory::save(saver, args[2]);
    out << tiles.size() << " tiles taken from " << args[1] << " (" << changed
        << " changed), data set written to " << args[2] << '\n';
}
