#include "dataset/DataSet.h"

#include "art/ArtWork.h"
#include "io/CommitJournal.h"
#include "io/DataFileNames.h"
#include "io/FileIdentity.h"
#include "tiledata/AnimDataFile.h"
#include "tiledata/TileData.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QStringList>
#include <algorithm>

namespace {

// Collects what is wrong with the directory, to name it all in one message.
class Problems
{
public:
    void missing(const QString &fileName) { missingFiles.append(fileName); }
    void damaged(const QString &why) { reasons.append(why); }
    bool any() const { return !missingFiles.isEmpty() || !reasons.isEmpty(); }
    QString describe(const QString &directory) const
    {
        QStringList lines;
        lines.append(
            QStringLiteral("%1 does not hold a usable data set.").arg(QDir::toNativeSeparators(directory)));
        if (!missingFiles.isEmpty())
            lines.append(QStringLiteral("Missing: %1.").arg(missingFiles.join(QStringLiteral(", "))));
        lines.append(reasons);
        return lines.join(QLatin1Char('\n'));
    }

private:
    QStringList missingFiles;
    QStringList reasons;
};

bool present(const QString &path)
{
    return QFileInfo::exists(path);
}

} // namespace

DataSet::DataSet(const QString &directory) : dir(directory) { }

DataSet::~DataSet() = default;

QString DataSet::filePath(const QString &fileName) const
{
    return QDir(dir).filePath(fileName);
}

QStringList DataSet::filesIn(const QString &directory)
{
    QStringList present;
    for (const QString &name : ArtContainerChoice::fileNames(ArtContainer::Format::Mul)
            + ArtContainerChoice::fileNames(ArtContainer::Format::Uop)
            + QStringList{DataFileNames::TileDataMul, DataFileNames::AnimDataMul}) {
        if (QFileInfo(QDir(directory).filePath(name)).isFile())
            present.append(name);
    }
    return present;
}

std::unique_ptr<DataSet> DataSet::open(const QString &directory, const Options &options, QString *error)
{
    std::unique_ptr<DataSet> set(new DataSet(directory));
    Problems problems;
    if (!QFileInfo(directory).isDir()) {
        *error = QStringLiteral("%1 is not a directory.").arg(QDir::toNativeSeparators(directory));
        return nullptr;
    }
    // Never read a set that a save left half replaced.
    if (CommitJournal::resolveForReading(directory, &set->saveNote) == CommitJournal::Outcome::Failed) {
        *error = set->saveNote;
        return nullptr;
    }

    ArtContainerChoice::Opened art = ArtContainerChoice::open(directory, options.art);
    for (const QString &name : art.missing)
        problems.missing(name);
    if (!art.damage.isEmpty())
        problems.damaged(art.damage);

    set->editStore
        = std::make_shared<PendingEditStore>(options.pendingParent, QDir(directory).absolutePath());
    const QString tilePath = set->filePath(DataFileNames::TileDataMul);
    set->tileStore = std::make_unique<TileData>(tilePath, set->editStore, options.tileDataLayout);
    const TileData &tiles = *set->tileStore;
    if (!present(tilePath))
        problems.missing(DataFileNames::TileDataMul);
    else if (!tiles.errorString().isEmpty())
        problems.damaged(tiles.errorString());
    else if (tiles.fileBytes().size() < tiles.layout().landSectionSize())
        problems.damaged(QStringLiteral("%1 is damaged: it is %2 bytes long, shorter than its land section "
                                        "(%3 bytes in the %4 layout). It is read as %4 tile data because %5.")
                             .arg(QDir::toNativeSeparators(tilePath))
                             .arg(tiles.fileBytes().size())
                             .arg(tiles.layout().landSectionSize())
                             .arg(tiles.layoutName(), tiles.layoutReason()));

    const QString animPath = set->filePath(DataFileNames::AnimDataMul);
    set->animStore = std::make_unique<AnimDataFile>(set->editStore);
    if (!present(animPath))
        problems.missing(DataFileNames::AnimDataMul);
    else if (!set->animStore->setFileName(animPath))
        problems.damaged(set->animStore->errorString());

    if (problems.any()) {
        *error = problems.describe(directory);
        return nullptr;
    }
    set->artStore = std::make_unique<ArtWork>(std::move(art.container), set->editStore);
    return set;
}

