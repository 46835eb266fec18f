#pragma once

#include <QString>
#include <QVector>
#include <functional>

// The record of a commit of staged files in one directory, written durably before the
// first file is put in place and removed once the last one is. A commit that was
// interrupted (the program killed, the machine stopped) is found by the journal it left
// and finished, or undone when its staged files are no longer all there, so that the
// directory never holds files of two saves without anyone being told.
class CommitJournal
{
public:
    static const QString FileName;

    // One file of the commit, by name in the directory. staged is put in place as target
    // and target's previous file kept as backup until the end; with no staged file the
    // target is removed (kept as backup). backup is empty when target did not exist.
    struct Move
    {
        QString staged;
        QString target;
        QString backup;
    };
    enum class Outcome { None, Finished, Undone, Failed };
    // Called before a staged file is put in place; a non-empty result fails that step.
    using StepHook = std::function<QString(const QString &target)>;

    explicit CommitJournal(const QString &directory);

    bool write(const QVector<Move> &moves, QString *error);
    // Performs the moves in order; false, *failed naming the target, on an error.
    bool rollForward(const QVector<Move> &moves, const StepHook &hook, QString *failed, QString *error);
    // Puts back what the moves replaced and removes their staged files.
    bool rollBack(const QVector<Move> &moves, QString *error);
    // The journal and the backups of a finished commit go.
    bool finish(const QVector<Move> &moves, QString *error);

    static bool exists(const QString &directory);
    // Finishes or undoes the commit the journal in directory records (the caller keeps
    // other saves out); *message says what was done, for the user.
    static Outcome resolve(const QString &directory, QString *message);
    // The same for a reader: takes the directory's lock first, waiting for a commit
    // under way, and resolves only when a journal is there.
    static Outcome resolveForReading(const QString &directory, QString *message);

private:
    QString path(const QString &fileName) const;
    bool read(QVector<Move> *moves) const;
    bool removeJournal(QString *error);
    static QString interrupted(const QString &directory);
    static QString unresolved(const QString &directory, const QString &reason);

    QString directory;
};
