#pragma once

#include "art/ArtIndexEntry.h"

#include <QHash>
#include <QPair>
#include <QString>
#include <QVector>

class ArtWork;

// The layout of a new art.mul and artidx.mul with the art store's pending edits merged
// in: which bytes go into art.mul in which order, and the index that points at them.
// Records are laid out in slot order; unedited records that sit next to each other in
// the source stay one piece, so that they are copied in one go.
class ArtMergePlan
{
public:
    struct Piece
    {
        enum class Source { ArtFile, PendingFile };
        Source source = Source::ArtFile;
        qint64 offset = 0; // in art.mul, for ArtFile pieces
        qint64 length = 0;
        QString path; // for PendingFile pieces
        int slot = -1; // for PendingFile pieces
    };

    // False (and *error set) when a pending edit cannot be used or the result would
    // not fit the index's 32-bit offsets.
    bool build(const ArtWork &art, QString *error);

    const QVector<ArtIndexEntry> &index() const { return entries; }
    const QVector<Piece> &pieces() const { return parts; }
    qint64 artSize() const { return size; }
    // Slots whose index entry pointed outside art.mul; they are written as empty slots,
    // which is also how the store shows them.
    const QVector<int> &damagedSlots() const { return damaged; }

    // "terrain tile 12" or "static tile 7", for messages about a slot.
    static QString describeSlot(int slot);

private:
    int outputSlotCount(const ArtWork &art) const;
    bool addPending(int slot, const QString &path, const ArtIndexEntry &original, QString *error);
    void addUnedited(int slot, const ArtIndexEntry &original, qint64 artFileSize);
    void addOriginal(int slot, const ArtIndexEntry &original, qint64 artFileSize);
    void append(const Piece &piece);

    QVector<ArtIndexEntry> entries;
    QVector<Piece> parts;
    QVector<int> damaged;
    // Source record (offset, length) to where it went, for entries that share records.
    QHash<QPair<qint64, qint64>, qint32> copied;
    qint64 size = 0;
};
