#pragma once

#include "art/ArtContainer.h"
#include "io/PendingEdit.h"
#include "io/PendingEditDirectory.h"
#include "io/TileKind.h"

#include <QCache>
#include <QHash>
#include <QImage>
#include <QObject>
#include <QString>
#include <memory>

// The single source of tile images: reads the records of an art container (read-only),
// keeps decoded images in two caches and serves pending edits in place of the files.
class ArtWork : public QObject
{
    Q_OBJECT

public:
    static constexpr int MinCacheCapacity = 1000;
    // How its pending-edit directory names this store.
    static const QString PendingStoreName;
    // Each cache holds at most its capacity in images and this many bytes per image of
    // its capacity: a screen of terrain fits whole, a few crafted giant statics do not
    // take the memory of thousands of tiles.
    static constexpr qint64 CacheBytesPerImage = 16 * 1024;

    // tempDir: where the private pending-edit directory is created (empty: the
    // system temporary directory).
    explicit ArtWork(std::unique_ptr<ArtContainer> container, const QString &tempDir = QString());
    // art.mul and its index.
    ArtWork(const QString &indexPath, const QString &artPath, const QString &tempDir = QString());
    ~ArtWork() override;

    void setContainer(std::unique_ptr<ArtContainer> container);
    // Starts a new, empty private pending-edit directory under directory; the edits
    // pending so far are forgotten and their files removed.
    void setTempDir(const QString &directory);

    QImage image(TileKind kind, int id, bool highlighted);

    // A non-null image replaces the tile as a pending edit, a null image deletes it.
    // When the edit cannot be stored nothing changes, false is returned and *error says why.
    bool setImage(TileKind kind, int id, const QImage &image, QString *error = nullptr);

    // The image as storing it gives it back; a null image (a deletion) stays null. An
    // image that cannot be stored gives a null image and *error says why.
    static QImage normalize(TileKind kind, const QImage &image, QString *error = nullptr);

    // The pending edit of a tile exactly as it is held now, and putting one back: what
    // undoing and redoing an edit needs. Restoring State::None forgets the tile's edit.
    // When a record cannot be written nothing changes, false is returned and *error says why.
    PendingEdit pendingEdit(TileKind kind, int id) const;
    bool restoreEdit(TileKind kind, int id, const PendingEdit &edit, QString *error = nullptr);

    // Each cache holds at least MinCacheCapacity images.
    void setCacheCapacity(int images);
    int cacheCapacity() const;

    const ArtContainer &container() const { return *source; }
    // Number of static slots the container holds.
    int staticSlotCount() const;

    // Hands the pending edits over, in their directory, for another store to adopt (a
    // data set opened again); this store starts over with none.
    std::unique_ptr<PendingEditDirectory> takePendingEdits();
    // Serves the edits kept in a directory (of a store opened earlier, or of a run that
    // ended abnormally) as this store's pending edits, in place of its own. Edits that do
    // not fit this store (an id it cannot hold, a record that does not decode) are
    // dropped and described in *dropped.
    void adoptPendingEdits(std::unique_ptr<PendingEditDirectory> directory, QStringList *dropped = nullptr);

    // Id to pending-record file; an empty path marks a deleted tile.
    const QHash<int, QString> &pendingTerrain() const { return terrainPending; }
    const QHash<int, QString> &pendingStatics() const { return staticPending; }
    bool hasPendingEdits() const { return !terrainPending.isEmpty() || !staticPending.isEmpty(); }
    // Where the pending files go; made now if no edit has made it yet (empty when it
    // cannot be made).
    QString pendingDirectory() const;

Q_SIGNALS:
    // A pending edit was stored.
    void pendingChanged();

private:
    struct Kind;
    struct Highlighted
    {
        int id = -1;
        QImage image;
    };
    QImage getImage(const Kind &kind, int id, bool highlighted);
    QImage plainImage(const Kind &kind, int id);
    QImage decodeStored(const Kind &kind, int id) const;
    static QImage normalized(const Kind &kind, const QImage &image, QString *error);
    static bool checkId(const Kind &kind, int id, QString *error);
    QString pendingFileName(const Kind &kind, int id) const;
    QString deletionMarkerName(const Kind &kind, int id) const;
    bool storeRecord(const Kind &kind, int id, const QByteArray &record, QString *error);
    bool storeDeletion(const Kind &kind, int id, QString *error);
    bool setImage(const Kind &kind, int id, const QImage &image, QString *error);
    PendingEdit pendingEdit(const Kind &kind, int id) const;
    bool restoreEdit(const Kind &kind, int id, const PendingEdit &edit, QString *error);
    void cacheImage(const Kind &kind, int id, const QImage &image);
    void forget(const Kind &kind, int id);
    void clearPending();
    bool adoptEditFile(const QString &fileName, QStringList *dropped);
    PendingEditDirectory::Description pendingDescription() const;

    QHash<int, QString> terrainPending;
    QHash<int, QString> staticPending;
    std::unique_ptr<ArtContainer> source;
    QString tempDir;
    std::unique_ptr<PendingEditDirectory> pendingDir;
    QCache<int, QImage> staticCache;
    QCache<int, QImage> terrainCache;
    // The selected tile is drawn highlighted at every paint: the last highlighted image
    // of each kind is kept.
    Highlighted staticHighlighted;
    Highlighted terrainHighlighted;
};
