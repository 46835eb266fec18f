#include "art/ImageBatchExport.h"

#include "art/ArtWork.h"
#include "art/TileImageFileName.h"
#include "io/CheckedWrite.h"

#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QFuture>
#include <QImageWriter>
#include <QThreadPool>
#include <QtConcurrent/QtConcurrentMap>

namespace {

// One tile's image on its way to its file.
struct Piece
{
    QImage image;
    QString path;
    QString error;
    bool written = false;
};

// Images decoded ahead of the encoders: enough for every core to stay busy, few enough
// that a cancel is heard at once and memory stays small.
int piecesPerRound()
{
    return qMax(1, QThreadPool::globalInstance()->maxThreadCount()) * 16;
}

bool fail(Piece &piece, const QString &why)
{
    piece.error = why;
    return false;
}

void encodeAndWrite(Piece &piece)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "png");
    if (!writer.write(piece.image)) {
        fail(piece, writer.errorString());
        return;
    }
    piece.image = QImage();
    piece.written = CheckedWrite::writeWholeFile(piece.path, bytes, &piece.error);
}

} // namespace

ImageBatchExport::Outcome ImageBatchExport::run(const QVector<int> &ids, const QString &directory)
{
    Outcome outcome;
    const QDir folder(directory);
    const int round = piecesPerRound();
    // The round on the encoders while the next one is decoded here.
    QVector<Piece> encoding;
    QFuture<void> encoded;
    bool encoderBusy = false;
    int encodingEnd = 0;
    int next = 0;
    Piece refused;
    while (true) {
        QVector<Piece> decoded;
        int withoutImage = 0;
        for (const int end = qMin(next + round, int(ids.size())); next < end && refused.error.isEmpty();
             ++next) {
            Piece piece;
            piece.image = art.image(kind, ids.at(next), false);
            if (piece.image.isNull()) {
                ++withoutImage;
                continue;
            }
            piece.path = folder.filePath(TileImageFileName::exportName(kind, ids.at(next)));
            const QFileInfo target(piece.path);
            if (target.exists() && !target.isFile())
                fail(
                    refused, QStringLiteral("not a regular file: a folder, pipe or device is left as it is"));
            else if (!protectedFiles.isEmpty() && protectedFiles.contains(FileIdentity::of(piece.path)))
                fail(refused, QStringLiteral("a file of the data set; the originals are never overwritten"));
            if (!refused.error.isEmpty())
                refused.path = piece.path;
            else
                decoded.append(std::move(piece));
        }
        if (encoderBusy) {
            encoded.waitForFinished();
            for (const Piece &piece : std::as_const(encoding)) {
                if (piece.written) {
                    ++outcome.written;
                } else if (outcome.ok()) {
                    outcome.failedPath = piece.path;
                    outcome.error = piece.error;
                }
            }
            encoding.clear();
            encoderBusy = false;
            if (outcome.ok() && report && !report(encodingEnd, outcome.written))
                outcome.cancelled = true;
        }
        if (!outcome.ok() || outcome.cancelled)
            break;
        outcome.withoutImage += withoutImage;
        // The images before a file that may not be written are written first, as one
        // by one they would be.
        if (decoded.isEmpty() && !refused.error.isEmpty()) {
            outcome.failedPath = refused.path;
            outcome.error = refused.error;
            break;
        }
        if (decoded.isEmpty() && next >= ids.size())
            break;
        encoding = std::move(decoded);
        encodingEnd = next;
        encoderBusy = true;
        encoded = QtConcurrent::map(encoding, encodeAndWrite);
    }
    // Whatever was written, also when cut short, reaches the disk.
    QString unsynced;
    if (!CheckedWrite::syncFileSystem(directory, &unsynced) && outcome.ok())
        outcome.error = QStringLiteral("the files could not be flushed to the disk: %1").arg(unsynced);
    return outcome;
}
