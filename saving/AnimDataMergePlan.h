#pragma once

#include "io/PendingRecord.h"

#include <QString>
#include <QVector>

class AnimDataFile;

// Where the pending animation entries go in a new animdata.mul: the file is copied as it
// is (block headers and any bytes past its last whole block included) with each pending
// entry written over its own. An entry past the end of the file extends it with zero
// bytes to the end of the entry's block.
class AnimDataMergePlan
{
public:
    struct Patch
    {
        qint64 position = 0;
        int size = 0;
        PendingRecord source;
        QString label; // "static tile 7 (animation)"
    };

    // False (and *error set) when a pending entry is missing or not of entry size.
    bool build(const AnimDataFile &animData, QString *error);

    // Sorted by position.
    const QVector<Patch> &patches() const { return list; }
    qint64 outputSize() const { return size; }

private:
    QVector<Patch> list;
    qint64 size = 0;
};
