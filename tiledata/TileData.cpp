#include "tiledata/TileData.h"

#include "tiledata/TileName.h"

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
    const TileKind kind = match.captured(1) == QLatin1String("T") ? TileKind::Terrain : TileKind::Static;
    const bool land = kind == TileKind::Terrain;
    const int id = match.captured(2).toInt();
    const QString path = pendingDir->filePath(fileName);
    const qint64 size = QFileInfo(path).size();
    // Any id an edit may be made for fits, also past the end of the file, as when the
    // edit was made; only a record of another layout does not.
    const bool fits = land ? inRange(id, LandCount) && size == fileLayout.landRecordSize()
                           : inRange(id, MaxStaticCount) && size == fileLayout.staticRecordSize();
    if (!fits) {
        if (dropped)
            dropped->append(QStringLiteral("%1 tile %2 (tile data)").arg(tileDataKindWord(kind)).arg(id));
        return false;
    }
    pending.insert(land ? id : id + StaticKeyBase, path);
    return true;
}

PendingEdit TileData::pendingEdit(TileKind kind, int id) const
{
    return pendingEdit(kind == TileKind::Terrain ? id : id + StaticKeyBase);
}

bool TileData::restoreEdit(TileKind kind, int id, const PendingEdit &edit, QString *error)
{
    const bool land = kind == TileKind::Terrain;
    if (!inRange(id, land ? LandCount : MaxStaticCount)) {
        setError(error, QStringLiteral("There is no %1 tile %2.").arg(tileDataKindWord(kind)).arg(id));
        return false;
    }
    return land ? restoreEdit(id, pendingFileName("TT", id), edit, error)
                : restoreEdit(id + StaticKeyBase, pendingFileName("TS", id), edit, error);
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

int TileData::count(TileKind kind) const
{
    return kind == TileKind::Terrain ? fileLayout.landCountForSize(bytes.size())
                                     : fileLayout.staticCountForSize(bytes.size());
}

bool TileData::holds(TileKind kind, int id) const
{
    if (kind == TileKind::Terrain)
        return inRange(id, count(kind)) || (inRange(id, LandCount) && pending.contains(id));
    return inRange(id, count(kind)) || (inRange(id, MaxStaticCount) && pending.contains(id + StaticKeyBase));
}

QByteArray TileData::landRecord(int id, QString *error) const
{
    if (!holds(TileKind::Terrain, id)) {
        setError(error, missingRecord(TileKind::Terrain, id));
        return QByteArray();
    }
    const int size = fileLayout.landRecordSize();
    const QByteArray edited = pendingRecord(id, size);
    return edited.isEmpty() ? fileRecord(fileLayout.landPosition(id), size) : edited;
}

QByteArray TileData::staticRecord(int id, QString *error) const
{
    if (!holds(TileKind::Static, id)) {
        setError(error, missingRecord(TileKind::Static, id));
        return QByteArray();
    }
    const int size = fileLayout.staticRecordSize();
    const QByteArray edited = pendingRecord(id + StaticKeyBase, size);
    return edited.isEmpty() ? fileRecord(fileLayout.staticPosition(id), size) : edited;
}

QByteArray TileData::originalLandRecord(int id) const
{
    if (!inRange(id, count(TileKind::Terrain)))
        return QByteArray();
    return fileRecord(fileLayout.landPosition(id), fileLayout.landRecordSize());
}

QByteArray TileData::originalStaticRecord(int id) const
{
    if (!inRange(id, count(TileKind::Static)))
        return QByteArray();
    return fileRecord(fileLayout.staticPosition(id), fileLayout.staticRecordSize());
}

bool TileData::setLandRecord(int id, const QByteArray &record, QString *error)
{
    if (!inRange(id, LandCount)) {
        setError(error, QStringLiteral("There is no land tile %1.").arg(id));
        return false;
    }
    return setRecord(id, pendingFileName("TT", id), record, fileLayout.landRecordSize(), error);
}

bool TileData::setStaticRecord(int id, const QByteArray &record, QString *error)
{
    if (!inRange(id, MaxStaticCount)) {
        setError(error, QStringLiteral("There is no static tile %1.").arg(id));
        return false;
    }
    return setRecord(
        id + StaticKeyBase, pendingFileName("TS", id), record, fileLayout.staticRecordSize(), error);
}

QString TileData::name(TileKind kind, int id) const
{
    const bool land = kind == TileKind::Terrain;
    const QByteArray record = land ? landRecord(id) : staticRecord(id);
    if (record.isEmpty())
        return QString();
    return TileName::decode(
        record.constData() + (land ? fileLayout.landNameOffset() : fileLayout.staticNameOffset()), NameSize);
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

bool TileData::setRecord(int key, const QString &fileName, const QByteArray &record, int size, QString *error)
{
    if (record.size() != size) {
        setError(error,
            QStringLiteral("The record of %1 is %2 bytes long; %3 in the %4 layout takes %5.")
                .arg(describeKey(key))
                .arg(record.size())
                .arg(QFileInfo(file.fileName()).fileName(), fileLayout.name())
                .arg(size));
        return false;
    }
    if (!pendingDir->writeFile(fileName, record, error))
        return false;
    pending.insert(key, pendingDir->filePath(fileName));
    Q_EMIT pendingChanged();
    return true;
}

QString TileData::missingRecord(TileKind kind, int id) const
{
    const int held = count(kind);
    const QString range = held == 0 ? QStringLiteral("none") : QStringLiteral("0 to %1").arg(held - 1);
    return QStringLiteral("%1 holds no %2 tile %3 (its %2 tiles: %4).")
        .arg(QFileInfo(fileName()).fileName(), tileDataKindWord(kind), QString::number(id), range);
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
