#include "io/PendingEditStore.h"

#include "io/CommitJournal.h"

#include <QDir>
#include <QRegularExpression>
#include <algorithm>

const QString PendingEditStore::DirectoryStoreName = QStringLiteral("edits");

// A file name says whose edit it holds: earlier versions kept images and tile-data
// records in two directories under these same names, so theirs are read alike.
struct PendingEditStore::Parsed
{
    TileKind kind = TileKind::Terrain;
    int id = 0;
    Part part = Part::Image;
    PendingEdit::State state = PendingEdit::State::None;
};

namespace {

const char *prefix(TileKind kind, PendingEditStore::Part part)
{
    if (part == PendingEditStore::Part::Image)
        return kind == TileKind::Terrain ? "Terrain" : "Static";
    if (part == PendingEditStore::Part::Animation)
        return kind == TileKind::Terrain ? "AT" : "AS";
    return kind == TileKind::Terrain ? "TT" : "TS";
}

} // namespace

PendingEditStore::PendingEditStore(
    const QString &parentDirectory, const QString &dataDirectory, QObject *parent)
    : QObject(parent), parent(parentDirectory), dataDir(dataDirectory)
{
    startOver();
}

// The private directory goes with dir, and every pending file with it.
PendingEditStore::~PendingEditStore() = default;

quint64 PendingEditStore::key(TileKind kind, int id, Part part)
{
    return quint64(part) << 33 | quint64(kind == TileKind::Static) << 32 | quint32(id);
}

PendingEditStore::Tile PendingEditStore::tileOf(quint64 key)
{
    return {key & (quint64(1) << 32) ? TileKind::Static : TileKind::Terrain, int(quint32(key))};
}

QString PendingEditStore::fileName(TileKind kind, int id, Part part, PendingEdit::State state)
{
    const QLatin1String extension(state == PendingEdit::State::Deleted ? ".deleted" : ".wfg");
    return QLatin1String(prefix(kind, part)) + QString::number(id) + extension;
}

bool PendingEditStore::parse(const QString &name, Parsed *parsed)
{
    static const QRegularExpression form(
        QStringLiteral("^(Terrain|Static|TT|TS|AT|AS)([0-9]{1,5})\\.(wfg|deleted)$"));
    const QRegularExpressionMatch match = form.match(name);
    if (!match.hasMatch())
        return false;
    const QString which = match.captured(1);
    parsed->kind = which == QLatin1String("Terrain") || which.endsWith(QLatin1Char('T')) ? TileKind::Terrain
                                                                                         : TileKind::Static;
    parsed->part = which.size() > 2          ? Part::Image
        : which.startsWith(QLatin1Char('A')) ? Part::Animation
                                             : Part::TileData;
    parsed->id = match.captured(2).toInt();
    parsed->state = match.captured(3) == QLatin1String("deleted") ? PendingEdit::State::Deleted
                                                                  : PendingEdit::State::Replaced;
    return true;
}

QString PendingEditStore::describe(TileKind kind, int id, Part part)
{
    if (part == Part::Image)
        return QStringLiteral("%1 tile %2").arg(tileKindWord(kind)).arg(id);
    if (part == Part::Animation)
        return QStringLiteral("%1 tile %2 (animation)").arg(tileDataKindWord(kind)).arg(id);
    return QStringLiteral("%1 tile %2 (tile data)").arg(tileDataKindWord(kind)).arg(id);
}

bool PendingEditStore::holdsAny(Part part) const
{
    return !editedIds(TileKind::Terrain, part).isEmpty() || !editedIds(TileKind::Static, part).isEmpty();
}

bool PendingEditStore::isEdited(TileKind kind, int id) const
{
    return isEdited(kind, id, Part::Image) || isEdited(kind, id, Part::TileData)
        || isEdited(kind, id, Part::Animation);
}

bool PendingEditStore::isEdited(TileKind kind, int id, Part part) const
{
    return entries.contains(key(kind, id, part));
}

PendingEdit::State PendingEditStore::state(TileKind kind, int id, Part part) const
{
    return entries.value(key(kind, id, part)).state;
}

