#pragma once

#include "io/DataFile.h"
#include "io/PendingEdit.h"
#include "io/PendingEditDirectory.h"
#include "io/TileKind.h"
#include "tiledata/TileDataLayout.h"

#include <QByteArray>
#include <QHash>
#include <QObject>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

// tiledata.mul one record at a time (read-only), in the layout it was read in, with
// edited records kept as pending files in a private directory and served in place of
// the file's records. It alone decides which ids the file holds.
class TileData : public QObject
{
    Q_OBJECT

public:
    // How its pending-edit directory names this store.
    static const QString PendingStoreName;

    // tempDir: where the private pending-edit directory is created (empty: the
    // system temporary directory). layout: read the file in this layout rather than
    // the one its size tells (for a cut or damaged file).
    explicit TileData(const QString &fileName, const QString &tempDir = QString(),
        std::optional<TileDataLayout> layout = std::nullopt);
    ~TileData() override;

    // Reads the file whole; false (and *error naming it) when it cannot be read.
    bool setFileName(
        const QString &path, QString *error = nullptr, std::optional<TileDataLayout> layout = std::nullopt);
    // Starts a new, empty private pending-edit directory; pending edits are forgotten.
    void setTempDir(const QString &directory);

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

    // The record in the file's layout (26 or 37 bytes classic, 30 or 41 high-seas);
    // empty, and *error saying so, for an id that is not there.
    QByteArray landRecord(int id, QString *error = nullptr) const;
    QByteArray staticRecord(int id, QString *error = nullptr) const;
    // The record as the data file holds it, ignoring pending edits; empty when it does not.
    QByteArray originalLandRecord(int id) const;
    QByteArray originalStaticRecord(int id) const;

    // A record must be of the file's layout. Ids up to the format's limits may be
    // edited, also past the end of a short file. When the record is refused or its
    // pending file cannot be written nothing changes, false is returned and *error says why.
    bool setLandRecord(int id, const QByteArray &record, QString *error = nullptr);
    bool setStaticRecord(int id, const QByteArray &record, QString *error = nullptr);

    // The pending edit of a record exactly as it is held now, and putting one back: what
    // undoing and redoing an edit needs (a record is never Deleted). Restoring
    // State::None forgets the record's edit. When the record cannot be written nothing
    // changes, false is returned and *error says why.
    PendingEdit pendingEdit(TileKind kind, int id) const;
    bool restoreEdit(TileKind kind, int id, const PendingEdit &edit, QString *error = nullptr);

    // Null for an id that is not there.
    QString name(TileKind kind, int id) const;

    QString fileName() const { return file.fileName(); }
    const DataFile &dataFile() const { return file; }
    // Why the file could not be read; empty when it was.
    QString errorString() const { return loadError; }
    // The file's bytes as read when it was opened.
    const QByteArray &fileBytes() const { return bytes; }

    // Hands the pending edits over, in their directory, for another store to adopt (a
    // data set opened again); this store starts over with none.
    std::unique_ptr<PendingEditDirectory> takePendingEdits();
    // Serves the records kept in a directory (of a store opened earlier, or of a run
    // that ended abnormally) as this store's pending edits, in place of its own. Records
    // that do not fit this file (a record of another layout, an id no edit may have) are
    // dropped and described in *dropped; ids past the end of the file are kept, as
    // setLandRecord and setStaticRecord take them.
    void adoptPendingEdits(std::unique_ptr<PendingEditDirectory> directory, QStringList *dropped = nullptr);

    // Key (land id, or static id + StaticKeyBase) to pending-record file.
    const QHash<int, QString> &pendingRecords() const { return pending; }
    bool hasPendingEdits() const { return !pending.isEmpty(); }
    // Where the pending files go; made now if no edit has made it yet (empty when it
    // cannot be made).
    QString pendingDirectory() const;
    // "land tile 5", "static tile 7": how messages name the tile of a pending key.
    static QString describeKey(int key);

Q_SIGNALS:
    void pendingChanged();

private:
    QByteArray pendingRecord(int key, int size) const;
    QByteArray fileRecord(qint64 position, int size) const;
    bool setRecord(int key, const QString &fileName, const QByteArray &record, int size, QString *error);
    bool adoptEditFile(const QString &fileName, QStringList *dropped);
    QString missingRecord(TileKind kind, int id) const;
    PendingEdit pendingEdit(int key) const;
    bool restoreEdit(int key, const QString &fileName, const PendingEdit &edit, QString *error);

    DataFile file;
    QByteArray bytes;
    QString loadError;
    TileDataLayout fileLayout;
    bool layoutForced = false;
    QString layoutWhy;
    bool layoutDamaged = false;
    QString tempDir;
    std::unique_ptr<PendingEditDirectory> pendingDir;
    QHash<int, QString> pending;
};
