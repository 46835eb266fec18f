#include "edits/TileEdits.h"

#include "art/ArtFormat.h"
#include "art/ArtWork.h"
#include "dataset/DataSet.h"
#include "edits/TileEditCommand.h"
#include "tiledata/AnimDataFile.h"
#include "tiledata/TileData.h"
#include "tiledata/TileFlags.h"

#include <QDir>

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

bool TileEdits::storeAnimation(int id, const AnimDataEntry &entry, QString *error)
{
    QString reason = QStringLiteral("No animation data is open.");
    const bool stored = animStore && animStore->setEntry(id, entry, &reason);
    if (!stored && error)
        *error = notChangedText(TileKind::Static, id, QStringLiteral("animation"), reason);
    return stored;
}

QList<PendingEditStore::Tile> TileEdits::tilesOf(TileKind kind, const QList<int> &ids)
{
    QList<PendingEditStore::Tile> tiles;
    tiles.reserve(ids.size());
    for (const int id : ids)
        tiles.append({kind, id});
    return tiles;
}

QString TileEdits::editText(const QString &action, TileKind kind, const QList<int> &ids)
{
    return QStringLiteral("%1 of %2").arg(action, tilesLabel(kind, ids));
}

bool TileEdits::changeImage(TileKind kind, int id, const QImage &image, const QString &action, QString *error)
{
    return changeImages(kind, {{id, image}}, action, error);
}

bool TileEdits::changeImages(
    TileKind kind, const QMap<int, QImage> &images, const QString &action, QString *error)
{
    TileEditCommand::State which;
    which.art = PendingEdit();
    return changeTiles(
        tilesOf(kind, images.keys()), which,
        [&](TileKind, int id, QString *reason) { return storeImage(kind, id, images.value(id), reason); },
        editText(action, kind, images.keys()), error);
}

bool TileEdits::changeRecords(
    TileKind kind, const QMap<int, TileRecord> &records, const QString &action, QString *error)
{
    TileEditCommand::State which;
    which.record = PendingEdit();
    return changeTiles(
        tilesOf(kind, records.keys()), which,
        [&](TileKind, int id, QString *reason) { return storeRecord(kind, id, records.value(id), reason); },
        editText(action, kind, records.keys()), error);
}

bool TileEdits::changeAnimations(
    const QMap<int, AnimDataEntry> &entries, const QString &action, QString *error)
{
    TileEditCommand::State which;
    which.animation = PendingEdit();
    return changeTiles(
        tilesOf(TileKind::Static, entries.keys()), which,
        [&](TileKind, int id, QString *reason) { return storeAnimation(id, entries.value(id), reason); },
        editText(action, TileKind::Static, entries.keys()), error);
}

bool TileEdits::changeProperties(TileKind kind, int id, const std::optional<QImage> &image,
    const std::optional<TileRecord> &record, QString *error, const std::optional<AnimDataEntry> &animation)
{
    TileEditCommand::State which;
    if (image)
        which.art = PendingEdit();
    if (record)
        which.record = PendingEdit();
    if (animation)
        which.animation = PendingEdit();
    // A terrain tile has no animation entry to store.
    if (animation && kind == TileKind::Terrain) {
        if (error)
            *error = notChangedText(kind, id, QStringLiteral("animation"),
                QStringLiteral("Only statics have animation entries."));
        return false;
    }
    const auto store = [&](TileKind, int, QString *reason) {
        return (!image || storeImage(kind, id, *image, reason))
            && (!record || storeRecord(kind, id, *record, reason))
            && (!animation || storeAnimation(id, *animation, reason));
    };
    return changeTiles({{kind, id}}, which, store, editText(propertiesName(), kind, {id}), error);
}

bool TileEdits::changeAnimation(int id, const AnimDataEntry &entry, const QString &action, QString *error)
{
    return changeAnimations({{id, entry}}, action, error);
}

