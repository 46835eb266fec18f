#pragma once

#include <QFile>
#include <QString>
#include <functional>
#include <memory>
#include <vector>

// A set of files written under temporary names in one directory and put in place
// together: either every target is replaced or, on failure, every target that was
// already replaced gets its previous file back. Staged files that were never
// committed are removed when this object goes.
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

    // A new, empty file open for writing that will become fileName in the directory;
    // nullptr (and *error set) when it cannot be created.
    QFile *create(const QString &fileName, QString *error);

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
        QString backupPath; // the target's previous file while the commit runs
        bool placed = false;
    };

    QString reserveName(const QString &fileName, QString *error) const;
    bool place(Staged &staged, QString *error);
    void rollBack();
    void removeBackups();

    QString directory;
    std::vector<Staged> staged;
    RenameHook renameHook;
};
