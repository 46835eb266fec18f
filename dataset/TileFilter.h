#pragma once

#include "dataset/TileFieldCondition.h"
#include "io/TileKind.h"

#include <QString>
#include <QVector>
#include <functional>

class ArtWork;
class TileData;

// Which tiles of a kind to show: those that meet every condition set. A tile's record
// is its pending edit where it has one; a tile the tile data holds no record for has
// an empty record.
class TileFilter
{
public:
    enum class Presence { Any, Present, Absent };
    // Whether the tile has edits, for the edited condition.
    using EditedOf = std::function<bool(TileKind kind, int id)>;

    // A part of the name, in any case.
    QString nameContains;
    // Every one of these flag bits is set, and none of those.
    quint64 flagsSet = 0;
    quint64 flagsNotSet = 0;
    QVector<TileFieldCondition> fields;
    // Whether the tile has an image, or not.
    Presence image = Presence::Any;
    // Whether the tile has edits, or not.
    Presence edited = Presence::Any;

    // Whether every tile passes: no condition is set.
    bool passesAll() const;

    // The ids 0 to count-1 of kind that pass, ascending. editedOf decides the edited
    // condition; without one, what the tile data's pending edits hold.
    QVector<int> matchingIds(TileKind kind, int count, const TileData &tiles, const ArtWork &art,
        const EditedOf &editedOf = {}) const;

    bool operator==(const TileFilter &other) const;
    bool operator!=(const TileFilter &other) const { return !(*this == other); }

private:
    static bool passesPresence(Presence wanted, bool present)
    {
        return wanted == Presence::Any || (wanted == Presence::Present) == present;
    }
    bool passesFlags(quint64 flags) const { return (flags & flagsSet) == flagsSet && !(flags & flagsNotSet); }
    bool passesName(const QByteArray &nameField) const;
    template <typename Record> bool passesRecord(int id, const Record &record) const;
};
