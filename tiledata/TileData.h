#pragma once

#include "io/DataFile.h"
#include "io/PendingEditStore.h"
#include "tiledata/LandTileRecord.h"
#include "tiledata/StaticTileRecord.h"
#include "tiledata/TileDataLayout.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

// tiledata.mul one record at a time (read-only), in the layout it was read in, with
// the pending edits' records served in place of the file's. It alone decides which ids
// the file holds.
class TileData : public QObject
{
    Q_OBJECT

public:
    // Records are edited in edits, which a data set's art shares. layout: read the file
    // in this layout rather than the one its size tells (for a cut or damaged file).
    TileData(const QString &fileName, std::shared_ptr<PendingEditStore> edits,
        std::optional<TileDataLayout> layout = std::nullopt);
    // With a store of its own, whose directory is created in tempDir (empty: the system
    // temporary directory).
    explicit TileData(const QString &fileName, const QString &tempDir = QString(),
        std::optional<TileDataLayout> layout = std::nullopt);
    ~TileData() override;

    // Reads the file whole; false (and *error naming it) when it cannot be read.
    bool setFileName(
        const QString &path, QString *error = nullptr, std::optional<TileDataLayout> layout = std::nullopt);

    TileDataLayout layout() const { return fileLayout; }
    // "classic" or "high-seas".
    QString layoutName() const { return fileLayout.name(); }
    // Whether the layout was given rather than told by the file.
    bool isLayoutForced() const { return layoutForced; }
    // Why the file is read in its layout, worded to follow "because": "its size is a
    // whole number of classic blocks", "that layout was given".
    QString layoutReason() const { return layoutWhy; }
    // For the user, when the layout was inferred from damaged data (or a given layout
    // leaves bytes past the last whole block): what is wrong and how the file is read.
    // Empty otherwise.
    QString layoutWarning() const;
    // Bytes past the file's last whole block: a file cut inside a block or not of its
    // layout. Those bytes are kept by a save but hold no record.
    qint64 partialBlockBytes() const { return fileLayout.partialBlockBytes(bytes.size()); }

    // The records the file holds: those of its whole blocks.
    int count(TileKind kind) const;
    // Whether a record is there to read: the file holds it or an edit is pending.
    bool holds(TileKind kind, int id) const;

    // The record in the file's layout, its pending edit if it has one; nothing, and
    // *error saying so, for an id that is not there.
    std::optional<LandTileRecord> landRecord(int id, QString *error = nullptr) const;
    std::optional<StaticTileRecord> staticRecord(int id, QString *error = nullptr) const;
    // The record as the data file holds it, ignoring pending edits; nothing when it does not.
    std::optional<LandTileRecord> originalLandRecord(int id) const;
    std::optional<StaticTileRecord> originalStaticRecord(int id) const;

    // A record must be of the file's layout. Ids up to the format's limits may be
    // edited, also past the end of a short file. When the record is refused or its
    // pending file cannot be written nothing changes, false is returned and *error says why.
    bool setLandRecord(int id, const LandTileRecord &record, QString *error = nullptr);
    bool setStaticRecord(int id, const StaticTileRecord &record, QString *error = nullptr);

    // Null for an id that is not there.
    QString name(TileKind kind, int id) const;

    QString fileName() const { return file.fileName(); }
    const DataFile &dataFile() const { return file; }
    // Why the file could not be read; empty when it was.
    QString errorString() const { return loadError; }
    // The file's bytes as read when it was opened.
    const QByteArray &fileBytes() const { return bytes; }

    // Where the records edited but not saved are kept.
    PendingEditStore &pendingEdits() const { return *edits; }
    // Whether a record kept by an earlier store fits this file: one of its layout, for
    // an id an edit may have (past the end of the file too, as setLandRecord and
    // setStaticRecord take them).
    bool accepts(TileKind kind, int id, const PendingEdit &edit) const;
    // "land tile 5", "static tile 7": how messages about tile data name a tile.
    static QString describeTile(TileKind kind, int id);

private:
    // The bytes of a record held, as served: a pending edit's, else the file's.
    QByteArray recordBytes(TileKind kind, int id) const;
    QByteArray pendingRecord(TileKind kind, int id, int size) const;
    QByteArray fileRecord(qint64 position, int size) const;
    bool setRecord(TileKind kind, int id, TileDataLayout layout, const QByteArray &record, QString *error);
    int recordSize(TileKind kind) const;
    QString missingRecord(TileKind kind, int id) const;

    DataFile file;
    QByteArray bytes;
    QString loadError;
    TileDataLayout fileLayout;
    bool layoutForced = false;
    QString layoutWhy;
    bool layoutDamaged = false;
    std::shared_ptr<PendingEditStore> edits;
};
