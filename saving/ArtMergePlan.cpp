#include "saving/ArtMergePlan.h"

#include "art/ArtContainer.h"
#include "art/ArtFormat.h"
#include "art/ArtWork.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QPair>
#include <QSet>
#include <limits>

namespace {

bool isStaticSlot(int slot)
{
    return slot >= ArtFormat::StaticIdBase;
}

qint64 pendingRecordMinimum(int slot)
{
    return isStaticSlot(slot) ? ArtFormat::StaticLineTableOffset : ArtFormat::TerrainRecordSize;
}

bool validIds(const QHash<int, QString> &pending, int limit, TileKind kind, QString *error)
{
    for (auto it = pending.cbegin(); it != pending.cend(); ++it) {
        if (it.key() < 0 || it.key() >= limit) {
            *error = QStringLiteral("A pending edit names %1 tile %2, which does not exist.")
                         .arg(tileKindWord(kind))
                         .arg(it.key());
            return false;
        }
    }
    return true;
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

int ArtMergePlan::outputSlotCount(const ArtWork &art) const
{
    const int terrain = highestReplacedSlot(art.pendingTerrain(), 0);
    const int statics = highestReplacedSlot(art.pendingStatics(), ArtFormat::StaticIdBase);
    return qMax(art.container().slotCount(), qMax(terrain, statics) + 1);
}

bool ArtMergePlan::build(const ArtWork &art, QString *error)
{
    list.clear();
    estimate = 0;
    records = 0;
    if (!validIds(art.pendingTerrain(), ArtFormat::TerrainCount, TileKind::Terrain, error)
        || !validIds(art.pendingStatics(), ArtFormat::MaxStaticCount, TileKind::Static, error))
        return false;

    const int stored = art.container().slotCount();
    QSet<QPair<qint32, qint32>> counted;
    const int count = outputSlotCount(art);
    list.reserve(count);
    for (int slot = 0; slot < count; ++slot) {
        const bool isStatic = isStaticSlot(slot);
        const int id = isStatic ? slot - ArtFormat::StaticIdBase : slot;
        // Slots past the end of the stored index exist only to reach an edited tile.
        const ArtIndexEntry original
            = slot < stored ? art.container().entry(slot) : ArtIndexEntry::emptySlot(0);
        const QHash<int, QString> &pending = isStatic ? art.pendingStatics() : art.pendingTerrain();
        const auto edit = pending.constFind(id);
        if (edit == pending.cend()) {
            const Slot::Source source = original.isEmpty() ? Slot::Source::Empty : Slot::Source::Container;
            list.append({source, original, QString(), 0});
            records += source == Slot::Source::Container ? 1 : 0;
            // A length running far past its record must not swell the progress total; a
            // record shared by several entries is written once.
            if (!original.isEmpty() && !counted.contains(qMakePair(original.offset, original.length))) {
                counted.insert(qMakePair(original.offset, original.length));
                estimate += qBound(qint64(0), qint64(original.length), ArtFormat::MaxRecordSize);
            }
        } else if (edit->isEmpty()) {
            list.append({Slot::Source::Empty, ArtIndexEntry::emptySlot(original.reserved), QString(), 0});
        } else if (!addPending(slot, *edit, original, error)) {
            return false;
        }
    }
    return true;
}

bool ArtMergePlan::addPending(int slot, const QString &path, const ArtIndexEntry &original, QString *error)
{
    const QFileInfo info(path);
    const qint64 length = info.size();
    const bool usable = info.isFile()
        && (isStaticSlot(slot) ? length >= pendingRecordMinimum(slot) : length == pendingRecordMinimum(slot));
    if (!usable || length > std::numeric_limits<qint32>::max()) {
        *error = info.exists() ? QStringLiteral("The pending edit of %1 is damaged (%2).")
                                     .arg(ArtContainer::describeSlot(slot), QDir::toNativeSeparators(path))
                               : QStringLiteral("The pending edit of %1 has vanished (%2).")
                                     .arg(ArtContainer::describeSlot(slot), QDir::toNativeSeparators(path));
        return false;
    }
    list.append({Slot::Source::PendingFile, original, path, length});
    ++records;
    estimate += length;
    return true;
}