bool TileEdits::changeTiles(const QList<PendingEditStore::Tile> &tiles, const TileEditCommand::State &which,
    const std::function<bool(TileKind kind, int id, QString *error)> &store, const QString &text,
    QString *error)
{
    QList<TileEditCommand::Change> changes;
    {
        QScopedValueRollback<bool> guard(applying, true);
        // Several files last together (and several tiles far sooner than one by one).
        const bool batched = tiles.size() > 1 || which.partCount() > 1;
        if (batched)
            pending.beginBatch();
        for (const auto &[kind, id] : tiles) {
            TileEditCommand::State tileWhich = which;
            // Only statics have animation entries.
            if (kind == TileKind::Terrain)
                tileWhich.animation.reset();
            TileEditCommand::Change change{
                kind, id, TileEditCommand::current(pending, kind, id, tileWhich), TileEditCommand::State()};
            if (!store(kind, id, error)) {
                // All or nothing: the parts of this tile stored already and every tile before go back.
                if (!(TileEditCommand::current(pending, kind, id, tileWhich) == change.before))
                    TileEditCommand::restore(pending, kind, id, change.before, change.before, nullptr);
                for (const TileEditCommand::Change &done : changes)
                    TileEditCommand::restore(pending, done.kind, done.id, done.before, done.after, nullptr);
                if (batched)
                    pending.commitBatch(nullptr);
                return false;
            }
            change.after = TileEditCommand::current(pending, kind, id, tileWhich);
            // Deleting a deleted tile, or storing what is stored already, is no change to take back.
            if (!(change.after == change.before))
                changes.append(change);
        }
        QString reason;
        if (batched && !pending.commitBatch(&reason)) {
            if (error)
                *error = QStringLiteral("%1 could not be kept: %2").arg(text, reason);
            return false;
        }
    }
    if (changes.isEmpty())
        return true;
    auto *command = new TileEditCommand(pending, text, changes);
    stack.push(command);
    tilesChanged(command->tiles());
    return true;
}

QString TileEdits::refusalToTake(const DataSet &other, TileKind kind, int id, TakeParts parts) const
{
    // The other set's palette: its art slots or its tile data, whichever holds more.
    const int held = kind == TileKind::Terrain
        ? ArtFormat::TerrainCount
        : qMax(other.tiles().count(TileKind::Static), other.art().staticSlotCount());
    if (id >= held) {
        const QString word = tileDataKindWord(kind);
        const QString range = held == 0
            ? QStringLiteral("it has no %1 tiles").arg(word)
            : QStringLiteral("its %1 tiles end at 0x%2").arg(word, QString::number(held - 1, 16).toUpper());
        return QStringLiteral("%1 is not in %2 (%3)").arg(tileLabel(kind, id), other.directory(), range);
    }
    if (!parts.tileData)
        return QString();
    if (!other.tiles().holds(kind, id))
        return QStringLiteral("%1 has no tile data for %2").arg(other.directory(), tileLabel(kind, id));
    const quint64 flags = kind == TileKind::Terrain ? other.tiles().landRecord(id)->flags
                                                    : other.tiles().staticRecord(id)->flags;
    if (tileStore.layout().hasUpperFlags() || (flags & TileFlags::UpperFlags) == 0)
        return QString();
    return QStringLiteral("%1 uses flags the classic layout cannot hold (%2)")
        .arg(TileData::describeTile(kind, id),
            TileFlags::flagNames(flags & TileFlags::UpperFlags).join(QStringLiteral(", ")));
}

PendingEdit TileEdits::imageFrom(const DataSet &other, TileKind kind, int id) const
{
    const int slot = (kind == TileKind::Terrain ? 0 : ArtFormat::StaticIdBase) + id;
    const ArtContainer &theirs = other.art().container();
    const ArtContainer &mine = artStore.container();
    const QByteArray record = slot < theirs.slotCount() ? theirs.record(slot) : QByteArray();
    // This set's own record: no edit at all, so that saving leaves its bytes as they are.
    if (!record.isEmpty() && slot < mine.slotCount() && record == mine.record(slot))
        return PendingEdit::none();
    PendingEdit edit = record.isEmpty() ? PendingEdit::deleted() : PendingEdit::replaced(record);
    // Both read records alike: one this set cannot draw shows as no image either.
    if (!artStore.accepts(kind, id, edit))
        edit = PendingEdit::deleted();
    if (edit.state == PendingEdit::State::Deleted && (slot >= mine.slotCount() || mine.entry(slot).isEmpty()))
        return PendingEdit::none();
    return edit;
}

