#include "io/PendingEditDirectory.h"

#include "io/CheckedWrite.h"
#include "io/CommitJournal.h"
#include "io/PendingEditPack.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSaveFile>
#include <QSettings>
#include <QTemporaryDir>
#include <algorithm>

const QString PendingEditDirectory::NamePrefix = QStringLiteral("tessera-");

namespace {

const QString LockName = QStringLiteral("session.lock");
const QString DescriptionName = QStringLiteral("session.ini");
// A directory still being made is younger than this.
constexpr qint64 AbandonedAfterSeconds = 60;

std::unique_ptr<QLockFile> lockIn(const QString &directory)
{
    auto lock = std::make_unique<QLockFile>(QDir(directory).filePath(LockName));
    // A lock is stale only when its process is gone, however long a run lasts.
    lock->setStaleLockTime(0);
    if (!lock->tryLock(0))
        return nullptr;
    return lock;
}

bool readDescription(const QString &directory, PendingEditDirectory::Description *description)
{
    const QString path = QDir(directory).filePath(DescriptionName);
    if (!QFile::exists(path))
        return false;
    const QSettings settings(path, QSettings::IniFormat);
    description->store = settings.value(QStringLiteral("store")).toString();
    description->dataDirectory = settings.value(QStringLiteral("dataDirectory")).toString();
    description->program = settings.value(QStringLiteral("program")).toString();
    return !description->store.isEmpty();
}

bool isOurs(const QString &name)
{
    return name == DescriptionName || name.startsWith(LockName) || name.startsWith(CommitJournal::FileName);
}

QStringList editFilesIn(const QString &directory)
{
    QStringList files;
    for (const QString &name : QDir(directory).entryList(QDir::Files | QDir::Hidden)) {
        if (!isOurs(name))
            files.append(name);
    }
    return files;
}

// A run killed while making its directory leaves one without a description; edits are
// written only after it, and a live run describes its directory at once, so such a
// directory that is not brand new holds nothing anyone can recover.
void removeIfAbandoned(const QString &directory)
{
    const qint64 age = QFileInfo(directory).lastModified().secsTo(QDateTime::currentDateTime());
    if (age >= AbandonedAfterSeconds && editFilesIn(directory).isEmpty())
        QDir(directory).removeRecursively();
}

} // namespace

PendingEditDirectory::PendingEditDirectory(const QString &parentDirectory, const Description &description)
    : parent(parentDirectory.isEmpty() ? QDir::tempPath() : parentDirectory), about(description)
{ }

bool PendingEditDirectory::create()
{
    if (isValid())
        return true;
    error.clear();
    // QTemporaryDir creates the directory with owner-only permissions and a unique name,
    // so no other user can plant files in it and two running copies never share one.
    QTemporaryDir created(QDir(parent).filePath(NamePrefix + QStringLiteral("XXXXXX")));
    if (!created.isValid()) {
        error = QStringLiteral("Cannot create a directory for pending edits in %1: %2")
                    .arg(QDir::toNativeSeparators(parent), created.errorString());
        return false;
    }
    created.setAutoRemove(false);
    if (about.program.isEmpty())
        about.program = QCoreApplication::applicationName();
    if (!lock(created.path()) || !writeDescription()) {
        lockFile.reset();
        QDir(created.path()).removeRecursively();
        dir.clear();
        return false;
    }
    return true;
}

PendingEditDirectory::~PendingEditDirectory()
{
    if (dir.isEmpty())
        return;
    lockFile.reset();
    // Oldest first: a run killed part way leaves the newest state of some edits, never an
    // edit a later pack had forgotten.
    QStringList packs;
    for (const QString &name : editFilesIn(dir)) {
        quint64 number = 0;
        if (PendingEditPack::parseFileName(name, &number))
            packs.append(name);
        else
            removeFile(filePath(name));
    }
    std::sort(packs.begin(), packs.end());
    for (const QString &name : std::as_const(packs))
        removeFile(filePath(name));
    QDir(dir).removeRecursively();
}

bool PendingEditDirectory::lock(const QString &directory)
{
    lockFile = lockIn(directory);
    if (!lockFile) {
        error = QStringLiteral("Cannot lock the pending-edit directory %1.")
                    .arg(QDir::toNativeSeparators(directory));
        return false;
    }
    dir = directory;
    return true;
}

bool PendingEditDirectory::writeDescription()
{
    QSettings settings(filePath(DescriptionName), QSettings::IniFormat);
    settings.setValue(QStringLiteral("store"), about.store);
    settings.setValue(QStringLiteral("dataDirectory"), about.dataDirectory);
    settings.setValue(QStringLiteral("program"), about.program);
    settings.sync();
    if (settings.status() == QSettings::NoError)
        return true;
    error
        = QStringLiteral("Cannot write to the pending-edit directory %1.").arg(QDir::toNativeSeparators(dir));
    return false;
}

