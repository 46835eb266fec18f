#include "saving/ArtMergePlan.h"

#include "art/ArtFormat.h"
#include "art/ArtWork.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QPair>
#include <limits>

namespace {

constexpr qint64 MaxOffset = std::numeric_limits<qint32>::max();

bool isStaticSlot(int slot)
{
    return slot >= ArtFormat::StaticIdBase;
}

qint64 pendingRecordMinimum(int slot)
{
    return isStaticSlot(slot) ? ArtFormat::StaticLineTableOffset : ArtFormat::TerrainRecordSize;
}

bool validIds(const QHash<int, QString> &pending, int limit, const char *kind, QString *error)
{
    for (auto it = pending.cbegin(); it != pending.cend(); ++it) {
        if (it.key() < 0 || it.key() >= limit) {
            *error = QStringLiteral("A pending edit names %1 tile %2, which does not exist.")
                         .arg(QLatin1String(kind))
                         .arg(it.key());
            return false;
        }
    }
    return true;
}

// An empty slot as the data files write it: no offset and no length.
ArtIndexEntry emptyEntry(qint32 reserved)
{
    return {-1, -1, reserved};
}

int highestReplacedSlot(const QHash<int, QString> &pending, int slotBase)
{
    int highest = -1;
    for (auto it = pending.cbegin(); it != pending.cend(); ++it) {
        if (!it.value().isEmpty())
            highest = qMax(highest, slotBase + it.key());
    }
    return highest;
}

} // namespace

QString ArtMergePlan::describeSlot(int slot)
{
    return isStaticSlot(slot) ? QStringLiteral("static tile %1").arg(slot - ArtFormat::StaticIdBase)
                              : QStringLiteral("terrain tile %1").arg(slot);
}

int ArtMergePlan::outputSlotCount(const ArtWork &art) const
{
    const int stored = int(art.indexData().size() / ArtFormat::IndexEntrySize);
    const int terrain = highestReplacedSlot(art.pendingTerrain(), 0);
    const int statics = highestReplacedSlot(art.pendingStatics(), ArtFormat::StaticIdBase);
    return qMax(stored, qMax(terrain, statics) + 1);
}

bool ArtMergePlan::build(const ArtWork &art, QString *error)
{
    entries.clear();
    parts.clear();
    damaged.clear();
    size = 0;
    if (!validIds(art.pendingTerrain(), ArtFormat::TerrainCount, "terrain", error)
        || !validIds(
            art.pendingStatics(), std::numeric_limits<int>::max() - ArtFormat::StaticIdBase, "static", error))
        return false;

    const int stored = int(art.indexData().size() / ArtFormat::IndexEntrySize);
    const int count = outputSlotCount(art);
    const qint64 artFileSize = art.artData().size();
    copied.clear();
    entries.reserve(count);
    for (int slot = 0; slot < count; ++slot) {
        const bool isStatic = isStaticSlot(slot);
        const int id = isStatic ? slot - ArtFormat::StaticIdBase : slot;
        // Slots past the end of the stored index exist only to reach an edited tile.
        const ArtIndexEntry original = slot >= stored ? emptyEntry(0)
            : isStatic                                ? art.staticEntry(id)
                                                      : art.terrainEntry(id);
        const QHash<int, QString> &pending = isStatic ? art.pendingStatics() : art.pendingTerrain();
        const auto edit = pending.constFind(id);
        if (edit == pending.cend()) {
            addUnedited(slot, original, artFileSize);
        } else if (edit->isEmpty()) {
            entries.append(emptyEntry(original.reserved));
        } else if (!addPending(slot, *edit, original, error)) {
            return false;
        }
        if (size > MaxOffset) {
            *error = QStringLiteral("The new art.mul would be larger than its index can address (2 GiB).");
            return false;
        }
    }
    return true;
}

void ArtMergePlan::addUnedited(int slot, const ArtIndexEntry &original, qint64 artFileSize)
{
    const QPair<qint64, qint64> key(original.offset, original.length);
    const auto earlier = copied.constFind(key);
    if (earlier != copied.cend() && !original.isEmpty()) {
        // Entries that shared one record keep sharing it.
        entries.append({*earlier, original.length, original.reserved});
        return;
    }
    addOriginal(slot, original, artFileSize);
    if (!entries.constLast().isEmpty())
        copied.insert(key, entries.constLast().offset);
}

void ArtMergePlan::addOriginal(int slot, const ArtIndexEntry &original, qint64 artFileSize)
{
    if (original.isEmpty()) {
        entries.append(original);
        return;
    }
    const bool inside = original.offset >= 0 && original.length > 0
        && qint64(original.offset) + original.length <= artFileSize;
    if (!inside) {
        damaged.append(slot);
        entries.append(emptyEntry(original.reserved));
        return;
    }
    entries.append({qint32(size), original.length, original.reserved});
    append({Piece::Source::ArtFile, original.offset, original.length, QString(), slot});
}

bool ArtMergePlan::addPending(int slot, const QString &path, const ArtIndexEntry &original, QString *error)
{
    const QFileInfo info(path);
    const qint64 length = info.size();
    const bool usable = info.isFile()
        && (isStaticSlot(slot) ? length >= pendingRecordMinimum(slot) : length == pendingRecordMinimum(slot));
    if (!usable || length > MaxOffset) {
        *error = info.exists() ? QStringLiteral("The pending edit of %1 is damaged (%2).")
                                     .arg(describeSlot(slot), QDir::toNativeSeparators(path))
                               : QStringLiteral("The pending edit of %1 has vanished (%2).")
                                     .arg(describeSlot(slot), QDir::toNativeSeparators(path));
        return false;
    }
    entries.append({qint32(size), qint32(length), original.reserved});
    append({Piece::Source::PendingFile, 0, length, path, slot});
    return true;
}

void ArtMergePlan::append(const Piece &piece)
{
    size += piece.length;
    if (piece.source == Piece::Source::ArtFile && !parts.isEmpty()) {
        Piece &last = parts.last();
        if (last.source == Piece::Source::ArtFile && last.offset + last.length == piece.offset) {
            last.length += piece.length;
            return;
        }
    }
    parts.append(piece);
}
