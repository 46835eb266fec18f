#include "io/Zlib.h"

#include <zlib.h>

namespace {

// zlib counts in uInt; larger inputs are fed in pieces of this size.
constexpr qsizetype Piece = 1 << 30;

} // namespace

quint32 Zlib::adler32(QByteArrayView bytes)
{
    uLong sum = ::adler32(0, nullptr, 0);
    for (qsizetype at = 0; at < bytes.size(); at += Piece) {
        const qsizetype length = qMin(Piece, bytes.size() - at);
        sum = ::adler32(sum, reinterpret_cast<const Bytef *>(bytes.data() + at), uInt(length));
    }
    return quint32(sum);
}

QByteArray Zlib::compress(QByteArrayView bytes)
{
    uLongf length = compressBound(uLong(bytes.size()));
    QByteArray out(qsizetype(length), Qt::Uninitialized);
    if (compress2(reinterpret_cast<Bytef *>(out.data()), &length,
            reinterpret_cast<const Bytef *>(bytes.data()), uLong(bytes.size()), Z_DEFAULT_COMPRESSION)
        != Z_OK)
        return {};
    out.resize(qsizetype(length));
    return out;
}

bool Zlib::decompress(QByteArrayView stream, qint64 length, QByteArray *out, QString *why)
{
    if (length < 0 || length >= Piece || stream.size() >= Piece) {
        *why = QStringLiteral("its lengths are beyond what can be decompressed");
        return false;
    }
    QByteArray bytes(qsizetype(length), Qt::Uninitialized);
    z_stream z{};
    if (inflateInit(&z) != Z_OK) {
        *why = QStringLiteral("zlib could not start");
        return false;
    }
    char spare = 0;
    z.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(stream.data()));
    z.avail_in = uInt(stream.size());
    z.next_out = reinterpret_cast<Bytef *>(bytes.data());
    z.avail_out = uInt(length);
    int result = inflate(&z, Z_FINISH);
    bool overflow = false;
    if (result == Z_BUF_ERROR && z.avail_out == 0 && z.avail_in > 0) {
        // The output is full but input is left: one spare byte tells whether the stream
        // holds more than it was said to.
        z.next_out = reinterpret_cast<Bytef *>(&spare);
        z.avail_out = 1;
        result = inflate(&z, Z_FINISH);
        overflow = z.avail_out == 0;
    }
    const uLong produced = z.total_out;
    inflateEnd(&z);
    if (!overflow && result == Z_STREAM_END && qint64(produced) == length) {
        *out = bytes;
        return true;
    }
    if (overflow)
        *why = QStringLiteral("it decompresses to more than the %1 bytes its entry states").arg(length);
    else if (result == Z_STREAM_END)
        *why = QStringLiteral("it decompresses to %1 bytes, not the %2 its entry states")
                   .arg(produced)
                   .arg(length);
    else
        *why = QStringLiteral("its compressed data is damaged");
    return false;
}
