#include "app/TileClipboard.h"

#include "browser/ImageTransfer.h"
#include "ui/ImageFiles.h"

#include <QClipboard>
#include <QDir>
#include <QGuiApplication>
#include <QMimeData>

void TileClipboard::copy(const QImage &image)
{
    auto *mime = new QMimeData;
    mime->setImageData(image);
    // Offered as PNG too: programs that read the file format keep the transparency.
    mime->setData(ImageTransfer::pngType(), ImageTransfer::pngBytes(image));
    QGuiApplication::clipboard()->setMimeData(mime);
}

QImage TileClipboard::image(QString *error)
{
    const QMimeData *mime = QGuiApplication::clipboard()->mimeData();
    if (mime && mime->hasUrls()) {
        // A copied file, as a file manager puts it on the clipboard.
        const QString fileName = ImageTransfer::localFile(mime);
        if (!fileName.isEmpty()) {
            QString why;
            const QImage loaded = ImageFiles::load(fileName, &why);
            if (loaded.isNull())
                *error = QStringLiteral("Could not load the image file \"%1\" on the clipboard: %2")
                             .arg(QDir::toNativeSeparators(fileName), why);
            return loaded;
        }
    }
    if (mime && ImageTransfer::offersPng(mime)) {
        // Through the import loader, so that pasted data meets the limits of a file.
        QString why;
        const QImage png = ImageFiles::loadData(mime->data(ImageTransfer::pngType()), &why);
        if (!png.isNull())
            return png;
    }
    if (mime && mime->hasImage()) {
        const QImage image = qvariant_cast<QImage>(mime->imageData());
        if (!image.isNull())
            return image;
    }
    *error = QStringLiteral("The clipboard holds no image.");
    return {};
}
