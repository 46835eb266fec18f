#include "io/CommitJournal.h"

#include "io/CheckedWrite.h"
#include "io/DirectoryLock.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <filesystem>
#include <system_error>
#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <unistd.h>
#endif

const QString CommitJournal::FileName = QStringLiteral(".tessera-commit");

namespace {

const QByteArray Header = QByteArrayLiteral("tessera commit 1");
// A commit under way renames a few files: long enough for that, short enough to wait.
constexpr int ReaderWaitMs = 5000;

std::filesystem::path fsPath(const QString &path)
{
    return std::filesystem::path(QDir::toNativeSeparators(path).toStdU16String());
}

bool renameOver(const QString &from, const QString &to, QString *error)
{
    std::error_code code;
    std::filesystem::rename(fsPath(from), fsPath(to), code);
    if (code)
        *error = QString::fromStdString(code.message());
    return !code;
}

bool removeFile(const QString &path, QString *error)
{
    std::error_code code;
    std::filesystem::remove(fsPath(path), code);
    if (code)
        *error = QString::fromStdString(code.message());
    return !code;
}

// A symbolic link that leads nowhere is there too.
bool occupied(const QString &path)
{
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}

// Makes the renames and removals in the directory durable, so that after a crash the
// journal and the files agree.
void syncDirectory(const QString &directory)
{
#ifdef Q_OS_UNIX
    const int fd = ::open(QFile::encodeName(directory).constData(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
#else
    Q_UNUSED(directory);
#endif
}

bool plainName(const QString &name)
{
    return !name.contains(QLatin1Char('/')) && !name.contains(QLatin1Char('\\')) && name != QLatin1String(".")
        && name != QLatin1String("..") && !name.contains(QLatin1Char('\t'));
}

} // namespace

CommitJournal::CommitJournal(const QString &directory) : directory(directory) { }

QString CommitJournal::path(const QString &fileName) const
{
    return QDir(directory).filePath(fileName);
}

bool CommitJournal::exists(const QString &directory)
{
    return occupied(QDir(directory).filePath(FileName));
}

bool CommitJournal::write(const QVector<Move> &moves, QString *error)
{
    QByteArray text = Header + '\n';
    for (const Move &move : moves)
        text += QStringList{move.staged, move.target, move.backup}.join(QLatin1Char('\t')).toUtf8() + '\n';
    // Written aside and renamed, so that a journal is whole or absent.
    QFile file(path(QStringLiteral("%1.%2.part")
                        .arg(FileName, QString::number(QRandomGenerator::global()->generate(), 16))));
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly) || !CheckedWrite::writeAll(file, text)) {
        *error = file.errorString();
        file.remove();
        return false;
    }
    if (!CheckedWrite::syncToDisk(file, error)) {
        file.remove();
        return false;
    }
    file.close();
    if (!renameOver(file.fileName(), path(FileName), error)) {
        file.remove();
        return false;
    }
    syncDirectory(directory);
    return true;
}

bool CommitJournal::read(QVector<Move> *moves) const
{
    QFile file(path(FileName));
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QList<QByteArray> lines = file.readAll().split('\n');
    if (lines.size() < 2 || lines.first() != Header || !lines.last().isEmpty())
        return false;
    for (qsizetype i = 1; i + 1 < lines.size(); ++i) {
        const QStringList fields = QString::fromUtf8(lines.at(i)).split(QLatin1Char('\t'));
        if (fields.size() != 3 || fields.at(1).isEmpty())
            return false;
        for (const QString &field : fields) {
            if (!plainName(field))
                return false;
        }
        moves->append({fields.at(0), fields.at(1), fields.at(2)});
    }
    return true;
}

bool CommitJournal::rollForward(
    const QVector<Move> &moves, const StepHook &hook, QString *failed, QString *error)
{
    for (const Move &move : moves) {
        *failed = move.target;
        const QString target = path(move.target);
        const bool removal = move.staged.isEmpty();
        if (hook && !removal) {
            const QString injected = hook(move.target);
            if (!injected.isEmpty()) {
                *error = injected;
                return false;
            }
        }
        if (!move.backup.isEmpty() && occupied(target) && !renameOver(target, path(move.backup), error))
            return false;
        if (!removal && !renameOver(path(move.staged), target, error))
            return false;
    }
    syncDirectory(directory);
    return true;
}

