#pragma once

#include "io/CsvError.h"

#include <QByteArray>
#include <QString>
#include <QVector>

// Comma-separated values as RFC 4180 has them, from UTF-8 text: fields in double quotes
// may hold commas, doubled quotes and line breaks; lines end in CRLF or LF. A leading
// byte-order mark is skipped and so are empty lines.
class CsvReader
{
public:
    struct Field
    {
        QString text;
        // Where the field starts in the text, both counted from 1.
        int line = 0;
        int column = 0;
    };
    using Record = QVector<Field>;

    // False, with *error saying where, for text that is not UTF-8 or a quote out of place.
    bool read(const QByteArray &bytes, CsvError *error);
    const QVector<Record> &records() const { return rows; }

private:
    QVector<Record> rows;
};
