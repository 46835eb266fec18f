#include "tiledata/TileData.h"

#include "tiledata/TileDataFormat.h"
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
    const PendingEditDirectory::Description description{
        PendingStoreName, QFileInfo(file.fileName()).absolutePath()};
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
    for (const QString &fileName : pendingDir->editFiles()) {
        if (!adoptEditFile(fileName, dropped))
            PendingEditDirectory::removeFile(pendingDir->filePath(fileName));
    }
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
    const bool fits = land ? id < LandCount && QFileInfo(path).size() == LandRecordSize
                           : id < staticCount() && QFileInfo(path).size() == StaticRecordSize;
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
