#pragma once

#include "art/ArtContainer.h"
#include "io/DataFile.h"

#include <QVector>

// art.mul read through its index artidx.mul. The index is read whole when opened; the
// records are read from art.mul as they are asked for. A record's extent comes from its
// content (2,024 bytes of terrain, a static through its last line), not from the length
// the index states, so that a length running to the end of the file costs nothing.
class MulArtContainer : public ArtContainer
{
public:
    // False (and *error naming the file) when either file cannot be opened; the container
    // then has no slots.
    bool open(const QString &indexPath, const QString &artPath, QString *error = nullptr);

    Format format() const override { return Format::Mul; }
    QString errorString() const override { return openError; }
    QStringList fileNames() const override;
    QString changedFile() const override;
    int slotCount() const override;
    ArtIndexEntry entry(int slot) const override;
    // The record as its content ends it, whatever length the index states.
    QByteArray record(int slot) const override;
    // The same; a record that cannot be drawn as the index states it, cut at the start
    // of the next record or the end of art.mul.
    StoredRecord storedRecord(int slot) const override;
    // Lent from the read window: the whole terrain record, or the static's bytes as its
    // entry states them (bounded by the next record and the longest static).
    QByteArrayView recordSpan(int slot, QByteArray *buffer) const override;
    QStringList lostInSaving(Format format) const override;
    // Bytes read from art.mul since it was opened.
    qint64 artBytesRead() const { return artFile.bytesRead(); }

private:
    // Whether the entry points at bytes of art.mul.
    bool holdsRecord(const ArtIndexEntry &stored) const;
    StoredRecord locate(int slot, bool undrawn) const;
    // The bytes first read for a static record: as its entry states them, within room.
    QByteArrayView staticSpan(const ArtIndexEntry &stored, qint64 room) const;
    qint64 staticExtent(const ArtIndexEntry &stored, qint64 room, QByteArrayView *bytes) const;
    // Bytes from offset to the next record's start or the end of art.mul.
    qint64 roomAt(qint32 offset) const;

    DataFile indexFile;
    DataFile artFile;
    QByteArray index;
    // Where the records in art.mul start, ascending, once each.
    QVector<qint32> recordStarts;
    // The position in recordStarts that ended the record last read.
    mutable qsizetype nextStart = 0;
    QString openError;
};
