#include "compare/DataSetComparison.h"

#include "art/ArtCodec.h"
#include "art/ArtContainer.h"
#include "art/ArtFormat.h"
#include "art/ArtWork.h"
#include "dataset/DataSet.h"
#include "io/PendingEditStore.h"
#include "tiledata/AnimDataFile.h"
#include "tiledata/TileData.h"
#include "tiledata/TileDataFormat.h"
#include "tiledata/TileFlags.h"

#include <QThread>
#include <QtEndian>
#include <algorithm>
#include <functional>
#include <thread>

namespace {

using Part = PendingEditStore::Part;

template <typename Record> struct Field
{
    const char *name;
    std::function<bool(const Record &, const Record &)> same;
    std::function<QString(const Record &)> text;
};

template <typename Record, typename Value> Field<Record> member(const char *name, Value Record::*value)
{
    return {name, [value](const Record &a, const Record &b) { return a.*value == b.*value; },
        [value](const Record &record) { return QString::number(record.*value); }};
}

template <typename Record> Field<Record> flagsField()
{
    return {"flags", [](const Record &a, const Record &b) { return a.flags == b.flags; },
        [](const Record &record) {
            return QStringLiteral("0x%1").arg(QString::number(record.flags, 16).toUpper());
        }};
}

template <typename Record> Field<Record> nameField()
{
    return {"name", [](const Record &a, const Record &b) { return a.nameText() == b.nameText(); },
        [](const Record &record) { return record.nameText(); }};
}

// The fields, named by the keys of tessera-cli tile's JSON: the values first, then the
// flags and the name. Names compare as the text shown, not the bytes stored after it.
const QList<Field<LandTileRecord>> &landFields()
{
    static const QList<Field<LandTileRecord>> fields = {
        member("texid", &LandTileRecord::texid),
        flagsField<LandTileRecord>(),
        nameField<LandTileRecord>(),
    };
    return fields;
}

const QList<Field<StaticTileRecord>> &staticFields()
{
    using R = StaticTileRecord;
    static const QList<Field<R>> fields = {
        member("weight", &R::weight),
        member("quality", &R::quality),
        member("unknown", &R::unknown),
        member("unknown1", &R::unknown1),
        member("quantity", &R::quantity),
        member("animid", &R::animid),
        member("unknown2", &R::unknown2),
        member("hue", &R::hue),
        member("unknown3", &R::unknown3),
        member("height", &R::height),
        flagsField<R>(),
        nameField<R>(),
    };
    return fields;
}

template <typename Record>
QStringList differingFields(const QList<Field<Record>> &fields, const Record &a, const Record &b)
{
    QStringList names;
    for (const Field<Record> &field : fields) {
        if (!field.same(a, b))
            names.append(QLatin1String(field.name));
    }
    return names;
}

template <typename Record> QStringList fieldTexts(const QList<Field<Record>> &fields, const Record &record)
{
    QStringList texts;
    for (const Field<Record> &field : fields)
        texts.append(field.text(record));
    return texts;
}

int slotOf(TileKind kind, int id)
{
    return kind == TileKind::Static ? ArtFormat::StaticIdBase + id : id;
}

// The record the tile's image is drawn from, its pending edit if it has one; empty for none.
QByteArray artRecord(const DataSet &set, TileKind kind, int id)
{
    const PendingEditStore &edits = set.pendingEdits();
    switch (edits.state(kind, id, Part::Image)) {
    case PendingEdit::State::None:
        break;
    case PendingEdit::State::Deleted:
        return {};
    case PendingEdit::State::Replaced:
        return edits.edit(kind, id, Part::Image).record;
    }
    return set.art().container().record(slotOf(kind, id));
}

QImage decode(TileKind kind, const QByteArray &record)
{
    return kind == TileKind::Static ? ArtCodec::decodeStatic(record) : ArtCodec::decodeTerrain(record);
}

qint64 extentOf(TileKind kind, QByteArrayView record)
{
    return kind == TileKind::Static ? ArtCodec::staticRecordExtent(record)
                                    : ArtCodec::terrainRecordExtent(record);
}

bool showsImage(TileKind kind, const QByteArray &record)
{
    return extentOf(kind, record) >= 0;
}

// Equal records draw equal images; a static's 4-byte header is not drawn.
bool sameBytesDrawn(TileKind kind, QByteArrayView a, QByteArrayView b)
{
    const qsizetype header = kind == TileKind::Static ? ArtFormat::StaticHeaderSize : 0;
    return a.size() == b.size() && a.sliced(qMin(header, a.size())) == b.sliced(qMin(header, b.size()));
}

// A record the file does not hold reads as an empty one: what the properties window
// shows for it and what growing the file writes.
LandTileRecord landRecord(const DataSet &set, int id)
{
    return set.tiles().landRecord(id).value_or(LandTileRecord::blank(set.tiles().layout()));
}

StaticTileRecord staticRecord(const DataSet &set, int id)
{
    return set.tiles().staticRecord(id).value_or(StaticTileRecord::blank(set.tiles().layout()));
}

// The record's bytes as the file holds them, when they are what the store serves (no
// edit pending); empty otherwise. Equal bytes are equal records, read or not.
QByteArrayView fileRecord(const DataSet &set, TileKind kind, int id)
{
    const TileData &tiles = set.tiles();
    if (id >= tiles.count(kind) || set.pendingEdits().isEdited(kind, id, Part::TileData))
        return {};
    const TileDataLayout layout = tiles.layout();
    if (kind == TileKind::Terrain)
        return QByteArrayView(tiles.fileBytes()).sliced(layout.landPosition(id), layout.landRecordSize());
    return QByteArrayView(tiles.fileBytes()).sliced(layout.staticPosition(id), layout.staticRecordSize());
}

// The animation entry the tile plays: none unless it is flagged Animated.
std::optional<AnimDataEntry> animation(const DataSet &set, int id)
{
    if (!(staticRecord(set, id).flags & TileFlags::Animated))
        return std::nullopt;
    return set.anims().readEntry(id);
}

// The frames the entry plays, its interval and its start: the offsets past its frame
// count and its unknown byte change nothing shown.
bool sameAnimation(const AnimDataEntry &a, const AnimDataEntry &b)
{
    if (a.frameCount != b.frameCount || a.frameInterval != b.frameInterval || a.frameStart != b.frameStart)
        return false;
    const int frames = qBound(0, int(a.frameCount), AnimDataEntry::FrameSlots);
    return std::equal(a.frameOffsets.cbegin(), a.frameOffsets.cbegin() + frames, b.frameOffsets.cbegin());
}

// The entry's bytes as the file holds them, when they are what the store serves (no
// edit pending, the whole entry in the file); empty otherwise.
QByteArrayView fileEntry(const DataSet &set, int id)
{
    const QByteArray &bytes = set.anims().fileBytes();
    const qint64 position = AnimDataFile::entryPosition(id);
    if (position + AnimDataEntry::Size > bytes.size()
        || set.pendingEdits().isEdited(TileKind::Static, id, Part::Animation))
        return {};
    return QByteArrayView(bytes).sliced(position, AnimDataEntry::Size);
}

// Equal bytes are equal entries, read or not.
bool sameEntries(const DataSet &a, const DataSet &b, int id)
{
    const QByteArrayView entryA = fileEntry(a, id);
    if (!entryA.isEmpty() && entryA == fileEntry(b, id))
        return true;
    return sameAnimation(a.anims().readEntry(id), b.anims().readEntry(id));
}

} // namespace

