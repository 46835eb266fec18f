#pragma once

#include "art/ArtIndexEntry.h"
#include "io/MappedFile.h"
#include "io/PendingEditDirectory.h"

#include <QCache>
#include <QHash>
#include <QImage>
#include <QObject>
#include <QString>
#include <memory>

// The single source of tile images: reads artidx.mul and art.mul (read-only), keeps
// decoded images in two LRU caches and serves pending edits in place of the files.
class ArtWork : public QObject
{
    Q_OBJECT

public:
    static constexpr int MinCacheCapacity = 1000;

    // tempDir: where the private pending-edit directory is created (empty: the
    // system temporary directory).
    ArtWork(const QString &indexPath, const QString &artPath, const QString &tempDir = QString());
    ~ArtWork() override;

    void setFiles(const QString &indexPath, const QString &artPath);
    // Starts a new, empty private pending-edit directory under directory; the edits
    // pending so far are forgotten and their files removed.
    void setTempDir(const QString &directory);

    QImage getTerrain(int id, bool highlighted);
    QImage getStatic(int id, bool highlighted);

    // A non-null image replaces the tile as a pending edit, a null image deletes it.
    // When the edit cannot be stored nothing changes, false is returned and *error says why.
    bool setTerrain(int id, const QImage &image, QString *error = nullptr);
    bool setStatic(int id, const QImage &image, QString *error = nullptr);

    static QImage normalizeTerrain(const QImage &image);
    static QImage normalizeStatic(const QImage &image);

    // Each cache holds at least MinCacheCapacity images.
    void setCacheCapacity(int images);
    int cacheCapacity() const;

    QString indexPath() const { return indexFile.fileName(); }
    QString artPath() const { return artFile.fileName(); }
    const MappedFile &indexData() const { return indexFile; }
    const MappedFile &artData() const { return artFile; }

    // Index entries as stored; an entry past the end of artidx.mul reads as empty.
    ArtIndexEntry terrainEntry(int id) const;
    ArtIndexEntry staticEntry(int id) const;
    // Number of static index slots that artidx.mul holds.
    int staticSlotCount() const;

    // Id to pending-record file; an empty path marks a deleted tile.
    const QHash<int, QString> &pendingTerrain() const { return terrainPending; }
    const QHash<int, QString> &pendingStatics() const { return staticPending; }
    bool hasPendingEdits() const { return !terrainPending.isEmpty() || !staticPending.isEmpty(); }
    QString pendingDirectory() const;

Q_SIGNALS:
    // A pending edit was stored.
    void pendingChanged();

private:
    struct Kind;
    QImage getImage(const Kind &kind, int id, bool highlighted);
    bool setImage(const Kind &kind, int id, const QImage &image, QString *error);
    ArtIndexEntry entryAt(qint64 position) const;
    QByteArrayView recordAt(const ArtIndexEntry &entry) const;

    QHash<int, QString> terrainPending;
    QHash<int, QString> staticPending;
    MappedFile indexFile;
    MappedFile artFile;
    QString tempDir;
    std::unique_ptr<PendingEditDirectory> pendingDir;
    QCache<int, QImage> staticCache;
    QCache<int, QImage> terrainCache;
};
