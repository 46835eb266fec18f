#pragma once

#include "tiledata/TileDataLayout.h"

#include <QByteArray>
#include <QtEndian>

// Writes little-endian fields of a fixed-size record in order.
class RecordWriter
{
public:
    explicit RecordWriter(int recordSize) { record.reserve(recordSize); }
    template <typename T> void put(T value)
    {
        const T le = qToLittleEndian(value);
        record.append(reinterpret_cast<const char *>(&le), sizeof(T));
    }
    // The flags field: the lower 32 bits classic, all 64 high-seas.
    void putFlags(quint64 flags, TileDataLayout layout)
    {
        if (layout.hasUpperFlags())
            put(flags);
        else
            put(quint32(flags));
    }
    void putBytes(const QByteArray &bytes, int count)
    {
        record.append(bytes.leftJustified(count, '\0', true));
    }
    QByteArray bytes() const { return record; }

private:
    QByteArray record;
};
