#pragma once

#include "io/CommitJournal.h"
#include "io/DirectoryLock.h"

#include <QFile>
#include <QString>
#include <QStringList>
#include <QVector>
#include <functional>
#include <memory>
#include <vector>

// A set of files written under temporary names in one directory and put in place
// together: either every target is replaced or, on failure, every target that was
// already replaced gets its previous file back. The directory is locked against other
// saves from begin() until this object goes, and the commit keeps a journal there, so
// that one cut short by a crash is finished or undone by the next save or reader. Staged
// files that were never committed are removed when this object goes.
class StagedOutput
{
public:
    // Called before a staged file is renamed over its target; a non-empty result
    // makes that rename fail with this text (a test seam for faults that real
    // directories rarely produce on demand).
    using RenameHook = std::function<QString(const QString &fileName)>;

    explicit StagedOutput(const QString &directory);
    ~StagedOutput();
    StagedOutput(const StagedOutput &) = delete;
    StagedOutput &operator=(const StagedOutput &) = delete;

    // Takes the directory: false, and *error, when another save is under way there. A
    // commit an earlier run left unfinished is finished or undone first (*note says
    // which), and the staged files of runs that were killed are removed.
    bool begin(QString *note, QString *error);

    // After begin(): a new, empty file open for writing that will become fileName in the
    // directory; nullptr (and *error set) when it cannot be created.
    QFile *create(const QString &fileName, QString *error);
    // The commit also removes fileName from the directory (and puts it back if it fails).
    void removeOnCommit(const QString &fileName) { removals.append(fileName); }

    // Closes and renames every staged file over its target. On failure the directory
    // is left as it was before, *failedFile names the target and *error says why.
    bool commit(QString *failedFile, QString *error);
    // Removes every staged file; the targets are not touched.
    void discard();

    void setRenameHook(RenameHook hook) { renameHook = std::move(hook); }
    QString targetPath(const QString &fileName) const;

private:
    struct Staged
    {
        QString fileName;
        std::unique_ptr<QFile> file;
    };

    QString stagingName(const QString &fileName) const;
    QString reserveName(const QString &fileName, QString *error) const;
    QString unusedName(const QString &fileName) const;
    bool planMoves(QVector<CommitJournal::Move> *moves, QString *failedFile, QString *error) const;
    void removeLeftovers() const;

    QString directory;
    DirectoryLock lock;
    bool locked = false;
    std::vector<Staged> staged;
    QStringList removals;
    RenameHook renameHook;
};
