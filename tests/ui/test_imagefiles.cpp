// Image files in and out: loading by content within limits, refusing what is not a
// regular file, writing whole or not at all, recognising one file by identity, and the
// dialogs' filters and file names.

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

// The start of a 24-bit BMP file whose header claims width x height pixels, followed by
// a few bytes of pixel data only.
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

// Runs load on another thread; if it has not returned after a few seconds (blocked in
// opening a pipe), a writer is connected and closed to release it, and the test fails.
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

    void formatComesFromTheContents_data()
    {
        QTest::addColumn<QByteArray>("format");
        QTest::addColumn<QString>("name");
        QTest::newRow("png named .bmp") << QByteArray("png") << "picture.bmp";
        QTest::newRow("png without extension") << QByteArray("png") << "picture";
        QTest::newRow("bmp named .png") << QByteArray("bmp") << "picture.png";
    }
    void formatComesFromTheContents()
    {
        QFETCH(QByteArray, format);
        QFETCH(QString, name);
        const QImage image = format == "bmp" ? sample().convertToFormat(QImage::Format_RGB32) : sample();
        const QByteArray bytes = encoded(image, format.constData());
        QVERIFY(writeFile(dir->filePath(name), bytes));
        QString error;
        QCOMPARE(ImageFileLoader::load(dir->filePath(name), &error).convertToFormat(image.format()), image);
        QCOMPARE(ImageFileLoader::fromData(bytes, &error).convertToFormat(image.format()), image);
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

    void refusedWithAReason_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("reason"); // in the error; empty: any
        // Only the header of a huge image is there: its size is refused before any pixel is read.
        QTest::newRow("one pixel past the limit") << bmpHeader(4096, 4097) << "4096 x 4097";
        QTest::newRow("one line of 2^24 + 1") << bmpHeader((1 << 24) + 1, 1) << "16777217 x 1";
        QTest::newRow("not an image") << QByteArray("not an image at all") << "";
        QTest::newRow("nothing") << QByteArray() << "";
        QTest::newRow("pixels missing") << encoded(sample(), "png").left(60) << "";
    }
    void refusedWithAReason()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, reason);
        QVERIFY(writeFile(path("in.bmp"), bytes));
        QString fileError;
        QString dataError;
        QVERIFY(ImageFileLoader::load(path("in.bmp"), &fileError).isNull());
        QVERIFY(ImageFileLoader::fromData(bytes, &dataError).isNull());
        for (const QString &error : {fileError, dataError})
            QVERIFY2(!error.isEmpty() && error.contains(reason), qPrintable(error));
    }

    void writesWholeOrNothing()
    {
        QString error;
        QVERIFY2(ImageFileWriter::write(sample(), path("out.png"), "PNG", &error), qPrintable(error));
        QCOMPARE(QImage(path("out.png")), sample());
        QVERIFY(ImageFileWriter::write(noise(), path("out.png"), "png", &error)); // replaced
        QCOMPARE(QImage(path("out.png")).convertToFormat(QImage::Format_ARGB32), noise());
        const QByteArray before = fileBytes(path("out.png"));
        QVERIFY(!ImageFileWriter::write(QImage(), path("none.png"), "png", &error));
        QVERIFY(!ImageFileWriter::write(sample(), path("odd.png"), "no-such-format", &error));
        QVERIFY(error.contains(QLatin1String("no-such-format")));
        QVERIFY(!ImageFileWriter::write(sample(), path("missing/out.png"), "png", &error));
        // The disk fills up during the write, of a new file and over one: reported with the
        // system's reason, the file that was there untouched, no temporary file left behind.
        for (const QString &name : {QStringLiteral("new.png"), QStringLiteral("out.png")}) {
            bool written = true;
            {
                const FileSizeLimit full(4096);
                written = ImageFileWriter::write(noise(), path(name), "png", &error);
            }
            QVERIFY(!written);
            QVERIFY2(error.contains(QLatin1String("File too large")), qPrintable(error));
        }
        QCOMPARE(fileBytes(path("out.png")), before);
        QCOMPARE(
            QDir(dir->path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("out.png")});
    }

    void identityIgnoresHowThePathIsSpelt()
    {
        QVERIFY(writeFile(path("art.mul"), "art") && writeFile(path("other.mul"), "art"));
        QVERIFY(QDir(dir->path()).mkdir(QStringLiteral("sub"))
            && QFile::link(path("art.mul"), path("sub/link.mul")));
        QCOMPARE(::link(QFile::encodeName(path("art.mul")).constData(),
                     QFile::encodeName(path("hard.mul")).constData()),
            0);
        const FileIdentity art = FileIdentity::of(path("art.mul"));
        QVERIFY(art.isValid());
        for (const char *name : {"./art.mul", "sub/../art.mul", "sub/link.mul", "hard.mul"})
            QVERIFY2(FileIdentity::of(path(name)) == art, name);
        QVERIFY(FileIdentity::of(path("other.mul")) != art);
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
        QVERIFY(writeFile(path("tile.png"), encoded(sample(), "png")) && makeFifo(path("pipe")));
        prompts.openFiles = {{path("tile.png"), QStringLiteral("bmp (*.bmp)")}, {path("pipe"), QString()},
            {path("missing.png"), QString()}};
        QString message;
        QCOMPARE(ImageFiles::chooseAndLoad(nullptr, &message), sample());
        QVERIFY(message.isEmpty());
        QVERIFY(prompts.last("open")->filter.startsWith(QLatin1String("All images (")));
        QVERIFY(ImageFiles::chooseAndLoad(nullptr, &message).isNull());
        QVERIFY(message.contains(path("pipe")) && message.contains(QLatin1String("not a regular file")));
        QVERIFY(ImageFiles::chooseAndLoad(nullptr, &message).isNull());
        QVERIFY2(message.contains(QLatin1String("No such file")), qPrintable(message));
        QVERIFY(ImageFiles::chooseAndLoad(nullptr, &message).isNull()); // cancelled
        QVERIFY(message.isEmpty());
    }

private:
    std::unique_ptr<QTemporaryDir> dir;
    QString path(const QString &name) const { return dir->filePath(name); }
};

QTEST_MAIN(TestImageFiles)
#include "test_imagefiles.moc"
