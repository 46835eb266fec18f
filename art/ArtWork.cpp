#include "art/ArtWork.h"

#include "art/ArtCodec.h"
#include "art/ArtFormat.h"
#include "art/MulArtContainer.h"

#include <QFileInfo>

using namespace ArtFormat;

// What differs between terrain and statics for the store.
struct ArtWork::Kind
{
    TileKind tileKind;
    QCache<int, QImage> ArtWork::*cache;
    QCache<int, QImage> ArtWork::*highlighted;
    int slotBase;
    QImage (*decode)(QByteArrayView record);
    QByteArray (*encode)(const QImage &image, QString *error);
    int idLimit;

    static const Kind &terrain()
    {
        static const Kind kind{TileKind::Terrain, &ArtWork::terrainCache, &ArtWork::terrainHighlighted, 0,
            ArtCodec::decodeTerrain,
            [](const QImage &image, QString *) { return ArtCodec::encodeTerrain(image); }, TerrainCount};
        return kind;
    }
    static const Kind &statics()
    {
        static const Kind kind{TileKind::Static, &ArtWork::staticCache, &ArtWork::staticHighlighted,
            StaticIdBase, ArtCodec::decodeStatic, ArtCodec::encodeStatic, MaxStaticCount};
        return kind;
    }
    static const Kind &of(TileKind kind) { return kind == TileKind::Terrain ? terrain() : statics(); }
};

namespace {

// The selected tile's look: every stored pixel takes the highlight colour of its red
// field. Decoded pixels hold the stored 5-bit red field shifted left
// by three, and everything not stored is fully transparent.
QImage highlight(const QImage &plain)
{
    QRgb hue[32];
    for (int red = 0; red < 32; ++red)
        hue[red] = ArtCodec::fromColor16(ArtCodec::highlightHue()[red]);
    QImage lit = plain.copy();
    for (int y = 0; y < lit.height(); ++y) {
        QRgb *line = reinterpret_cast<QRgb *>(lit.scanLine(y));
        for (int x = 0; x < lit.width(); ++x) {
            if (qAlpha(line[x]) != 0)
                line[x] = hue[qRed(line[x]) >> 3];
        }
    }
    return lit;
}

std::unique_ptr<ArtContainer> mulContainer(const QString &indexPath, const QString &artPath)
{
    auto container = std::make_unique<MulArtContainer>();
    container->open(indexPath, artPath);
    return container;
}

// The directory a store of its own describes: the one the container's files are in.
QString dataDirectoryOf(const ArtContainer &container)
{
    const QStringList files = container.fileNames();
    return files.isEmpty() ? QString() : QFileInfo(files.first()).absolutePath();
}

} // namespace

ArtWork::ArtWork(std::unique_ptr<ArtContainer> container, std::shared_ptr<PendingEditStore> store)
{
    setContainer(std::move(container));
    setCacheCapacity(MinCacheCapacity);
    useEdits(std::move(store));
}

ArtWork::ArtWork(std::unique_ptr<ArtContainer> container, const QString &tempDir)
{
    setContainer(std::move(container));
    setCacheCapacity(MinCacheCapacity);
    useEdits(std::make_shared<PendingEditStore>(tempDir, dataDirectoryOf(*source)));
}

ArtWork::ArtWork(const QString &indexPath, const QString &artPath, const QString &tempDir)
    : ArtWork(mulContainer(indexPath, artPath), tempDir)
{ }

ArtWork::~ArtWork() = default;

void ArtWork::setContainer(std::unique_ptr<ArtContainer> container)
{
    source = std::move(container);
    forgetImages();
}

void ArtWork::useEdits(std::shared_ptr<PendingEditStore> store)
{
    edits = std::move(store);
    connect(edits.get(), &PendingEditStore::changed, this, &ArtWork::forgetEdited);
    connect(edits.get(), &PendingEditStore::reset, this, &ArtWork::forgetImages);
}

void ArtWork::forgetImages()
{
    // Cached images may be edits no longer pending.
    terrainCache.clear();
    staticCache.clear();
    terrainHighlighted.clear();
    staticHighlighted.clear();
}

void ArtWork::forgetEdited(TileKind kind, int id, PendingEditStore::Part part)
{
    if (part == PendingEditStore::Part::Image)
        forget(Kind::of(kind), id);
}

bool ArtWork::accepts(TileKind kind, int id, const PendingEdit &edit) const
{
    const Kind &of = Kind::of(kind);
    return id >= 0 && id < of.idLimit
        && (edit.state != PendingEdit::State::Replaced || !of.decode(edit.record).isNull());
}

QImage ArtWork::image(TileKind kind, int id, bool highlighted)
{
    return getImage(Kind::of(kind), id, highlighted);
}

