#include "art/ImageFileWriter.h"

#include <QBuffer>
#include <QFileInfo>
#include <QImageWriter>
#include <QSaveFile>

namespace {

bool fail(QString *error, const QString &why)
{
    if (error)
        *error = why;
    return false;
}

} // namespace

bool ImageFileWriter::write(
    const QImage &image, const QString &path, const QByteArray &format, QString *error)
{
    if (image.isNull())
        return fail(error, QStringLiteral("there is no image to write"));
    if (!canWrite(format))
        return fail(
            error, QStringLiteral("images cannot be written as \"%1\"").arg(QString::fromLatin1(format)));
    const QFileInfo target(path);
    if (target.exists() && !target.isFile())
        return fail(error, QStringLiteral("not a regular file: a folder, pipe or device is left as it is"));

    // Encoded first, so that a failure of the file itself is told apart from the
    // encoder's, and written unbuffered piece by piece: a write cut short by a full
    // disk is followed by one that fails and says why.
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format.toLower());
    if (!writer.write(image))
        return fail(error, writer.errorString());

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return fail(error, file.errorString());
    for (qsizetype done = 0; done < bytes.size();) {
        const qint64 written = file.write(bytes.constData() + done, bytes.size() - done);
        if (written <= 0) {
            const QString why = file.errorString();
            file.cancelWriting();
            return fail(error, why);
        }
        done += written;
    }
    if (!file.commit())
        return fail(error, file.errorString());
    return true;
}

bool ImageFileWriter::canWrite(const QByteArray &format)
{
    return !format.isEmpty() && QImageWriter::supportedImageFormats().contains(format.toLower());
}