bool CommitJournal::rollBack(const QVector<Move> &moves, QString *error)
{
    bool restored = true;
    for (auto it = moves.crbegin(); it != moves.crend(); ++it) {
        const QString target = path(it->target);
        const QString backup = it->backup.isEmpty() ? QString() : path(it->backup);
        const bool placed = !it->staged.isEmpty() && !occupied(path(it->staged));
        if (!backup.isEmpty() && occupied(backup) && (placed || !occupied(target)))
            restored = renameOver(backup, target, error) && restored;
        else if (placed && backup.isEmpty() && occupied(target))
            restored = removeFile(target, error) && restored; // there was none before
        if (!it->staged.isEmpty() && occupied(path(it->staged)))
            removeFile(path(it->staged), error);
    }
    syncDirectory(directory);
    return restored && removeJournal(error);
}

bool CommitJournal::finish(const QVector<Move> &moves, QString *error)
{
    if (!removeJournal(error))
        return false;
    // Backups that outlive a crash here are staged names, which the next save removes.
    for (const Move &move : moves) {
        if (!move.backup.isEmpty())
            QFile::remove(path(move.backup));
    }
    return true;
}

bool CommitJournal::removeJournal(QString *error)
{
    if (occupied(path(FileName)) && !removeFile(path(FileName), error))
        return false;
    syncDirectory(directory);
    return true;
}

CommitJournal::Outcome CommitJournal::resolve(const QString &directory, QString *message)
{
    if (!exists(directory))
        return Outcome::None;
    CommitJournal journal(directory);
    QVector<Move> moves;
    QString error = QStringLiteral("its record %1 cannot be read").arg(FileName);
    if (!journal.read(&moves)) {
        *message = unresolved(directory, error);
        return Outcome::Failed;
    }
    // It can be completed when each file is either still staged or already in place.
    bool complete = true;
    QVector<Move> pending;
    for (const Move &move : moves) {
        const bool staged = occupied(journal.path(move.staged.isEmpty() ? move.target : move.staged));
        if (staged)
            pending.append(move);
        else if (!move.staged.isEmpty()
            && (!occupied(journal.path(move.target))
                || (!move.backup.isEmpty() && !occupied(journal.path(move.backup)))))
            complete = false;
    }
    QString failed;
    if (complete && journal.rollForward(pending, StepHook(), &failed, &error)
        && journal.finish(moves, &error)) {
        *message = QStringLiteral("%1; it has now been completed.").arg(interrupted(directory));
        return Outcome::Finished;
    }
    if (!complete && journal.rollBack(moves, &error)) {
        *message = QStringLiteral("%1, and some of its files are missing; the files that were there before "
                                  "it have been put back.")
                       .arg(interrupted(directory));
        return Outcome::Undone;
    }
    *message = unresolved(directory, error);
    return Outcome::Failed;
}

CommitJournal::Outcome CommitJournal::resolveForReading(const QString &directory, QString *message)
{
    if (!exists(directory))
        return Outcome::None;
    DirectoryLock lock(directory);
    if (lock.lock(ReaderWaitMs))
        return resolve(directory, message);
    *message = lock.heldElsewhere()
        ? QStringLiteral("A save into %1 is putting its files in place. Open it again when it has finished.")
              .arg(QDir::toNativeSeparators(directory))
        : unresolved(directory, lock.errorString());
    return Outcome::Failed;
}

QString CommitJournal::interrupted(const QString &directory)
{
    return QStringLiteral("A save into %1 was interrupted while its files were being put in place")
        .arg(QDir::toNativeSeparators(directory));
}

QString CommitJournal::unresolved(const QString &directory, const QString &reason)
{
    return QStringLiteral("%1, and it could not be completed or undone (%2). The files there may not belong "
                          "together: check them, then remove %3.")
        .arg(interrupted(directory), reason, FileName);
}
