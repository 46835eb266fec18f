#pragma once

#include "io/PendingEdit.h"
#include "io/PendingEditDirectory.h"
#include "io/PendingRecord.h"
#include "io/TileKind.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

// Where every edit of a data set is kept until it is saved: for each tile (its kind and
// id) and each part of it (its image, its tile-data record, its animation entry), what is
// pending instead of the data files' record, in a private pending-edit directory. The
// edits made together (one put, or every put of a batch) are written as one pack file
// (PendingEditPack), synced and given its name at once, so that a run killed meanwhile
// leaves all of them or none. Directories of earlier versions, with one file per edit,
// are read alike. The image, tile-data and animation stores serve what it holds in place
// of their files; the palettes, the undo history and the saver ask it what is pending.
// Nothing here decodes a record.
class PendingEditPack;

class PendingEditStore : public QObject
{
    Q_OBJECT

public:
    enum class Part { Image, TileData, Animation };
    // A tile with something pending.
    struct Tile
    {
        TileKind kind = TileKind::Terrain;
        int id = 0;
        bool operator==(const Tile &other) const { return kind == other.kind && id == other.id; }
    };
    // Whether an edit kept by an earlier store may be served by this one (its id exists,
    // its record is of the right form).
    using Acceptance = std::function<bool(TileKind kind, int id, Part part, const PendingEdit &edit)>;

    // How a pending-edit directory of this store describes itself.
    static const QString DirectoryStoreName;

    // The directory is made inside parentDirectory (empty: the system temporary directory)
    // by the first edit; its description names dataDirectory, so that a crashed run's
    // edits are offered for their own data set.
    PendingEditStore(const QString &parentDirectory, const QString &dataDirectory, QObject *parent = nullptr);
    ~PendingEditStore() override;

    bool isEmpty() const { return entries.isEmpty(); }
    // Whether any tile has something pending for part.
    bool holdsAny(Part part) const;
    bool isEdited(TileKind kind, int id) const;
    bool isEdited(TileKind kind, int id, Part part) const;
    // Exactly what is pending, with the record's bytes: what undo and redo put back.
    PendingEdit edit(TileKind kind, int id, Part part) const;
    // Whether a replacement or a deletion is pending, without reading the record.
    PendingEdit::State state(TileKind kind, int id, Part part) const;
    // Where a pending replacement record lies (what a save copies); null for none. Not
    // while a batch is open: its records are on no disk yet.
    PendingRecord recordAt(TileKind kind, int id, Part part) const;
    // The ids with something pending for part, ascending.
    QList<int> editedIds(TileKind kind, Part part) const;
    // Every tile with anything pending, terrain first, each in id order.
    QList<Tile> editedTiles() const;

    // Makes edit what is pending (State::None forgets the tile's part). When its file
    // cannot be written nothing changes, false is returned and *error says why.
    bool put(TileKind kind, int id, Part part, const PendingEdit &edit, QString *error = nullptr);

    // Puts made between beginBatch() and commitBatch() last together, in one pack: a run
    // killed meanwhile leaves a recovery all of them or none. They are served at once,
    // like any other put.
    void beginBatch();
    // False, with every put since beginBatch() taken back and *error saying why, when they
    // cannot be put in place.
    bool commitBatch(QString *error);

    // Where the pending files go; made now if no edit has made it yet (empty when it
    // cannot be made).
    QString directory() const;

    // Hands the pending edits over, in their directory, for another store to adopt (a
    // data set opened again); this store starts over with none.
    std::unique_ptr<PendingEditDirectory> take();
    // Serves the edits kept in directories (of a store opened earlier, or of runs that
    // ended abnormally) in place of its own: the first directory becomes this store's, the
    // others' edits are copied into it where it has none for the tile, and they are
    // removed. Edits accept refuses are dropped and named in *dropped.
    void adopt(std::vector<std::unique_ptr<PendingEditDirectory>> directories, const Acceptance &accept,
        QStringList *dropped = nullptr);

Q_SIGNALS:
    // What is pending for the tile's part changed.
    void changed(TileKind kind, int id, PendingEditStore::Part part);
    // Every pending edit was replaced at once (adopted).
    void reset();

private:
    struct Entry
    {
        PendingEdit::State state = PendingEdit::State::None;
        // Replaced: where the record lies; empty path while a batch holds it in memory.
        PendingRecord record;
    };
    struct Parsed;
    struct Batch
    {
        // What was pending for each key the batch put, before it.
        QHash<quint64, Entry> originals;
        // What the batch puts, in the order put.
        QList<quint64> order;
        QHash<quint64, PendingEdit> staged;
    };
    static quint64 key(TileKind kind, int id, Part part);
    static Tile tileOf(quint64 key);
    static Part partOf(quint64 key) { return Part(key >> 33); }
    // The name of the edit in a pack, and of its lone file without the extension.
    static QString editName(TileKind kind, int id, Part part);
    static bool parse(const QString &fileName, Parsed *parsed);
    static bool parseEditName(const QString &name, Parsed *parsed);
    static QString describe(TileKind kind, int id, Part part);
    void startOver();
    void stage(TileKind kind, int id, Part part, const PendingEdit &edit);
    // Writes the next pack; its replacements are then served from it.
    bool writePack(PendingEditPack &pack, QString *error);
    // The edit of tileKey is now in pack number: an earlier pack left with none goes.
    void supersede(quint64 tileKey, quint64 number);
    void takeBack(const Batch &undone);
    // Every edit a directory holds, lone files and packs read in their order; with, for
    // each edit whose last word is in a pack, that pack's number, and every pack read.
    static QHash<quint64, Entry> collect(const PendingEditDirectory &from,
        QHash<quint64, quint64> *newest = nullptr, QList<quint64> *numbers = nullptr);
    // Counts the edits each pack is the newest for, after newestPack was found on disk;
    // the packs read (numbers) that are the newest for none go.
    void countPackEdits(const QList<quint64> &numbers);
    static PendingEdit editOf(const Entry &entry);
    bool accepted(quint64 tileKey, const Entry &entry, const Acceptance &accept, QStringList *dropped) const;
    void copyFrom(const PendingEditDirectory &other, const Acceptance &accept, QStringList *dropped);

    QString parent;
    QString dataDir;
    std::unique_ptr<PendingEditDirectory> dir;
    QHash<quint64, Entry> entries;
    std::optional<Batch> batch;
    // The number of the next pack written.
    quint64 nextPack = 1;
    // For each edit in a pack this store wrote, the newest such pack; for each such pack,
    // how many edits it is the newest for.
    QHash<quint64, quint64> newestPack;
    QHash<quint64, int> packEdits;
};
