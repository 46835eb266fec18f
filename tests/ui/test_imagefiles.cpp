// Image files: read by content within limits, only regular files, written whole or not at all; file
// identity; the dialogs' filters and names.

#include "FakePrompts.h"
#include "FileSizeLimit.h"
#include "TestFiles.h"
#include "art/ImageFileLoader.h"
#include "art/ImageFileWriter.h"
#include "io/FileIdentity.h"
#include "ui/ImageFiles.h"

#include <QBuffer>
#include <QDir>
#include <QImageReader>
#include <QImageWriter>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>
#include <fcntl.h>
#include <future>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using TestFiles::fileBytes;
using TestFiles::writeFile;

QImage sample()
{
    QImage image(7, 5, QImage::Format_ARGB32);
    for (int i = 0; i < 7 * 5; ++i)
        image.setPixel(i % 7, i / 7, qRgba(i % 7 * 30, i / 7 * 50, 200, i % 7 == 0 ? 0 : 255));
    return image;
}

// A large image that compresses badly, so that writing it passes any small limit.
QImage noise()
{
    QImage image(200, 200, QImage::Format_ARGB32);
    QRandomGenerator(12345).fillRange(reinterpret_cast<quint32 *>(image.bits()), 200 * 200);
    return image;
}

QByteArray encoded(const QImage &image, const char *format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter(&buffer, format).write(image);
    return bytes;
}

// A 24-bit BMP header claiming width x height pixels, then a few bytes of pixel data only.
QByteArray bmpHeader(qint32 width, qint32 height)
{
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    // "BM", file size, reserved, pixel data offset, info header size, size, planes, bits.
    out << quint16(0x4d42) << quint32(54 + 64) << quint32(0) << quint32(54) << quint32(40) << width << height
        << quint16(1) << quint16(24);
    for (int field = 0; field < 6; ++field) // no compression, sizes and colour counts
        out << quint32(0);
    return bytes + QByteArray(64, '\x7f');
}

bool makeFifo(const QString &path)
{
    return ::mkfifo(QFile::encodeName(path).constData(), 0600) == 0;
}

// Loads on another thread; one blocked opening the pipe is released by a writer, and reported.
QImage loadWithoutBlocking(const QString &path, const QString &fifo, QString *error, bool *blocked)
{
    auto result = std::async(std::launch::async, [&] { return ImageFileLoader::load(path, error); });
    *blocked = result.wait_for(std::chrono::seconds(5)) != std::future_status::ready;
    if (*blocked)
        ::close(::open(QFile::encodeName(fifo).constData(), O_WRONLY | O_NONBLOCK));
    return result.get();
}

} // namespace