PendingEdit PendingEditStore::edit(TileKind kind, int id, Part part) const
{
    const Entry entry = entries.value(key(kind, id, part));
    if (entry.state == PendingEdit::State::Replaced)
        return PendingEdit::replaced(PendingEditDirectory::readFile(dir->filePath(entry.fileName)));
    return entry.state == PendingEdit::State::Deleted ? PendingEdit::deleted() : PendingEdit::none();
}

QString PendingEditStore::recordFile(TileKind kind, int id, Part part) const
{
    const Entry entry = entries.value(key(kind, id, part));
    return entry.state == PendingEdit::State::Replaced ? dir->filePath(entry.fileName) : QString();
}

QList<int> PendingEditStore::editedIds(TileKind kind, Part part) const
{
    QList<int> ids;
    for (auto it = entries.cbegin(); it != entries.cend(); ++it) {
        if (key(kind, int(quint32(it.key())), part) == it.key())
            ids.append(int(quint32(it.key())));
    }
    std::sort(ids.begin(), ids.end());
    return ids;
}

QList<PendingEditStore::Tile> PendingEditStore::editedTiles() const
{
    QList<Tile> tiles;
    for (const TileKind kind : {TileKind::Terrain, TileKind::Static}) {
        QList<int> ids = editedIds(kind, Part::Image) + editedIds(kind, Part::TileData)
            + editedIds(kind, Part::Animation);
        std::sort(ids.begin(), ids.end());
        ids.erase(std::unique(ids.begin(), ids.end()), ids.end());
        for (const int id : ids)
            tiles.append({kind, id});
    }
    return tiles;
}

bool PendingEditStore::put(TileKind kind, int id, Part part, const PendingEdit &edit, QString *error)
{
    if (batch)
        return stage(kind, id, part, edit, error);
    const QString replacement = fileName(kind, id, part, PendingEdit::State::Replaced);
    const QString deletion = fileName(kind, id, part, PendingEdit::State::Deleted);
    // The new state is on disk before the old one goes, so that a crash in between
    // leaves the edit as it was or as it is now. A deletion is kept as an empty marker.
    if (edit.state == PendingEdit::State::Replaced && !dir->writeFile(replacement, edit.record, error))
        return false;
    if (edit.state == PendingEdit::State::Deleted && !dir->writeFile(deletion, QByteArray(), error))
        return false;
    if (edit.state != PendingEdit::State::Replaced)
        PendingEditDirectory::removeFile(dir->filePath(replacement));
    if (edit.state != PendingEdit::State::Deleted)
        PendingEditDirectory::removeFile(dir->filePath(deletion));

    const quint64 tileKey = key(kind, id, part);
    if (edit.state == PendingEdit::State::None)
        entries.remove(tileKey);
    else
        entries.insert(
            tileKey, {edit.state, edit.state == PendingEdit::State::Replaced ? replacement : deletion});
    Q_EMIT changed(kind, id, part);
    return true;
}

void PendingEditStore::beginBatch()
{
    Q_ASSERT(!batch);
    batch = Batch();
}

QString PendingEditStore::asideName(const QString &name)
{
    return PendingEditDirectory::asideName(name, ++asideCount);
}

std::optional<PendingEditStore::Aside> PendingEditStore::takeAside(quint64 tileKey, const QByteArray &record)
{
    const auto found = aside.find(tileKey);
    if (found == aside.end())
        return std::nullopt;
    QList<Aside> &kept = found.value();
    for (qsizetype n = 0; n < kept.size(); ++n) {
        if (kept.at(n).hash == qHash(record)
            && PendingEditDirectory::readFile(dir->filePath(kept.at(n).fileName)) == record)
            return kept.takeAt(n);
    }
    return std::nullopt;
}

void PendingEditStore::setAside(quint64 tileKey, const QString &name)
{
    aside[tileKey].append({name, qHash(PendingEditDirectory::readFile(dir->filePath(name)))});
}

