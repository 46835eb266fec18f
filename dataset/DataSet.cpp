#include "dataset/DataSet.h"

#include "art/ArtWork.h"
#include "tiledata/AnimDataFile.h"
#include "tiledata/TileData.h"
#include "tiledata/TileDataFormat.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>

const QString DataSet::TileDataFileName = QStringLiteral("tiledata.mul");
const QString DataSet::AnimDataFileName = QStringLiteral("animdata.mul");

namespace {

QString native(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

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
        lines.append(QStringLiteral("%1 does not hold a usable data set.").arg(native(directory)));
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

std::unique_ptr<DataSet> DataSet::open(const QString &directory, const Options &options, QString *error)
{
    std::unique_ptr<DataSet> set(new DataSet(directory));
    Problems problems;
    if (!QFileInfo(directory).isDir()) {
        *error = QStringLiteral("%1 is not a directory.").arg(native(directory));
        return nullptr;
    }

    ArtContainerChoice::Opened art = ArtContainerChoice::open(directory, options.art);
    for (const QString &name : art.missing)
        problems.missing(name);
    if (!art.damage.isEmpty())
        problems.damaged(art.damage);

    const QString tilePath = set->filePath(TileDataFileName);
    set->tileStore = std::make_unique<TileData>(tilePath, options.pendingParent);
    if (!present(tilePath))
        problems.missing(TileDataFileName);
    else if (!set->tileStore->errorString().isEmpty())
        problems.damaged(set->tileStore->errorString());
    else if (set->tileStore->fileBytes().size() < TileDataFormat::LandSectionSize)
        problems.damaged(QStringLiteral("%1 is damaged: it is %2 bytes long, shorter than its land section "
                                        "(%3 bytes).")
                             .arg(native(tilePath))
                             .arg(set->tileStore->fileBytes().size())
                             .arg(TileDataFormat::LandSectionSize));

    const QString animPath = set->filePath(AnimDataFileName);
    set->animStore = std::make_unique<AnimDataFile>();
    if (!present(animPath))
        problems.missing(AnimDataFileName);
    else if (!set->animStore->setFileName(animPath))
        problems.damaged(set->animStore->errorString());

    if (problems.any()) {
        *error = problems.describe(directory);
        return nullptr;
    }
    set->artStore = std::make_unique<ArtWork>(std::move(art.container), options.pendingParent);
    return set;
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
