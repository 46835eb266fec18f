#include "saving/TileDataMergePlan.h"

#include "tiledata/TileData.h"
#include "tiledata/TileDataFormat.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>

namespace {

// Pending records are in the layout the file was read in, and go where it keeps them.
TileDataMergePlan::Patch patchFor(TileDataLayout layout, int key, const QString &path)
{
    using TileDataFormat::StaticKeyBase;
    TileDataMergePlan::Patch patch;
    patch.path = path;
    patch.label = TileData::describeKey(key);
    if (key < StaticKeyBase) {
        patch.position = layout.landPosition(key);
        patch.size = layout.landRecordSize();
    } else {
        patch.position = layout.staticPosition(key - StaticKeyBase);
        patch.size = layout.staticRecordSize();
    }
    return patch;
}

// Where the block holding the record ends: a file grown by a record grows by whole
// blocks, or its layout and its last records would be lost when it is read again.
qint64 blockEnd(TileDataLayout layout, int key)
{
    using namespace TileDataFormat;
    if (key < StaticKeyBase)
        return qint64(key / RecordsPerBlock + 1) * layout.landBlockSize();
    return layout.staticBlockPosition((key - StaticKeyBase) / RecordsPerBlock + 1);
}

} // namespace

bool TileDataMergePlan::build(const TileData &tileData, QString *error)
{
    list.clear();
    size = tileData.fileBytes().size();
    const QHash<int, QString> &pending = tileData.pendingRecords();
    for (auto it = pending.cbegin(); it != pending.cend(); ++it) {
        if (it.key() < 0) {
            *error = QStringLiteral("A pending tile data edit has the invalid key %1.").arg(it.key());
            return false;
        }
        const Patch patch = patchFor(tileData.layout(), it.key(), it.value());
        const QFileInfo info(patch.path);
        if (!info.isFile() || info.size() != patch.size) {
            *error
                = QStringLiteral("The pending tile data edit of %1 is %2 (%3).")
                      .arg(patch.label, info.exists() ? QStringLiteral("damaged") : QStringLiteral("missing"),
                          QDir::toNativeSeparators(patch.path));
            return false;
        }
        size = qMax(size, blockEnd(tileData.layout(), it.key()));
        list.append(patch);
    }
    std::sort(
        list.begin(), list.end(), [](const Patch &a, const Patch &b) { return a.position < b.position; });
    return true;
}