PendingEditStore::Acceptance DataSet::fits() const
{
    return [this](TileKind kind, int id, PendingEditStore::Part part, const PendingEdit &edit) {
        switch (part) {
        case PendingEditStore::Part::Image:
            return artStore->accepts(kind, id, edit);
        case PendingEditStore::Part::TileData:
            return tileStore->accepts(kind, id, edit);
        case PendingEditStore::Part::Animation:
            return animStore->accepts(kind, id, edit);
        }
        return false;
    };
}

void DataSet::takeEditsFrom(DataSet &previous, QStringList *dropped)
{
    std::vector<std::unique_ptr<PendingEditDirectory>> directories;
    directories.push_back(previous.editStore->take());
    editStore->adopt(std::move(directories), fits(), dropped);
}

QList<PendingEditDirectory::Orphan> DataSet::orphanedEdits(const QString &pendingParent) const
{
    const FileIdentity mine = FileIdentity::of(dir);
    const QString program = QCoreApplication::applicationName();
    QList<PendingEditDirectory::Orphan> found;
    for (const PendingEditDirectory::Orphan &orphan : PendingEditDirectory::orphans(pendingParent)) {
        // Another program's edits (the command line's) are not this user's work to recover.
        const bool ours = orphan.description.program.isEmpty() || orphan.description.program == program;
        if (ours && FileIdentity::of(orphan.description.dataDirectory) == mine)
            found.append(orphan);
    }
    return found;
}

QList<PendingEditDirectory::Orphan> DataSet::orphanedEditsOf(
    const QString &program, const QString &pendingParent)
{
    QList<PendingEditDirectory::Orphan> found;
    for (const PendingEditDirectory::Orphan &orphan : PendingEditDirectory::orphans(pendingParent)) {
        if (orphan.description.program == program)
            found.append(orphan);
    }
    return found;
}

bool DataSet::recover(
    const QList<PendingEditDirectory::Orphan> &orphans, QStringList *dropped, QString *error)
{
    // The newest session that holds edits is the one the user last worked in; a run of
    // an earlier version kept images and tile data in a directory each, so the newest of
    // each kind of directory is taken.
    QHash<QString, QString> newest;
    for (const PendingEditDirectory::Orphan &orphan : orphans) {
        if (orphan.editCount == 0)
            continue;
        QString &chosen = newest[orphan.description.store];
        if (chosen.isEmpty() || QFileInfo(orphan.path).lastModified() > QFileInfo(chosen).lastModified())
            chosen = orphan.path;
    }
    QStringList chosen = newest.values();
    std::sort(chosen.begin(), chosen.end(), [](const QString &a, const QString &b) {
        return QFileInfo(a).lastModified() > QFileInfo(b).lastModified();
    });
    QList<PendingEditDirectory::Orphan> rest;
    for (const PendingEditDirectory::Orphan &orphan : orphans) {
        if (!chosen.contains(orphan.path))
            rest.append(orphan);
    }
    discard(rest);
    std::vector<std::unique_ptr<PendingEditDirectory>> directories;
    for (const QString &path : chosen) {
        directories.push_back(PendingEditDirectory::adopt(path, error));
        if (!directories.back())
            return false;
    }
    editStore->adopt(std::move(directories), fits(), dropped);
    return true;
}

void DataSet::discard(const QList<PendingEditDirectory::Orphan> &orphans)
{
    for (const PendingEditDirectory::Orphan &orphan : orphans)
        PendingEditDirectory::removeOrphan(orphan.path);
}

QString DataSet::changedFile() const
{
    const QString art = artStore->container().changedFile();
    if (!art.isEmpty())
        return art;
    if (tileStore->dataFile().hasChanged())
        return tileStore->fileName();
    return animStore->dataFile().hasChanged() ? animStore->fileName() : QString();
}
