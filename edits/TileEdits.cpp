#include "edits/TileEdits.h"

#include "art/ArtWork.h"
#include "edits/TileEditCommand.h"
#include "tiledata/AnimDataFile.h"
#include "tiledata/TileData.h"

#include <QScopedValueRollback>

TileEdits::TileEdits(ArtWork &art, TileData &tiles, AnimDataFile *anims, QObject *parent)
    : QObject(parent), artStore(art), tileStore(tiles), animStore(anims), pending(art.pendingEdits()),
      changedOutside(!pending.isEmpty()), unsaved(changedOutside), unsavedTiles(pendingTiles())
{
    Q_ASSERT(&tiles.pendingEdits() == &pending);
    Q_ASSERT(!anims || &anims->pendingEdits() == &pending);
    connect(&pending, &PendingEditStore::changed, this, &TileEdits::storesChanged);
    connect(&pending, &PendingEditStore::reset, this, &TileEdits::storesChanged);
    connect(&stack, &QUndoStack::cleanChanged, this, &TileEdits::updateUnsaved);
}

TileEdits::~TileEdits() = default;

QString TileEdits::notChangedText(TileKind kind, int id, const QString &what, const QString &reason)
{
    return QStringLiteral("The %1 of %2 was not changed: %3").arg(what, tileLabel(kind, id), reason);
}

QImage TileEdits::prepareImage(TileKind kind, int id, const QImage &image, QString *error)
{
    QString reason;
    const QImage stored = ArtWork::normalize(kind, image, &reason);
    if (stored.isNull() && !image.isNull() && error)
        *error = notChangedText(kind, id, QStringLiteral("image"), reason);
    return stored;
}

bool TileEdits::storeImage(TileKind kind, int id, const QImage &image, QString *error)
{
    QString reason;
    const bool stored = artStore.setImage(kind, id, image, &reason);
    if (!stored && error)
        *error = notChangedText(kind, id, QStringLiteral("image"), reason);
    return stored;
}

bool TileEdits::storeRecord(TileKind kind, int id, const TileRecord &record, QString *error)
{
    QString reason = QStringLiteral("The record given is for the other kind of tile.");
    const auto *land = std::get_if<LandTileRecord>(&record);
    const auto *item = std::get_if<StaticTileRecord>(&record);
    const bool stored = kind == TileKind::Terrain ? land && tileStore.setLandRecord(id, *land, &reason)
                                                  : item && tileStore.setStaticRecord(id, *item, &reason);
    if (!stored && error)
        *error = notChangedText(kind, id, QStringLiteral("tile data"), reason);
    return stored;
}

bool TileEdits::changeImage(TileKind kind, int id, const QImage &image, const QString &action, QString *error)
{
    TileEditCommand::State which;
    which.art = PendingEdit();
    const TileEditCommand::State before = TileEditCommand::current(pending, kind, id, which);
    {
        QScopedValueRollback<bool> guard(applying, true);
        if (!storeImage(kind, id, image, error))
            return false;
    }
    pushIfChanged(kind, id, action, before, which);
    return true;
}

bool TileEdits::changeProperties(TileKind kind, int id, const std::optional<QImage> &image,
    const std::optional<TileRecord> &record, QString *error)
{
    TileEditCommand::State which;
    if (image)
        which.art = PendingEdit();
    if (record)
        which.record = PendingEdit();
    const TileEditCommand::State before = TileEditCommand::current(pending, kind, id, which);
    {
        QScopedValueRollback<bool> guard(applying, true);
        if (image && !storeImage(kind, id, *image, error))
            return false;
        if (record && !storeRecord(kind, id, *record, error)) {
            // Both or neither: the image stored a moment ago is taken back.
            TileEditCommand::restore(pending, kind, id, before, before, nullptr);
            return false;
        }
    }
    pushIfChanged(kind, id, propertiesName(), before, which);
    return true;
}

