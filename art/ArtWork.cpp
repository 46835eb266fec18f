#include "art/ArtWork.h"

#include "art/ArtCodec.h"
#include "art/ArtFormat.h"
#include "art/MulArtContainer.h"

#include <QFileInfo>
#include <QRegularExpression>

using namespace ArtFormat;

const QString ArtWork::PendingStoreName = QStringLiteral("art");

// What differs between terrain and statics for the store.
struct ArtWork::Kind
{
    QHash<int, QString> ArtWork::*pending;
    QCache<int, QImage> ArtWork::*cache;
    Highlighted ArtWork::*highlighted;
    int slotBase;
    QImage (*decode)(QByteArrayView record, bool highlighted);
    QByteArray (*encode)(const QImage &image, QString *error);
    const char *filePrefix;
    int idLimit;
    TileKind tileKind;

    static const Kind &terrain()
    {
        static const Kind kind{&ArtWork::terrainPending, &ArtWork::terrainCache, &ArtWork::terrainHighlighted,
            0, ArtCodec::decodeTerrain,
            [](const QImage &image, QString *) { return ArtCodec::encodeTerrain(image); }, "Terrain",
            TerrainCount, TileKind::Terrain};
        return kind;
    }
    static const Kind &statics()
    {
        static const Kind kind{&ArtWork::staticPending, &ArtWork::staticCache, &ArtWork::staticHighlighted,
            StaticIdBase, ArtCodec::decodeStatic, ArtCodec::encodeStatic, "Static", MaxStaticCount,
            TileKind::Static};
        return kind;
    }
    static const Kind &of(TileKind kind) { return kind == TileKind::Terrain ? terrain() : statics(); }
};

namespace {

// The image as a highlighted decode gives it: every stored pixel takes the highlight
// colour of its red field. Decoded pixels hold the stored 5-bit red field shifted left
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

} // namespace

ArtWork::ArtWork(std::unique_ptr<ArtContainer> container, const QString &tempDir)
{
    setContainer(std::move(container));
    setTempDir(tempDir);
    setCacheCapacity(MinCacheCapacity);
}

ArtWork::ArtWork(const QString &indexPath, const QString &artPath, const QString &tempDir)
    : ArtWork(mulContainer(indexPath, artPath), tempDir)
{ }

// The private pending-edit directory goes with pendingDir, and every pending file with it.
ArtWork::~ArtWork() = default;

void ArtWork::setContainer(std::unique_ptr<ArtContainer> container)
{
    source = std::move(container);
    terrainCache.clear();
    staticCache.clear();
    terrainHighlighted = {};
    staticHighlighted = {};
}

void ArtWork::setTempDir(const QString &directory)
{
    tempDir = directory;
    clearPending();
    pendingDir = std::make_unique<PendingEditDirectory>(directory, pendingDescription());
}

PendingEditDirectory::Description ArtWork::pendingDescription() const
{
    const QStringList files = source->fileNames();
    return {
        PendingStoreName, files.isEmpty() ? QString() : QFileInfo(files.first()).absolutePath(), QString()};
}

void ArtWork::clearPending()
{
    terrainPending.clear();
    staticPending.clear();
    // Cached images may be the forgotten edits.
    terrainCache.clear();
    staticCache.clear();
    terrainHighlighted = {};
    staticHighlighted = {};
}

std::unique_ptr<PendingEditDirectory> ArtWork::takePendingEdits()
{
    std::unique_ptr<PendingEditDirectory> taken = std::move(pendingDir);
    setTempDir(tempDir);
    return taken;
}

void ArtWork::adoptPendingEdits(std::unique_ptr<PendingEditDirectory> directory, QStringList *dropped)
{
    clearPending();
    pendingDir = std::move(directory);
    pendingDir->sortEditFiles(
        [this, dropped](const QString &fileName) { return adoptEditFile(fileName, dropped); });
    Q_EMIT pendingChanged();
}

bool ArtWork::adoptEditFile(const QString &fileName, QStringList *dropped)
{
    static const QRegularExpression form(QStringLiteral("^(Terrain|Static)([0-9]{1,5})\\.(wfg|deleted)$"));
    const QRegularExpressionMatch match = form.match(fileName);
    if (!match.hasMatch())
        return false;
    const Kind &kind = match.captured(1) == QLatin1String("Terrain") ? Kind::terrain() : Kind::statics();
    const int id = match.captured(2).toInt();
    const bool deleted = match.captured(3) == QLatin1String("deleted");
    const QString path = pendingDir->filePath(fileName);
    const bool fits = id < kind.idLimit
        && (deleted || !kind.decode(PendingEditDirectory::readFile(path), false).isNull());
    if (!fits) {
        if (dropped)
            dropped->append(QStringLiteral("%1 tile %2").arg(tileKindWord(kind.tileKind)).arg(id));
        return false;
    }
    (this->*kind.pending).insert(id, deleted ? QString() : path);
    return true;
}

QString ArtWork::pendingDirectory() const
{
    pendingDir->create();
    return pendingDir->path();
}

