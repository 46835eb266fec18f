#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

// Writes image files whole or not at all.
class ImageFileWriter
{
public:
    // Writes image to path in format (a name QImageWriter knows, any case) through a
    // temporary file that replaces path only once it is complete. On failure path is
    // as it was, nothing else is left behind, and *error gives the reason (the
    // system's, for a failed write). An existing path that is not a regular file (a
    // folder, pipe or device) is refused: it would be replaced, not written to.
    static bool write(const QImage &image, const QString &path, const QByteArray &format, QString *error);

    // Whether QImageWriter can write format (any case).
    static bool canWrite(const QByteArray &format);
};
