#include "ui/ImageFiles.h"

#include "art/ImageFileLoader.h"
#include "art/ImageFileWriter.h"
#include "ui/UserPrompts.h"

#include <QDir>
#include <QFileInfo>
#include <QImageReader>
#include <QImageWriter>
#include <QStringList>

namespace {

const QByteArray DefaultFormat = QByteArrayLiteral("png");

// The formats with the default first, then the others in the order given.
QList<QByteArray> defaultFirst(QList<QByteArray> formats)
{
    if (formats.removeAll(DefaultFormat) > 0)
        formats.prepend(DefaultFormat);
    return formats;
}

QStringList entriesFor(const QList<QByteArray> &formats)
{
    QStringList entries;
    for (const QByteArray &format : formats) {
        const QString name = QString::fromLatin1(format);
        entries << name + QLatin1String(" (*.") + name + QLatin1Char(')');
    }
    return entries;
}

// The format path's extension names, when it can be written.
QByteArray writableSuffixFormat(const QString &path)
{
    const QByteArray suffix = QFileInfo(path).suffix().toLower().toLatin1();
    return ImageFileWriter::canWrite(suffix) ? suffix : QByteArray();
}

} // namespace

QString ImageFiles::readFilter()
{
    const QList<QByteArray> formats = defaultFirst(QImageReader::supportedImageFormats());
    QStringList patterns;
    for (const QByteArray &format : formats)
        patterns << QLatin1String("*.") + QString::fromLatin1(format);
    const QString all = QLatin1String("All images (") + patterns.join(QLatin1Char(' ')) + QLatin1Char(')');
    return (QStringList{all} + entriesFor(QImageReader::supportedImageFormats())).join(QLatin1String(";;"));
}

QString ImageFiles::writeFilter()
{
    return entriesFor(defaultFirst(QImageWriter::supportedImageFormats())).join(QLatin1String(";;"));
}

QString ImageFiles::formatOfFilter(const QString &filter)
{
    return filter.left(filter.indexOf(QLatin1Char('('))).simplified();
}

QString ImageFiles::withFormatSuffix(const QString &path, const QString &format)
{
    if (!writableSuffixFormat(path).isEmpty())
        return path;
    const QByteArray chosen = format.toLower().toLatin1();
    return path + QLatin1Char('.')
        + QString::fromLatin1(ImageFileWriter::canWrite(chosen) ? chosen : DefaultFormat);
}

QImage ImageFiles::load(const QString &path, QString *error)
{
    return ImageFileLoader::load(path, error);
}

QImage ImageFiles::loadData(const QByteArray &bytes, QString *error)
{
    return ImageFileLoader::fromData(bytes, error);
}

bool ImageFiles::save(const QImage &image, const QString &path, const QString &format, QString *error)
{
    if (image.isNull()) {
        if (error)
            *error = QStringLiteral("The tile has no image.");
        return false;
    }
    QByteArray written = writableSuffixFormat(path);
    if (written.isEmpty())
        written = ImageFileWriter::canWrite(format.toLatin1()) ? format.toLower().toLatin1() : DefaultFormat;
    return ImageFileWriter::write(image, path, written, error);
}

QImage ImageFiles::chooseAndLoad(QWidget *parent, QString *message)
{
    message->clear();
    const QString path = UserPrompts::current().openFileName(
        parent, QStringLiteral("Image file to import"), readFilter(), nullptr);
    if (path.isEmpty())
        return {};
    QString error;
    const QImage loaded = load(path, &error);
    if (loaded.isNull())
        *message = QStringLiteral("Could not load the image file \"%1\": %2")
                       .arg(QDir::toNativeSeparators(path), error);
    return loaded;
}
