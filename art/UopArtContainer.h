#pragma once

#include "art/ArtContainer.h"
#include "io/MypReader.h"

#include <QCache>
#include <QHash>
#include <QMap>
#include <QSet>
#include <QVector>

// The art of artLegacyMUL.uop: one container entry per index position, named
// build/artlegacymul/NNNNNNNN.tga after the position, holding exactly the record that
// art.mul would hold there. The container's tables are read when it is opened; records
// are read, checked against their checksum and decompressed as they are asked for; a
// record whose checksum does not match is still shown, and noted.
class UopArtContainer : public ArtContainer
{
public:
    // Index positions an entry may be named after: every terrain id and every static id.
    static constexpr int MaxSlots = ArtFormat::StaticIdBase + ArtFormat::MaxStaticCount;
    // The longest record that is decompressed: the longest a tile can have. Longer
    // entries are damage; they are copied as stored but never inflated, so an entry that
    // claims more costs nothing.
    static constexpr qint64 MaxRecordLength = ArtFormat::MaxRecordSize;
    // Decompressed records kept, by data block, so that positions sharing a block
    // decompress it once.
    static constexpr qint64 BlockCacheBytes = 4 * 1024 * 1024;

    // The entry name of an index position: build/artlegacymul/ and eight digits, .tga.
    static constexpr int NameDigits = 8;
    static constexpr int EntryNameSize = 19 + NameDigits + 4;
    static QByteArray entryName(int slot);
    // The same name into name, which holds EntryNameSize bytes.
    static void writeEntryName(int slot, char *name);

    // False (and *error naming the file and the damage) when the container cannot be
    // read; it then has no slots.
    bool open(const QString &path, QString *error = nullptr);

    Format format() const override { return Format::Uop; }
    QString errorString() const override { return reader.errorString(); }
    QStringList fileNames() const override { return {reader.file().fileName()}; }
    QString changedFile() const override;
    // One past the highest position that has an entry.
    int slotCount() const override { return int(slotEntries.size()); }
    // offset: the number of the entry's data block (slots that share a block share it);
    // length: the record's length.
    ArtIndexEntry entry(int slot) const override;
    QByteArray record(int slot) const override;
    StoredRecord storedRecord(int slot) const override;
    StoredRecord plainRecord(int slot) const override;
    QStringList notes() const override;
    QStringList lostInSaving(Format format) const override;
    // How many entries were decompressed since the container was opened.
    qint64 decompressions() const { return reader.decompressions(); }

private:
    struct Block
    {
        QByteArray bytes;
        QString why;
        bool matches = true;
    };
    // The name hash of every index position, to its position.
    static const QHash<quint64, int> &positionsByHash();
    void mapSlots();
    void noteProblems();
    int entryIndex(int slot) const;
    QString problem(int index) const;
    // The decompressed bytes of the slot's block, through the cache.
    Block readBlock(int slot, int index) const;
    void noteUnreadable(int slot, const QString &why) const;
    void noteMismatch(int slot, bool matches) const;

    MypReader reader;
    // Position to entry number in the reader; -1 where there is none.
    QVector<int> slotEntries;
    // Entry number to the number of its data block: the first entry pointing at it.
    QVector<int> blocks;
    // Blocks that more than one entry points at.
    QSet<int> sharedBlocks;
    // Entries that point at an earlier entry's block but state other lengths or another
    // checksum: which of them is right cannot be told.
    QHash<int, QString> conflicts;
    int foreignEntries = 0;
    int repeatedEntries = 0;
    QStringList openNotes;
    // Slots whose record was found unreadable when read, and why.
    mutable QMap<int, QString> unreadable;
    // Slots whose bytes did not match their checksum when read.
    mutable QSet<int> mismatched;
    mutable QCache<int, Block> blockCache{BlockCacheBytes};
};
