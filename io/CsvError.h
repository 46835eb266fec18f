#pragma once

#include <QString>

// What is wrong in a table and where: the line of the text (1 for the first) and the
// column, counted in characters while the text is read and in fields once it is.
struct CsvError
{
    int line = 0;
    int column = 0;
    QString message;

    bool isEmpty() const { return message.isEmpty(); }
    // "line 3, column 4: …", as messages for the user show it.
    QString text() const
    {
        return QStringLiteral("line %1, column %2: %3").arg(line).arg(column).arg(message);
    }
};
