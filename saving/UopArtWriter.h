#pragma once

#include "io/MypWriter.h"
#include "saving/ArtFileWriter.h"

#include <memory>

// artLegacyMUL.uop: the header and tables first, then one data block per record; slots
// that share a record point at the same block, empty slots have no entry. Records are
// stored as they come (a copy of a .uop record keeps its compression).
class UopArtWriter : public ArtFileWriter
{
public:
    // Entries per table: any number is valid; larger tables make fewer to walk.
    static constexpr int TableCapacity = 1000;

    ArtContainer::Format format() const override { return ArtContainer::Format::Uop; }
    QStringList fileNames() const override;
    bool takesStoredRecords() const override { return true; }
    qint64 overhead(int slotCount, int recordSlots) const override;
    bool begin(SaveRun &run, int slotCount, int recordSlots) override;
    bool addRecord(SaveRun &run, int slot, const ArtContainer::StoredRecord &record, qint32 reserved,
        int *handle) override;
    void addShared(int slot, int handle, qint32 reserved) override;
    void addEmpty(int, const ArtIndexEntry &) override { }
    bool finish(SaveRun &run) override;

private:
    std::unique_ptr<MypWriter> writer;
    QVector<MypEntry> written;
};
