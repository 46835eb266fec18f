#include "io/Zlib.h"

#include <zlib.h>
#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace {

// zlib counts in uInt; larger inputs are fed in pieces of this size.
constexpr qsizetype Piece = 1 << 30;

#ifdef __SSE2__
// Adler-32 sums are taken modulo this prime; this many bytes can be summed in 32 bits
// before they must be reduced (the bound zlib uses).
constexpr quint32 AdlerBase = 65521;
constexpr qsizetype AdlerRun = 5552;
constexpr int Block = 32;

quint32 horizontalSum(__m128i v)
{
    v = _mm_add_epi32(v, _mm_shuffle_epi32(v, _MM_SHUFFLE(1, 0, 3, 2)));
    v = _mm_add_epi32(v, _mm_shuffle_epi32(v, _MM_SHUFFLE(2, 3, 0, 1)));
    return quint32(_mm_cvtsi128_si32(v));
}

// Adler-32 32 bytes at a time: the checksum of every stored record is checked when it is
// read, and zlib's byte loop would take longer than reading the record. Per block, s1
// gains the bytes' sum and s2 gains 32 times s1 before the block plus the bytes weighted
// 32 down to 1.
quint32 adler32Blocks(quint32 s1, quint32 s2, const uchar *p, qsizetype blocks)
{
    const __m128i zero = _mm_setzero_si128();
    const __m128i weights[4]
        = {_mm_setr_epi16(32, 31, 30, 29, 28, 27, 26, 25), _mm_setr_epi16(24, 23, 22, 21, 20, 19, 18, 17),
            _mm_setr_epi16(16, 15, 14, 13, 12, 11, 10, 9), _mm_setr_epi16(8, 7, 6, 5, 4, 3, 2, 1)};
    while (blocks > 0) {
        const qsizetype run = qMin<qsizetype>(blocks, AdlerRun / Block);
        blocks -= run;
        __m128i before = _mm_setzero_si128(); // sum of s1 before each block
        __m128i sums = _mm_setzero_si128();
        __m128i weighted = _mm_setzero_si128();
        for (qsizetype n = 0; n < run; ++n, p += Block) {
            const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p));
            const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p + 16));
            before = _mm_add_epi32(before, sums);
            sums = _mm_add_epi32(sums, _mm_add_epi32(_mm_sad_epu8(a, zero), _mm_sad_epu8(b, zero)));
            weighted = _mm_add_epi32(weighted, _mm_madd_epi16(_mm_unpacklo_epi8(a, zero), weights[0]));
            weighted = _mm_add_epi32(weighted, _mm_madd_epi16(_mm_unpackhi_epi8(a, zero), weights[1]));
            weighted = _mm_add_epi32(weighted, _mm_madd_epi16(_mm_unpacklo_epi8(b, zero), weights[2]));
            weighted = _mm_add_epi32(weighted, _mm_madd_epi16(_mm_unpackhi_epi8(b, zero), weights[3]));
        }
        const quint64 blockSums = horizontalSum(before);
        s2 = quint32((s2 + quint64(s1) * quint64(run) * Block + blockSums * Block + horizontalSum(weighted))
            % AdlerBase);
        s1 = (s1 + horizontalSum(sums)) % AdlerBase;
    }
    return s2 << 16 | s1;
}
#endif

} // namespace

quint32 Zlib::adler32(QByteArrayView bytes)
{
    uLong sum = ::adler32(0, nullptr, 0);
    qsizetype at = 0;
#ifdef __SSE2__
    const qsizetype blocks = bytes.size() / Block;
    sum = adler32Blocks(
        quint32(sum & 0xffff), quint32(sum >> 16), reinterpret_cast<const uchar *>(bytes.data()), blocks);
    at = blocks * Block;
#endif
    for (; at < bytes.size(); at += Piece) {
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
