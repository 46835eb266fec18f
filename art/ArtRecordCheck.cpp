#include "art/ArtRecordCheck.h"

#include "art/ArtFormat.h"

#include <QtEndian>

using namespace ArtFormat;

qint64 ArtRecordCheck::staticExtent(QByteArrayView record)
{
    const qsizetype size = record.size();
    if (size < StaticLineTableOffset)
        return -1;
    const char *base = record.data();
    const int height = qFromLittleEndian<qint16>(base + StaticHeaderSize + 2);
    const qint64 dataStart = StaticLineTableOffset + 2 * qint64(qMax(height, 0));
    if (height <= 0 || dataStart > size)
        return -1;
    qint64 end = dataStart;
    for (int y = 0; y < height; ++y) {
        qint64 pos = dataStart + 2 * qint64(qFromLittleEndian<qint16>(base + StaticLineTableOffset + 2 * y));
        for (;;) {
            if (pos < 0 || pos + 4 > size)
                return -1;
            const int xOffset = qFromLittleEndian<qint16>(base + pos);
            const int runLength = qFromLittleEndian<qint16>(base + pos + 2);
            pos += 4;
            if (xOffset + runLength == 0)
                break;
            pos += 2 * qint64(runLength);
            if (runLength < 0 || pos > size)
                return -1;
        }
        end = qMax(end, pos);
    }
    return end;
}

bool ArtRecordCheck::shows(int slot, QByteArrayView record)
{
    if (slot < StaticIdBase)
        return record.size() >= TerrainRecordSize;
    if (record.size() < StaticLineTableOffset)
        return false;
    const int width = qFromLittleEndian<qint16>(record.data() + StaticHeaderSize);
    const int height = qFromLittleEndian<qint16>(record.data() + StaticHeaderSize + 2);
    return width > 0 && height > 0 && qint64(width) * height <= MaxStaticPixels && staticExtent(record) >= 0;
}
