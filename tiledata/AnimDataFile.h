#pragma once

#include "io/DataFile.h"
#include "io/PendingEditStore.h"
#include "tiledata/AnimDataEntry.h"

#include <QString>
#include <memory>

// animdata.mul one entry at a time (read-only): blocks of a 4-byte header and 8 entries
// of 68 bytes, one entry per static tile, with the pending edits' entries served in
// place of the file's.
class AnimDataFile
{
public:
    static constexpr int EntriesPerBlock = 8;
    static constexpr int BlockHeaderSize = 4;
    static constexpr int BlockSize = BlockHeaderSize + EntriesPerBlock * AnimDataEntry::Size; // 548

    // With a store of its own, whose directory is made in the system temporary directory.
    AnimDataFile();
    // Entries are edited in edits, which a data set's art and tile data share.
    explicit AnimDataFile(std::shared_ptr<PendingEditStore> edits);

    // Reads the file whole; false (and *error naming it) when it cannot be read.
    bool setFileName(const QString &path, QString *error = nullptr);
    QString fileName() const { return file.fileName(); }
    const DataFile &dataFile() const { return file; }
    // Why the file could not be read; empty when it was.
    QString errorString() const { return loadError; }
    // The file's bytes as read when it was opened.
    const QByteArray &fileBytes() const { return bytes; }

    static constexpr qint64 entryPosition(int id)
    {
        return qint64(id / EntriesPerBlock) * BlockSize + (id % EntriesPerBlock) * AnimDataEntry::Size
            + BlockHeaderSize;
    }
    // Where the block holding the entry ends: a file grown by an entry grows by whole blocks.
    static constexpr qint64 blockEnd(int id) { return qint64(id / EntriesPerBlock + 1) * BlockSize; }

    // The entries the file holds: those of its whole blocks.
    int count() const { return int(bytes.size() / BlockSize * EntriesPerBlock); }
    // Whether an entry is there to read: the file holds it or an edit is pending.
    bool holds(int id) const;

    // The entry, its pending edit if it has one. Bytes past the end of the file (or a
    // missing file) read as 0.
    AnimDataEntry readEntry(int id) const;
    // The entry as the data file holds it, ignoring pending edits.
    AnimDataEntry originalEntry(int id) const;

    // Static ids up to the format's limit may be edited, also past the end of the file.
    // When the id is refused or the pending file cannot be written nothing changes,
    // false is returned and *error says why.
    bool setEntry(int id, const AnimDataEntry &entry, QString *error = nullptr);

    // Where the entries edited but not saved are kept.
    PendingEditStore &pendingEdits() const { return *edits; }
    // Whether an entry kept by an earlier store fits: a whole entry of a static id an
    // edit may have.
    bool accepts(TileKind kind, int id, const PendingEdit &edit) const;
    // "static tile 7 (animation)": how messages about animation entries name one.
    static QString describeEntry(int id);

private:
    DataFile file;
    QByteArray bytes;
    QString loadError;
    std::shared_ptr<PendingEditStore> edits;
};
