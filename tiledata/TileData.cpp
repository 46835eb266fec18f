#include "tiledata/TileData.h"

#include "tiledata/TileName.h"

#include <QFileInfo>

using namespace TileDataFormat;

namespace {

bool inRange(int id, int count)
{
    return id >= 0 && id < count;
}

void setError(QString *error, const QString &text)
{
    if (error)
        *error = text;
}

} // namespace

TileData::TileData(
    const QString &fileName, std::shared_ptr<PendingEditStore> store, std::optional<TileDataLayout> layout)
    : edits(std::move(store))
{
    setFileName(fileName, nullptr, layout);
}

TileData::TileData(const QString &fileName, const QString &tempDir, std::optional<TileDataLayout> layout)
    : TileData(
        fileName, std::make_shared<PendingEditStore>(tempDir, QFileInfo(fileName).absolutePath()), layout)
{ }

TileData::~TileData() = default;

bool TileData::setFileName(const QString &path, QString *error, std::optional<TileDataLayout> layout)
{
    bytes.clear();
    loadError.clear();
    if (file.open(path, &loadError))
        bytes = file.readAll(MaxFileSize, &loadError);
    layoutForced = layout.has_value();
    if (layoutForced) {
        fileLayout = *layout;
        layoutWhy = QStringLiteral("that layout was given");
        layoutDamaged = partialBlockBytes() > 0;
    } else {
        const TileDataLayout::Detection detected = TileDataLayout::detect(bytes);
        fileLayout = detected.layout;
        layoutWhy = detected.reason;
        layoutDamaged = detected.damaged;
    }
    setError(error, loadError);
    return loadError.isEmpty();
}

bool TileData::accepts(TileKind kind, int id, const PendingEdit &edit) const
{
    const int limit = kind == TileKind::Terrain ? LandCount : MaxStaticCount;
    return inRange(id, limit) && edit.state == PendingEdit::State::Replaced
        && edit.record.size() == recordSize(kind);
}

QString TileData::describeTile(TileKind kind, int id)
{
    return QStringLiteral("%1 tile %2").arg(tileDataKindWord(kind)).arg(id);
}

int TileData::recordSize(TileKind kind) const
{
    return kind == TileKind::Terrain ? fileLayout.landRecordSize() : fileLayout.staticRecordSize();
}

QString TileData::layoutWarning() const
{
    // A file too short for its land section is refused whole, for that reason.
    if (!layoutDamaged || bytes.size() < fileLayout.landSectionSize())
        return QString();
    const QString name = QFileInfo(file.fileName()).fileName();
    const qint64 partial = partialBlockBytes();
    if (layoutForced)
        return QStringLiteral("%1 ends %2 bytes into a %3 block: it is cut, damaged or not of the %3 layout "
                              "it was given.")
            .arg(name)
            .arg(partial)
            .arg(fileLayout.name());
    const QString where = partial > 0
        ? QStringLiteral(" (it ends %1 bytes into a %2 block)").arg(partial).arg(fileLayout.name())
        : QString();
    return QStringLiteral("%1 is cut or damaged%2: it is read as %3 tile data because %4. Its records may "
                          "be wrong.")
        .arg(name, where, fileLayout.name(), layoutWhy);
}

int TileData::count(TileKind kind) const
{
    return kind == TileKind::Terrain ? fileLayout.landCountForSize(bytes.size())
                                     : fileLayout.staticCountForSize(bytes.size());
}

bool TileData::holds(TileKind kind, int id) const
{
    const int limit = kind == TileKind::Terrain ? LandCount : MaxStaticCount;
    return inRange(id, count(kind))
        || (inRange(id, limit) && edits->isEdited(kind, id, PendingEditStore::Part::TileData));
}

std::optional<LandTileRecord> TileData::landRecord(int id, QString *error) const
{
    if (!holds(TileKind::Terrain, id)) {
        setError(error, missingRecord(TileKind::Terrain, id));
        return std::nullopt;
    }
    return LandTileRecord::fromBytes(recordBytes(TileKind::Terrain, id), fileLayout);
}

