#pragma once

#include "io/PendingRecord.h"

#include <QString>
#include <QVector>

class TileData;

// Where the tile data store's pending records go in a new tiledata.mul: the file is
// copied as it is (block headers included) with each pending record, in the layout the
// file was read in, written over its record. A record past the end of a short file
// extends the file with zero bytes to the end of the record's block.
class TileDataMergePlan
{
public:
    struct Patch
    {
        qint64 position = 0;
        int size = 0;
        PendingRecord source;
        QString label; // "land tile 5", "static tile 7"
    };

    // False (and *error set) when a pending record is missing or not of record size.
    bool build(const TileData &tileData, QString *error);

    // Sorted by position.
    const QVector<Patch> &patches() const { return list; }
    qint64 outputSize() const { return size; }

private:
    QVector<Patch> list;
    qint64 size = 0;
};
