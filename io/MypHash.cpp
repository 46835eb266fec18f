#include "io/MypHash.h"

namespace {

constexpr quint32 Initial = 0xdeadbeef;
constexpr int BlockSize = 12;

constexpr quint32 rotate(quint32 value, int bits)
{
    return (value << bits) | (value >> (32 - bits));
}

// Little-endian word of up to four bytes of a block; missing bytes count as zero.
quint32 word(const uchar *bytes, qsizetype available)
{
    quint32 value = 0;
    for (qsizetype i = 0; i < 4 && i < available; ++i)
        value |= quint32(bytes[i]) << (8 * i);
    return value;
}

void mix(quint32 &a, quint32 &b, quint32 &c)
{
    a -= c;
    a ^= rotate(c, 4);
    c += b;
    b -= a;
    b ^= rotate(a, 6);
    a += c;
    c -= b;
    c ^= rotate(b, 8);
    b += a;
    a -= c;
    a ^= rotate(c, 16);
    c += b;
    b -= a;
    b ^= rotate(a, 19);
    a += c;
    c -= b;
    c ^= rotate(b, 4);
    b += a;
}

void finalMix(quint32 &a, quint32 &b, quint32 &c)
{
    c ^= b;
    c -= rotate(b, 14);
    a ^= c;
    a -= rotate(c, 11);
    b ^= a;
    b -= rotate(a, 25);
    c ^= b;
    c -= rotate(b, 16);
    a ^= c;
    a -= rotate(c, 4);
    b ^= a;
    b -= rotate(a, 14);
    c ^= b;
    c -= rotate(b, 24);
}

} // namespace

void MypHash::hashLittle2(QByteArrayView key, quint32 *primary, quint32 *secondary)
{
    const uchar *bytes = reinterpret_cast<const uchar *>(key.data());
    qsizetype length = key.size();
    quint32 a = Initial + quint32(length) + *primary;
    quint32 b = a;
    quint32 c = a + *secondary;

    // Every block but the last is mixed; the last (1 to 12 bytes) only goes through the
    // final mix, and an empty key through neither.
    while (length > BlockSize) {
        a += word(bytes, 4);
        b += word(bytes + 4, 4);
        c += word(bytes + 8, 4);
        mix(a, b, c);
        length -= BlockSize;
        bytes += BlockSize;
    }
    if (length > 0) {
        a += word(bytes, length);
        b += word(bytes + 4, length - 4);
        c += word(bytes + 8, length - 8);
        finalMix(a, b, c);
    }
    *primary = c;
    *secondary = b;
}

quint64 MypHash::ofName(QByteArrayView name)
{
    quint32 primary = 0;
    quint32 secondary = 0;
    hashLittle2(name, &primary, &secondary);
    return quint64(secondary) << 32 | primary;
}
