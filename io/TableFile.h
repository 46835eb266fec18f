#pragma once

#include <QByteArray>
#include <QString>

// A table's file, read and written whole: a write replaces the file only once it is
// complete, and a failed one leaves it as it was.
class TableFile
{
public:
    // Far more than a table of every record of a full data set.
    static constexpr qint64 MaxSize = 64 * 1024 * 1024;

    // False, and *error with the reason, when the file cannot be read or is too large.
    static bool read(const QString &path, QByteArray *bytes, QString *error);
    // False, and *error with the system's reason, when it cannot be written whole; a
    // path that is not a regular file (a folder, pipe or device) is refused.
    static bool write(const QString &path, const QByteArray &bytes, QString *error);
};
