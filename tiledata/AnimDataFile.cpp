#include "tiledata/AnimDataFile.h"

#include "tiledata/TileDataFormat.h"

namespace {

// Far more than the entries of every id the format can number.
constexpr qint64 MaxFileSize = 64 * 1024 * 1024;

bool editable(int id)
{
    return id >= 0 && id < TileDataFormat::MaxStaticCount;
}

} // namespace

AnimDataFile::AnimDataFile() : AnimDataFile(std::make_shared<PendingEditStore>(QString(), QString())) { }

AnimDataFile::AnimDataFile(std::shared_ptr<PendingEditStore> store) : edits(std::move(store)) { }

bool AnimDataFile::setFileName(const QString &path, QString *error)
{
    bytes.clear();
    loadError.clear();
    if (file.open(path, &loadError))
        bytes = file.readAll(MaxFileSize, &loadError);
    if (error)
        *error = loadError;
    return loadError.isEmpty();
}

bool AnimDataFile::holds(int id) const
{
    return (id >= 0 && id < count())
        || (editable(id) && edits->isEdited(TileKind::Static, id, PendingEditStore::Part::Animation));
}

AnimDataEntry AnimDataFile::readEntry(int id) const
{
    const QByteArray pending
        = id < 0 ? QByteArray() : edits->edit(TileKind::Static, id, PendingEditStore::Part::Animation).record;
    // A pending file that vanished or is short is not an entry: the data file's is used.
    if (pending.size() == AnimDataEntry::Size)
        return AnimDataEntry::fromBytes(pending);
    return originalEntry(id);
}

AnimDataEntry AnimDataFile::originalEntry(int id) const
{
    const qint64 position = id < 0 ? -1 : entryPosition(id);
    if (position < 0 || position >= bytes.size())
        return {};
    return AnimDataEntry::fromBytes(bytes.mid(position, AnimDataEntry::Size));
}

bool AnimDataFile::setEntry(int id, const AnimDataEntry &entry, QString *error)
{
    if (!editable(id)) {
        if (error)
            *error = QStringLiteral("There is no static tile %1: animation entries go from 0 to %2.")
                         .arg(id)
                         .arg(TileDataFormat::MaxStaticCount - 1);
        return false;
    }
    return edits->put(TileKind::Static, id, PendingEditStore::Part::Animation,
        PendingEdit::replaced(entry.toBytes()), error);
}

bool AnimDataFile::accepts(TileKind kind, int id, const PendingEdit &edit) const
{
    return kind == TileKind::Static && editable(id) && edit.state == PendingEdit::State::Replaced
        && edit.record.size() == AnimDataEntry::Size;
}

QString AnimDataFile::describeEntry(int id)
{
    return QStringLiteral("static tile %1 (animation)").arg(id);
}
