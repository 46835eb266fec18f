#include "art/ImageBatchImport.h"

#include "art/ArtFormat.h"
#include "art/ArtWork.h"
#include "art/ImageFileLoader.h"
#include "art/TileImageFileName.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QtConcurrent/QtConcurrentMap>

namespace {

// A file named for a tile of the kind wanted, on its way to becoming its image.
struct Candidate
{
    QString path;
    int id = -1;
    QImage image;
    QString refusal;
};

QString kindRefusal(TileKind named)
{
    return named == TileKind::Terrain
        ? QStringLiteral("a terrain tile: import it with the Terrain tab in view")
        : QStringLiteral("a static: import it with the Statics tab in view");
}

void load(Candidate &candidate, TileKind kind)
{
    QString error;
    bool tooLarge = false;
    const QImage image = ImageFileLoader::load(candidate.path, &error, &tooLarge);
    if (image.isNull()) {
        candidate.refusal
            = (tooLarge ? QStringLiteral("too large: ") : QStringLiteral("unreadable: ")) + error;
        return;
    }
    const QSize terrain(ArtFormat::TerrainSize, ArtFormat::TerrainSize);
    if (kind == TileKind::Terrain && image.size() != terrain) {
        candidate.refusal
            = QStringLiteral("wrong size for terrain: the image is %1 x %2 pixels; terrain is %3 x %3")
                  .arg(image.width())
                  .arg(image.height())
                  .arg(ArtFormat::TerrainSize);
        return;
    }
    candidate.image = ArtWork::normalize(kind, image, &error);
    if (candidate.image.isNull())
        candidate.refusal = QStringLiteral("too large: ") + error;
}

} // namespace

bool ImageBatchImport::read(const QString &directory, TileKind kind, Plan *plan, QString *error)
{
    *plan = Plan();
    const QDir folder(directory);
    if (!QFileInfo(directory).isDir() || !QFileInfo(directory).isReadable()) {
        if (error)
            *error = QStringLiteral("%1 is not a folder that can be read")
                         .arg(QDir::toNativeSeparators(directory));
        return false;
    }
    const QStringList names = folder.entryList(QDir::Files, QDir::Name);
    // Refusals by name first: the files left are loaded together.
    QMap<QString, QString> refusals;
    QHash<int, QStringList> namesOf;
    for (const QString &name : names) {
        const TileImageFileName::Parsed parsed = TileImageFileName::parse(name);
        if (!parsed.isValid())
            refusals.insert(name, parsed.refusal);
        else if (parsed.kind != kind)
            refusals.insert(name, QStringLiteral("other kind: ") + kindRefusal(parsed.kind));
        else
            namesOf[parsed.id].append(name);
    }
    QVector<Candidate> candidates;
    for (auto it = namesOf.cbegin(); it != namesOf.cend(); ++it) {
        if (it.value().size() == 1) {
            candidates.append({folder.filePath(it.value().constFirst()), it.key(), QImage(), QString()});
            continue;
        }
        for (const QString &name : it.value()) {
            QStringList others = it.value();
            others.removeOne(name);
            refusals.insert(name,
                QStringLiteral("duplicate id: %1 names %2 too")
                    .arg(others.join(QStringLiteral(", ")), tileLabel(kind, it.key())));
        }
    }

    ImageFileLoader::limitAllocations();
    QtConcurrent::blockingMap(candidates, [kind](Candidate &candidate) { load(candidate, kind); });
    for (const Candidate &candidate : std::as_const(candidates)) {
        const QString name = QFileInfo(candidate.path).fileName();
        if (!candidate.refusal.isEmpty()) {
            refusals.insert(name, candidate.refusal);
            continue;
        }
        plan->images.insert(candidate.id, candidate.image);
        plan->fileNames.insert(candidate.id, name);
    }
    for (const QString &name : names) {
        if (refusals.contains(name))
            plan->refused.append({name, refusals.value(name)});
    }
    return true;
}