class TestImageFiles : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        dir = std::make_unique<QTemporaryDir>();
        QVERIFY(dir->isValid());
    }

    void loadsByContentOrSaysWhyNot_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QImage>("image"); // null: refused
        QTest::addColumn<QString>("reason"); // in the error; empty: any
        const QImage rgb = sample().convertToFormat(QImage::Format_RGB32);
        const QByteArray png = encoded(sample(), "png");
        QTest::newRow("png without extension") << png << "picture" << sample() << "";
        QTest::newRow("bmp named .png") << encoded(rgb, "bmp") << "picture.png" << rgb << "";
        // Only the header of a huge image is there: its size is refused before any pixel is read.
        QTest::newRow("one pixel past the limit")
            << bmpHeader(4096, 4097) << "in.bmp" << QImage() << "4096 x 4097";
        QTest::newRow("one line of 2^24 + 1")
            << bmpHeader((1 << 24) + 1, 1) << "in.bmp" << QImage() << "16777217 x 1";
        QTest::newRow("nothing") << QByteArray() << "in.bmp" << QImage() << "";
        QTest::newRow("pixels missing") << png.left(60) << "in.png" << QImage() << "";
    }
    void loadsByContentOrSaysWhyNot()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, name);
        QFETCH(QImage, image);
        QFETCH(QString, reason);
        QVERIFY(writeFile(path(name), bytes));
        QString fileError;
        QString dataError;
        const QImage fromFile = ImageFileLoader::load(path(name), &fileError);
        const QImage fromData = ImageFileLoader::fromData(bytes, &dataError);
        for (const auto &[loaded, error] : {std::pair(fromFile, fileError), std::pair(fromData, dataError)}) {
            if (image.isNull())
                QVERIFY2(loaded.isNull() && !error.isEmpty() && error.contains(reason), qPrintable(error));
            else
                QCOMPARE(loaded.convertToFormat(image.format()), image);
        }
    }

    void notRegularFilesAreRefused()
    {
        const QString fifo = path("pipe.png");
        QVERIFY(makeFifo(fifo) && QFile::link(fifo, path("link.png")));
        QVERIFY(QDir(dir->path()).mkdir(QStringLiteral("folder.png")));
        for (const QString &target :
            {fifo, path("link.png"), path("folder.png"), QStringLiteral("/dev/null")}) {
            QString error;
            bool blocked = false;
            QVERIFY(loadWithoutBlocking(target, fifo, &error, &blocked).isNull());
            QVERIFY2(!blocked, qPrintable(target));
            QVERIFY2(error.contains(QLatin1String("not a regular file")), qPrintable(error));
            // Nor written over.
            QVERIFY(!ImageFileWriter::write(sample(), target, "png", &error));
            QVERIFY2(error.contains(QLatin1String("not a regular file")), qPrintable(error));
        }
        QVERIFY(QFileInfo::exists(fifo) && !QFileInfo(fifo).isFile());
        QVERIFY(QFileInfo(path("link.png")).isSymLink() && QFileInfo(path("folder.png")).isDir());
    }

    void writesWholeOrNothing()
    {
        QString error;
        QVERIFY2(ImageFileWriter::write(sample(), path("out.png"), "PNG", &error), qPrintable(error));
        QVERIFY(ImageFileWriter::write(noise(), path("out.png"), "png", &error)); // replaced
        QCOMPARE(QImage(path("out.png")).convertToFormat(QImage::Format_ARGB32), noise());
        const QByteArray before = fileBytes(path("out.png"));
        QVERIFY(!ImageFileWriter::write(QImage(), path("none.png"), "png", &error));
        QVERIFY(!ImageFileWriter::write(sample(), path("odd.png"), "no-such-format", &error)
            && error.contains(QLatin1String("no-such-format")));
        QVERIFY(!ImageFileWriter::write(sample(), path("missing/out.png"), "png", &error));
        // The disk fills up writing over the file: the system's reason, the old file untouched,
        // no temporary file left.
        bool written = true;
        {
            const FileSizeLimit full(4096);
            written = ImageFileWriter::write(noise(), path("out.png"), "png", &error);
        }
        QVERIFY2(!written && error.contains(QLatin1String("File too large")), qPrintable(error));
        QCOMPARE(fileBytes(path("out.png")), before);
        QCOMPARE(
            QDir(dir->path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("out.png")});
    }

    void identityIgnoresHowThePathIsSpelt()
    {
        QVERIFY(writeFile(path("art.mul"), "art") && writeFile(path("other.mul"), "art"));
        QVERIFY(QDir(dir->path()).mkdir(QStringLiteral("sub")));
        const FileIdentity art = FileIdentity::of(path("art.mul"));
        for (const char *name : {"./art.mul", "sub/../art.mul"})
            QVERIFY2(FileIdentity::of(path(name)) == art, name);
        QVERIFY(art.isValid() && FileIdentity::of(path("other.mul")) != art);
        QVERIFY(!FileIdentity::of(path("missing")).isValid() && !FileIdentity::of(QString()).isValid());
        QVERIFY(FileIdentity::of(path("missing")) != FileIdentity::of(path("missing")));
    }

    void filters()
    {
        // Import offers every readable format, all of them in the first entry; export PNG first.
        const QStringList read = ImageFiles::readFilter().split(QStringLiteral(";;"));
        QCOMPARE(read.size(), QImageReader::supportedImageFormats().size() + 1);
        const QStringList all = read.first().section(QLatin1Char('('), 1).chopped(1).split(QLatin1Char(' '));
        for (const QString format : QImageReader::supportedImageFormats())
            QVERIFY(all.contains("*." + format) && read.contains(format + " (*." + format + ')'));
        const QStringList write = ImageFiles::writeFilter().split(QStringLiteral(";;"));
        QCOMPARE(write.first(), QStringLiteral("png (*.png)"));
        QCOMPARE(write.size(), QImageWriter::supportedImageFormats().size());
    }

    void saveNamesAndWritesTheFile_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("filter"); // as the save dialog gives it back
        QTest::addColumn<QString>("written");
        QTest::addColumn<QByteArray>("format");
        const char *const rows[][5] = {
            {"bare name, bmp filter", "tile", "  bmp   (*.bmp)", "tile.bmp", "bmp"},
            {"typed bmp, png filter", "tile.bmp", "png (*.png)", "tile.bmp", "bmp"},
            {"typed capitals", "tile.PNG", "bmp (*.bmp)", "tile.PNG", "png"},
            {"typed extension not writable", "tile.mul", "png (*.png)", "tile.mul.png", "png"},
            {"no usable filter: PNG", "tile", "All images (*.png *.bmp)", "tile.png", "png"},
            {"dotted folder", "some.dir/tile", "bmp (*.bmp)", "some.dir/tile.bmp", "bmp"},
        };
        for (const auto &row : rows)
            QTest::newRow(row[0]) << row[1] << row[2] << row[3] << QByteArray(row[4]);
    }
    void saveNamesAndWritesTheFile()
    {
        // What the export of a tile does with the dialog's answer.
        QFETCH(QString, typed);
        QFETCH(QString, filter);
        QVERIFY(QDir(dir->path()).mkdir(QStringLiteral("some.dir")));
        const QString format = ImageFiles::formatOfFilter(filter);
        const QString file = ImageFiles::withFormatSuffix(path(typed), format);
        QFETCH(QString, written);
        QCOMPARE(file, path(written));
        QString error;
        QVERIFY2(ImageFiles::save(sample(), file, format, &error), qPrintable(error));
        QImageReader reader(file);
        reader.setDecideFormatFromContent(true);
        QTEST(reader.format(), "format");
    }

    void chooseAndLoadIgnoresTheFilter()
    {
        FakePrompts prompts;
        QVERIFY(writeFile(path("tile.png"), encoded(sample(), "png")));
        prompts.openFiles
            = {{path("tile.png"), QStringLiteral("bmp (*.bmp)")}, {path("missing.png"), QString()}};
        QString message;
        QCOMPARE(ImageFiles::chooseAndLoad(nullptr, &message), sample());
        QVERIFY(message.isEmpty());
        QVERIFY(prompts.last("open")->filter.startsWith(QLatin1String("All images (")));
        QVERIFY(ImageFiles::chooseAndLoad(nullptr, &message).isNull());
        QVERIFY2(message.contains(path("missing.png")) && message.contains(QLatin1String("No such file")),
            qPrintable(message));
        QVERIFY(ImageFiles::chooseAndLoad(nullptr, &message).isNull() && message.isEmpty()); // cancelled
    }

private:
    std::unique_ptr<QTemporaryDir> dir;
    QString path(const QString &name) const { return dir->filePath(name); }
};

QTEST_MAIN(TestImageFiles)
#include "test_imagefiles.moc"
