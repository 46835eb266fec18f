#pragma once

#include "io/PendingEditStore.h"
#include "io/TileKind.h"

#include <QString>
#include <QUndoCommand>
#include <optional>

// One edit of one tile as the undo history keeps it: what was pending for the tile's
// image, tile-data record and animation entry before and after, as exact bytes. Undo puts the
// "before" state back, redo the "after" state. The edit itself is made before the
// command is pushed, so the first redo has nothing to do.
class TileEditCommand : public QUndoCommand
{
public:
    // The parts of a tile an edit touched; a part left empty is not touched.
    struct State
    {
        std::optional<PendingEdit> art;
        std::optional<PendingEdit> record;
        std::optional<PendingEdit> animation;

        bool operator==(const State &other) const
        {
            return art == other.art && record == other.record && animation == other.animation;
        }
    };

    TileEditCommand(PendingEditStore &edits, TileKind kind, int id, const QString &text, const State &before,
        const State &after);

    // The tile's state now, in the parts given by which (whose values are ignored).
    static State current(const PendingEditStore &edits, TileKind kind, int id, const State &which);
    // Puts state back; when a part cannot be written, the parts already put back return
    // to fallback, so the tile is left as it was, and false is returned with *error.
    static bool restore(PendingEditStore &edits, TileKind kind, int id, const State &state,
        const State &fallback, QString *error);

    void undo() override;
    void redo() override;

    TileKind kind() const { return tileKind; }
    int id() const { return tileId; }
    // Why the last undo or redo left the tile as it was; empty when it succeeded.
    QString errorString() const { return error; }

private:
    PendingEditStore &edits;
    TileKind tileKind;
    int tileId;
    State before;
    State after;
    QString error;
    // A step that did not happen is not taken back by the next opposite step.
    bool skipRedo = true;
    bool skipUndo = false;
};
