#pragma once

#include "io/FileIdentity.h"
#include "io/TileKind.h"

#include <QString>
#include <QVector>
#include <functional>

class ArtWork;

// Writes the images of many tiles as PNG files into one folder, named by
// TileImageFileName::exportName. The images are encoded on every core while the calling
// thread decodes the next ones from the store and writes the encoded ones. Each file gets
// its name only once it is whole (written without a name where the system allows, else
// under a temporary one and renamed), so that a failure, a cancel or the program's end
// never leaves a file cut short under its name. The files are pushed to the disk together
// at the end: one sync for all instead of one per file, which would bind the export to
// the disk instead of the encoder. A power cut before that sync may lose files written
// since the last one (the system decides when it writes them), which an export run again
// makes good.
class ImageBatchExport
{
public:
    // Every few files, on the calling thread: how many of the ids have been gone through
    // and how many files written. Returning false cancels: the files written stay, and no
    // more are written.
    using Progress = std::function<bool(int done, int written)>;

    struct Outcome
    {
        int written = 0;
        // Ids gone through that have no image (nothing written for them).
        int withoutImage = 0;
        bool cancelled = false;
        // On failure, the file that could not be written (empty when the folder itself
        // failed) and why; the export stops at the first failure.
        QString failedPath;
        QString error;
        bool ok() const { return error.isEmpty(); }
    };

    ImageBatchExport(ArtWork &art, TileKind kind) : art(art), kind(kind) { }

    // Files that are never written over, under any name (the data set's own).
    void protect(const QVector<FileIdentity> &files) { protectedFiles = files; }
    void setProgress(Progress progress) { report = std::move(progress); }

    // Writes the image of each of ids (ids without an image are passed over) into
    // directory, which must exist.
    Outcome run(const QVector<int> &ids, const QString &directory);

private:
    // Why path may not be written, or nothing.
    QString refusal(const QString &path) const;

    ArtWork &art;
    TileKind kind;
    QVector<FileIdentity> protectedFiles;
    Progress report;
};
