#include "tiledata/StaticTileRecord.h"

#include "tiledata/RecordReader.h"
#include "tiledata/RecordWriter.h"
#include "tiledata/TileFlags.h"
#include "tiledata/TileName.h"

using namespace TileDataFormat;

namespace {

template <typename Field> void takeChange(Field &field, Field shown, Field edited)
{
    if (edited != shown)
        field = edited;
}

} // namespace

StaticTileRecord StaticTileRecord::blank(TileDataLayout layout)
{
    StaticTileRecord record;
    record.layout = layout;
    return record;
}

StaticTileRecord StaticTileRecord::fromBytes(const QByteArray &bytes)
{
    constexpr TileDataLayout wide = TileDataLayout::highSeas();
    return fromBytes(bytes, bytes.size() == wide.staticRecordSize() ? wide : TileDataLayout::classic());
}

StaticTileRecord StaticTileRecord::fromBytes(const QByteArray &bytes, TileDataLayout layout)
{
    RecordReader in(bytes, layout.staticRecordSize());
    StaticTileRecord r;
    r.layout = layout;
    r.flags = in.takeFlags(layout);
    r.weight = in.take<quint8>();
    r.quality = in.take<quint8>();
    r.unknown = in.take<quint16>();
    r.unknown1 = in.take<quint8>();
    r.quantity = in.take<quint8>();
    r.animid = in.take<quint16>();
    r.unknown2 = in.take<quint8>();
    r.hue = in.take<quint8>();
    r.unknown3 = in.take<quint16>();
    r.height = in.take<quint8>();
    r.name = in.takeBytes(NameSize);
    return r;
}

QByteArray StaticTileRecord::toBytes() const
{
    RecordWriter out(layout.staticRecordSize());
    out.putFlags(flags, layout);
    out.put(weight);
    out.put(quality);
    out.put(unknown);
    out.put(unknown1);
    out.put(quantity);
    out.put(animid);
    out.put(unknown2);
    out.put(hue);
    out.put(unknown3);
    out.put(height);
    out.putBytes(name, NameSize);
    return out.bytes();
}

QString StaticTileRecord::nameText() const
{
    return TileName::decode(name.constData(), qMin(int(name.size()), NameSize));
}

void StaticTileRecord::setNameText(const QString &text)
{
    name = TileName::encode(text);
}

StaticTileRecord StaticTileRecord::withChanges(
    const StaticTileRecord &shown, const StaticTileRecord &edited) const
{
    StaticTileRecord merged = *this;
    merged.flags = TileFlags::withChangedBits(flags, shown.flags, edited.flags);
    takeChange(merged.weight, shown.weight, edited.weight);
    takeChange(merged.quality, shown.quality, edited.quality);
    takeChange(merged.unknown, shown.unknown, edited.unknown);
    takeChange(merged.unknown1, shown.unknown1, edited.unknown1);
    takeChange(merged.quantity, shown.quantity, edited.quantity);
    takeChange(merged.animid, shown.animid, edited.animid);
    takeChange(merged.unknown2, shown.unknown2, edited.unknown2);
    takeChange(merged.hue, shown.hue, edited.hue);
    takeChange(merged.unknown3, shown.unknown3, edited.unknown3);
    takeChange(merged.height, shown.height, edited.height);
    // The stored bytes of a name left as shown are kept, also those after its NUL.
    if (!TileName::sameField(edited.name, shown.name))
        merged.name = edited.name;
    return merged;
}

bool StaticTileRecord::operator==(const StaticTileRecord &other) const
{
    return flags == other.flags && weight == other.weight && quality == other.quality
        && unknown == other.unknown && unknown1 == other.unknown1 && quantity == other.quantity
        && animid == other.animid && unknown2 == other.unknown2 && hue == other.hue
        && unknown3 == other.unknown3 && height == other.height && TileName::sameField(name, other.name);
}
