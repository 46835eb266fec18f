#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

class QMimeData;

// What moves through drag and drop: a tile image out as a whole PNG file under
// "image/png", and image files or PNG data in.
class ImageTransfer
{
public:
    static QString pngType() { return QStringLiteral("image/png"); }

    // The PNG file of image; empty for a null image.
    static QByteArray pngBytes(const QImage &image);
    // The first local file among the offered URLs; empty when there is none.
    static QString localFile(const QMimeData *mime);
    static bool offersPng(const QMimeData *mime);
    // Whether a drop of mime on a tile is taken: offered files take precedence over offered
    // data, and an offer of URLs without a local file among them is refused.
    static bool offersImage(const QMimeData *mime);
    // The image a drop of mime on the tile named label gives it: that of the local file
    // offered, or else of the PNG data (none, the drag of a tile without an image: a null
    // image). False when neither can be read, and then error says why; empty when nothing
    // was offered.
    static bool droppedImage(const QMimeData *mime, const QString &label, QImage *image, QString *error);
};
