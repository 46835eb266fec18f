#include "saving/ArtMergePlan.h"

#include "art/ArtContainer.h"
#include "art/ArtFormat.h"
#include "art/ArtWork.h"

#include <QDir>
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

using Part = PendingEditStore::Part;

bool validIds(const PendingEditStore &edits, TileKind kind, int limit, QString *error)
{
    for (const int id : edits.editedIds(kind, Part::Image)) {
        if (id < 0 || id >= limit) {
            *error = QStringLiteral("A pending edit names %1 tile %2, which does not exist.")
                         .arg(tileKindWord(kind))
                         .arg(id);
            return false;
        }
    }
    return true;
}

int highestReplacedSlot(const PendingEditStore &edits, TileKind kind, int slotBase)
{
    int highest = -1;
    for (const int id : edits.editedIds(kind, Part::Image)) {
        if (edits.state(kind, id, Part::Image) == PendingEdit::State::Replaced)
            highest = qMax(highest, slotBase + id);
    }
    return highest;
}

} // namespace

int ArtMergePlan::outputSlotCount(const ArtWork &art) const
{
    const int terrain = highestReplacedSlot(art.pendingEdits(), TileKind::Terrain, 0);
    const int statics = highestReplacedSlot(art.pendingEdits(), TileKind::Static, ArtFormat::StaticIdBase);
    return qMax(art.container().slotCount(), qMax(terrain, statics) + 1);
}

bool ArtMergePlan::build(const ArtWork &art, QString *error)
{
    list.clear();
    estimate = 0;
    records = 0;
    const PendingEditStore &edits = art.pendingEdits();
    if (!validIds(edits, TileKind::Terrain, ArtFormat::TerrainCount, error)
        || !validIds(edits, TileKind::Static, ArtFormat::MaxStaticCount, error))
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
        const TileKind kind = isStatic ? TileKind::Static : TileKind::Terrain;
        const PendingEdit::State edit = edits.state(kind, id, Part::Image);
        if (edit == PendingEdit::State::None) {
            const Slot::Source source = original.isEmpty() ? Slot::Source::Empty : Slot::Source::Container;
            list.append({source, original, PendingRecord(), 0});
            records += source == Slot::Source::Container ? 1 : 0;
            // A length running far past its record must not swell the progress total; a
            // record shared by several entries is written once.
            if (!original.isEmpty() && !counted.contains(qMakePair(original.offset, original.length))) {
                counted.insert(qMakePair(original.offset, original.length));
                estimate += qBound(qint64(0), qint64(original.length), ArtFormat::MaxRecordSize);
            }
        } else if (edit == PendingEdit::State::Deleted) {
            list.append({Slot::Source::Empty, ArtIndexEntry::emptySlot(original.reserved), PendingRecord(), 0});
        } else if (!addPending(slot, edits.recordAt(kind, id, Part::Image), original, error)) {
            return false;
        }
    }
    return true;
}

bool ArtMergePlan::addPending(
    int slot, const PendingRecord &source, const ArtIndexEntry &original, QString *error)
{
    const qint64 length = source.currentSize();
    const bool usable = length >= 0
        && (isStaticSlot(slot) ? length >= pendingRecordMinimum(slot) : length == pendingRecordMinimum(slot));
    if (!usable || length > std::numeric_limits<qint32>::max()) {
        const QString path = QDir::toNativeSeparators(source.path);
        *error = source.exists()
            ? QStringLiteral("The pending edit of %1 is damaged (%2).").arg(ArtContainer::describeSlot(slot), path)
            : QStringLiteral("The pending edit of %1 has vanished (%2).").arg(ArtContainer::describeSlot(slot), path);
        return false;
    }
    list.append({Slot::Source::PendingFile, original, source, length});
    ++records;
    estimate += length;
    return true;
}
