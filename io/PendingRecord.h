#pragma once

#include <QByteArray>
#include <QString>

// Where the bytes of one pending replacement record lie: a whole file (as earlier versions
// kept each edit) or a stretch of a pack of several edits. A record is read whole or not
// at all: a file gone, cut short or grown is reported, never served in part.
struct PendingRecord
{
    QString path;
    qint64 offset = 0;
    // -1: the whole file, however long it is when read.
    qint64 size = -1;

    bool isNull() const { return path.isEmpty(); }
    bool exists() const;
    // The record's size as the file holds it now; -1 when the file is gone or too short
    // for the stretch.
    qint64 currentSize() const;
    // The record's bytes; empty when it cannot be read whole (and *error says why).
    QByteArray read(QString *error = nullptr) const;
};