bool PendingEditStore::stage(TileKind kind, int id, Part part, const PendingEdit &edit, QString *error)
{
    const quint64 tileKey = key(kind, id, part);
    if (!batch->originals.contains(tileKey))
        batch->originals.insert(tileKey, entries.value(tileKey));
    const Entry original = batch->originals.value(tileKey);
    const Entry earlier = entries.value(tileKey);
    Entry staged{edit.state, QString()};
    if (edit.state != PendingEdit::State::None && edit == this->edit(kind, id, part)) {
        staged = earlier;
    } else if (edit.state != PendingEdit::State::None && original.state == edit.state
        && (edit.state == PendingEdit::State::Deleted
            || PendingEditDirectory::readFile(dir->filePath(original.fileName)) == edit.record)) {
        staged = original; // put back as it was: nothing to move
    } else if (const std::optional<Aside> kept
        = edit.state == PendingEdit::State::Replaced ? takeAside(tileKey, edit.record) : std::nullopt) {
        staged.fileName = kept->fileName;
    } else if (edit.state != PendingEdit::State::None) {
        staged.fileName = asideName(fileName(kind, id, part, edit.state));
        if (!dir->writeFileUnsynced(staged.fileName, edit.record, error))
            return false;
        batch->written.append(staged.fileName);
    }
    // What an earlier put of the batch staged is no longer wanted.
    if (earlier.state != PendingEdit::State::None && earlier.fileName != original.fileName
        && earlier.fileName != staged.fileName) {
        if (batch->written.removeOne(earlier.fileName) || earlier.state == PendingEdit::State::Deleted)
            PendingEditDirectory::removeFile(dir->filePath(earlier.fileName));
        else
            setAside(tileKey, earlier.fileName);
    }
    if (staged.state == PendingEdit::State::None)
        entries.remove(tileKey);
    else
        entries.insert(tileKey, staged);
    Q_EMIT changed(kind, id, part);
    return true;
}

bool PendingEditStore::commitBatch(QString *errorOut)
{
    Q_ASSERT(batch);
    QString reason;
    QString *error = errorOut ? errorOut : &reason;
    const Batch done = std::move(*batch);
    batch.reset();
    QVector<CommitJournal::Move> moves;
    // Records and deletion marks moved out of place: those kept aside, those to remove.
    QList<std::pair<quint64, QString>> outOfPlace;
    QHash<quint64, Entry> placed;
    for (auto it = done.originals.cbegin(); it != done.originals.cend(); ++it) {
        const Entry &before = it.value();
        const Entry now = entries.value(it.key());
        if (now.state == before.state && now.fileName == before.fileName)
            continue;
        const auto [kind, id] = tileOf(it.key());
        const QString target = now.state == PendingEdit::State::None
            ? QString()
            : fileName(kind, id, partOf(it.key()), now.state);
        QString backup;
        if (before.state != PendingEdit::State::None) {
            backup = asideName(before.fileName);
            outOfPlace.append({it.key(), backup});
        }
        if (now.state == PendingEdit::State::None || target != before.fileName) {
            if (!backup.isEmpty())
                moves.append({QString(), before.fileName, backup});
            if (now.state != PendingEdit::State::None)
                moves.append({now.fileName, target, QString()});
        } else {
            moves.append({now.fileName, target, backup});
        }
        placed.insert(it.key(), {now.state, target});
    }
    if (moves.isEmpty())
        return true;
    CommitJournal journal(dir->path());
    QString failed;
    const auto fail = [&] {
        // Naming the file that could not be put in place, when one could not.
        const QString reason = failed.isEmpty() ? *error : QStringLiteral("%1: %2").arg(failed, *error);
        *error = QStringLiteral("Cannot keep the edits in %1: %2")
                     .arg(QDir::toNativeSeparators(dir->path()), reason);
        takeBack(done);
        return false;
    };
    if ((!done.written.isEmpty() && !dir->syncFiles(done.written, error)) || !journal.write(moves, error))
        return fail();
    if (!journal.rollForward(moves, CommitJournal::StepHook(), &failed, error)) {
        QString ignored;
        journal.rollBack(moves, &ignored);
        return fail();
    }
    // The journal goes; what was moved out of place stays.
    journal.finish({}, &reason);
    for (const auto &[tileKey, name] : outOfPlace) {
        if (done.originals.value(tileKey).state == PendingEdit::State::Replaced)
            setAside(tileKey, name);
        else
            PendingEditDirectory::removeFile(dir->filePath(name));
    }
    for (auto it = placed.cbegin(); it != placed.cend(); ++it) {
        if (it.value().state == PendingEdit::State::None)
            entries.remove(it.key());
        else
            entries.insert(it.key(), it.value());
    }
    return true;
}

