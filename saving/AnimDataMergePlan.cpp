#include "saving/AnimDataMergePlan.h"

#include "tiledata/AnimDataFile.h"

#include <QDir>

bool AnimDataMergePlan::build(const AnimDataFile &animData, QString *error)
{
    list.clear();
    size = animData.fileBytes().size();
    const PendingEditStore &edits = animData.pendingEdits();
    // Entries are numbered by static id; editedIds is ascending, and so are their positions.
    for (const int id : edits.editedIds(TileKind::Static, PendingEditStore::Part::Animation)) {
        Patch patch;
        patch.label = AnimDataFile::describeEntry(id);
        if (id < 0) {
            *error = QStringLiteral("A pending animation edit names the invalid %1.").arg(patch.label);
            return false;
        }
        patch.source = edits.recordAt(TileKind::Static, id, PendingEditStore::Part::Animation);
        patch.position = AnimDataFile::entryPosition(id);
        patch.size = AnimDataEntry::Size;
        if (patch.source.currentSize() != patch.size) {
            *error = QStringLiteral("The pending animation edit of %1 is %2 (%3).")
                         .arg(patch.label,
                             patch.source.exists() ? QStringLiteral("damaged") : QStringLiteral("missing"),
                             QDir::toNativeSeparators(patch.source.path));
            return false;
        }
        size = qMax(size, AnimDataFile::blockEnd(id));
        list.append(patch);
    }
    return true;
}
