#pragma once

#include "art/ArtContainer.h"

#include <QStringList>

class SaveRun;

// Writes the art of a save in one container format, slot by slot in slot order. The
// saver decides what goes into each slot; a writer only lays the records out.
class ArtFileWriter
{
public:
    virtual ~ArtFileWriter() = default;

    virtual ArtContainer::Format format() const = 0;
    // The files written, in the order they are written.
    virtual QStringList fileNames() const = 0;
    // Whether records are taken as their container keeps them (possibly compressed),
    // rather than as art.mul holds them.
    virtual bool takesStoredRecords() const = 0;
    // Bytes written besides the records, for the progress total.
    virtual qint64 overhead(int slotCount, int recordSlots) const = 0;

    // Starts the files for slotCount slots, at most recordSlots of which hold a record.
    virtual bool begin(SaveRun &run, int slotCount, int recordSlots) = 0;
    // Writes the record of the next slot; *handle names it for slots that share it.
    virtual bool addRecord(
        SaveRun &run, int slot, const ArtContainer::StoredRecord &record, qint32 reserved, int *handle)
        = 0;
    // The next slot shares a record written before.
    virtual void addShared(int slot, int handle, qint32 reserved) = 0;
    // The next slot has no record; entry is what artidx.mul keeps for it.
    virtual void addEmpty(int slot, const ArtIndexEntry &entry) = 0;
    virtual bool finish(SaveRun &run) = 0;
};
