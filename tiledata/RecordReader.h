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
        : m_bytes(bytes.leftJustified(recordSize, '\0', true))
    { }
    template <typename T> T take()
    {
        const T value = qFromLittleEndian<T>(m_bytes.constData() + m_pos);
        m_pos += int(sizeof(T));
        return value;
    }
    // The flags field: 32 bits classic, 64 high-seas.
    quint64 takeFlags(TileDataLayout layout)
    {
        return layout.hasUpperFlags() ? take<quint64>() : take<quint32>();
    }
    QByteArray takeBytes(int count)
    {
        const QByteArray bytes = m_bytes.mid(m_pos, count);
        m_pos += count;
        return bytes;
    }

private:
    QByteArray m_bytes;
    int m_pos = 0;
};
