#include "edits/TileEditCommand.h"

#include "art/ArtWork.h"
#include "tiledata/TileData.h"

namespace {

PendingEdit artEdit(ArtWork &art, TileKind kind, int id)
{
    return kind == TileKind::Terrain ? art.pendingTerrainEdit(id) : art.pendingStaticEdit(id);
}

PendingEdit recordEdit(TileData &tiles, TileKind kind, int id)
{
    return kind == TileKind::Terrain ? tiles.pendingLandEdit(id) : tiles.pendingStaticEdit(id);
}

bool restoreArt(ArtWork &art, TileKind kind, int id, const PendingEdit &edit, QString *error)
{
    return kind == TileKind::Terrain ? art.restoreTerrainEdit(id, edit, error)
                                     : art.restoreStaticEdit(id, edit, error);
}

bool restoreRecord(TileData &tiles, TileKind kind, int id, const PendingEdit &edit, QString *error)
{
    return kind == TileKind::Terrain ? tiles.restoreLandEdit(id, edit, error)
                                     : tiles.restoreStaticEdit(id, edit, error);
}

} // namespace

TileEditCommand::TileEditCommand(ArtWork &art, TileData &tiles, TileKind kind, int id, const QString &text,
    const State &before, const State &after)
    : QUndoCommand(text), art(art), tiles(tiles), tileKind(kind), tileId(id), before(before), after(after)
{ }

TileEditCommand::State TileEditCommand::current(
    ArtWork &art, TileData &tiles, TileKind kind, int id, const State &which)
{
    State state;
    if (which.art)
        state.art = artEdit(art, kind, id);
    if (which.record)
        state.record = recordEdit(tiles, kind, id);
    return state;
}

bool TileEditCommand::restore(ArtWork &art, TileData &tiles, TileKind kind, int id, const State &state,
    const State &fallback, QString *error)
{
    if (state.art && !restoreArt(art, kind, id, *state.art, error))
        return false;
    if (state.record && !restoreRecord(tiles, kind, id, *state.record, error)) {
        // Removing or rewriting what was just written back: the art part returns as it was.
        if (state.art && fallback.art)
            restoreArt(art, kind, id, *fallback.art, nullptr);
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
