#pragma once

#include "art/ArtWork.h"
#include "tiledata/AnimDataFile.h"
#include "tiledata/TileData.h"
#include "tools/sample/DataSetBuilder.h"

#include <QColor>
#include <QImage>
#include <QTemporaryDir>
#include <memory>

// A data set written by DataSetBuilder into a temporary directory, with the three
// stores opened on it; their pending edits, kept in one store as in a data set, go into
// a second temporary directory.
class TestDataSet
{
public:
    explicit TestDataSet(const DataSetBuilder &builder);

    bool isValid() const { return valid; }
    QString path() const { return dataDir.path(); }
    QString filePath(const QString &fileName) const { return dataDir.filePath(fileName); }
    QString pendingParent() const { return pendingDir.path(); }

    ArtWork &art() { return *artStore; }
    TileData &tiles() { return *tileStore; }
    PendingEditStore &pendingEdits() { return *editStore; }
    AnimDataFile &anims() { return *animStore; }

    // An opaque image of one colour, in the format the codec decodes to.
    static QImage solid(int width, int height, const QColor &color);
    // A terrain tile of one colour (the codec keeps only its diamond).
    static QImage terrain(const QColor &color);

private:
    QTemporaryDir dataDir;
    QTemporaryDir pendingDir;
    bool valid = false;
    std::shared_ptr<PendingEditStore> editStore;
    std::unique_ptr<ArtWork> artStore;
    std::unique_ptr<TileData> tileStore;
    std::unique_ptr<AnimDataFile> animStore;
};
