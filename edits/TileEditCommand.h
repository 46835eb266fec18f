#pragma once

#include "io/PendingEditStore.h"
#include "io/TileKind.h"

#include <QList>
#include <QString>
#include <QUndoCommand>
#include <optional>

// One edit of one or more tiles as the undo history keeps it: what was pending for each
// tile's image, tile-data record and animation entry before and after, as exact bytes. Undo
// puts the "before" states back, redo the "after" states; all tiles or none. The edit itself
// is made before the command is pushed, so the first redo has nothing to do.
class TileEditCommand : public QUndoCommand
{
public:
    // The parts of a tile an edit touched; a part left empty is not touched.
    struct State
    {
        std::optional<PendingEdit> art;
        std::optional<PendingEdit> record;
        std::optional<PendingEdit> animation;

        int partCount() const
        {
            return int(art.has_value()) + int(record.has_value()) + int(animation.has_value());
        }
        bool operator==(const State &other) const
        {
            return art == other.art && record == other.record && animation == other.animation;
        }
    };

    // What one tile's part of the edit changed.
    struct Change
    {
        TileKind kind = TileKind::Terrain;
        int id = 0;
        State before;
        State after;
    };

    TileEditCommand(PendingEditStore &edits, TileKind kind, int id, const QString &text, const State &before,
        const State &after);
    // changes: one for each tile the edit changed.
    TileEditCommand(PendingEditStore &edits, const QString &text, const QList<Change> &changes);

    // The tile's state now, in the parts given by which (whose values are ignored).
    static State current(const PendingEditStore &edits, TileKind kind, int id, const State &which);
    // Puts state back; when a part cannot be written, the parts already put back return
    // to fallback, so the tile is left as it was, and false is returned with *error.
    static bool restore(PendingEditStore &edits, TileKind kind, int id, const State &state,
        const State &fallback, QString *error);

    void undo() override;
    void redo() override;

    // The tiles the edit changed, in the order it changed them.
    QList<PendingEditStore::Tile> tiles() const;
    // Why the last undo or redo left the tile as it was; empty when it succeeded.
    QString errorString() const { return error; }

private:
    // Puts every tile's after (forward) or before state; when one cannot be put, the tiles
    // already put return as they were and false is returned.
    bool step(bool forward);

    PendingEditStore &edits;
    QList<Change> changes;
    QString error;
    // A step that did not happen is not taken back by the next opposite step.
    bool skipRedo = true;
    bool skipUndo = false;
};
