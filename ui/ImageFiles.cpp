#include "ui/ImageFiles.h"

#include "ui/UserPrompts.h"

#include <QDir>
#include <QFileInfo>
#include <QImageReader>
#include <QImageWriter>
#include <QSaveFile>
#include <QStringList>

namespace {

QString filterFor(const QList<QByteArray> &formats)
{
    QStringList entries;
    for (const QByteArray &format : formats) {
        const QString name = QString::fromLatin1(format);
        entries << name + QLatin1String(" (*.") + name + QLatin1Char(')');
    }
    return entries.join(QLatin1String(";;"));
}

} // namespace

QString ImageFiles::readFilter()
{
    return filterFor(QImageReader::supportedImageFormats());
}

QString ImageFiles::writeFilter()
{
    return filterFor(QImageWriter::supportedImageFormats());
}

QString ImageFiles::formatOfFilter(const QString &filter)
{
    return filter.left(filter.indexOf(QLatin1Char('('))).simplified();
}

QString ImageFiles::withFormatSuffix(const QString &path, const QString &format)
{
    const QString suffix = QLatin1Char('.') + format;
    if (format.isEmpty() || path.endsWith(suffix))
        return path;
    return path + suffix;
}

QImage ImageFiles::load(const QString &path, const QString &format, QString *error)
{
    QImageReader reader(path, format.toLatin1());
    const QImage image = reader.read();
    if (image.isNull() && error)
        *error = reader.errorString();
    return image;
}

bool ImageFiles::save(const QImage &image, const QString &path, const QString &format, QString *error)
{
    if (image.isNull()) {
        if (error)
            *error = QStringLiteral("The tile has no image.");
        return false;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        if (error)
            *error = file.errorString();
        return false;
    }
    QImageWriter writer(&file, format.toLatin1());
    if (format.isEmpty())
        writer.setFormat(QFileInfo(path).suffix().toLatin1());
    if (!writer.write(image)) {
        if (error)
            *error = writer.errorString();
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        if (error)
            *error = file.errorString();
        return false;
    }
    return true;
}

QImage ImageFiles::chooseAndLoad(QWidget *parent, QString *message)
{
    message->clear();
    QString filter;
    const QString path = UserPrompts::current().openFileName(
        parent, QStringLiteral("Image file to import"), readFilter(), &filter);
    if (path.isEmpty())
        return {};
    QString error;
    const QImage loaded = load(path, formatOfFilter(filter), &error);
    if (loaded.isNull())
        *message = QStringLiteral("Could not load the image file \"%1\": %2")
                       .arg(QDir::toNativeSeparators(path), error);
    return loaded;
}
