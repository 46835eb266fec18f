#include "io/StagedOutput.h"

#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>
#ifdef Q_OS_WIN
#include <io.h>
#else
#include <unistd.h>
#endif

namespace {

constexpr int NameAttempts = 100;

std::filesystem::path fsPath(const QString &path)
{
    return std::filesystem::path(QDir::toNativeSeparators(path).toStdU16String());
}

// Pushes the file's bytes to the disk, so that a crash after the rename cannot leave a
// data file that exists but is empty or half-written.
bool syncToDisk(QFile &file, QString *error)
{
    if (!file.flush()) {
        *error = file.errorString();
        return false;
    }
#ifdef Q_OS_WIN
    const bool synced = _commit(file.handle()) == 0;
#else
    const bool synced = ::fsync(file.handle()) == 0;
#endif
    if (!synced)
        *error = QString::fromLocal8Bit(std::strerror(errno));
    return synced;
}

// Renames over an existing file in one step (QFile::rename refuses to).
bool renameOver(const QString &from, const QString &to, QString *error)
{
    std::error_code code;
    std::filesystem::rename(fsPath(from), fsPath(to), code);
    if (code && error)
        *error = QString::fromStdString(code.message());
    return !code;
}

bool isRealDirectory(const QString &path)
{
    const QFileInfo info(path);
    return info.isDir() && !info.isSymLink();
}

bool occupied(const QString &path)
{
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}

} // namespace

StagedOutput::StagedOutput(const QString &directory) : directory(directory) { }

StagedOutput::~StagedOutput()
{
    discard();
}

QString StagedOutput::targetPath(const QString &fileName) const
{
    return QDir(directory).filePath(fileName);
}

QString StagedOutput::reserveName(const QString &fileName, QString *error) const
{
    QString lastError;
    for (int attempt = 0; attempt < NameAttempts; ++attempt) {
        const QString suffix = QString::number(QRandomGenerator::global()->generate(), 16);
        QFile file(QDir(directory).filePath(QStringLiteral(".%1.%2.part").arg(fileName, suffix)));
        if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            return file.fileName();
        lastError = file.errorString();
        if (!QFileInfo(directory).isDir())
            break;
    }
    if (error)
        *error = lastError;
    return QString();
}

QFile *StagedOutput::create(const QString &fileName, QString *error)
{
    const QString path = reserveName(fileName, error);
    if (path.isEmpty())
        return nullptr;
    Staged entry;
    entry.fileName = fileName;
    entry.file = std::make_unique<QFile>(path);
    // Unbuffered: the writer hands over large chunks, and a failing write then reports
    // the system's reason itself.
    if (!entry.file->open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered)) {
        if (error)
            *error = entry.file->errorString();
        QFile::remove(path);
        return nullptr;
    }
    staged.push_back(std::move(entry));
    return staged.back().file.get();
}

bool StagedOutput::commit(QString *failedFile, QString *error)
{
    for (const Staged &entry : staged) {
        QString reason;
        const bool synced = syncToDisk(*entry.file, &reason);
        entry.file->close();
        if (!synced || entry.file->error() != QFileDevice::NoError) {
            *failedFile = entry.fileName;
            *error = synced ? entry.file->errorString() : reason;
            discard();
            return false;
        }
    }
    for (Staged &entry : staged) {
        if (!place(entry, error)) {
            *failedFile = entry.fileName;
            rollBack();
            discard();
            return false;
        }
    }
    removeBackups();
    staged.clear();
    return true;
}

bool StagedOutput::place(Staged &entry, QString *error)
{
    if (renameHook) {
        const QString injected = renameHook(entry.fileName);
        if (!injected.isEmpty()) {
            *error = injected;
            return false;
        }
    }
    const QString target = targetPath(entry.fileName);
    if (isRealDirectory(target)) {
        *error = QStringLiteral("a directory of that name is in the way");
        return false;
    }
    if (occupied(target)) {
        const QString backup = reserveName(entry.fileName, error);
        if (backup.isEmpty() || !renameOver(target, backup, error)) {
            if (!backup.isEmpty())
                QFile::remove(backup);
            return false;
        }
        entry.backupPath = backup;
    }
    if (!renameOver(entry.file->fileName(), target, error)) {
        if (!entry.backupPath.isEmpty() && renameOver(entry.backupPath, target, nullptr))
            entry.backupPath.clear();
        return false;
    }
    entry.placed = true;
    return true;
}

void StagedOutput::rollBack()
{
    for (auto it = staged.rbegin(); it != staged.rend(); ++it) {
        const QString target = targetPath(it->fileName);
        if (it->placed && it->backupPath.isEmpty())
            QFile::remove(target);
        else if (!it->backupPath.isEmpty() && renameOver(it->backupPath, target, nullptr))
            it->backupPath.clear();
        it->placed = false;
    }
}

void StagedOutput::removeBackups()
{
    for (const Staged &entry : staged) {
        if (!entry.backupPath.isEmpty())
            QFile::remove(entry.backupPath);
    }
}

void StagedOutput::discard()
{
    for (const Staged &entry : staged) {
        entry.file->close();
        if (!entry.placed)
            QFile::remove(entry.file->fileName());
    }
    staged.clear();
}