bool TileEdits::changeAnimation(int id, const AnimDataEntry &entry, const QString &action, QString *error)
{
    TileEditCommand::State which;
    which.animation = PendingEdit();
    const TileEditCommand::State before = TileEditCommand::current(pending, TileKind::Static, id, which);
    {
        QScopedValueRollback<bool> guard(applying, true);
        QString reason = QStringLiteral("No animation data is open.");
        if (!animStore || !animStore->setEntry(id, entry, &reason)) {
            if (error)
                *error = notChangedText(TileKind::Static, id, QStringLiteral("animation"), reason);
            return false;
        }
    }
    pushIfChanged(TileKind::Static, id, action, before, which);
    return true;
}

void TileEdits::pushIfChanged(TileKind kind, int id, const QString &action,
    const TileEditCommand::State &before, const TileEditCommand::State &which)
{
    const TileEditCommand::State after = TileEditCommand::current(pending, kind, id, which);
    // Deleting a deleted tile, or storing what is stored already, is no step to take back.
    if (after == before)
        return;
    stack.push(new TileEditCommand(
        pending, kind, id, QStringLiteral("%1 of %2").arg(action, tileLabel(kind, id)), before, after));
    compareWithSaved(tileKey(kind, id));
    Q_EMIT tileChanged(kind, id);
}

bool TileEdits::undo(QString *error)
{
    return step(false, error);
}

bool TileEdits::redo(QString *error)
{
    return step(true, error);
}

bool TileEdits::step(bool forward, QString *error)
{
    if (forward ? !stack.canRedo() : !stack.canUndo())
        return true;
    const auto *command
        = static_cast<const TileEditCommand *>(stack.command(forward ? stack.index() : stack.index() - 1));
    QScopedValueRollback<bool> guard(applying, true);
    forward ? stack.redo() : stack.undo();
    const QString failure = command->errorString();
    if (failure.isEmpty()) {
        compareWithSaved(tileKey(command->kind(), command->id()));
        Q_EMIT tileChanged(command->kind(), command->id());
        return true;
    }
    // The tile was left as it was: so is the history (the command skips this step).
    forward ? stack.undo() : stack.redo();
    if (error)
        *error
            = QStringLiteral("Could not %1 the %2: %3")
                  .arg(forward ? QStringLiteral("redo") : QStringLiteral("undo"), command->text(), failure);
    return false;
}

bool TileEdits::hasUnsavedEdits() const
{
    return unsaved;
}

void TileEdits::markSaved()
{
    savedStates.clear();
    for (const qint64 key : pendingTiles())
        savedStates.insert(key, wholeState(key));
    unsavedTiles.clear();
    changedOutside = false;
    stack.setClean();
    updateUnsaved();
}

void TileEdits::storesChanged()
{
    if (applying)
        return;
    changedOutside = true;
    // Which tile changed is not told: every tile pending now or at the save is compared.
    QSet<qint64> keys = pendingTiles();
    for (auto saved = savedStates.cbegin(); saved != savedStates.cend(); ++saved)
        keys.insert(saved.key());
    for (const qint64 key : keys)
        compareWithSaved(key);
    updateUnsaved();
}

QSet<qint64> TileEdits::pendingTiles() const
{
    QSet<qint64> keys;
    for (const PendingEditStore::Tile &tile : pending.editedTiles())
        keys.insert(tileKey(tile.kind, tile.id));
    return keys;
}

TileEditCommand::State TileEdits::wholeState(qint64 key) const
{
    TileEditCommand::State both;
    both.art = PendingEdit();
    both.record = PendingEdit();
    both.animation = PendingEdit();
    const TileKind kind = key >> 32 ? TileKind::Static : TileKind::Terrain;
    return TileEditCommand::current(pending, kind, int(quint32(key)), both);
}

void TileEdits::compareWithSaved(qint64 key)
{
    TileEditCommand::State untouched;
    untouched.art = PendingEdit::none();
    untouched.record = PendingEdit::none();
    untouched.animation = PendingEdit::none();
    if (wholeState(key) == savedStates.value(key, untouched))
        unsavedTiles.remove(key);
    else
        unsavedTiles.insert(key);
}

void TileEdits::updateUnsaved()
{
    const bool now = changedOutside || !stack.isClean();
    if (now == unsaved)
        return;
    unsaved = now;
    Q_EMIT unsavedChanged(unsaved);
}
