#pragma once

#include <QByteArray>
#include <QStringList>

// Comma-separated values as RFC 4180 has them, in UTF-8: a field holding a comma, a
// quote or a line break is quoted, its quotes doubled; every line ends in CRLF.
class CsvWriter
{
public:
    void addRow(const QStringList &fields);
    const QByteArray &bytes() const { return text; }

private:
    QByteArray text;
};
