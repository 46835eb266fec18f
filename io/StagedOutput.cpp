#include "io/StagedOutput.h"

#include "io/CheckedWrite.h"

#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>

namespace {

constexpr int NameAttempts = 100;

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

StagedOutput::StagedOutput(const QString &directory) : directory(directory), lock(directory) { }

StagedOutput::~StagedOutput()
{
    discard();
}

QString StagedOutput::targetPath(const QString &fileName) const
{
    return QDir(directory).filePath(fileName);
}

bool StagedOutput::begin(QString *note, QString *error)
{
    if (!lock.lock(0)) {
        *error = lock.errorString();
        return false;
    }
    locked = true;
    QString message;
    if (CommitJournal::resolve(directory, &message) == CommitJournal::Outcome::Failed) {
        *error = message;
        return false;
    }
    *note = message;
    removeLeftovers();
    return true;
}

void StagedOutput::removeLeftovers() const
{
    // Only names this class makes: a dot, the file name, a random number, ".part".
    static const QRegularExpression staging(QStringLiteral("^\\..+\\.[0-9a-f]+\\.part$"));
    const QDir dir(directory);
    for (const QString &name : dir.entryList(QDir::Files | QDir::Hidden | QDir::System)) {
        if (staging.match(name).hasMatch())
            QFile::remove(dir.filePath(name));
    }
}

QString StagedOutput::stagingName(const QString &fileName) const
{
    const QString suffix = QString::number(QRandomGenerator::global()->generate(), 16);
    return QStringLiteral(".%1.%2.part").arg(fileName, suffix);
}

QString StagedOutput::reserveName(const QString &fileName, QString *error) const
{
    QString lastError;
    for (int attempt = 0; attempt < NameAttempts; ++attempt) {
        QFile file(QDir(directory).filePath(stagingName(fileName)));
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

QString StagedOutput::unusedName(const QString &fileName) const
{
    // The directory is locked and cleared of old staged files: a fresh random name is free.
    QString name;
    do
        name = stagingName(fileName);
    while (occupied(QDir(directory).filePath(name)));
    return name;
}

QFile *StagedOutput::create(const QString &fileName, QString *error)
{
    if (!locked) {
        *error = QStringLiteral("the output directory was not taken for the save");
        return nullptr;
    }
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

bool StagedOutput::planMoves(QVector<CommitJournal::Move> *moves, QString *failedFile, QString *error) const
{
    for (const Staged &entry : staged) {
        const QString target = targetPath(entry.fileName);
        if (isRealDirectory(target)) {
            *failedFile = entry.fileName;
            *error = QStringLiteral("a directory of that name is in the way");
            return false;
        }
        moves->append({QFileInfo(entry.file->fileName()).fileName(), entry.fileName,
            occupied(target) ? unusedName(entry.fileName) : QString()});
    }
    for (const QString &fileName : removals) {
        const QString target = targetPath(fileName);
        if (occupied(target) && !isRealDirectory(target))
            moves->append({QString(), fileName, unusedName(fileName)});
    }
    return true;
}

bool StagedOutput::commit(QString *failedFile, QString *error)
{
    for (const Staged &entry : staged) {
        QString reason;
        const bool synced = CheckedWrite::syncToDisk(*entry.file, &reason);
        entry.file->close();
        if (!synced || entry.file->error() != QFileDevice::NoError) {
            *failedFile = entry.fileName;
            *error = synced ? entry.file->errorString() : reason;
            discard();
            return false;
        }
    }
    QVector<CommitJournal::Move> moves;
    CommitJournal journal(directory);
    if (!planMoves(&moves, failedFile, error)) {
        discard();
        return false;
    }
    if (!journal.write(moves, error)) {
        *failedFile = CommitJournal::FileName;
        discard();
        return false;
    }
    if (!journal.rollForward(moves, renameHook, failedFile, error)) {
        // Should putting back fail too, the journal stays for the next save or reader.
        QString ignored;
        journal.rollBack(moves, &ignored);
        discard();
        return false;
    }
    QString ignored; // the files are in place: a journal left behind only repeats that
    journal.finish(moves, &ignored);
    staged.clear();
    return true;
}

void StagedOutput::discard()
{
    for (const Staged &entry : staged) {
        entry.file->close();
        QFile::remove(entry.file->fileName());
    }
    staged.clear();
}
