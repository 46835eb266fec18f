#pragma once

#include "art/ArtIndexEntry.h"
#include "io/PendingRecord.h"

#include <QString>
#include <QVector>

class ArtWork;

// What goes into each slot of the saved art: the record the container holds, a pending
// edit's record, or nothing. Building the plan reads no record; it checks that every
// pending edit can be used, so that a save fails before it writes anything.
class ArtMergePlan
{
public:
    struct Slot
    {
        enum class Source { Container, PendingFile, Empty };
        Source source = Source::Empty;
        // The container's entry of the slot; for an empty slot the entry to write.
        ArtIndexEntry entry;
        PendingRecord pending; // for PendingFile slots
        qint64 length = 0; // for PendingFile slots
    };

    // False (and *error set) when a pending edit cannot be used.
    bool build(const ArtWork &art, QString *error);

    // Every slot of the saved art, in slot order.
    const QVector<Slot> &slots() const { return list; }
    // The bytes the plan's records take, as far as known before reading them: pending
    // records exactly, the container's by their stated lengths (each record once, and no
    // more than the longest record can take).
    qint64 estimatedSize() const { return estimate; }
    // The slots that get a record (their own or one they share).
    int recordCount() const { return records; }

private:
    int outputSlotCount(const ArtWork &art) const;
    bool addPending(int slot, const PendingRecord &source, const ArtIndexEntry &original, QString *error);

    QVector<Slot> list;
    qint64 estimate = 0;
    int records = 0;
};
