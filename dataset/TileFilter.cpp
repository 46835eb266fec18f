#include "dataset/TileFilter.h"

#include "art/ArtWork.h"
#include "tiledata/TileData.h"

#include <algorithm>
#include <optional>

#include <QLatin1String>

namespace {

// The records of a kind in id order, as TileData serves them, but read straight from the
// file's bytes where no edit is pending: every record is read, and copying each twice
// would cost most of the time.
template <typename Record> class RecordsInOrder
{
public:
    RecordsInOrder(TileKind kind, const TileData &tiles)
        : kind(kind), tiles(tiles), layout(tiles.layout()),
          edited(tiles.pendingEdits().editedIds(kind, PendingEditStore::Part::TileData)),
          held(tiles.count(kind)), blank(Record::blank(layout))
    {
        std::sort(edited.begin(), edited.end());
    }

    // Ids must come in ascending order.
    Record at(int id)
    {
        while (nextEdited < edited.size() && edited.at(nextEdited) < id)
            ++nextEdited;
        if ((nextEdited < edited.size() && edited.at(nextEdited) == id) || id >= held)
            return stored(id).value_or(blank);
        const bool land = kind == TileKind::Terrain;
        const qint64 position = land ? layout.landPosition(id) : layout.staticPosition(id);
        const int size = land ? layout.landRecordSize() : layout.staticRecordSize();
        return Record::fromBytes(
            QByteArray::fromRawData(tiles.fileBytes().constData() + position, size), layout);
    }

private:
    std::optional<Record> stored(int id) const;

    TileKind kind;
    const TileData &tiles;
    TileDataLayout layout;
    QList<int> edited;
    int nextEdited = 0;
    int held;
    Record blank;
};

template <> std::optional<LandTileRecord> RecordsInOrder<LandTileRecord>::stored(int id) const
{
    return tiles.landRecord(id);
}

template <> std::optional<StaticTileRecord> RecordsInOrder<StaticTileRecord>::stored(int id) const
{
    return tiles.staticRecord(id);
}

} // namespace

bool TileFilter::passesAll() const
{
    return nameContains.isEmpty() && flagsSet == 0 && flagsNotSet == 0 && fields.isEmpty()
        && image == Presence::Any && edited == Presence::Any;
}

bool TileFilter::operator==(const TileFilter &other) const
{
    return nameContains == other.nameContains && flagsSet == other.flagsSet
        && flagsNotSet == other.flagsNotSet && fields == other.fields && image == other.image
        && edited == other.edited;
}

bool TileFilter::passesName(const QByteArray &nameField) const
{
    if (nameContains.isEmpty())
        return true;
    // The stored Latin-1 bytes up to the first NUL, compared without making a string of
    // each: every tile's name is looked at.
    const qsizetype length = qstrnlen(nameField.constData(), nameField.size());
    return QLatin1String(nameField.constData(), length).contains(nameContains, Qt::CaseInsensitive);
}

template <typename Record> bool TileFilter::passesRecord(int id, const Record &record) const
{
    if (!passesFlags(record.flags) || !passesName(record.name))
        return false;
    for (const TileFieldCondition &field : fields) {
        if (!field.holds(id, record))
            return false;
    }
    return true;
}

QVector<int> TileFilter::matchingIds(
    TileKind kind, int count, const TileData &tiles, const ArtWork &art, const EditedOf &editedOf) const
{
    QVector<int> ids;
    const bool onRecord = !nameContains.isEmpty() || flagsSet || flagsNotSet || !fields.isEmpty();
    RecordsInOrder<LandTileRecord> land(kind, tiles);
    RecordsInOrder<StaticTileRecord> statics(kind, tiles);
    const PendingEditStore &pending = tiles.pendingEdits();
    // The cheap conditions first; whether a tile has an image is asked last.
    for (int id = 0; id < count; ++id) {
        if (edited != Presence::Any
            && !passesPresence(edited, editedOf ? editedOf(kind, id) : pending.isEdited(kind, id)))
            continue;
        if (onRecord) {
            const bool passes = kind == TileKind::Terrain ? passesRecord(id, land.at(id))
                                                          : passesRecord(id, statics.at(id));
            if (!passes)
                continue;
        }
        if (image != Presence::Any && !passesPresence(image, art.hasImage(kind, id)))
            continue;
        ids.append(id);
    }
    return ids;
}
