#include "browser/ImageTransfer.h"

#include "ui/ImageFiles.h"

#include <QBuffer>
#include <QDir>
#include <QMimeData>
#include <QUrl>

QByteArray ImageTransfer::pngBytes(const QImage &image)
{
    QByteArray bytes;
    if (image.isNull())
        return bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG"))
        bytes.clear();
    return bytes;
}

QString ImageTransfer::localFile(const QMimeData *mime)
{
    for (const QUrl &url : mime->urls()) {
        if (url.isLocalFile() && !url.toLocalFile().isEmpty())
            return url.toLocalFile();
    }
    return QString();
}

bool ImageTransfer::offersPng(const QMimeData *mime)
{
    return mime->formats().contains(pngType());
}

bool ImageTransfer::offersImage(const QMimeData *mime)
{
    // A file that turns out not to be an image is taken too, so that the drop can say why
    // it changed nothing.
    if (mime->hasUrls())
        return !localFile(mime).isEmpty();
    return offersPng(mime);
}

bool ImageTransfer::droppedImage(const QMimeData *mime, const QString &label, QImage *image, QString *error)
{
    error->clear();
    QString why;
    if (mime->hasUrls()) {
        const QString fileName = localFile(mime);
        if (fileName.isEmpty())
            return false;
        *image = ImageFiles::load(fileName, &why);
        if (image->isNull())
            *error = QStringLiteral("Could not load the dropped image file \"%1\": %2")
                         .arg(QDir::toNativeSeparators(fileName), why);
        return !image->isNull();
    }
    if (!offersPng(mime))
        return false;
    // No data is what the drag of a tile without an image carries: a copy of "no image".
    const QByteArray png = mime->data(pngType());
    *image = png.isEmpty() ? QImage() : ImageFiles::loadData(png, &why);
    if (!png.isEmpty() && image->isNull()) {
        *error
            = QStringLiteral("The dropped image could not be read (%2); %1 was not changed.").arg(label, why);
        return false;
    }
    return true;
}