QImage ArtWork::image(TileKind kind, int id, bool highlighted)
{
    return getImage(Kind::of(kind), id, highlighted);
}

bool ArtWork::setImage(TileKind kind, int id, const QImage &image, QString *error)
{
    return setImage(Kind::of(kind), id, image, error);
}

QImage ArtWork::normalize(TileKind kind, const QImage &image, QString *error)
{
    return normalized(Kind::of(kind), image, error);
}

PendingEdit ArtWork::pendingEdit(TileKind kind, int id) const
{
    return pendingEdit(Kind::of(kind), id);
}

bool ArtWork::restoreEdit(TileKind kind, int id, const PendingEdit &edit, QString *error)
{
    return restoreEdit(Kind::of(kind), id, edit, error);
}

void ArtWork::setCacheCapacity(int images)
{
    const qsizetype bytes = qMax(images, int(MinCacheCapacity)) * CacheBytesPerImage;
    terrainCache.setMaxCost(bytes);
    staticCache.setMaxCost(bytes);
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
    Highlighted &last = this->*kind.highlighted;
    if (last.id != id) {
        last.id = id;
        last.image = highlight(plain);
    }
    return last.image;
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
    const QHash<int, QString> &pending = this->*kind.pending;
    const auto edit = pending.constFind(id);
    if (edit == pending.cend())
        return kind.decode(source->record(kind.slotBase + id), false);
    if (edit->isEmpty())
        return {};
    return kind.decode(PendingEditDirectory::readFile(*edit), false);
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
    Highlighted &last = this->*kind.highlighted;
    if (last.id == id)
        last = {};
}

QImage ArtWork::normalized(const Kind &kind, const QImage &image, QString *error)
{
    if (image.isNull())
        return image;
    const QImage stored = kind.decode(kind.encode(image, error), false);
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

QString ArtWork::pendingFileName(const Kind &kind, int id) const
{
    return QLatin1String(kind.filePrefix) + QString::number(id) + QLatin1String(".wfg");
}

QString ArtWork::deletionMarkerName(const Kind &kind, int id) const
{
    return QLatin1String(kind.filePrefix) + QString::number(id) + QLatin1String(".deleted");
}

bool ArtWork::setImage(const Kind &kind, int id, const QImage &image, QString *error)
{
    if (!checkId(kind, id, error))
        return false;
    if (image.isNull())
        return storeDeletion(kind, id, error);

    // Store the image as it will look once stored, so that the pending record and the
    // image shown agree (every stored pixel opaque).
    const QImage stored = normalized(kind, image, error);
    if (stored.isNull())
        return false;
    const QByteArray record = kind.encode(stored, error);
    if (record.isEmpty() || !storeRecord(kind, id, record, error))
        return false;
    cacheImage(kind, id, stored);
    return true;
}

bool ArtWork::storeRecord(const Kind &kind, int id, const QByteArray &record, QString *error)
{
    const QString fileName = pendingFileName(kind, id);
    if (!pendingDir->writeFile(fileName, record, error))
        return false;
    PendingEditDirectory::removeFile(pendingDir->filePath(deletionMarkerName(kind, id)));
    forget(kind, id);
    (this->*kind.pending).insert(id, pendingDir->filePath(fileName));
    Q_EMIT pendingChanged();
    return true;
}

bool ArtWork::storeDeletion(const Kind &kind, int id, QString *error)
{
    // A deletion is kept on disk too, as an empty marker, so that it survives a crash.
    if (!pendingDir->writeFile(deletionMarkerName(kind, id), QByteArray(), error))
        return false;
    QHash<int, QString> &pending = this->*kind.pending;
    PendingEditDirectory::removeFile(pending.value(id));
    forget(kind, id);
    pending.insert(id, QString());
    Q_EMIT pendingChanged();
    return true;
}

PendingEdit ArtWork::pendingEdit(const Kind &kind, int id) const
{
    const QHash<int, QString> &pending = this->*kind.pending;
    const auto edit = pending.constFind(id);
    if (edit == pending.cend())
        return PendingEdit::none();
    if (edit->isEmpty())
        return PendingEdit::deleted();
    return PendingEdit::replaced(PendingEditDirectory::readFile(*edit));
}

bool ArtWork::restoreEdit(const Kind &kind, int id, const PendingEdit &edit, QString *error)
{
    if (!checkId(kind, id, error))
        return false;
    // The exact bytes go back; the image is decoded from them when next asked for.
    if (edit.state == PendingEdit::State::Replaced)
        return storeRecord(kind, id, edit.record, error);
    if (edit.state == PendingEdit::State::Deleted)
        return storeDeletion(kind, id, error);
    QHash<int, QString> &pending = this->*kind.pending;
    PendingEditDirectory::removeFile(pending.value(id));
    PendingEditDirectory::removeFile(pendingDir->filePath(deletionMarkerName(kind, id)));
    pending.remove(id);
    forget(kind, id);
    Q_EMIT pendingChanged();
    return true;
}
