#pragma once

#include "art/ArtContainer.h"
#include "saving/SaveRun.h"
#include "tiledata/TileDataLayout.h"

#include <QByteArrayView>
#include <QHash>
#include <QPair>
#include <QString>
#include <QStringList>
#include <QVector>
#include <array>
#include <functional>
#include <optional>

class AnimDataFile;
class AnimDataMergePlan;
class ArtFileWriter;
class ArtMergePlan;
class ArtWork;
class TileData;
class TileDataMergePlan;

// Writes the data set with the stores' pending edits merged in as a new, complete data
// set in another directory: the art with its edits, in the container it was read from
// (art.mul and artidx.mul, or artLegacyMUL.uop) unless another is asked for,
// tiledata.mul with the tile data edits, animdata.mul with the animation edits. The
// inputs are only read, and the stores' pending edits are left as they are whatever
// happens. Every file is written under a temporary name and renamed into place only once
// all are complete, so a failed or cancelled save leaves the output directory as it was;
// the other art container's files there are removed in the same step, so that one art
// is left.
class DataSetSaver
{
public:
    using Status = SaveRun::Status;
    using Step = SaveRun::Step;
    using ProgressHandler = SaveRun::ProgressHandler;
    using FaultHook = SaveRun::FaultHook;

    DataSetSaver(const ArtWork &art, const TileData &tileData, const AnimDataFile &animData);

    void setProgressHandler(ProgressHandler handler) { progress = std::move(handler); }
    void setFaultHook(FaultHook hook) { faultHook = std::move(hook); }
    // Writes tiledata.mul in this layout rather than the one it was read in; a save
    // that would drop an upper flag fails, naming the tile.
    void setTileDataLayout(TileDataLayout layout) { tileDataLayout = layout; }
    // Writes the art in this container rather than in the one it was read from.
    void setArtFormat(ArtContainer::Format format) { artFormat = format; }
    ArtContainer::Format outputArtFormat() const;

    Status save(const QString &outputDirectory);

    // After a failed save: what failed, for the user, and the path of the file concerned
    // (empty when the failure is not about one file).
    QString errorString() const { return error; }
    QString failedFile() const { return failedPath; }
    // After a save: slots whose record could not be read (an entry outside the art
    // file, a damaged container entry); they were written as empty slots.
    const QVector<int> &emptiedSlots() const { return emptied; }
    // After a save: slots whose record was bounded otherwise than their entry states,
    // and how (the entry's length running past the record, a record that cannot be
    // drawn kept as stated, ...).
    const QVector<int> &fittedSlots(ArtContainer::Fit fit) const { return fitted[int(fit)]; }
    // After a save: slots whose checksum did not match; they were copied as read.
    const QVector<int> &mismatchedSlots() const { return mismatched; }
    // Describes all of these for the user, what the save could not carry into the new
    // container or layout, and an interrupted earlier save into the directory that this
    // one finished or undid first; empty when there is nothing to say.
    QString notice() const;

    // True when directory is, by identity, where one of the data files lies.
    bool isDataDirectory(const QString &directory) const;
    // The first file a save into directory would replace or remove that is, by identity
    // (a symbolic or hard link), one of the files the save reads, and *input that file;
    // empty when there is none.
    QString replacedInput(const QString &directory, QString *input) const;
    // The files the save reads.
    QStringList inputFiles() const;

private:
    Status fail(const QString &message, const QString &path = QString());
    // The first input that changed on disk since it was opened; empty when none did.
    QString changedInput() const;
    bool checkInputsUnchanged();
    bool writeArt(SaveRun &run, const ArtMergePlan &plan, ArtFileWriter &writer);
    // A record copied from the container: the writer's handle (-1: none was written).
    struct Copied
    {
        int handle = -1;
        ArtContainer::Fit fit = ArtContainer::Fit::AsStated;
        bool checksumMismatch = false;
    };
    // The records copied so far: by the entry that named them, and by where they lie and
    // how long they really are (entries stating other lengths for one record share it).
    struct CopiedRecords
    {
        QHash<QPair<qint32, qint32>, Copied> byEntry;
        QHash<QPair<qint32, qint32>, int> byExtent;
    };
    void clearNotes();
    bool writeContainerRecord(
        SaveRun &run, int slot, const ArtIndexEntry &original, ArtFileWriter &writer, CopiedRecords &written);
    bool writeTileData(SaveRun &run, const TileDataMergePlan &plan) const;
    bool writeAnimData(SaveRun &run, const AnimDataMergePlan &plan) const;

    const ArtWork &art;
    const TileData &tileData;
    const AnimDataFile &animData;
    ProgressHandler progress;
    FaultHook faultHook;
    std::optional<TileDataLayout> tileDataLayout;
    std::optional<ArtContainer::Format> artFormat;
    QString error;
    QString failedPath;
    bool saved = false;
    QVector<int> emptied;
    std::array<QVector<int>, int(ArtContainer::Fit::UndrawnCut) + 1> fitted;
    QVector<int> mismatched;
    QStringList lost;
    QString recovered;
};
