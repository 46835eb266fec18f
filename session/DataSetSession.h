#pragma once

#include "dataset/DataSet.h"
#include "io/FileIdentity.h"
#include "io/FileStamp.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>

class AnimDataFile;
class ArtWork;
class DataSetWatcher;
class TileData;
class TileEdits;

// One data set from opening to closing, and the history of its edits: the forms each
// directory is read in, the pending edits that runs which ended abnormally left behind,
// its files changed on disk by other programs, reading it again with its pending edits,
// and taking it apart in order. It asks the user nothing itself: whoever shows it
// answers recoveryQuestion and filesChanged.
class DataSetSession : public QObject
{
    Q_OBJECT

public:
    // Whether to take over the edits (how many) that crashed runs left for the data
    // set in directory; those declined are removed.
    using RecoveryQuestion = std::function<bool(int edits, const QString &directory)>;

    // options: the pending-edit parent of every data set; the art container and the
    // tile-data layout of one directory only (giveFormsTo). recoverEdits: whether
    // opening offers the edits of crashed runs (and clears them away when declined).
    DataSetSession(const DataSet::Options &options, bool recoverEdits, QObject *parent = nullptr);
    // Closes the data set.
    ~DataSetSession() override;

    // The data set in directory read as options say; null and *error, naming each file
    // that is missing or damaged, when it holds none. A save into it that was cut short
    // has been finished or undone (DataSet::interruptedSave says which).
    static std::unique_ptr<DataSet> read(
        const QString &directory, const DataSet::Options &options, QString *error);

    // The given forms belong to directory, and to no other (an empty one: to none).
    // Until then they go to every directory read, and the first one opened keeps them.
    void giveFormsTo(const QString &directory);
    // The data set in directory, in the given forms when they belong to it and as its
    // files tell otherwise; null and *error when it holds none.
    std::unique_ptr<DataSet> read(const QString &directory, QString *error) const;
    // The options that read uses for directory.
    DataSet::Options formsOf(const QString &directory) const;

    void setRecoveryQuestion(RecoveryQuestion question) { askToRecover = std::move(question); }

    // Closes the open data set and opens set, read from directory, in its place, after
    // offering the edits crashed runs left for it.
    void open(std::unique_ptr<DataSet> set, const QString &directory);
    // Opens set, read again from the open data set's directory, in its place with the
    // pending edits that still fit it; those that do not are named in *dropped.
    void reopen(std::unique_ptr<DataSet> set, QStringList *dropped);
    // Takes the data set apart: aboutToClose, then the history, and the stores last
    // (they remove their pending-edit files).
    void close();

    bool isOpen() const { return set != nullptr; }
    // As given to open; empty while none is open.
    QString directory() const { return openDirectory; }
    DataSet *dataSet() const { return set.get(); }
    // The stores of the data set; null while none is open.
    ArtWork *art() const;
    TileData *tiles() const;
    AnimDataFile *anims() const;
    TileEdits *edits() const { return history.get(); }

    // Emits filesChanged when a file of the data set has changed on disk into a state
    // not told yet, unless it is being told now.
    void checkFiles();
    // True while no file of the data set has changed on disk. Otherwise the change is
    // told again, and true only when the data set was read again meanwhile.
    bool readyToSave();

Q_SIGNALS:
    // A data set was opened, or read again: the stores and the history are there.
    void opened();
    // The data set is about to go: whatever reaches its stores or its history lets go.
    void aboutToClose();
    // file of the open data set changed on disk since it was read: the user decides
    // whether to read it again (reopen). Told once for each new state of the files.
    void filesChanged(const QString &file);
    // The edits of a crashed run the user wanted back could not be taken over; they
    // stay where they are, for the next time.
    void recoveryFailed(const QString &error);
    // Recovered edits of these tiles no longer fit the data set and were left out.
    void recoveryDropped(const QStringList &tiles);

private:
    void offerRecovery(DataSet &opening);
    void install(std::unique_ptr<DataSet> opening, const QString &directory);

    DataSet::Options options;
    bool recoverEdits;
    // The directory the given forms belong to; unset until one is named or opened.
    std::optional<FileIdentity> formsDirectory;
    RecoveryQuestion askToRecover;
    std::unique_ptr<DataSet> set;
    std::unique_ptr<TileEdits> history;
    QString openDirectory;
    DataSetWatcher *watcher = nullptr;
    // The changed file and its state last told.
    QString toldFile;
    FileStamp toldStamp;
    bool telling = false;
};
