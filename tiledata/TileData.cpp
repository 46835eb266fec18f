#include "tiledata/TileData.h"

#include "tiledata/TileDataFormat.h"
#include "tiledata/TileName.h"

using namespace TileDataFormat;

namespace {

QString pendingFileName(const char *prefix, int id)
{
    return QLatin1String(prefix) + QString::number(id) + QLatin1String(".wfg");
}

constexpr int NameOffsetLand = 6;
constexpr int NameOffsetStatic = 17;

} // namespace

TileData::TileData(const QString &fileName, const QString &tempDir)
{
    setFileName(fileName);
    setTempDir(tempDir);
}

// The private pending-edit directory goes with pendingDir, and every pending file with it.
TileData::~TileData() = default;

bool TileData::setFileName(const QString &path, QString *error)
{
    bytes.clear();
    loadError.clear();
    if (file.open(path, &loadError))
        bytes = file.readAll(MaxFileSize, &loadError);
    if (error)
        *error = loadError;
    return loadError.isEmpty();
}

void TileData::setTempDir(const QString &directory)
{
    tempDir = directory;
    pending.clear();
    pendingDir = std::make_unique<PendingEditDirectory>(directory);
}

QString TileData::pendingDirectory() const
{
    return pendingDir->path();
}

QByteArray TileData::landRecord(int id) const
{
    return record(id, landPosition(id), LandRecordSize);
}

QByteArray TileData::staticRecord(int id) const
{
    return record(id + StaticKeyBase, staticPosition(id), StaticRecordSize);
}

QByteArray TileData::originalLandRecord(int id) const
{
    return fileRecord(landPosition(id), LandRecordSize);
}

QByteArray TileData::originalStaticRecord(int id) const
{
    return fileRecord(staticPosition(id), StaticRecordSize);
}

bool TileData::setLandRecord(int id, const QByteArray &record, QString *error)
{
    if (id < 0 || id >= LandCount) {
        if (error)
            *error = QStringLiteral("There is no land tile %1.").arg(id);
        return false;
    }
    return setRecord(id, pendingFileName("TT", id), record, LandRecordSize, error);
}

bool TileData::setStaticRecord(int id, const QByteArray &record, QString *error)
{
    if (id < 0 || id >= MaxStaticCount) {
        if (error)
            *error = QStringLiteral("There is no static tile %1.").arg(id);
        return false;
    }
    return setRecord(id + StaticKeyBase, pendingFileName("TS", id), record, StaticRecordSize, error);
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
    if (id < 0 || id >= LandCount) {
        if (error)
            *error = QStringLiteral("There is no land tile %1.").arg(id);
        return false;
    }
    return restoreEdit(id, pendingFileName("TT", id), edit, error);
}

bool TileData::restoreStaticEdit(int id, const PendingEdit &edit, QString *error)
{
    if (id < 0 || id >= MaxStaticCount) {
        if (error)
            *error = QStringLiteral("There is no static tile %1.").arg(id);
        return false;
    }
    return restoreEdit(id + StaticKeyBase, pendingFileName("TS", id), edit, error);
}

QString TileData::landName(int id) const
{
    if (id < 0)
        return {};
    return TileName::decode(landRecord(id).constData() + NameOffsetLand, NameSize);
}

QString TileData::staticName(int id) const
{
    if (id < 0)
        return {};
    return TileName::decode(staticRecord(id).constData() + NameOffsetStatic, NameSize);
}

int TileData::staticCount() const
{
    return staticCountForSize(bytes.size());
}

QByteArray TileData::record(int key, qint64 position, int size) const
{
    const auto edit = pending.constFind(key);
    if (edit != pending.cend()) {
        const QByteArray bytes = PendingEditDirectory::readFile(*edit);
        // A pending file that vanished or is short is not a record: use the data file's.
        if (bytes.size() >= size)
            return bytes.left(size);
    }
    return fileRecord(position, size);
}

QByteArray TileData::fileRecord(qint64 position, int size) const
{
    if (position < 0)
        return QByteArray(size, '\0');
    if (position < 0 || position >= bytes.size())
        return QByteArray(size, '\0');
    return bytes.mid(position, size).leftJustified(size, '\0', true);
}

bool TileData::setRecord(int key, const QString &fileName, const QByteArray &record, int size, QString *error)
{
    // Records always travel full length; the file holds exactly one.
    const QByteArray bytes = record.leftJustified(size, '\0', true);
    if (!pendingDir->writeFile(fileName, bytes, error))
        return false;
    pending.insert(key, pendingDir->filePath(fileName));
    Q_EMIT pendingChanged();
    return true;
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
