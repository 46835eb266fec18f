#include "edits/TileEditCommand.h"

#include <iterator>
#include <utility>

using Part = PendingEditStore::Part;

TileEditCommand::TileEditCommand(PendingEditStore &edits, TileKind kind, int id, const QString &text,
    const State &before, const State &after)
    : TileEditCommand(edits, text, {Change{kind, id, before, after}})
{ }

TileEditCommand::TileEditCommand(PendingEditStore &edits, const QString &text, const QList<Change> &changes)
    : QUndoCommand(text), edits(edits), changes(changes)
{ }

QList<PendingEditStore::Tile> TileEditCommand::tiles() const
{
    QList<PendingEditStore::Tile> tiles;
    tiles.reserve(changes.size());
    for (const Change &change : changes)
        tiles.append({change.kind, change.id});
    return tiles;
}

TileEditCommand::State TileEditCommand::current(
    const PendingEditStore &edits, TileKind kind, int id, const State &which)
{
    State state;
    if (which.art)
        state.art = edits.edit(kind, id, Part::Image);
    if (which.record)
        state.record = edits.edit(kind, id, Part::TileData);
    if (which.animation)
        state.animation = edits.edit(kind, id, Part::Animation);
    return state;
}

bool TileEditCommand::restore(
    PendingEditStore &edits, TileKind kind, int id, const State &state, const State &fallback, QString *error)
{
    using Member = std::optional<PendingEdit> State::*;
    const std::pair<Member, Part> parts[] = {
        {&State::art, Part::Image}, {&State::record, Part::TileData}, {&State::animation, Part::Animation}};
    for (std::size_t n = 0; n < std::size(parts); ++n) {
        const auto &[member, part] = parts[n];
        if (!(state.*member) || edits.put(kind, id, part, *(state.*member), error))
            continue;
        // Removing or rewriting what was just written back: those parts return as they were.
        for (std::size_t done = 0; done < n; ++done) {
            const auto &[earlier, earlierPart] = parts[done];
            if (state.*earlier && fallback.*earlier)
                edits.put(kind, id, earlierPart, *(fallback.*earlier), nullptr);
        }
        return false;
    }
    return true;
}

bool TileEditCommand::step(bool forward)
{
    // Several files last together (and several tiles far sooner than one by one).
    const bool batched = changes.size() > 1 || (changes.size() == 1 && changes.first().after.partCount() > 1);
    if (batched)
        edits.beginBatch();
    for (qsizetype n = 0; n < changes.size(); ++n) {
        const Change &change = changes.at(n);
        if (restore(edits, change.kind, change.id, forward ? change.after : change.before,
                forward ? change.before : change.after, &error))
            continue;
        for (qsizetype done = 0; done < n; ++done) {
            const Change &back = changes.at(done);
            restore(edits, back.kind, back.id, forward ? back.before : back.after,
                forward ? back.after : back.before, nullptr);
        }
        if (batched)
            edits.commitBatch(nullptr);
        return false;
    }
    return !batched || edits.commitBatch(&error);
}

void TileEditCommand::undo()
{
    error.clear();
    if (skipUndo) {
        skipUndo = false;
        return;
    }
    if (!step(false))
        skipRedo = true;
}

void TileEditCommand::redo()
{
    error.clear();
    if (skipRedo) {
        skipRedo = false;
        return;
    }
    if (!step(true))
        skipUndo = true;
}
