#include "io/CsvWriter.h"

void CsvWriter::addRow(const QStringList &fields)
{
    // Written bare, a row of one empty field would be an empty line, which readers skip.
    if (fields.size() == 1 && fields.first().isEmpty()) {
        text.append("\"\"\r\n");
        return;
    }
    for (qsizetype n = 0; n < fields.size(); ++n) {
        if (n > 0)
            text.append(',');
        QString field = fields.at(n);
        const bool quoted = field.contains(QLatin1Char(',')) || field.contains(QLatin1Char('"'))
            || field.contains(QLatin1Char('\n')) || field.contains(QLatin1Char('\r'));
        if (quoted)
            field = QLatin1Char('"') + field.replace(QLatin1Char('"'), QLatin1String("\"\""))
                + QLatin1Char('"');
        text.append(field.toUtf8());
    }
    text.append("\r\n");
}
