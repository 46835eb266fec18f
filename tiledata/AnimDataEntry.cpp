#include "tiledata/AnimDataEntry.h"

#include "tiledata/RecordReader.h"
#include "tiledata/RecordWriter.h"

AnimDataEntry AnimDataEntry::fromBytes(const QByteArray &bytes)
{
    RecordReader in(bytes, Size);
    AnimDataEntry entry;
    for (qint8 &offset : entry.frameOffsets)
        offset = in.take<qint8>();
    entry.animUnknown = in.take<qint8>();
    entry.frameCount = in.take<qint8>();
    entry.frameInterval = in.take<qint8>();
    entry.frameStart = in.take<qint8>();
    return entry;
}

QByteArray AnimDataEntry::toBytes() const
{
    RecordWriter out(Size);
    for (qint8 offset : frameOffsets)
        out.put(offset);
    out.put(animUnknown);
    out.put(frameCount);
    out.put(frameInterval);
    out.put(frameStart);
    return out.bytes();
}

bool AnimDataEntry::operator==(const AnimDataEntry &other) const
{
    return frameOffsets == other.frameOffsets && animUnknown == other.animUnknown
        && frameCount == other.frameCount && frameInterval == other.frameInterval
        && frameStart == other.frameStart;
}
