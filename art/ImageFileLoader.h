#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

class QIODevice;

// Reads image files (and image data) to import, in the format their contents show,
// whatever their name says. Refuses what would hang or exhaust the program: a path
// that is not a regular file (a pipe or device would block the read), and images
// beyond MaxPixels, checked from the header before any pixel is decoded.
class ImageFileLoader
{
public:
    // Largest image imported: photos a few thousand pixels a side still load (terrain
    // import scales them down), while a crafted header cannot make a decoder ask for
    // gigabytes. A static tile is at most 1024 x 1024 anyway.
    static constexpr qint64 MaxPixels = qint64(4096) * 4096;
    // What a decoder may allocate for one image, in megabytes: MaxPixels at 8 bytes a
    // pixel (16 bits a channel), the largest any image format here decodes to.
    static constexpr int AllocationLimitMB = int(MaxPixels * 8 / (1024 * 1024));

    // A null image and *error (the reason, without the path) when it does not load;
    // *tooLarge, when given, tells whether it was refused for its size.
    static QImage load(const QString &path, QString *error, bool *tooLarge = nullptr);
    static QImage fromData(const QByteArray &bytes, QString *error);

    // Sets the decoders' allocation limit, which is the process's: loading calls it, and
    // whoever loads on several threads at once calls it first, so that none of them sets it.
    static void limitAllocations();

private:
    static QImage read(QIODevice *device, QString *error, bool *tooLarge);
};
