#include "tiledata/TileData.h"

#include <QFileInfo>
#include <QRegularExpression>

using namespace TileDataFormat;

const QString TileData::PendingStoreName = QStringLiteral("tiledata");

namespace {

QString pendingFileName(const char *prefix, int id)
{
    return QLatin1String(prefix) + QString::number(id) + QLatin1String(".wfg");
}

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

TileData::TileData(const QString &fileName, const QString &tempDir, std::optional<TileDataLayout> layout)
{
    setFileName(fileName, nullptr, layout);
    setTempDir(tempDir);
}

// The private pending-edit directory goes with pendingDir, and every pending file with it.
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

void TileData::setTempDir(const QString &directory)
{
    tempDir = directory;
    pending.clear();
    const PendingEditDirectory::Description description{
        PendingStoreName, QFileInfo(file.fileName()).absolutePath(), QString()};
    pendingDir = std::make_unique<PendingEditDirectory>(directory, description);
}

std::unique_ptr<PendingEditDirectory> TileData::takePendingEdits()
{
    std::unique_ptr<PendingEditDirectory> taken = std::move(pendingDir);
    setTempDir(tempDir);
    return taken;
}

void TileData::adoptPendingEdits(std::unique_ptr<PendingEditDirectory> directory, QStringList *dropped)
{
    pending.clear();
    pendingDir = std::move(directory);
    pendingDir->sortEditFiles(
        [this, dropped](const QString &fileName) { return adoptEditFile(fileName, dropped); });
    Q_EMIT pendingChanged();
}

bool TileData::adoptEditFile(const QString &fileName, QStringList *dropped)
{
    static const QRegularExpression form(QStringLiteral("^T([TS])([0-9]{1,5})\\.wfg$"));
    const QRegularExpressionMatch match = form.match(fileName);
    if (!match.hasMatch())
        return false;
    const bool land = match.captured(1) == QLatin1String("T");
    const int id = match.captured(2).toInt();
    const QString path = pendingDir->filePath(fileName);
    const qint64 size = QFileInfo(path).size();
    // Any id an edit may be made for fits, also past the end of the file, as when the
    // edit was made; only a record of another layout does not.
    const bool fits = land ? inRange(id, LandCount) && size == fileLayout.landRecordSize()
                           : inRange(id, MaxStaticCount) && size == fileLayout.staticRecordSize();
    if (!fits) {
        if (dropped)
            dropped->append(QStringLiteral("%1 tile %2 (tile data)")
                                .arg(QLatin1String(land ? "land" : "static"))
                                .arg(id));
        return false;
    }
    pending.insert(land ? id : id + StaticKeyBase, path);
    return true;
}

PendingEdit TileData::pendingLandEdit(int id) const
{
    return pendingEdit(id);
}

PendingEdit TileData::pendingStaticEdit(int id) const
{
    return pendingEdit(id + StaticKeyBase);
}

bool TileData::restoreLandEdit(int id, const PendingEdit &edit, QString *error)
{
    if (!inRange(id, LandCount)) {
        setError(error, QStringLiteral("There is no land tile %1.").arg(id));
        return false;
    }
    return restoreEdit(id, pendingFileName("TT", id), edit, error);
}

bool TileData::restoreStaticEdit(int id, const PendingEdit &edit, QString *error)
{
    if (!inRange(id, MaxStaticCount)) {
        setError(error, QStringLiteral("There is no static tile %1.").arg(id));
        return false;
    }
    return restoreEdit(id + StaticKeyBase, pendingFileName("TS", id), edit, error);
}

QString TileData::pendingDirectory() const
{
    pendingDir->create();
    return pendingDir->path();
}

QString TileData::describeKey(int key)
{
    return key < StaticKeyBase ? QStringLiteral("land tile %1").arg(key)
                               : QStringLiteral("static tile %1").arg(key - StaticKeyBase);
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

int TileData::landCount() const
{
    return fileLayout.landCountForSize(bytes.size());
}

int TileData::staticCount() const
{
    return fileLayout.staticCountForSize(bytes.size());
}

bool TileData::holdsLand(int id) const
{
    return inRange(id, landCount()) || (inRange(id, LandCount) && pending.contains(id));
}

bool TileData::holdsStatic(int id) const
{
    return inRange(id, staticCount())
        || (inRange(id, MaxStaticCount) && pending.contains(id + StaticKeyBase));
}

std::optional<LandTileRecord> TileData::landRecord(int id, QString *error) const
{
    if (!holdsLand(id)) {
        setError(error, missingRecord(true, id));
        return std::nullopt;
    }
    const int size = fileLayout.landRecordSize();
    const QByteArray edited = pendingRecord(id, size);
    return LandTileRecord::fromBytes(
        edited.isEmpty() ? fileRecord(fileLayout.landPosition(id), size) : edited, fileLayout);
}

std::optional<StaticTileRecord> TileData::staticRecord(int id, QString *error) const
{
    if (!holdsStatic(id)) {
        setError(error, missingRecord(false, id));
        return std::nullopt;
    }
    const int size = fileLayout.staticRecordSize();
    const QByteArray edited = pendingRecord(id + StaticKeyBase, size);
    return StaticTileRecord::fromBytes(
        edited.isEmpty() ? fileRecord(fileLayout.staticPosition(id), size) : edited, fileLayout);
}

std::optional<LandTileRecord> TileData::originalLandRecord(int id) const
{
    if (!inRange(id, landCount()))
        return std::nullopt;
    return LandTileRecord::fromBytes(
        fileRecord(fileLayout.landPosition(id), fileLayout.landRecordSize()), fileLayout);
}

std::optional<StaticTileRecord> TileData::originalStaticRecord(int id) const
{
    if (!inRange(id, staticCount()))
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
    return setRecord(id, pendingFileName("TT", id), record.layout, record.toBytes(), error);
}

bool TileData::setStaticRecord(int id, const StaticTileRecord &record, QString *error)
{
    if (!inRange(id, MaxStaticCount)) {
        setError(error, QStringLiteral("There is no static tile %1.").arg(id));
        return false;
    }
    return setRecord(id + StaticKeyBase, pendingFileName("TS", id), record.layout, record.toBytes(), error);
}

QString TileData::landName(int id) const
{
    const std::optional<LandTileRecord> record = landRecord(id);
    return record ? record->nameText() : QString();
}

QString TileData::staticName(int id) const
{
    const std::optional<StaticTileRecord> record = staticRecord(id);
    return record ? record->nameText() : QString();
}

QByteArray TileData::pendingRecord(int key, int size) const
{
    const auto edit = pending.constFind(key);
    if (edit == pending.cend())
        return QByteArray();
    const QByteArray record = PendingEditDirectory::readFile(*edit);
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
    int key, const QString &fileName, TileDataLayout layout, const QByteArray &record, QString *error)
{
    // Pending records are served and saved in the file's layout; converting one here
    // could drop upper flags.
    if (layout != fileLayout) {
        setError(error,
            QStringLiteral("The record of %1 is in the %2 layout; %3 is in the %4 layout.")
                .arg(describeKey(key), layout.name(), QFileInfo(file.fileName()).fileName(),
                    fileLayout.name()));
        return false;
    }
    if (!pendingDir->writeFile(fileName, record, error))
        return false;
    pending.insert(key, pendingDir->filePath(fileName));
    Q_EMIT pendingChanged();
    return true;
}

QString TileData::missingRecord(bool land, int id) const
{
    const int count = land ? landCount() : staticCount();
    const QString kind = QLatin1String(land ? "land" : "static");
    const QString held = count == 0 ? QStringLiteral("none") : QStringLiteral("0 to %1").arg(count - 1);
    return QStringLiteral("%1 holds no %2 tile %3 (its %2 tiles: %4).")
        .arg(QFileInfo(fileName()).fileName(), kind, QString::number(id), held);
}

PendingEdit TileData::pendingEdit(int key) const
{
    const auto edit = pending.constFind(key);
    if (edit == pending.cend())
        return PendingEdit::none();
    return PendingEdit::replaced(PendingEditDirectory::readFile(*edit));
}

bool TileData::restoreEdit(int key, const QString &fileName, const PendingEdit &edit, QString *error)
{
    if (edit.state == PendingEdit::State::Replaced) {
        // The exact bytes go back, as the pending file held them.
        if (!pendingDir->writeFile(fileName, edit.record, error))
            return false;
        pending.insert(key, pendingDir->filePath(fileName));
    } else {
        PendingEditDirectory::removeFile(pending.value(key));
        pending.remove(key);
    }
    Q_EMIT pendingChanged();
    return true;
}
