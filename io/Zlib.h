#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// The zlib stream format (RFC 1950) and its Adler-32 checksum.
class Zlib
{
public:
    static quint32 adler32(QByteArrayView bytes);
    static QByteArray compress(QByteArrayView bytes);
    // The stream's bytes when it decompresses to exactly length bytes; otherwise false and
    // *why says what is wrong. Never allocates more than length bytes of output.
    static bool decompress(QByteArrayView stream, qint64 length, QByteArray *out, QString *why);
};
