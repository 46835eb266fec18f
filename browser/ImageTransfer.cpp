#include "browser/ImageTransfer.h"

#include <QBuffer>
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
