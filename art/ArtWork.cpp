#include "art/ArtWork.h"

#include "art/ArtCodec.h"
#include "art/ArtFormat.h"

#include <QtEndian>

using namespace ArtFormat;

// What differs between terrain and statics for the store.
struct ArtWork::Kind
{
    QHash<int, QString> ArtWork::*pending;
    QCache<int, QImage> ArtWork::*cache;
    qint64 (*indexPosition)(int id);
    QImage (*decode)(QByteArrayView record, bool highlighted);
    QByteArray (*encode)(const QImage &image, QString *error);
    const char *filePrefix;
    int idLimit;

    static const Kind &terrain()
    {
        static const Kind kind{&ArtWork::terrainPending, &ArtWork::terrainCache, terrainIndexPosition,
            ArtCodec::decodeTerrain,
            [](const QImage &image, QString *) { return ArtCodec::encodeTerrain(image); }, "Terrain",
            TerrainCount};
        return kind;
    }
    static const Kind &statics()
    {
        static const Kind kind{&ArtWork::staticPending, &ArtWork::staticCache, staticIndexPosition,
            ArtCodec::decodeStatic, ArtCodec::encodeStatic, "Static", MaxStaticCount};
        return kind;
    }
};

ArtWork::ArtWork(const QString &indexPath, const QString &artPath, const QString &tempDir)
{
    setFiles(indexPath, artPath);
    setTempDir(tempDir);
    setCacheCapacity(MinCacheCapacity);
}

// The private pending-edit directory goes with pendingDir, and every pending file with it.
ArtWork::~ArtWork() = default;

void ArtWork::setFiles(const QString &indexPath, const QString &artPath)
{
    artFile.open(artPath);
    indexFile.open(indexPath);
    terrainCache.clear();
    staticCache.clear();
}

void ArtWork::setTempDir(const QString &directory)
{
    tempDir = directory;
    terrainPending.clear();
    staticPending.clear();
    // Cached images may be the forgotten edits.
    terrainCache.clear();
    staticCache.clear();
    pendingDir = std::make_unique<PendingEditDirectory>(directory);
}

QString ArtWork::pendingDirectory() const
{
    return pendingDir->path();
}

QImage ArtWork::getTerrain(int id, bool highlighted)
{
    return getImage(Kind::terrain(), id, highlighted);
}

QImage ArtWork::getStatic(int id, bool highlighted)
{
    return getImage(Kind::statics(), id, highlighted);
}

bool ArtWork::setTerrain(int id, const QImage &image, QString *error)
{
    return setImage(Kind::terrain(), id, image, error);
}

bool ArtWork::setStatic(int id, const QImage &image, QString *error)
{
    return setImage(Kind::statics(), id, image, error);
}

QImage ArtWork::normalizeTerrain(const QImage &image)
{
    return ArtCodec::normalizeTerrain(image);
}

QImage ArtWork::normalizeStatic(const QImage &image)
{
    return ArtCodec::normalizeStatic(image);
}

void ArtWork::setCacheCapacity(int images)
{
    const int capacity = qMax(images, int(MinCacheCapacity));
    terrainCache.setMaxCost(capacity);
    staticCache.setMaxCost(capacity);
}

int ArtWork::cacheCapacity() const
{
    return int(terrainCache.maxCost());
}

ArtIndexEntry ArtWork::terrainEntry(int id) const
{
    return id < 0 ? ArtIndexEntry{} : entryAt(terrainIndexPosition(id));
}

ArtIndexEntry ArtWork::staticEntry(int id) const
{
    return id < 0 ? ArtIndexEntry{} : entryAt(staticIndexPosition(id));
}

int ArtWork::staticSlotCount() const
{
    return int(qMax<qint64>(indexFile.size() / IndexEntrySize - StaticIdBase, 0));
}

QImage ArtWork::getImage(const Kind &kind, int id, bool highlighted)
{
    if (id < 0)
        return {};
    QCache<int, QImage> &cache = this->*kind.cache;
    if (!highlighted) {
        // A shared copy: a caller that paints on it detaches, so the cache stays as it was.
        if (const QImage *cached = cache.object(id))
            return *cached;
    }

    QImage image;
    const QHash<int, QString> &pending = this->*kind.pending;
    const auto edit = pending.constFind(id);
    if (edit != pending.cend()) {
        if (edit->isEmpty())
            return {};
        image = kind.decode(PendingEditDirectory::readFile(*edit), highlighted);
    } else {
        const ArtIndexEntry entry = entryAt(kind.indexPosition(id));
        if (entry.isEmpty())
            return {};
        image = kind.decode(recordAt(entry), highlighted);
    }
    if (!highlighted && !image.isNull())
        cache.insert(id, new QImage(image));
    return image;
}

bool ArtWork::setImage(const Kind &kind, int id, const QImage &image, QString *error)
{
    if (id < 0 || id >= kind.idLimit) {
        if (error)
            *error = QStringLiteral("There is no tile %1.").arg(id);
        return false;
    }
    QHash<int, QString> &pending = this->*kind.pending;
    QCache<int, QImage> &cache = this->*kind.cache;

    if (image.isNull()) {
        PendingEditDirectory::removeFile(pending.value(id));
        cache.remove(id);
        pending.insert(id, QString());
        Q_EMIT pendingChanged();
        return true;
    }

    // Store the image as it will look once stored, so that the pending record and the
    // image shown agree (every stored pixel opaque).
    const QByteArray first = kind.encode(image, error);
    if (first.isEmpty())
        return false;
    const QImage normalized = kind.decode(first, false);
    const QByteArray record = kind.encode(normalized, error);
    if (record.isEmpty())
        return false;

    const QString fileName = QLatin1String(kind.filePrefix) + QString::number(id) + QLatin1String(".wfg");
    if (!pendingDir->writeFile(fileName, record, error))
        return false;
    cache.insert(id, new QImage(normalized));
    pending.insert(id, pendingDir->filePath(fileName));
    Q_EMIT pendingChanged();
    return true;
}

ArtIndexEntry ArtWork::entryAt(qint64 position) const
{
    const QByteArrayView bytes = indexFile.slice(position, IndexEntrySize);
    if (bytes.isEmpty())
        return {};
    const char *p = bytes.data();
    return {qFromLittleEndian<qint32>(p), qFromLittleEndian<qint32>(p + 4), qFromLittleEndian<qint32>(p + 8)};
}

QByteArrayView ArtWork::recordAt(const ArtIndexEntry &entry) const
{
    // Static records carry their own line table, so a record runs at most to the end of
    // art.mul; the decoders check every offset against that.
    return artFile.from(entry.offset);
}
