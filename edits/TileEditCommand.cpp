#include "edits/TileEditCommand.h"

#include "art/ArtWork.h"
#include "tiledata/TileData.h"

TileEditCommand::TileEditCommand(ArtWork &art, TileData &tiles, TileKind kind, int id, const QString &text,
    const State &before, const State &after)
    : QUndoCommand(text), art(art), tiles(tiles), tileKind(kind), tileId(id), before(before), after(after)
{ }

TileEditCommand::State TileEditCommand::current(
    ArtWork &art, TileData &tiles, TileKind kind, int id, const State &which)
{
    State state;
    if (which.art)
        state.art = art.pendingEdit(kind, id);
    if (which.record)
        state.record = tiles.pendingEdit(kind, id);
    return state;
}

bool TileEditCommand::restore(ArtWork &art, TileData &tiles, TileKind kind, int id, const State &state,
    const State &fallback, QString *error)
{
    if (state.art && !art.restoreEdit(kind, id, *state.art, error))
        return false;
    if (state.record && !tiles.restoreEdit(kind, id, *state.record, error)) {
        // Removing or rewriting what was just written back: the art part returns as it was.
        if (state.art && fallback.art)
            art.restoreEdit(kind, id, *fallback.art, nullptr);
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
    if (!restore(art, tiles, tileKind, tileId, before, after, &error))
        skipRedo = true;
}

void TileEditCommand::redo()
{
    error.clear();
    if (skipRedo) {
        skipRedo = false;
        return;
    }
    if (!restore(art, tiles, tileKind, tileId, after, before, &error))
        skipUndo = true;
}
