#pragma once

#include "art/ArtFormat.h"
#include "io/TileKind.h"
#include "tiledata/AnimDataEntry.h"

#include <QImage>
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>
#include <utility>

class DataSet;

// Two opened data sets compared tile by tile as a user sees them and the client reads
// them, whatever container or layout each is stored in: art by its decoded pixels, tile
// data field by field, the animation entry of statics flagged Animated. Tiles are read
// one at a time, so that two full-size sets are compared in the memory of a few records.
class DataSetComparison
{
public:
    // What is compared (all by default).
    struct Parts
    {
        bool art = true;
        bool tileData = true;
        bool animation = true;
    };

    enum class Only { Neither, A, B };

    // How one tile differs.
    struct Difference
    {
        TileKind kind = TileKind::Terrain;
        int id = 0;
        bool art = false;
        // The differing fields, named as tessera-cli tile's JSON names them.
        QStringList tileData;
        bool animation = false;
        // The id is past the other set's end and holds something on this side.
        Only only = Only::Neither;
    };

    // What one set holds of a tile, read as the comparison reads it: what a view of both
    // sides shows. An id past the set's end holds no image and a blank record.
    struct Side
    {
        QImage image;
        // The tile-data fields as text, in fieldNames() order (the flags in hexadecimal).
        QStringList fields;
        quint64 flags = 0;
        // The entry the tile plays: none unless it is a static flagged Animated.
        std::optional<AnimDataEntry> animation;
    };

    struct Counts
    {
        int art = 0;
        int tileData = 0;
        int animation = 0;
        int onlyA = 0;
        int onlyB = 0;
    };

    // Every part compared.
    DataSetComparison(const DataSet &a, const DataSet &b);
    DataSetComparison(const DataSet &a, const DataSet &b, Parts parts);

    // The ids either set holds of kind: terrain always has its fixed count; a set's statics
    // run to the end of the longer of its art index and its tile data (or its last edit).
    int end(TileKind kind) const;
    // Whether the tile differs, and *difference how (its kind and id set); tiles past the
    // other set's end that hold nothing the parts compare do not differ.
    bool compare(TileKind kind, int id, Difference *difference) const;
    // How the tile differs in each part compared, also where compare() finds it on one
    // side only (the other side read as holding nothing): what a view of both highlights.
    Difference partsDiffering(TileKind kind, int id) const;
    // Every differing tile of the kinds given, terrain first, each in id order.
    QList<Difference> differences(const QList<TileKind> &kinds) const;
    // Both data sets read again, for a thread of its own: their readers are not shared.
    using SetPair = std::pair<std::unique_ptr<DataSet>, std::unique_ptr<DataSet>>;
    // The same differences, the second half of the tiles compared on a second thread over
    // the pair openPair reads (on this thread, before it starts); all of them here when
    // the machine has one core or openPair gives no pair.
    QList<Difference> differences(
        const QList<TileKind> &kinds, const std::function<SetPair()> &openPair) const;

    static Counts count(const QList<Difference> &differences);

    // The tile-data field names of a kind, in the order differences name them.
    static QStringList fieldNames(TileKind kind);
    static Side side(const DataSet &set, TileKind kind, int id);
    // The image the tile draws in set, its pending edit if it has one; null for none.
    static QImage image(const DataSet &set, TileKind kind, int id);

private:
    static int endOf(const DataSet &set, TileKind kind);
    // The differing tiles from position from to before position to, counting the tiles
    // of the kinds given one after the other, terrain first.
    QList<Difference> differencesIn(const QList<TileKind> &kinds, qint64 from, qint64 to) const;
    qint64 tileCount(const QList<TileKind> &kinds) const;
    int endOfA(TileKind kind) const
    {
        return kind == TileKind::Terrain ? ArtFormat::TerrainCount : staticEndA;
    }
    int endOfB(TileKind kind) const
    {
        return kind == TileKind::Terrain ? ArtFormat::TerrainCount : staticEndB;
    }
    // Both sides' art stored alike, drawing the same without being copied out or decoded.
    bool storedAlike(TileKind kind, int id) const;
    bool artDiffers(TileKind kind, int id) const;
    QStringList tileDataDiffers(TileKind kind, int id) const;
    bool animationDiffers(int id) const;
    bool holdsAnything(const DataSet &set, TileKind kind, int id) const;

    const DataSet &setA;
    const DataSet &setB;
    Parts parts;
    // Taken once: pending edits may reach past the files.
    int staticEndA = 0;
    int staticEndB = 0;
};
