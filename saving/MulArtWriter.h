#pragma once

#include "saving/ArtFileWriter.h"

#include <QVector>

// art.mul with its index artidx.mul: the records one after another, then the index.
class MulArtWriter : public ArtFileWriter
{
public:
    ArtContainer::Format format() const override { return ArtContainer::Format::Mul; }
    QStringList fileNames() const override;
    bool takesStoredRecords() const override { return false; }
    qint64 overhead(int slotCount, int recordSlots) const override;
    bool begin(SaveRun &run, int slotCount, int recordSlots) override;
    bool addRecord(SaveRun &run, int slot, const ArtContainer::StoredRecord &record, qint32 reserved,
        int *handle) override;
    void addShared(int slot, int handle, qint32 reserved) override;
    void addEmpty(int slot, const ArtIndexEntry &entry) override;
    bool finish(SaveRun &run) override;

private:
    QVector<ArtIndexEntry> index;
    qint64 position = 0;
};
