#pragma once

#include "art/ArtContainer.h"
#include "io/PendingEditStore.h"

#include <QCache>
#include <QHash>
#include <QImage>
#include <QObject>
#include <QString>
#include <memory>

// The single source of tile images: reads the records of an art container (read-only),
// keeps decoded images in two caches and serves the pending edits' images in place of
// the container's records.
class ArtWork : public QObject
{
    Q_OBJECT

public:
    static constexpr int MinCacheCapacity = 1000;
    // Each cache holds at most its capacity in images and this many bytes per image of
    // its capacity: a screen of terrain fits whole, a few crafted giant statics do not
    // take the memory of thousands of tiles.
    static constexpr qint64 CacheBytesPerImage = 16 * 1024;

    // Images are edited in edits, which a data set's tile data shares.
    ArtWork(std::unique_ptr<ArtContainer> container, std::shared_ptr<PendingEditStore> edits);
    // With a store of its own, whose directory is created in tempDir (empty: the system
    // temporary directory).
    explicit ArtWork(std::unique_ptr<ArtContainer> container, const QString &tempDir = QString());
    // art.mul and its index.
    ArtWork(const QString &indexPath, const QString &artPath, const QString &tempDir = QString());
    ~ArtWork() override;

    void setContainer(std::unique_ptr<ArtContainer> container);

    QImage image(TileKind kind, int id, bool highlighted);
    // Whether image() gives an image for the tile, without decoding it: filtering every
    // tile by it must not cost a decode of each.
    bool hasImage(TileKind kind, int id) const;

    // A non-null image replaces the tile as a pending edit, a null image deletes it.
    // When the edit cannot be stored nothing changes, false is returned and *error says why.
    bool setImage(TileKind kind, int id, const QImage &image, QString *error = nullptr);

    // The image as storing it gives it back; a null image (a deletion) stays null. An
    // image that cannot be stored gives a null image and *error says why.
    static QImage normalize(TileKind kind, const QImage &image, QString *error = nullptr);

    // Each cache holds at least MinCacheCapacity images.
    void setCacheCapacity(int images);
    int cacheCapacity() const;

    const ArtContainer &container() const { return *source; }
    // Number of static slots the container holds.
    int staticSlotCount() const;

    // Where the images edited but not saved are kept.
    PendingEditStore &pendingEdits() const { return *edits; }
    // Whether an edit kept by an earlier store fits this one: an id it can hold and,
    // for a replacement, a record that decodes.
    bool accepts(TileKind kind, int id, const PendingEdit &edit) const;

private:
    struct Kind;
    QImage getImage(const Kind &kind, int id, bool highlighted);
    QImage plainImage(const Kind &kind, int id);
    QImage decodeStored(const Kind &kind, int id) const;
    static QImage normalized(const Kind &kind, const QImage &image, QString *error);
    static bool checkId(const Kind &kind, int id, QString *error);
    bool setImage(const Kind &kind, int id, const QImage &image, QString *error);
    void cacheImage(const Kind &kind, int id, const QImage &image);
    void forget(const Kind &kind, int id);
    void useEdits(std::shared_ptr<PendingEditStore> store);
    void forgetImages();
    void forgetEdited(TileKind kind, int id, PendingEditStore::Part part);

    std::unique_ptr<ArtContainer> source;
    std::shared_ptr<PendingEditStore> edits;
    QCache<int, QImage> staticCache;
    QCache<int, QImage> terrainCache;
    // Selected tiles are drawn highlighted at every paint (every tile shown, with all
    // selected): their highlighted images are kept as the plain ones are.
    QCache<int, QImage> staticHighlighted;
    QCache<int, QImage> terrainHighlighted;
};
