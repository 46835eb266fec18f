#include "saving/TileDataMergePlan.h"

#include "tiledata/TileData.h"
#include "tiledata/TileDataFormat.h"

#include <QDir>
#include <algorithm>

namespace {

// Pending records are in the layout the file was read in, and go where it keeps them.
TileDataMergePlan::Patch patchFor(TileDataLayout layout, TileKind kind, int id, const PendingRecord &source)
{
    TileDataMergePlan::Patch patch;
    patch.source = source;
    patch.label = TileData::describeTile(kind, id);
    patch.position = kind == TileKind::Terrain ? layout.landPosition(id) : layout.staticPosition(id);
    patch.size = kind == TileKind::Terrain ? layout.landRecordSize() : layout.staticRecordSize();
    return patch;
}

// Where the block holding the record ends: a file grown by a record grows by whole
// blocks, or its layout and its last records would be lost when it is read again.
qint64 blockEnd(TileDataLayout layout, TileKind kind, int id)
{
    using TileDataFormat::RecordsPerBlock;
    if (kind == TileKind::Terrain)
        return qint64(id / RecordsPerBlock + 1) * layout.landBlockSize();
    return layout.staticBlockPosition(id / RecordsPerBlock + 1);
}

} // namespace

bool TileDataMergePlan::build(const TileData &tileData, QString *error)
{
    list.clear();
    size = tileData.fileBytes().size();
    const PendingEditStore &edits = tileData.pendingEdits();
    for (const TileKind kind : {TileKind::Terrain, TileKind::Static}) {
        for (const int id : edits.editedIds(kind, PendingEditStore::Part::TileData)) {
            if (id < 0) {
                *error = QStringLiteral("A pending tile data edit names the invalid %1.")
                             .arg(TileData::describeTile(kind, id));
                return false;
            }
            const Patch patch
                = patchFor(tileData.layout(), kind, id, edits.recordAt(kind, id, PendingEditStore::Part::TileData));
            if (patch.source.currentSize() != patch.size) {
                *error = QStringLiteral("The pending tile data edit of %1 is %2 (%3).")
                             .arg(patch.label,
                                 patch.source.exists() ? QStringLiteral("damaged") : QStringLiteral("missing"),
                                 QDir::toNativeSeparators(patch.source.path));
                return false;
            }
            size = qMax(size, blockEnd(tileData.layout(), kind, id));
            list.append(patch);
        }
    }
    std::sort(
        list.begin(), list.end(), [](const Patch &a, const Patch &b) { return a.position < b.position; });
    return true;
}
