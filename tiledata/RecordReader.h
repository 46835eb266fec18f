#pragma once

#include "tiledata/TileDataLayout.h"

#include <QByteArray>
#include <QtEndian>

// Reads little-endian fields of a fixed-size record in order. A short record reads as
// if zero-filled.
class RecordReader
{
public:
    RecordReader(const QByteArray &bytes, int recordSize)
        : record(bytes.leftJustified(recordSize, '\0', true))
    { }
    template <typename T> T take()
    {
        const T value = qFromLittleEndian<T>(record.constData() + position);
        position += int(sizeof(T));
        return value;
    }
    // The flags field: 32 bits classic, 64 high-seas.
    quint64 takeFlags(TileDataLayout layout)
    {
        return layout.hasUpperFlags() ? take<quint64>() : take<quint32>();
    }
    QByteArray takeBytes(int count)
    {
        const QByteArray bytes = record.mid(position, count);
        position += count;
        return bytes;
    }

private:
    QByteArray record;
    int position = 0;
};
