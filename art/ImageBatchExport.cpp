#include "art/ImageBatchExport.h"

#include "art/ArtWork.h"
#include "art/TileImageFileName.h"
#include "io/CheckedWrite.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFuture>
#include <QImageWriter>
#include <QThreadPool>
#include <QtConcurrent/QtConcurrentMap>
#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace {

// One tile's image on its way to its file.
struct Piece
{
    QImage image;
    QString path;
    QString error;
    bool replaces = false; // a file of that name is there
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

// A name next to path that no other writer uses: hidden, and unique in this process
// and among processes.
QString temporaryPath(const QString &path)
{
    static std::atomic<quint64> counter{0};
    static const qint64 process = QCoreApplication::applicationPid();
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    return QStringLiteral("%1.%2.%3-%4.part")
        .arg(path.left(slash + 1), path.mid(slash + 1))
        .arg(process)
        .arg(counter++);
}

bool writeWhole(Piece &piece, const QByteArray &bytes)
{
    QFile file;
    // A name left by someone else is never written into: another one is taken.
    for (int attempt = 0; attempt < 100 && !file.isOpen(); ++attempt) {
        file.setFileName(temporaryPath(piece.path));
        if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered)
            && !QFileInfo::exists(file.fileName()))
            return fail(piece, file.errorString());
    }
    if (!file.isOpen())
        return fail(piece, QStringLiteral("no temporary name next to it is free"));
    if (!CheckedWrite::writeAll(file, bytes)) {
        const QString why = file.errorString();
        file.remove();
        return fail(piece, why);
    }
    file.close();
    if (file.error() != QFileDevice::NoError) {
        const QString why = file.errorString();
        file.remove();
        return fail(piece, why);
    }
    if (::rename(QFile::encodeName(file.fileName()).constData(), QFile::encodeName(piece.path).constData())
        != 0) {
        const QString why = qt_error_string(errno);
        file.remove();
        return fail(piece, why);
    }
    return true;
}

#ifdef O_TMPFILE
// A new file written with no name at all and named once whole: nothing half-written is
// ever seen under any name, even after a crash, and nothing is left behind. False with
// *tried false where the file system or the system cannot (a temporary name is used then).
bool writeUnnamed(Piece &piece, const QByteArray &bytes, bool *tried)
{
    *tried = false;
    const QByteArray folder = QFile::encodeName(QFileInfo(piece.path).path());
    const int fd = ::open(folder.constData(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
    if (fd < 0)
        return false;
    *tried = true;
    QFile file;
    if (!file.open(fd, QIODevice::WriteOnly | QIODevice::Unbuffered, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return fail(piece, file.errorString());
    }
    if (!CheckedWrite::writeAll(file, bytes))
        return fail(piece, file.errorString());
    const QByteArray self = "/proc/self/fd/" + QByteArray::number(fd);
    if (::linkat(AT_FDCWD, self.constData(), AT_FDCWD, QFile::encodeName(piece.path).constData(),
            AT_SYMLINK_FOLLOW)
        == 0)
        return true;
    // A file that came meanwhile is replaced, and without /proc a name is needed first.
    if (errno == EEXIST || errno == ENOENT) {
        *tried = false;
        return false;
    }
    return fail(piece, qt_error_string(errno));
}
#endif

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
#ifdef O_TMPFILE
    bool tried = false;
    if (!piece.replaces) {
        piece.written = writeUnnamed(piece, bytes, &tried);
        if (tried)
            return;
    }
#endif
    piece.written = writeWhole(piece, bytes);
}

// Pushes what was written into directory to the disk, all files at once.
QString syncDirectory(const QString &directory)
{
    const int fd = ::open(QFile::encodeName(directory).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return qt_error_string(errno);
#ifdef Q_OS_LINUX
    const bool synced = ::syncfs(fd) == 0;
#else
    ::sync();
    const bool synced = ::fsync(fd) == 0;
#endif
    const QString why = synced ? QString() : qt_error_string(errno);
    ::close(fd);
    return why;
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
            piece.replaces = target.exists();
            if (piece.replaces && !target.isFile())
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
        if (outcome.ok() && !refused.error.isEmpty()) {
            outcome.failedPath = refused.path;
            outcome.error = refused.error;
        }
        if (!outcome.ok() || outcome.cancelled)
            break;
        outcome.withoutImage += withoutImage;
        if (decoded.isEmpty() && next >= ids.size())
            break;
        encoding = std::move(decoded);
        encodingEnd = next;
        encoderBusy = true;
        encoded = QtConcurrent::map(encoding, encodeAndWrite);
    }
    // Whatever was written, also when cut short, reaches the disk.
    const QString unsynced = syncDirectory(directory);
    if (outcome.ok() && !unsynced.isEmpty())
        outcome.error = QStringLiteral("the files could not be flushed to the disk: %1").arg(unsynced);
    return outcome;
}