DataSetComparison::DataSetComparison(const DataSet &a, const DataSet &b)
    : DataSetComparison(a, b, Parts()) { }

DataSetComparison::DataSetComparison(const DataSet &a, const DataSet &b, Parts parts)
    : setA(a), setB(b), parts(parts), staticEndA(endOf(a, TileKind::Static)),
      staticEndB(endOf(b, TileKind::Static))
{ }

QStringList DataSetComparison::fieldNames(TileKind kind)
{
    QStringList names;
    if (kind == TileKind::Terrain) {
        for (const auto &field : landFields())
            names.append(QLatin1String(field.name));
    } else {
        for (const auto &field : staticFields())
            names.append(QLatin1String(field.name));
    }
    return names;
}

DataSetComparison::Side DataSetComparison::side(const DataSet &set, TileKind kind, int id)
{
    Side side;
    side.image = image(set, kind, id);
    if (kind == TileKind::Terrain) {
        const LandTileRecord record = landRecord(set, id);
        side.fields = fieldTexts(landFields(), record);
        side.flags = record.flags;
    } else {
        const StaticTileRecord record = staticRecord(set, id);
        side.fields = fieldTexts(staticFields(), record);
        side.flags = record.flags;
        side.animation = animation(set, id);
    }
    return side;
}

