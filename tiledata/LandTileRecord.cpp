#include "tiledata/LandTileRecord.h"

#include "tiledata/RecordReader.h"
#include "tiledata/RecordWriter.h"
#include "tiledata/TileFlags.h"
#include "tiledata/TileName.h"

using namespace TileDataFormat;

LandTileRecord LandTileRecord::blank(TileDataLayout layout)
{
    LandTileRecord record;
    record.layout = layout;
    return record;
}

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

LandTileRecord LandTileRecord::withChanges(const LandTileRecord &shown, const LandTileRecord &edited) const
{
    LandTileRecord merged = *this;
    merged.flags = TileFlags::withChangedBits(flags, shown.flags, edited.flags);
    if (edited.texid != shown.texid)
        merged.texid = edited.texid;
    // The stored bytes of a name left as shown are kept, also those after its NUL.
    if (!TileName::sameField(edited.name, shown.name))
        merged.name = edited.name;
    return merged;
}

bool LandTileRecord::operator==(const LandTileRecord &other) const
{
    return flags == other.flags && texid == other.texid && TileName::sameField(name, other.name);
}
