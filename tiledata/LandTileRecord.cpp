#include "tiledata/LandTileRecord.h"

#include "tiledata/RecordReader.h"
#include "tiledata/RecordWriter.h"
#include "tiledata/TileName.h"

using namespace TileDataFormat;

LandTileRecord LandTileRecord::fromBytes(const QByteArray &bytes)
{
    constexpr TileDataLayout wide = TileDataLayout::highSeas();
    return fromBytes(bytes, bytes.size() == wide.landRecordSize() ? wide : TileDataLayout::classic());
}

LandTileRecord LandTileRecord::fromBytes(const QByteArray &bytes, TileDataLayout layout)
{
    RecordReader in(bytes, layout.landRecordSize());
    LandTileRecord record;
    record.layout = layout;
    record.flags = in.takeFlags(layout);
    record.texid = in.take<quint16>();
    record.name = in.takeBytes(NameSize);
    return record;
}

QByteArray LandTileRecord::toBytes() const
{
    RecordWriter out(layout.landRecordSize());
    out.putFlags(flags, layout);
    out.put(texid);
    out.putBytes(name, NameSize);
    return out.bytes();
}

QString LandTileRecord::nameText() const
{
    return TileName::decode(name.constData(), qMin(int(name.size()), NameSize));
}

void LandTileRecord::setNameText(const QString &text)
{
    name = TileName::encode(text);
}

bool LandTileRecord::operator==(const LandTileRecord &other) const
{
    return flags == other.flags && texid == other.texid && TileName::sameField(name, other.name);
}