QImage DataSetComparison::image(const DataSet &set, TileKind kind, int id)
{
    return decode(kind, artRecord(set, kind, id));
}

int DataSetComparison::endOf(const DataSet &set, TileKind kind)
{
    if (kind == TileKind::Terrain)
        return ArtFormat::TerrainCount;
    int end = qMax(set.tiles().count(TileKind::Static), set.art().staticSlotCount());
    // Edits may reach past the files' end, as the properties window's first record does.
    for (Part part : {Part::Image, Part::TileData}) {
        const QList<int> edited = set.pendingEdits().editedIds(TileKind::Static, part);
        if (!edited.isEmpty())
            end = qMax(end, edited.last() + 1);
    }
    return qMin(end, ArtFormat::MaxStaticCount);
}

int DataSetComparison::end(TileKind kind) const
{
    return qMax(endOfA(kind), endOfB(kind));
}

bool DataSetComparison::holdsAnything(const DataSet &set, TileKind kind, int id) const
{
    if (parts.art && showsImage(kind, artRecord(set, kind, id)))
        return true;
    if (parts.tileData) {
        const bool blank = kind == TileKind::Terrain
            ? landRecord(set, id) == LandTileRecord::blank(set.tiles().layout())
            : staticRecord(set, id) == StaticTileRecord::blank(set.tiles().layout());
        if (!blank)
            return true;
    }
    return parts.animation && kind == TileKind::Static && animation(set, id).has_value();
}

bool DataSetComparison::storedAlike(TileKind kind, int id) const
{
    const ArtContainer &a = setA.art().container();
    const ArtContainer &b = setB.art().container();
    // Two spans lent by one container would share its read window.
    if (&a == &b || setA.pendingEdits().state(kind, id, Part::Image) != PendingEdit::State::None
        || setB.pendingEdits().state(kind, id, Part::Image) != PendingEdit::State::None)
        return false;
    QByteArray bufferA;
    QByteArray bufferB;
    const QByteArrayView spanA = a.recordSpan(slotOf(kind, id), &bufferA);
    const QByteArrayView spanB = b.recordSpan(slotOf(kind, id), &bufferB);
    // Equal bytes whose content ends within them draw the same, whatever either container
    // would read past them; where it does not end there, the records are read whole.
    return sameBytesDrawn(kind, spanA, spanB) && extentOf(kind, spanA) >= 0;
}

bool DataSetComparison::artDiffers(TileKind kind, int id) const
{
    // Most tiles of two related sets are stored alike: compared where they are read,
    // without copying or decoding them.
    if (storedAlike(kind, id))
        return false;
    const QByteArray a = artRecord(setA, kind, id);
    const QByteArray b = artRecord(setB, kind, id);
    if (sameBytesDrawn(kind, a, b))
        return false;
    // Two encodings of one image (other runs, a record cut or grown) draw the same pixels.
    return decode(kind, a) != decode(kind, b);
}

QStringList DataSetComparison::tileDataDiffers(TileKind kind, int id) const
{
    // Flags compare as 64-bit values, so a classic record, whose upper flags read as
    // zero, equals a high-seas one that does not use them.
    if (kind == TileKind::Terrain)
        return differingFields(landFields(), landRecord(setA, id), landRecord(setB, id));
    return differingFields(staticFields(), staticRecord(setA, id), staticRecord(setB, id));
}

bool DataSetComparison::animationDiffers(int id) const
{
    const std::optional<AnimDataEntry> a = animation(setA, id);
    const std::optional<AnimDataEntry> b = animation(setB, id);
    if (!a || !b)
        return a.has_value() != b.has_value();
    return !sameAnimation(*a, *b);
}