bool ArtWork::hasImage(TileKind kind, int id) const
{
    const Kind &of = Kind::of(kind);
    if (id < 0 || id >= of.idLimit)
        return false;
    switch (edits->state(kind, id, PendingEditStore::Part::Image)) {
    case PendingEdit::State::Deleted:
        return false;
    case PendingEdit::State::Replaced:
        // Only records that decode are kept as pending images.
        return true;
    case PendingEdit::State::None:
        break;
    }
    if ((this->*of.cache).contains(id))
        return true;
    // A record has an extent exactly when it decodes.
    QByteArray buffer;
    const QByteArrayView record = source->recordSpan(of.slotBase + id, &buffer);
    return (kind == TileKind::Terrain ? ArtCodec::terrainRecordExtent(record)
                                      : ArtCodec::staticRecordExtent(record))
        >= 0;
}

bool ArtWork::setImage(TileKind kind, int id, const QImage &image, QString *error)
{
    return setImage(Kind::of(kind), id, image, error);
}

QImage ArtWork::normalize(TileKind kind, const QImage &image, QString *error)
{
    return normalized(Kind::of(kind), image, error);
}

void ArtWork::setCacheCapacity(int images)
{
    const qsizetype bytes = qMax(images, int(MinCacheCapacity)) * CacheBytesPerImage;
    for (QCache<int, QImage> *cache : {&terrainCache, &staticCache, &terrainHighlighted, &staticHighlighted})
        cache->setMaxCost(bytes);
}

int ArtWork::cacheCapacity() const
{
    return int(terrainCache.maxCost() / CacheBytesPerImage);
}

int ArtWork::staticSlotCount() const
{
    return qMax(source->slotCount() - StaticIdBase, 0);
}

QImage ArtWork::getImage(const Kind &kind, int id, bool highlighted)
{
    if (id < 0)
        return {};
    const QImage plain = plainImage(kind, id);
    if (!highlighted || plain.isNull())
        return plain;
    QCache<int, QImage> &lit = this->*kind.highlighted;
    if (const QImage *cached = lit.object(id))
        return *cached;
    const QImage image = highlight(plain);
    lit.insert(id, new QImage(image), qMax<qsizetype>(image.sizeInBytes(), CacheBytesPerImage));
    return image;
}

QImage ArtWork::plainImage(const Kind &kind, int id)
{
    // A shared copy: a caller that paints on it detaches, so the cache stays as it was.
    if (const QImage *cached = (this->*kind.cache).object(id))
        return *cached;
    const QImage image = decodeStored(kind, id);
    cacheImage(kind, id, image);
    return image;
}

QImage ArtWork::decodeStored(const Kind &kind, int id) const
{
    using Part = PendingEditStore::Part;
    switch (edits->state(kind.tileKind, id, Part::Image)) {
    case PendingEdit::State::None:
        return kind.decode(source->record(kind.slotBase + id));
    case PendingEdit::State::Deleted:
        return {};
    case PendingEdit::State::Replaced:
        break;
    }
    return kind.decode(edits->edit(kind.tileKind, id, Part::Image).record);
}

void ArtWork::cacheImage(const Kind &kind, int id, const QImage &image)
{
    if (image.isNull())
        return;
    const qsizetype cost = qMax<qsizetype>(image.sizeInBytes(), CacheBytesPerImage);
    (this->*kind.cache).insert(id, new QImage(image), cost);
}

void ArtWork::forget(const Kind &kind, int id)
{
    (this->*kind.cache).remove(id);
    (this->*kind.highlighted).remove(id);
}

QImage ArtWork::normalized(const Kind &kind, const QImage &image, QString *error)
{
    if (image.isNull())
        return image;
    const QImage stored = kind.decode(kind.encode(image, error));
    if (stored.isNull() && error && error->isEmpty())
        *error = QStringLiteral("The image cannot be stored in the art file's format.");
    return stored;
}

bool ArtWork::checkId(const Kind &kind, int id, QString *error)
{
    if (id >= 0 && id < kind.idLimit)
        return true;
    if (error)
        *error = QStringLiteral("There is no tile %1.").arg(id);
    return false;
}

bool ArtWork::setImage(const Kind &kind, int id, const QImage &image, QString *error)
{
    if (!checkId(kind, id, error))
        return false;
    if (image.isNull())
        return edits->put(kind.tileKind, id, PendingEditStore::Part::Image, PendingEdit::deleted(), error);

    // Store the image as it will look once stored, so that the pending record and the
    // image shown agree (every stored pixel opaque).
    const QImage stored = normalized(kind, image, error);
    if (stored.isNull())
        return false;
    const QByteArray record = kind.encode(stored, error);
    if (record.isEmpty()
        || !edits->put(
            kind.tileKind, id, PendingEditStore::Part::Image, PendingEdit::replaced(record), error))
        return false;
    cacheImage(kind, id, stored);
    return true;
}
