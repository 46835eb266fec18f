#include "io/PendingEditStore.h"

#include "io/PendingEditPack.h"

#include <QDir>
#include <QFile>
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

QString PendingEditStore::editName(TileKind kind, int id, Part part)
{
    return QLatin1String(prefix(kind, part)) + QString::number(id);
}

bool PendingEditStore::parseEditName(const QString &name, Parsed *parsed)
{
    static const QRegularExpression form(QStringLiteral("^(Terrain|Static|TT|TS|AT|AS)([0-9]{1,5})$"));
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
    return true;
}

bool PendingEditStore::parse(const QString &name, Parsed *parsed)
{
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    const QStringView extension = QStringView(name).mid(dot + 1);
    if (dot < 0 || (extension != QLatin1String("wfg") && extension != QLatin1String("deleted"))
        || !parseEditName(name.left(dot), parsed))
        return false;
    parsed->state = extension == QLatin1String("deleted") ? PendingEdit::State::Deleted
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
    const quint64 tileKey = key(kind, id, part);
    const Entry entry = entries.value(tileKey);
    if (entry.state == PendingEdit::State::Replaced && entry.record.isNull() && batch)
        return batch->staged.value(tileKey);
    return editOf(entry);
}

PendingRecord PendingEditStore::recordAt(TileKind kind, int id, Part part) const
{
    const Entry entry = entries.value(key(kind, id, part));
    return entry.state == PendingEdit::State::Replaced ? entry.record : PendingRecord();
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
    if (batch) {
        stage(kind, id, part, edit);
        return true;
    }
    const quint64 tileKey = key(kind, id, part);
    if (edit.state == PendingEdit::State::None && !entries.contains(tileKey))
        return true;
    // One edit alone is a pack of one, written whole before it counts.
    PendingEditPack pack;
    pack.add(editName(kind, id, part), edit);
    if (!writePack(pack, error))
        return false;
    if (edit.state == PendingEdit::State::Deleted)
        entries.insert(tileKey, {edit.state, PendingRecord()});
    else if (edit.state == PendingEdit::State::None)
        entries.remove(tileKey);
    Q_EMIT changed(kind, id, part);
    return true;
}

void PendingEditStore::beginBatch()
{
    Q_ASSERT(!batch);
    batch = Batch();
}

void PendingEditStore::stage(TileKind kind, int id, Part part, const PendingEdit &edit)
{
    const quint64 tileKey = key(kind, id, part);
    if (!batch->originals.contains(tileKey)) {
        batch->originals.insert(tileKey, entries.value(tileKey));
        batch->order.append(tileKey);
    }
    batch->staged.insert(tileKey, edit);
    if (edit.state == PendingEdit::State::None)
        entries.remove(tileKey);
    else
        entries.insert(tileKey, {edit.state, PendingRecord()});
    Q_EMIT changed(kind, id, part);
}

bool PendingEditStore::commitBatch(QString *error)
{
    Q_ASSERT(batch);
    const Batch done = std::move(*batch);
    batch.reset();
    PendingEditPack pack;
    for (const quint64 tileKey : done.order) {
        const PendingEdit &edit = done.staged.value(tileKey);
        // Forgetting what nothing kept is nothing to write.
        if (edit.state != PendingEdit::State::None
            || done.originals.value(tileKey).state != PendingEdit::State::None) {
            const auto [kind, id] = tileOf(tileKey);
            pack.add(editName(kind, id, partOf(tileKey)), edit);
        }
    }
    if (pack.isEmpty() || writePack(pack, error))
        return true;
    takeBack(done);
    return false;
}

bool PendingEditStore::writePack(PendingEditPack &pack, QString *error)
{
    const quint64 number = nextPack;
    const QString name = PendingEditPack::fileName(number);
    if (!dir->writeFile(name, pack.bytes(), error))
        return false;
    ++nextPack;
    // Its replacement records are served from it from now on.
    const QString path = dir->filePath(name);
    for (const PendingEditPack::Item &item : pack.contents()) {
        Parsed parsed;
        if (!parseEditName(item.name, &parsed))
            continue;
        const quint64 tileKey = key(parsed.kind, parsed.id, parsed.part);
        if (item.state == PendingEdit::State::Replaced)
            entries.insert(tileKey, {item.state, PendingRecord{path, item.offset, item.size}});
        supersede(tileKey, number);
    }
    return true;
}

void PendingEditStore::supersede(quint64 tileKey, quint64 number)
{
    const auto earlier = newestPack.find(tileKey);
    // A pack no edit is served from any more, nor recovered from, goes: undo and redo keep
    // their records in memory, and a recovery would take every edit of it from a later one.
    if (earlier != newestPack.end() && --packEdits[*earlier] == 0) {
        packEdits.remove(*earlier);
        QFile::remove(dir->filePath(PendingEditPack::fileName(*earlier)));
    }
    newestPack.insert(tileKey, number);
    ++packEdits[number];
}