std::optional<StaticTileRecord> TileData::staticRecord(int id, QString *error) const
{
    if (!holds(TileKind::Static, id)) {
        setError(error, missingRecord(TileKind::Static, id));
        return std::nullopt;
    }
    return StaticTileRecord::fromBytes(recordBytes(TileKind::Static, id), fileLayout);
}

QByteArray TileData::recordBytes(TileKind kind, int id) const
{
    const int size = recordSize(kind);
    const QByteArray edited = pendingRecord(kind, id, size);
    if (!edited.isEmpty())
        return edited;
    return fileRecord(
        kind == TileKind::Terrain ? fileLayout.landPosition(id) : fileLayout.staticPosition(id), size);
}

std::optional<LandTileRecord> TileData::originalLandRecord(int id) const
{
    if (!inRange(id, count(TileKind::Terrain)))
        return std::nullopt;
    return LandTileRecord::fromBytes(
        fileRecord(fileLayout.landPosition(id), fileLayout.landRecordSize()), fileLayout);
}

std::optional<StaticTileRecord> TileData::originalStaticRecord(int id) const
{
    if (!inRange(id, count(TileKind::Static)))
        return std::nullopt;
    return StaticTileRecord::fromBytes(
        fileRecord(fileLayout.staticPosition(id), fileLayout.staticRecordSize()), fileLayout);
}

bool TileData::setLandRecord(int id, const LandTileRecord &record, QString *error)
{
    if (!inRange(id, LandCount)) {
        setError(error, QStringLiteral("There is no land tile %1.").arg(id));
        return false;
    }
    return setRecord(TileKind::Terrain, id, record.layout, record.toBytes(), error);
}

bool TileData::setStaticRecord(int id, const StaticTileRecord &record, QString *error)
{
    if (!inRange(id, MaxStaticCount)) {
        setError(error, QStringLiteral("There is no static tile %1.").arg(id));
        return false;
    }
    return setRecord(TileKind::Static, id, record.layout, record.toBytes(), error);
}

QString TileData::name(TileKind kind, int id) const
{
    if (!holds(kind, id))
        return QString();
    // Only the name is decoded: searching by name reads every record.
    const QByteArray record = recordBytes(kind, id);
    const int offset
        = kind == TileKind::Terrain ? fileLayout.landNameOffset() : fileLayout.staticNameOffset();
    return TileName::decode(record.constData() + offset, NameSize);
}

QByteArray TileData::pendingRecord(TileKind kind, int id, int size) const
{
    const QByteArray record = edits->edit(kind, id, PendingEditStore::Part::TileData).record;
    // A pending file that vanished or is short is not a record: the data file's is used.
    return record.size() >= size ? record.left(size) : QByteArray();
}

QByteArray TileData::fileRecord(qint64 position, int size) const
{
    // Held records lie in whole blocks; the zero fill is for a pending edit's id past the
    // end of the file whose pending file is gone.
    if (position >= bytes.size())
        return QByteArray(size, '\0');
    return bytes.mid(position, size).leftJustified(size, '\0', true);
}

bool TileData::setRecord(
    TileKind kind, int id, TileDataLayout layout, const QByteArray &record, QString *error)
{
    // Pending records are served and saved in the file's layout; converting one here
    // could drop upper flags.
    if (layout != fileLayout) {
        setError(error,
            QStringLiteral("The record of %1 is in the %2 layout; %3 is in the %4 layout.")
                .arg(describeTile(kind, id), layout.name(), QFileInfo(file.fileName()).fileName(),
                    fileLayout.name()));
        return false;
    }
    return edits->put(kind, id, PendingEditStore::Part::TileData, PendingEdit::replaced(record), error);
}

QString TileData::missingRecord(TileKind kind, int id) const
{
    const int held = count(kind);
    const QString range = held == 0 ? QStringLiteral("none") : QStringLiteral("0 to %1").arg(held - 1);
    return QStringLiteral("%1 holds no %2 tile %3 (its %2 tiles: %4).")
        .arg(QFileInfo(fileName()).fileName(), tileDataKindWord(kind), QString::number(id), range);
}
