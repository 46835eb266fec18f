#pragma once

#include "io/CsvError.h"
#include "tiledata/AnimDataEntry.h"

#include <QByteArray>
#include <QMap>
#include <QStringList>

class AnimDataFile;

// The animation entries as a table (comma-separated values, UTF-8, a header row):
// id,frameInterval,frameStart,frameCount,frameOffsets, the id 0x-hex and the frame
// offsets separated by spaces. A row lists the offsets up to the last that is not 0, or
// frameCount of them when that is more; the slots after those it lists are 0.
class AnimDataTable
{
public:
    static QStringList columns();
    // Every entry animdata.mul holds (pending edits included) and every entry edited past
    // its end, in id order.
    static QByteArray write(const AnimDataFile &anims);

    // Reads a table as changes to the entries anims serves. False, with *error naming the
    // line and column, for a table that cannot be applied whole: a value that does not fit
    // its field (signed bytes, at most 64 offsets), an id given twice or not in the file.
    bool read(const QByteArray &bytes, const AnimDataFile &anims, CsvError *error);
    int rowCount() const { return rows; }
    // The entries the rows change, by id; the field the table has no column for is kept.
    const QMap<int, AnimDataEntry> &changes() const { return changed; }

private:
    int rows = 0;
    QMap<int, AnimDataEntry> changed;
};