void PendingEditStore::takeBack(const Batch &undone)
{
    for (auto it = undone.originals.cbegin(); it != undone.originals.cend(); ++it) {
        const Entry now = entries.value(it.key());
        if (now.state != PendingEdit::State::None && now.fileName != it.value().fileName) {
            if (undone.written.contains(now.fileName) || now.state == PendingEdit::State::Deleted)
                PendingEditDirectory::removeFile(dir->filePath(now.fileName));
            else
                setAside(it.key(), now.fileName);
        }
        if (it.value().state == PendingEdit::State::None)
            entries.remove(it.key());
        else
            entries.insert(it.key(), it.value());
        const auto [kind, id] = tileOf(it.key());
        Q_EMIT changed(kind, id, partOf(it.key()));
    }
}

QString PendingEditStore::directory() const
{
    dir->create();
    return dir->path();
}

void PendingEditStore::startOver()
{
    entries.clear();
    aside.clear();
    dir = std::make_unique<PendingEditDirectory>(
        parent, PendingEditDirectory::Description{DirectoryStoreName, dataDir, QString()});
}

std::unique_ptr<PendingEditDirectory> PendingEditStore::take()
{
    std::unique_ptr<PendingEditDirectory> taken = std::move(dir);
    startOver();
    Q_EMIT reset();
    return taken;
}

void PendingEditStore::adopt(std::vector<std::unique_ptr<PendingEditDirectory>> directories,
    const Acceptance &accept, QStringList *dropped)
{
    if (directories.empty())
        return;
    entries.clear();
    aside.clear();
    dir = std::move(directories.front());
    dir->sortEditFiles([&](const QString &name) { return adoptFile(name, accept, dropped); });
    for (std::size_t i = 1; i < directories.size(); ++i)
        copyFrom(*directories[i], accept, dropped);
    Q_EMIT reset();
}

bool PendingEditStore::adoptFile(const QString &name, const Acceptance &accept, QStringList *dropped)
{
    Parsed parsed;
    if (!parse(name, &parsed))
        return false;
    const PendingEdit edit = parsed.state == PendingEdit::State::Deleted
        ? PendingEdit::deleted()
        : PendingEdit::replaced(PendingEditDirectory::readFile(dir->filePath(name)));
    if (!accept(parsed.kind, parsed.id, parsed.part, edit)) {
        if (dropped)
            dropped->append(describe(parsed.kind, parsed.id, parsed.part));
        return false;
    }
    // A run killed between writing one form of an edit and removing the other leaves
    // both; the files are offered in name order, so the replacement is kept.
    const quint64 tileKey = key(parsed.kind, parsed.id, parsed.part);
    const Entry earlier = entries.value(tileKey);
    if (earlier.state != PendingEdit::State::None)
        PendingEditDirectory::removeFile(dir->filePath(earlier.fileName));
    entries.insert(tileKey, {parsed.state, name});
    return true;
}

void PendingEditStore::copyFrom(
    const PendingEditDirectory &other, const Acceptance &accept, QStringList *dropped)
{
    for (const QString &name : other.editFiles()) {
        Parsed parsed;
        if (!parse(name, &parsed) || isEdited(parsed.kind, parsed.id, parsed.part))
            continue;
        const PendingEdit edit = parsed.state == PendingEdit::State::Deleted
            ? PendingEdit::deleted()
            : PendingEdit::replaced(PendingEditDirectory::readFile(other.filePath(name)));
        if (!accept(parsed.kind, parsed.id, parsed.part, edit)) {
            if (dropped)
                dropped->append(describe(parsed.kind, parsed.id, parsed.part));
            continue;
        }
        const Entry entry{parsed.state, fileName(parsed.kind, parsed.id, parsed.part, parsed.state)};
        if (dir->writeFile(entry.fileName, edit.record, nullptr))
            entries.insert(key(parsed.kind, parsed.id, parsed.part), entry);
        else if (dropped)
            dropped->append(describe(parsed.kind, parsed.id, parsed.part));
    }
}
