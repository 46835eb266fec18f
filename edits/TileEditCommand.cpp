#include "edits/TileEditCommand.h"

using Part = PendingEditStore::Part;

TileEditCommand::TileEditCommand(PendingEditStore &edits, TileKind kind, int id, const QString &text,
    const State &before, const State &after)
    : QUndoCommand(text), edits(edits), tileKind(kind), tileId(id), before(before), after(after)
{ }

TileEditCommand::State TileEditCommand::current(
    const PendingEditStore &edits, TileKind kind, int id, const State &which)
{
    State state;
    if (which.art)
        state.art = edits.edit(kind, id, Part::Image);
    if (which.record)
        state.record = edits.edit(kind, id, Part::TileData);
    return state;
}

bool TileEditCommand::restore(
    PendingEditStore &edits, TileKind kind, int id, const State &state, const State &fallback, QString *error)
{
    if (state.art && !edits.put(kind, id, Part::Image, *state.art, error))
        return false;
    if (state.record && !edits.put(kind, id, Part::TileData, *state.record, error)) {
        // Removing or rewriting what was just written back: the image returns as it was.
        if (state.art && fallback.art)
            edits.put(kind, id, Part::Image, *fallback.art, nullptr);
        return false;
    }
    return true;
}

void TileEditCommand::undo()
{
    error.clear();
    if (skipUndo) {
        skipUndo = false;
        return;
    }
    if (!restore(edits, tileKind, tileId, before, after, &error))
        skipRedo = true;
}

void TileEditCommand::redo()
{
    error.clear();
    if (skipRedo) {
        skipRedo = false;
        return;
    }
    if (!restore(edits, tileKind, tileId, after, before, &error))
        skipUndo = true;
}
