#pragma once

#include "tiledata/TileDataLayout.h"

#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <QVector>
#include <functional>
#include <optional>

class AnimDataFile;
class ArtMergePlan;
class ArtWork;
class TileData;
class TileDataMergePlan;

// Writes the data set with the stores' pending edits merged in as a new, complete data
// set in another directory: art.mul and artidx.mul with the art edits, tiledata.mul
// with the tile data edits, animdata.mul as it is. The inputs are only read, and the
// stores' pending edits are left as they are whatever happens. Every file is written
// under a temporary name and renamed into place only once all four are complete, so a
// failed or cancelled save leaves the output directory as it was.
class DataSetSaver
{
public:
    enum class Status { Saved, Cancelled, Failed };
    enum class Step { Write, Rename };

    // Called as the files are written; returning false cancels the save.
    using ProgressHandler = std::function<bool(qint64 done, qint64 total)>;
    // A test seam: called before each write to a staged file and before each rename into
    // place; a non-empty result makes that step fail with this text.
    using FaultHook = std::function<QString(Step step, const QString &fileName)>;

    static const QString ArtFileName;
    static const QString IndexFileName;
    static const QString TileDataFileName;
    static const QString AnimDataFileName;

    DataSetSaver(const ArtWork &art, const TileData &tileData, const AnimDataFile &animData);

    void setProgressHandler(ProgressHandler handler) { progress = std::move(handler); }
    void setFaultHook(FaultHook hook) { faultHook = std::move(hook); }
    // Writes tiledata.mul in this layout rather than the one it was read in; a save
    // that would drop an upper flag fails, naming the tile.
    void setTileDataLayout(TileDataLayout layout) { tileDataLayout = layout; }

    Status save(const QString &outputDirectory);

    // After a failed save: what failed, for the user, and the path of the file concerned
    // (empty when the failure is not about one file).
    QString errorString() const { return error; }
    QString failedFile() const { return failedPath; }
    // After a save: slots whose record could not be read (an entry outside the art
    // file, a damaged record); they were written as empty slots.
    const QVector<int> &emptiedSlots() const { return emptied; }
    // After a save: slots whose index length did not match their record; the whole
    // record was written with its right length.
    const QVector<int> &repairedSlots() const { return repaired; }
    // Describes both for the user; empty when there are none.
    QString notice() const;

    // True when directory is, by identity, where one of the data files lies.
    bool isDataDirectory(const QString &directory) const;
    // The files the save reads.
    QStringList inputFiles() const;

private:
    class Run;

    Status fail(const QString &message, const QString &path = QString());
    // The first input that changed on disk since it was opened; empty when none did.
    QString changedInput() const;
    bool checkInputsUnchanged();
    bool writeArt(Run &run, const ArtMergePlan &plan);
    bool writeTileData(Run &run, const TileDataMergePlan &plan) const;

    const ArtWork &art;
    const TileData &tileData;
    const AnimDataFile &animData;
    ProgressHandler progress;
    FaultHook faultHook;
    std::optional<TileDataLayout> tileDataLayout;
    QString error;
    QString failedPath;
    QVector<int> emptied;
    QVector<int> repaired;
};
