#include "tiledata/StaticTileRecord.h"

#include "tiledata/RecordReader.h"
#include "tiledata/RecordWriter.h"
#include "tiledata/TileName.h"

using namespace TileDataFormat;

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

bool StaticTileRecord::operator==(const StaticTileRecord &other) const
{
    return flags == other.flags && weight == other.weight && quality == other.quality
        && unknown == other.unknown && unknown1 == other.unknown1 && quantity == other.quantity
        && animid == other.animid && unknown2 == other.unknown2 && hue == other.hue
        && unknown3 == other.unknown3 && height == other.height && TileName::sameField(name, other.name);
}
