#pragma once

#include "io/CsvError.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVector>

// A CSV table whose first line names its columns, and the rows below it, each with a
// field for every column. Errors about a row's fields name the field's line and its
// column counted in fields, as a spreadsheet shows them.
class CsvTable
{
public:
    struct Row
    {
        QStringList fields;
        // The line each field starts on (a quoted field may hold line breaks).
        QVector<int> lines;
    };
    enum class Number { Valid, NotNumber, OutOfRange };

    // headers: the column names a table of this kind may have (one list for each
    // kind of table); false, with *error saying where, for text that is not such a table.
    bool read(const QByteArray &bytes, const QList<QStringList> &headers, CsvError *error);
    // Which of the headers given the table has.
    int headerIndex() const { return header; }
    const QStringList &columns() const { return names; }
    const QVector<Row> &rows() const { return body; }

    // An error about a field of a row.
    CsvError error(const Row &row, int column, const QString &message) const;
    // "'abc'", the field as messages quote it, its head only when it is long.
    static QString quoted(const QString &text);
    // An integer written in decimal (with a minus sign when negative) or as 0x-hex, in
    // [min, max]; spaces around it are ignored.
    static Number integer(const QString &text, qint64 min, qint64 max, qint64 *value);
    static Number unsignedInteger(const QString &text, quint64 max, quint64 *value);

private:
    int header = -1;
    QStringList names;
    QVector<Row> body;
};
