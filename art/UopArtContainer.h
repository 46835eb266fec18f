#pragma once

#include "art/ArtContainer.h"
#include "io/MypReader.h"

#include <QHash>
#include <QMap>
#include <QVector>

// The art of artLegacyMUL.uop: one container entry per index position, named
// build/artlegacymul/NNNNNNNN.tga after the position, holding exactly the record that
// art.mul would hold there. The container's tables are read when it is opened; records
// are read, checked against their checksum and decompressed as they are asked for.
class UopArtContainer : public ArtContainer
{
public:
    static const QString FileName;
    // Index positions an entry may be named after: every terrain id and every static id.
    static constexpr int MaxSlots = ArtFormat::StaticIdBase + ArtFormat::MaxStaticCount;
    // The longest record, stored or decompressed, that is read. No tile comes near it:
    // a static record's line table and line starts are 16-bit word counts, so one that
    // can be drawn spans a few hundred kilobytes at most. Longer entries are damage and
    // are unreadable rather than allocated.
    static constexpr qint64 MaxRecordLength = 1024 * 1024;

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
    QStringList notes() const override;

private:
    // The name hash of every index position, to its position.
    static const QHash<quint64, int> &positionsByHash();
    void mapSlots();
    void noteProblems();
    int entryIndex(int slot) const;
    void noteUnreadable(int slot, const QString &why) const;

    MypReader reader;
    // Position to entry number in the reader; -1 where there is none.
    QVector<int> slotEntries;
    // Entry number to the number of its data block.
    QVector<int> blocks;
    QStringList openNotes;
    // Slots whose record was found unreadable when read, and why.
    mutable QMap<int, QString> unreadable;
};
