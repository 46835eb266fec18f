#include "session/DataSetSession.h"

#include "art/ArtContainer.h"
#include "art/ArtWork.h"
#include "edits/TileEdits.h"
#include "session/DataSetWatcher.h"
#include "tiledata/AnimDataFile.h"
#include "tiledata/TileData.h"

#include <QScopedValueRollback>

DataSetSession::DataSetSession(const DataSet::Options &options, bool recoverEdits, QObject *parent)
    : QObject(parent), options(options), recoverEdits(recoverEdits)
{ }

DataSetSession::~DataSetSession()
{
    close();
}

std::unique_ptr<DataSet> DataSetSession::read(
    const QString &directory, const DataSet::Options &options, QString *error)
{
    return DataSet::open(directory, options, error);
}

void DataSetSession::giveFormsTo(const QString &directory)
{
    formsDirectory = directory.isEmpty() ? FileIdentity() : FileIdentity::of(directory);
}

std::unique_ptr<DataSet> DataSetSession::read(const QString &directory, QString *error) const
{
    return read(directory, formsOf(directory), error);
}

DataSet::Options DataSetSession::formsOf(const QString &directory) const
{
    DataSet::Options forms = options;
    if (formsDirectory && FileIdentity::of(directory) != *formsDirectory) {
        forms.art = ArtContainerChoice::Choice::Automatic;
        forms.tileDataLayout.reset();
    }
    return forms;
}

void DataSetSession::open(std::unique_ptr<DataSet> opening, const QString &directory)
{
    if (!formsDirectory)
        formsDirectory = FileIdentity::of(directory);
    offerRecovery(*opening);
    install(std::move(opening), directory);
}

void DataSetSession::offerRecovery(DataSet &opening)
{
    if (!recoverEdits)
        return;
    // Only this data set's: those of others are offered when their own is opened.
    const QList<PendingEditDirectory::Orphan> orphans = opening.orphanedEdits(options.pendingParent);
    int edits = 0;
    for (const PendingEditDirectory::Orphan &orphan : orphans)
        edits += orphan.editCount;
    if (edits > 0 && askToRecover && askToRecover(edits, opening.directory())) {
        QStringList dropped;
        QString error;
        if (!opening.recover(orphans, &dropped, &error))
            Q_EMIT recoveryFailed(error);
        else if (!dropped.isEmpty())
            Q_EMIT recoveryDropped(dropped);
        return;
    }
    DataSet::discard(orphans);
}

void DataSetSession::reopen(std::unique_ptr<DataSet> opening, QStringList *dropped)
{
    if (set)
        opening->takeEditsFrom(*set, dropped);
    install(std::move(opening), openDirectory);
}

void DataSetSession::install(std::unique_ptr<DataSet> opening, const QString &directory)
{
    // A copy: directory may be this session's own, which closing clears.
    const QString path = directory;
    close();
    set = std::move(opening);
    openDirectory = path;
    toldFile.clear();
    watcher = new DataSetWatcher(
        set->art().container().fileNames() + QStringList{set->tiles().fileName(), set->anims().fileName()},
        this);
    connect(watcher, &DataSetWatcher::changed, this, &DataSetSession::checkFiles);
    history = std::make_unique<TileEdits>(set->art(), set->tiles(), &set->anims());
    Q_EMIT opened();
}

void DataSetSession::close()
{
    if (!set)
        return;
    Q_EMIT aboutToClose();
    // The watcher may be the one telling of the change that led here: it goes once its
    // signal has returned, and tells nothing more.
    watcher->disconnect(this);
    watcher->deleteLater();
    watcher = nullptr;
    history.reset();
    set.reset();
    openDirectory.clear();
}

ArtWork *DataSetSession::art() const
{
    return set ? &set->art() : nullptr;
}

TileData *DataSetSession::tiles() const
{
    return set ? &set->tiles() : nullptr;
}

AnimDataFile *DataSetSession::anims() const
{
    return set ? &set->anims() : nullptr;
}

void DataSetSession::checkFiles()
{
    if (!set || telling)
        return;
    const QString changed = set->changedFile();
    const FileStamp now = FileStamp::of(changed);
    if (changed.isEmpty() || (changed == toldFile && now == toldStamp))
        return;
    toldFile = changed;
    toldStamp = now;
    QScopedValueRollback<bool> busy(telling, true);
    Q_EMIT filesChanged(changed);
}

bool DataSetSession::readyToSave()
{
    if (!set)
        return false;
    // A file changed on disk refuses the save: the change is told again instead.
    if (set->changedFile().isEmpty())
        return true;
    toldFile.clear();
    checkFiles();
    return set && set->changedFile().isEmpty();
}