void PendingEditStore::takeBack(const Batch &undone)
{
    for (auto it = undone.originals.cbegin(); it != undone.originals.cend(); ++it) {
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
    newestPack.clear();
    packEdits.clear();
    nextPack = 1;
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
    newestPack.clear();
    packEdits.clear();
    dir = std::move(directories.front());
    nextPack = 1;
    // What is no edit (a file cut short by a kill while it was written) goes.
    dir->sortEditFiles([this](const QString &name) {
        Parsed parsed;
        quint64 number = 0;
        if (PendingEditPack::parseFileName(name, &number)) {
            nextPack = qMax(nextPack, number + 1);
            return true;
        }
        return parse(name, &parsed);
    });
    QList<quint64> numbers;
    const QHash<quint64, Entry> found = collect(*dir, &newestPack, &numbers);
    countPackEdits(numbers);
    PendingEditPack refused;
    for (auto it = found.cbegin(); it != found.cend(); ++it) {
        if (accepted(it.key(), it.value(), accept, dropped)) {
            entries.insert(it.key(), it.value());
        } else {
            const auto [kind, id] = tileOf(it.key());
            refused.add(editName(kind, id, partOf(it.key())), PendingEdit::none());
        }
    }
    // What was dropped is forgotten on disk too, or a later recovery would bring it back
    // unasked. Should that fail, it is offered again, and refused again if it still does
    // not fit.
    QString ignored;
    if (!refused.isEmpty())
        writePack(refused, &ignored);
    for (std::size_t i = 1; i < directories.size(); ++i)
        copyFrom(*directories[i], accept, dropped);
    Q_EMIT reset();
}

QHash<quint64, PendingEditStore::Entry> PendingEditStore::collect(
    const PendingEditDirectory &from, QHash<quint64, quint64> *newest, QList<quint64> *numbers)
{
    QHash<quint64, Entry> found;
    const QHash<QString, PendingEditDirectory::FoundEdit> edits
        = PendingEditDirectory::newestEdits(from.path(), numbers);
    for (auto it = edits.cbegin(); it != edits.cend(); ++it) {
        Parsed parsed;
        if (!parseEditName(it.key(), &parsed))
            continue;
        const quint64 tileKey = key(parsed.kind, parsed.id, parsed.part);
        if (newest && it->pack != 0)
            newest->insert(tileKey, it->pack);
        if (it->state != PendingEdit::State::None)
            found.insert(tileKey, {it->state, it->record});
    }
    return found;
}

void PendingEditStore::countPackEdits(const QList<quint64> &numbers)
{
    packEdits.clear();
    for (const quint64 number : std::as_const(newestPack))
        ++packEdits[number];
    // A pack found with no edit a recovery would take from it goes now.
    for (const quint64 number : numbers) {
        if (!packEdits.contains(number))
            QFile::remove(dir->filePath(PendingEditPack::fileName(number)));
    }
}

PendingEdit PendingEditStore::editOf(const Entry &entry)
{
    if (entry.state == PendingEdit::State::Replaced)
        return PendingEdit::replaced(entry.record.read());
    return entry.state == PendingEdit::State::Deleted ? PendingEdit::deleted() : PendingEdit::none();
}

bool PendingEditStore::accepted(quint64 tileKey, const Entry &entry, const Acceptance &accept,
    QStringList *dropped) const
{
    const auto [kind, id] = tileOf(tileKey);
    if (accept(kind, id, partOf(tileKey), editOf(entry)))
        return true;
    if (dropped)
        dropped->append(describe(kind, id, partOf(tileKey)));
    return false;
}

void PendingEditStore::copyFrom(
    const PendingEditDirectory &other, const Acceptance &accept, QStringList *dropped)
{
    const QHash<quint64, Entry> found = collect(other);
    QList<quint64> copied;
    beginBatch();
    for (auto it = found.cbegin(); it != found.cend(); ++it) {
        if (entries.contains(it.key()) || !accepted(it.key(), it.value(), accept, dropped))
            continue;
        const auto [kind, id] = tileOf(it.key());
        stage(kind, id, partOf(it.key()), editOf(it.value()));
        copied.append(it.key());
    }
    QString reason;
    if (!commitBatch(&reason) && dropped) {
        for (const quint64 tileKey : std::as_const(copied)) {
            const auto [kind, id] = tileOf(tileKey);
            dropped->append(describe(kind, id, partOf(tileKey)));
        }
    }
}
