#include "tiledata/LandTileRecord.h"

#include "tiledata/RecordReader.h"
#include "tiledata/RecordWriter.h"
#include "tiledata/TileDataFormat.h"
#include "tiledata/TileName.h"

using namespace TileDataFormat;

LandTileRecord LandTileRecord::fromBytes(const QByteArray &bytes)
{
    RecordReader in(bytes, LandRecordSize);
    LandTileRecord record;
    record.flags = in.take<quint32>();
    record.texid = in.take<quint16>();
    record.name = in.takeBytes(NameSize);
    return record;
}

QByteArray LandTileRecord::toBytes() const
{
    RecordWriter out(LandRecordSize);
    out.put(flags);
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
