#include "art/ImageFileLoader.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool fail(QString *error, const QString &why)
{
    if (error)
        *error = why;
    return false;
}

// Opens path for reading only if it is a regular file. The check is made on the opened
// file, and the open does not wait: opening a pipe for reading blocks until a writer
// comes, which may be never.
bool openRegularFile(const QString &path, QFile *file, QString *error)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return fail(error, qt_error_string(errno));
    struct stat info;
    const bool regular = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
    const int flags = ::fcntl(fd, F_GETFL);
    if (!regular || flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
        ::close(fd);
        return fail(error,
            regular
                ? qt_error_string(errno)
                : QStringLiteral("not a regular file: a folder, pipe or device cannot be read as an image"));
    }
    if (!file->open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return fail(error, file->errorString());
    }
    return true;
}

QString tooLargeText(const QSize &size)
{
    return QStringLiteral("the image is %1 x %2 pixels; at most %3 pixels (4096 x 4096) can be imported")
        .arg(size.width())
        .arg(size.height())
        .arg(ImageFileLoader::MaxPixels);
}

bool withinLimit(const QSize &size)
{
    return qint64(size.width()) * size.height() <= ImageFileLoader::MaxPixels;
}

} // namespace

QImage ImageFileLoader::load(const QString &path, QString *error, bool *tooLarge)
{
    if (tooLarge)
        *tooLarge = false;
    QFile file;
    if (!openRegularFile(path, &file, error))
        return {};
    return read(&file, error, tooLarge);
}

QImage ImageFileLoader::fromData(const QByteArray &bytes, QString *error)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    return read(&buffer, error, nullptr);
}

void ImageFileLoader::limitAllocations()
{
    // The limit only ever comes down to ours, and once set is only read.
    if (QImageReader::allocationLimit() <= 0 || QImageReader::allocationLimit() > AllocationLimitMB)
        QImageReader::setAllocationLimit(AllocationLimitMB);
}

QImage ImageFileLoader::read(QIODevice *device, QString *error, bool *tooLarge)
{
    // A second fence behind the size check, for formats that cannot tell their size
    // before decoding.
    limitAllocations();
    QImageReader reader(device);
    reader.setDecideFormatFromContent(true);
    if (!reader.canRead()) {
        fail(error, QStringLiteral("not an image in a format this program reads"));
        return {};
    }
    const QSize size = reader.size();
    if (size.isValid() && !withinLimit(size)) {
        fail(error, tooLargeText(size));
        if (tooLarge)
            *tooLarge = true;
        return {};
    }
    QImage image;
    if (!reader.read(&image)) {
        fail(error, reader.errorString());
        return {};
    }
    if (!withinLimit(image.size())) {
        fail(error, tooLargeText(image.size()));
        if (tooLarge)
            *tooLarge = true;
        return {};
    }
    return image;
}
