#pragma once

#include "io/PendingEdit.h"
#include "io/PendingRecord.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

class QLockFile;

// The private, owner-only directory in which a store keeps the files of pending edits,
// created inside a parent directory (the system temporary directory when empty) when
// the first edit is written, and removed with everything in it when this object goes.
// A run that never edits leaves nothing behind, however it ends. A lock file inside
// tells other runs that a live process holds it; a small description names the store
// and the data directory, so that the edits of a run that crashed can be found and
// recovered.
class PendingEditDirectory
{
public:
    // What a directory says of itself.
    struct Description
    {
        QString store; // "art" or "tiledata"
        QString dataDirectory;
        // The application that made it (its application name); empty: the one running,
        // filled in when the directory is created.
        QString program;
    };
    // A directory that no live process holds.
    struct Orphan
    {
        QString path;
        Description description;
        int editCount = 0;
    };

    // An edit a directory holds, under the name its store gave it ("TS5").
    struct FoundEdit
    {
        // None: forgotten, by a pack newer than what held it.
        PendingEdit::State state = PendingEdit::State::None;
        PendingRecord record; // Replaced only
        // The pack it is in; 0 for a lone file (as earlier versions kept each edit).
        quint64 pack = 0;
    };

    static const QString NamePrefix;

    // Nothing is created on disk yet.
    PendingEditDirectory(const QString &parentDirectory, const Description &description);
    ~PendingEditDirectory();
    PendingEditDirectory(const PendingEditDirectory &) = delete;
    PendingEditDirectory &operator=(const PendingEditDirectory &) = delete;

    // Takes over a directory of an earlier run, finishing a commit of several edits that it
    // was killed in; null (and *error) when a live process holds it or it is not one of ours.
    static std::unique_ptr<PendingEditDirectory> adopt(const QString &path, QString *error);
    // The directories of ours in parentDirectory that no live process holds. Those that a
    // run killed while making them left without a description (and so without edits) are
    // removed on the way.
    static QList<Orphan> orphans(const QString &parentDirectory);
    // The newest word on every edit in directory: its lone files first, then its packs in
    // the order they were made, each outranking what came before. With numbers, the
    // packs read whole.
    static QHash<QString, FoundEdit> newestEdits(const QString &directory, QList<quint64> *numbers = nullptr);
    // Removes a directory of ours that no live process holds; false when one does.
    static bool removeOrphan(const QString &path);

    // Makes the directory if it is not there yet; false (and errorString()) when it
    // cannot be made. A later call tries again.
    bool create();
    // Whether the directory is there: created, or adopted.
    bool isValid() const;
    QString errorString() const { return error; }
    // Empty while the directory is not there.
    QString path() const;
    QString filePath(const QString &fileName) const;
    const Description &description() const { return about; }
    // The names of the edit files it holds (the lock and the description left out).
    QStringList editFiles() const;
    // Offers each edit file to keep; the files it does not keep are removed.
    void sortEditFiles(const std::function<bool(const QString &fileName)> &keep) const;

    // Writes the whole file or nothing (a failed write leaves an older file as it was);
    // makes the directory first if needed.
    bool writeFile(const QString &fileName, const QByteArray &bytes, QString *error);

private:
    static void removeFile(const QString &path);
    PendingEditDirectory() = default;
    bool lock(const QString &directory);
    bool writeDescription();

    QString parent;
    QString dir;
    Description about;
    std::unique_ptr<QLockFile> lockFile;
    QString error;
};
