#pragma once

#include "dataset/ArtContainerChoice.h"
#include "io/PendingEditStore.h"
#include "tiledata/TileDataLayout.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

class AnimDataFile;
class ArtWork;
class TileData;

// The data files of one directory, opened together: the art, tiledata.mul and
// animdata.mul. Opening checks that the directory holds a whole data set and names
// every file that is missing or damaged when it does not.
class DataSet
{
public:
    struct Options
    {
        // Where the stores make their private pending-edit directories (empty: the
        // system temporary directory).
        QString pendingParent;
        // Read tiledata.mul in this layout rather than the one its size tells (for a
        // cut or damaged file).
        std::optional<TileDataLayout> tileDataLayout;
        // Which art container is read.
        ArtContainerChoice::Choice art = ArtContainerChoice::Choice::Automatic;
    };

    ~DataSet();
    DataSet(const DataSet &) = delete;
    DataSet &operator=(const DataSet &) = delete;

    // Null, and *error naming each file that is missing or damaged, when directory does
    // not hold a data set.
    static std::unique_ptr<DataSet> open(const QString &directory, const Options &options, QString *error);

    // The data files, of either art container, that directory holds: what a save or the
    // generator would replace there.
    static QStringList filesIn(const QString &directory);

    QString directory() const { return dir; }
    QString filePath(const QString &fileName) const;

    ArtWork &art() { return *artStore; }
    const ArtWork &art() const { return *artStore; }
    TileData &tiles() { return *tileStore; }
    const TileData &tiles() const { return *tileStore; }
    // Every edit of the data set until it is saved.
    PendingEditStore &pendingEdits() const { return *editStore; }
    AnimDataFile &anims() { return *animStore; }
    const AnimDataFile &anims() const { return *animStore; }

    // A save into the directory that was interrupted while putting its files in place,
    // which opening finished or undid: what was done, for the user; empty when none.
    QString interruptedSave() const { return saveNote; }

    // The first data file written, cut or replaced on disk since it was opened; empty
    // while none was.
    QString changedFile() const;

    // Takes over the pending edits of the data set this one replaces (the same directory
    // opened again); edits that no longer fit are dropped and described in *dropped.
    void takeEditsFrom(DataSet &previous, QStringList *dropped = nullptr);

    // The pending-edit directories that runs of this application which ended abnormally
    // left in pendingParent (no live process holds them) for this data set's directory,
    // and how many edits each holds. Those of other data sets are never among them.
    QList<PendingEditDirectory::Orphan> orphanedEdits(const QString &pendingParent) const;
    // Those that ended runs of program left in pendingParent, whatever their data set:
    // for a program whose edits are never recovered.
    static QList<PendingEditDirectory::Orphan> orphanedEditsOf(
        const QString &program, const QString &pendingParent);
    // Serves the newest of those edits as this data set's pending edits and
    // removes the rest; false (and *error) when they cannot be taken over.
    bool recover(const QList<PendingEditDirectory::Orphan> &orphans, QStringList *dropped, QString *error);
    // Removes those directories (as orphanedEdits or orphanedEditsOf found them) with
    // their edits; one a live process took over meanwhile stays.
    static void discard(const QList<PendingEditDirectory::Orphan> &orphans);

private:
    explicit DataSet(const QString &directory);
    PendingEditStore::Acceptance fits() const;

    QString dir;
    QString saveNote;
    // Shared by the art, the tile data and the animation entries, which serve its edits;
    // it outlives them.
    std::shared_ptr<PendingEditStore> editStore;
    std::unique_ptr<TileData> tileStore;
    std::unique_ptr<AnimDataFile> animStore;
    std::unique_ptr<ArtWork> artStore;
};
