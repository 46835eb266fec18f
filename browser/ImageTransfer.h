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
};
