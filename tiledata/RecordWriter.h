#pragma once

#include <QByteArray>
#include <QtEndian>

// Writes little-endian fields of a fixed-size record in order.
class RecordWriter
{
public:
    explicit RecordWriter(int recordSize) { m_bytes.reserve(recordSize); }
    template <typename T> void put(T value)
    {
        const T le = qToLittleEndian(value);
        m_bytes.append(reinterpret_cast<const char *>(&le), sizeof(T));
    }
    void putBytes(const QByteArray &bytes, int count)
    {
        m_bytes.append(bytes.leftJustified(count, '\0', true));
    }
    QByteArray bytes() const { return m_bytes; }

private:
    QByteArray m_bytes;
};