std::unique_ptr<PendingEditDirectory> PendingEditDirectory::adopt(const QString &path, QString *errorOut)
{
    std::unique_ptr<PendingEditDirectory> adopted(new PendingEditDirectory);
    if (!readDescription(path, &adopted->about)) {
        *errorOut
            = QStringLiteral("%1 is not a directory of pending edits.").arg(QDir::toNativeSeparators(path));
        return nullptr;
    }
    if (!adopted->lock(path)) {
        *errorOut = QStringLiteral("Another running Tessera holds %1.").arg(QDir::toNativeSeparators(path));
        return nullptr;
    }
    // Its edit files are then all of the commit or all from before it.
    QString outcome;
    CommitJournal::resolve(path, &outcome);
    return adopted;
}

QList<PendingEditDirectory::Orphan> PendingEditDirectory::orphans(const QString &parentDirectory)
{
    const QString parent = parentDirectory.isEmpty() ? QDir::tempPath() : parentDirectory;
    QList<Orphan> found;
    const QStringList names
        = QDir(parent).entryList({NamePrefix + QLatin1Char('*')}, QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString &name : names) {
        Orphan orphan;
        orphan.path = QDir(parent).filePath(name);
        if (!readDescription(orphan.path, &orphan.description)) {
            removeIfAbandoned(orphan.path);
            continue;
        }
        // Taking its lock for a moment is how a directory shows that nobody holds it.
        const std::unique_ptr<QLockFile> lock = lockIn(orphan.path);
        if (!lock)
            continue;
        // Edits put in place together count whole.
        QString outcome;
        CommitJournal::resolve(orphan.path, &outcome);
        const QHash<QString, FoundEdit> edits = newestEdits(orphan.path);
        orphan.editCount = int(std::count_if(edits.cbegin(), edits.cend(),
            [](const FoundEdit &edit) { return edit.state != PendingEdit::State::None; }));
        found.append(orphan);
    }
    return found;
}

QHash<QString, PendingEditDirectory::FoundEdit> PendingEditDirectory::newestEdits(
    const QString &directory, QList<quint64> *numbers)
{
    QHash<QString, FoundEdit> found;
    QStringList packs;
    // Lone files first, in name order: a replacement after a deletion of the same edit,
    // both left by a run killed in between, is the one kept.
    for (const QString &name : editFilesIn(directory)) {
        quint64 number = 0;
        const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
        if (PendingEditPack::parseFileName(name, &number))
            packs.append(name);
        else if (name.endsWith(QLatin1String(".wfg")))
            found.insert(name.left(dot),
                {PendingEdit::State::Replaced, PendingRecord{QDir(directory).filePath(name), 0, -1}, 0});
        else if (name.endsWith(QLatin1String(".deleted")))
            found.insert(name.left(dot), {PendingEdit::State::Deleted, PendingRecord(), 0});
    }
    std::sort(packs.begin(), packs.end());
    for (const QString &name : std::as_const(packs)) {
        QList<PendingEditPack::Item> items;
        quint64 number = 0;
        PendingEditPack::parseFileName(name, &number);
        const QString path = QDir(directory).filePath(name);
        // A damaged pack is passed over whole.
        if (!PendingEditPack::read(path, &items))
            continue;
        if (numbers)
            numbers->append(number);
        for (const PendingEditPack::Item &item : std::as_const(items)) {
            const PendingRecord record = item.state == PendingEdit::State::Replaced
                ? PendingRecord{path, item.offset, item.size}
                : PendingRecord();
            found.insert(item.name, {item.state, record, number});
        }
    }
    return found;
}

bool PendingEditDirectory::removeOrphan(const QString &path)
{
    QString reason;
    std::unique_ptr<PendingEditDirectory> adopted = adopt(path, &reason);
    return adopted != nullptr; // its destructor removes it
}

bool PendingEditDirectory::isValid() const
{
    return !dir.isEmpty();
}

QString PendingEditDirectory::path() const
{
    return dir;
}

QString PendingEditDirectory::filePath(const QString &fileName) const
{
    // Never a path relative to the working directory.
    return isValid() ? QDir(dir).filePath(fileName) : QString();
}

QStringList PendingEditDirectory::editFiles() const
{
    return isValid() ? editFilesIn(dir) : QStringList();
}

void PendingEditDirectory::sortEditFiles(const std::function<bool(const QString &fileName)> &keep) const
{
    for (const QString &fileName : editFiles()) {
        if (!keep(fileName))
            removeFile(filePath(fileName));
    }
}

bool PendingEditDirectory::writeFile(const QString &fileName, const QByteArray &bytes, QString *errorOut)
{
    if (!create()) {
        if (errorOut)
            *errorOut = error;
        return false;
    }
    QSaveFile file(filePath(fileName));
    // Unbuffered, so that a full disk fails the write itself and its reason is the system's.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered) || !CheckedWrite::writeAll(file, bytes)
        || !file.commit()) {
        if (errorOut)
            *errorOut = QStringLiteral("Cannot write %1: %2").arg(file.fileName(), file.errorString());
        file.cancelWriting();
        return false;
    }
    // The file is whole and named: it counts from now on, whatever follows. Its name is
    // pushed to the disk too, so that an edit that was kept survives a power cut.
    CheckedWrite::syncDirectory(dir);
    return true;
}

void PendingEditDirectory::removeFile(const QString &path)
{
    if (!path.isEmpty())
        QFile::remove(path);
}
