#pragma once

#include "dataset/ArtContainerChoice.h"

#include <QString>
#include <memory>

class AnimDataFile;
class ArtWork;
class TileData;

// The data files of one directory, opened together: the art, tiledata.mul and
// animdata.mul. Opening checks that the directory holds a whole data set and names
// every file that is missing or damaged when it does not.
class DataSet
{
public:
    static const QString TileDataFileName;
    static const QString AnimDataFileName;

    struct Options
    {
        // Where the stores make their private pending-edit directories (empty: the
        // system temporary directory).
        QString pendingParent;
        // Which art container is read.
        ArtContainerChoice::Choice art = ArtContainerChoice::Choice::Automatic;
    };

    ~DataSet();
    DataSet(const DataSet &) = delete;
    DataSet &operator=(const DataSet &) = delete;

    // Null, and *error naming each file that is missing or damaged, when directory does
    // not hold a data set.
    static std::unique_ptr<DataSet> open(const QString &directory, const Options &options, QString *error);

    QString directory() const { return dir; }
    QString filePath(const QString &fileName) const;

    ArtWork &art() { return *artStore; }
    const ArtWork &art() const { return *artStore; }
    TileData &tiles() { return *tileStore; }
    const TileData &tiles() const { return *tileStore; }
    AnimDataFile &anims() { return *animStore; }
    const AnimDataFile &anims() const { return *animStore; }

    // The first data file written, cut or replaced on disk since it was opened; empty
    // while none was.
    QString changedFile() const;

private:
    explicit DataSet(const QString &directory);

    QString dir;
    std::unique_ptr<TileData> tileStore;
    std::unique_ptr<AnimDataFile> animStore;
    std::unique_ptr<ArtWork> artStore;
};