bool TileEdits::takeTile(const DataSet &other, TileKind kind, int id, TakeParts parts, QString *error)
{
    QString reason;
    if (parts.art) {
        const PendingEdit edit = imageFrom(other, kind, id);
        if (!(edit == pending.edit(kind, id, PendingEditStore::Part::Image))
            && !pending.put(kind, id, PendingEditStore::Part::Image, edit, &reason)) {
            if (error)
                *error
                    = QStringLiteral("the image of %1 cannot be taken: %2").arg(tileLabel(kind, id), reason);
            return false;
        }
    }
    if (parts.tileData) {
        const TileDataLayout layout = tileStore.layout();
        bool stored = true;
        if (kind == TileKind::Terrain) {
            LandTileRecord record = *other.tiles().landRecord(id);
            record.layout = layout;
            const std::optional<LandTileRecord> mine = tileStore.landRecord(id);
            stored = (mine && mine->toBytes() == record.toBytes())
                || tileStore.setLandRecord(id, record, &reason);
        } else {
            StaticTileRecord record = *other.tiles().staticRecord(id);
            record.layout = layout;
            const std::optional<StaticTileRecord> mine = tileStore.staticRecord(id);
            stored = (mine && mine->toBytes() == record.toBytes())
                || tileStore.setStaticRecord(id, record, &reason);
        }
        if (!stored) {
            if (error)
                *error = reason;
            return false;
        }
    }
    if (parts.animation && kind == TileKind::Static) {
        // As the other set reads it: zeros past the end of its file.
        const AnimDataEntry theirs = other.anims().readEntry(id);
        reason = QStringLiteral("No animation data is open.");
        if (!animStore
            || (!(theirs == animStore->readEntry(id)) && !animStore->setEntry(id, theirs, &reason))) {
            if (error)
                *error = QStringLiteral("the animation of %1 cannot be taken: %2")
                             .arg(tileLabel(kind, id), reason);
            return false;
        }
    }
    return true;
}

bool TileEdits::takeFromOther(
    const DataSet &other, const QList<std::pair<TileKind, int>> &tiles, TakeParts parts, QString *error)
{
    // Refusals first, in the order of the tiles, so that nothing is touched for them.
    QList<PendingEditStore::Tile> taking;
    QSet<qint64> seen;
    for (const auto &[kind, id] : tiles) {
        const QString refusal = refusalToTake(other, kind, id, parts);
        if (!refusal.isEmpty()) {
            if (error)
                *error = refusal;
            return false;
        }
        if (!seen.contains(tileKey(kind, id))) {
            seen.insert(tileKey(kind, id));
            taking.append({kind, id});
        }
    }

    TileEditCommand::State which;
    if (parts.art)
        which.art = PendingEdit();
    if (parts.tileData)
        which.record = PendingEdit();
    if (parts.animation)
        which.animation = PendingEdit();
    const QString folder = QDir(QDir::cleanPath(other.directory())).dirName();
    const QString taken = taking.size() == 1 ? tileLabel(taking.first().kind, taking.first().id)
                                             : QStringLiteral("%1 Tiles").arg(taking.size());
    return changeTiles(
        taking, which,
        [&](TileKind kind, int id, QString *reason) { return takeTile(other, kind, id, parts, reason); },
        QStringLiteral("Take %1 From %2").arg(taken, folder), error);
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
        tilesChanged(command->tiles());
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

void TileEdits::tilesChanged(const QList<PendingEditStore::Tile> &tiles)
{
    for (const PendingEditStore::Tile &tile : tiles)
        compareWithSaved(tileKey(tile.kind, tile.id));
    for (const PendingEditStore::Tile &tile : tiles)
        Q_EMIT tileChanged(tile.kind, tile.id);
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