bool DataSetComparison::compare(TileKind kind, int id, Difference *difference) const
{
    Difference found;
    found.kind = kind;
    found.id = id;
    if (id >= endOfA(kind) || id >= endOfB(kind)) {
        const bool inA = id < endOfA(kind);
        if (!holdsAnything(inA ? setA : setB, kind, id))
            return false;
        found.only = inA ? Only::A : Only::B;
    } else {
        found.art = parts.art && artDiffers(kind, id);
        // Most tiles of two related sets are stored alike: equal bytes need no fields read.
        const QByteArrayView recordA = fileRecord(setA, kind, id);
        const bool sameRecords = !recordA.isEmpty() && recordA == fileRecord(setB, kind, id);
        if (parts.tileData && !sameRecords)
            found.tileData = tileDataDiffers(kind, id);
        if (parts.animation && kind == TileKind::Static) {
            // Equal records are both flagged Animated or neither; the flag is in the lower bits.
            const bool animated
                = sameRecords && (qFromLittleEndian<quint32>(recordA.data()) & TileFlags::Animated);
            found.animation = !sameRecords ? animationDiffers(id)
                : animated                 ? !sameEntries(setA, setB, id)
                                           : false;
        }
        if (!found.art && found.tileData.isEmpty() && !found.animation)
            return false;
    }
    if (difference)
        *difference = found;
    return true;
}

DataSetComparison::Difference DataSetComparison::partsDiffering(TileKind kind, int id) const
{
    Difference found;
    found.kind = kind;
    found.id = id;
    if (id >= endOfA(kind) || id >= endOfB(kind))
        found.only = id < endOfA(kind) ? Only::A : id < endOfB(kind) ? Only::B : Only::Neither;
    found.art = parts.art && artDiffers(kind, id);
    if (parts.tileData)
        found.tileData = tileDataDiffers(kind, id);
    found.animation = parts.animation && kind == TileKind::Static && animationDiffers(id);
    return found;
}

QList<DataSetComparison::Difference> DataSetComparison::differences(const QList<TileKind> &kinds) const
{
    return differencesIn(kinds, 0, tileCount(kinds));
}

QList<DataSetComparison::Difference> DataSetComparison::differences(
    const QList<TileKind> &kinds, const std::function<SetPair()> &openPair) const
{
    const qint64 total = tileCount(kinds);
    // Two threads at most: each pair of readers holds its own read windows and tile data,
    // and two keep a comparison of full-size sets in well under 100 MB.
    const SetPair pair = QThread::idealThreadCount() > 1 ? openPair() : SetPair();
    if (!pair.first || !pair.second)
        return differences(kinds);
    const qint64 half = total / 2;
    QList<Difference> second;
    std::thread other([&] {
        second = DataSetComparison(*pair.first, *pair.second, parts).differencesIn(kinds, half, total);
    });
    QList<Difference> found = differencesIn(kinds, 0, half);
    other.join();
    return found + second;
}

qint64 DataSetComparison::tileCount(const QList<TileKind> &kinds) const
{
    qint64 count = 0;
    for (TileKind kind : {TileKind::Terrain, TileKind::Static})
        count += kinds.contains(kind) ? end(kind) : 0;
    return count;
}

QList<DataSetComparison::Difference> DataSetComparison::differencesIn(
    const QList<TileKind> &kinds, qint64 from, qint64 to) const
{
    QList<Difference> found;
    Difference difference;
    qint64 position = 0;
    for (TileKind kind : {TileKind::Terrain, TileKind::Static}) {
        if (!kinds.contains(kind))
            continue;
        const int last = end(kind);
        const qint64 first = qMax<qint64>(from - position, 0);
        const qint64 stop = qMin<qint64>(to - position, last);
        for (qint64 id = first; id < stop; ++id) {
            if (compare(kind, int(id), &difference))
                found.append(difference);
        }
        position += last;
    }
    return found;
}

DataSetComparison::Counts DataSetComparison::count(const QList<Difference> &differences)
{
    Counts counts;
    for (const Difference &difference : differences) {
        counts.art += difference.art ? 1 : 0;
        counts.tileData += difference.tileData.isEmpty() ? 0 : 1;
        counts.animation += difference.animation ? 1 : 0;
        counts.onlyA += difference.only == Only::A ? 1 : 0;
        counts.onlyB += difference.only == Only::B ? 1 : 0;
    }
    return counts;
}
