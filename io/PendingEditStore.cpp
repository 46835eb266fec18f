#include "io/PendingEditStore.h"

#include "io/CheckedWrite.h"

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

PendingEditStore::BatchWrites::~BatchWrites()
{
    // A failed sync leaves the edits as they are: only a power cut could still lose them.
    if (--store.batchWrites == 0 && store.dir && store.dir->isValid())
        CheckedWrite::syncFileSystem(store.dir->path(), nullptr);
}

bool PendingEditStore::put(TileKind kind, int id, Part part, const PendingEdit &edit, QString *error)
{
    const QString replacement = fileName(kind, id, part, PendingEdit::State::Replaced);
    const QString deletion = fileName(kind, id, part, PendingEdit::State::Deleted);
    // The new state is on disk before the old one goes, so that a crash in between
    // leaves the edit as it was or as it is now. A deletion is kept as an empty marker.
    const bool sync = batchWrites == 0;
    if (edit.state == PendingEdit::State::Replaced && !dir->writeFile(replacement, edit.record, error, sync))
        return false;
    if (edit.state == PendingEdit::State::Deleted && !dir->writeFile(deletion, QByteArray(), error, sync))
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

QString PendingEditStore::directory() const
{
    dir->create();
    return dir->path();
}

void PendingEditStore::startOver()
{
    entries.clear();
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
