#include "art/ImageBatchExport.h"

#include "art/ArtWork.h"
#include "art/PngEncoderPool.h"
#include "art/TileImageFileName.h"
#include "io/CheckedWrite.h"

#include <QDir>
#include <QFileInfo>

namespace {

// Reported after every so many files: often enough for a progress bar and a cancel,
// seldom enough to cost nothing.
constexpr int ReportEvery = 32;

} // namespace

QString ImageBatchExport::refusal(const QString &path) const
{
    const QFileInfo target(path);
    if (target.exists() && !target.isFile())
        return QStringLiteral("not a regular file: a folder, pipe or device is left as it is");
    if (!protectedFiles.isEmpty() && protectedFiles.contains(FileIdentity::of(path)))
        return QStringLiteral("a file of the data set; the originals are never overwritten");
    return QString();
}

ImageBatchExport::Outcome ImageBatchExport::run(const QVector<int> &ids, const QString &directory)
{
    Outcome outcome;
    const QDir folder(directory);
    // This thread decodes (the store is not shared between threads) and writes every file
    // (files made one at a time in one folder do not wait on each other's locks), while
    // the pool encodes on every core.
    PngEncoderPool encoders;
    QString refusedPath;
    QString refused;
    int next = 0;
    while (true) {
        for (; next < ids.size() && refused.isEmpty() && encoders.hasRoom(); ++next) {
            QImage image = art.image(kind, ids.at(next), false);
            if (image.isNull()) {
                ++outcome.withoutImage;
                continue;
            }
            const QString path = folder.filePath(TileImageFileName::exportName(kind, ids.at(next)));
            refused = refusal(path);
            // The images before a file that may not be written are written first, as one
            // by one they would be.
            if (!refused.isEmpty())
                refusedPath = path;
            else
                encoders.put(path, std::move(image));
        }
        PngEncoderPool::Encoded encoded;
        if (!encoders.take(&encoded))
            break;
        if (encoded.error.isEmpty())
            CheckedWrite::writeWholeFile(encoded.key, encoded.png, &encoded.error);
        if (!encoded.error.isEmpty()) {
            outcome.failedPath = encoded.key;
            outcome.error = encoded.error;
            break;
        }
        ++outcome.written;
        if (report && outcome.written % ReportEvery == 0
            && !report(next - encoders.pending(), outcome.written)) {
            outcome.cancelled = true;
            break;
        }
    }
    if (outcome.ok() && !refused.isEmpty()) {
        outcome.failedPath = refusedPath;
        outcome.error = refused;
    }
    if (outcome.ok() && !outcome.cancelled && report)
        report(int(ids.size()), outcome.written);
    // Whatever was written, also when cut short, reaches the disk.
    QString unsynced;
    if (!CheckedWrite::syncFileSystem(directory, &unsynced) && outcome.ok())
        outcome.error = QStringLiteral("the files could not be flushed to the disk: %1").arg(unsynced);
    return outcome;
}
