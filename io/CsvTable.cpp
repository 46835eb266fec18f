#include "io/CsvTable.h"

#include "io/CsvReader.h"

#include <algorithm>

namespace {

constexpr int QuotedLength = 40;

// The header of headers that the fields begin most like, and where they part from it.
int closestHeader(const QStringList &fields, const QList<QStringList> &headers, int *differsAt)
{
    int best = 0;
    *differsAt = -1;
    for (int n = 0; n < headers.size(); ++n) {
        const QStringList &header = headers.at(n);
        int same = 0;
        while (same < header.size() && same < fields.size() && header.at(same) == fields.at(same))
            ++same;
        if (same == header.size() && same == fields.size()) {
            *differsAt = -1;
            return n;
        }
        if (same > *differsAt) {
            *differsAt = same;
            best = n;
        }
    }
    return best;
}

} // namespace

bool CsvTable::read(const QByteArray &bytes, const QList<QStringList> &headers, CsvError *error)
{
    header = -1;
    names.clear();
    body.clear();
    CsvReader reader;
    if (!reader.read(bytes, error))
        return false;
    const QVector<CsvReader::Record> &records = reader.records();
    QStringList first;
    if (!records.isEmpty()) {
        for (const CsvReader::Field &field : records.first())
            first.append(field.text);
    }
    int differsAt = -1;
    const int closest = closestHeader(first, headers, &differsAt);
    if (differsAt >= 0) {
        const QStringList &expected = headers.at(closest);
        const int line = records.isEmpty() ? 1 : records.first().first().line;
        QString message;
        if (differsAt >= expected.size())
            message = QStringLiteral("the header has a column after \"%1\"").arg(expected.last());
        else if (differsAt >= first.size())
            message = QStringLiteral("the header lacks the column \"%1\"").arg(expected.at(differsAt));
        else
            message = QStringLiteral("the header's column is %1 where \"%2\" was expected")
                          .arg(quoted(first.at(differsAt)), expected.at(differsAt));
        *error = {line, differsAt + 1,
            message + QStringLiteral(" (a table's header is %1)").arg(expected.join(QLatin1Char(',')))};
        return false;
    }
    header = closest;
    names = first;
    for (qsizetype n = 1; n < records.size(); ++n) {
        const CsvReader::Record &record = records.at(n);
        Row row;
        for (const CsvReader::Field &field : record) {
            row.fields.append(field.text);
            row.lines.append(field.line);
        }
        if (row.fields.size() != names.size()) {
            const int column = int(qMin(row.fields.size(), names.size())) + 1;
            *error = {record.at(qMin(column, int(record.size())) - 1).line, column,
                QStringLiteral("the row has %1 fields where the header has %2")
                    .arg(row.fields.size())
                    .arg(names.size())};
            return false;
        }
        body.append(row);
    }
    return true;
}

CsvError CsvTable::error(const Row &row, int column, const QString &message) const
{
    return {row.lines.value(column), column + 1, message};
}

QString CsvTable::quoted(const QString &text)
{
    if (text.size() <= QuotedLength)
        return QLatin1Char('\'') + text + QLatin1Char('\'');
    return QLatin1Char('\'') + text.left(QuotedLength - 1) + QChar(0x2026) + QLatin1Char('\'');
}

CsvTable::Number CsvTable::unsignedInteger(const QString &text, quint64 max, quint64 *value)
{
    const QString digits = text.trimmed();
    const bool hex = digits.startsWith(QLatin1String("0x"), Qt::CaseInsensitive);
    const QString number = hex ? digits.mid(2) : digits;
    // Checked here: the conversion would also take signs, spaces and a second "0x".
    const auto isDigit = [hex](QChar c) {
        return (c >= QLatin1Char('0') && c <= QLatin1Char('9'))
            || (hex
                && ((c >= QLatin1Char('a') && c <= QLatin1Char('f'))
                    || (c >= QLatin1Char('A') && c <= QLatin1Char('F'))));
    };
    if (number.isEmpty() || !std::all_of(number.cbegin(), number.cend(), isDigit))
        return Number::NotNumber;
    bool ok = false;
    const quint64 read = number.toULongLong(&ok, hex ? 16 : 10);
    // Only too many digits for 64 bits fail now.
    if (!ok || read > max)
        return Number::OutOfRange;
    *value = read;
    return Number::Valid;
}

CsvTable::Number CsvTable::integer(const QString &text, qint64 min, qint64 max, qint64 *value)
{
    const QString digits = text.trimmed();
    const bool negative = digits.startsWith(QLatin1Char('-'));
    quint64 magnitude = 0;
    const Number read = unsignedInteger(negative ? digits.mid(1) : digits, ~quint64(0), &magnitude);
    if (read != Number::Valid)
        return read;
    const bool inRange
        = negative ? min < 0 && magnitude <= quint64(-(min + 1)) + 1 : max >= 0 && magnitude <= quint64(max);
    if (!inRange)
        return Number::OutOfRange;
    *value = negative ? qint64(-qint64(magnitude - 1) - 1) : qint64(magnitude);
    return Number::Valid;
}
