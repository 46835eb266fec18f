// Image files in and out: loading by content within limits, refusing what is not a
// regular file, writing whole or not at all, recognising one file by identity, and the
// dialogs' filters and file names.

#include "FakePrompts.h"
#include "art/ImageFileLoader.h"
#include "art/ImageFileWriter.h"
#include "io/FileIdentity.h"
#include "ui/ImageFiles.h"

#include <QBuffer>
#include <QDir>
#include <QImageReader>
#include <QImageWriter>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <future>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QImage sample()
{
    QImage image(7, 5, QImage::Format_ARGB32);
    for (int y = 0; y < 5; ++y) {
        for (int x = 0; x < 7; ++x)
            image.setPixel(x, y, qRgba(x * 30, y * 50, 200, x == 0 ? 0 : 255));
    }
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

bool writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QByteArray readBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The start of a 24-bit BMP file whose header claims width x height pixels, followed by
// a few bytes of pixel data only.
QByteArray bmpHeader(qint32 width, qint32 height)
{
    QByteArray bytes("BM");
    const auto put32 = [&bytes](qint32 value) {
        const qint32 le = qToLittleEndian(value);
        bytes.append(reinterpret_cast<const char *>(&le), 4);
    };
    const auto put16 = [&bytes](qint16 value) {
        const qint16 le = qToLittleEndian(value);
        bytes.append(reinterpret_cast<const char *>(&le), 2);
    };
    put32(54 + 64); // file size
    put32(0);
    put32(54); // pixel data offset
    put32(40); // info header size
    put32(width);
    put32(height);
    put16(1); // planes
    put16(24); // bits per pixel
    for (int field = 0; field < 6; ++field) // no compression, sizes and colour counts
        put32(0);
    return bytes + QByteArray(64, '\x7f');
}

bool makeFifo(const QString &path)
{
    return ::mkfifo(QFile::encodeName(path).constData(), 0600) == 0;
}

bool isFifo(const QString &path)
{
    struct stat info;
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0 && S_ISFIFO(info.st_mode);
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

// While it exists, files this process writes may not grow past limit bytes, and a write
// beyond fails with "File too large" instead of ending the process: a full disk.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t limit)
    {
        getrlimit(RLIMIT_FSIZE, &saved);
        previousHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limited = saved;
        limited.rlim_cur = limit;
        setrlimit(RLIMIT_FSIZE, &limited);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, previousHandler);
    }

private:
    rlimit saved{};
    void (*previousHandler)(int) = nullptr;
};

// A large image that compresses badly, so that writing it passes any small limit.
QImage noise()
{
    QImage image(200, 200, QImage::Format_ARGB32);
    quint32 state = 12345;
    for (int y = 0; y < 200; ++y) {
        for (int x = 0; x < 200; ++x) {
            state = state * 1664525u + 1013904223u;
            image.setPixel(x, y, state | 0xff000000u);
        }
    }
    return image;
}

} // namespace

class TestImageFiles : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void formatComesFromTheContents_data();
    void formatComesFromTheContents();
    void notRegularFilesAreRefused();
    void oversizedImagesAreRefusedFromTheHeader_data();
    void oversizedImagesAreRefusedFromTheHeader();
    void unreadableInput();
    void writesWholeOrNothing();
    void failedWriteLeavesNothing();
    void writeRefusesWhatIsNotARegularFile();
    void identityIgnoresHowThePathIsSpelt();
    void filters();
    void savedFileName_data();
    void savedFileName();
    void saveUsesTheTypedExtension();
    void chooseAndLoadIgnoresTheFilter();

private:
    std::unique_ptr<QTemporaryDir> dir;
    QString path(const char *name) const { return dir->filePath(QLatin1String(name)); }
};

void TestImageFiles::init()
{
    dir = std::make_unique<QTemporaryDir>();
    QVERIFY(dir->isValid());
}

void TestImageFiles::formatComesFromTheContents_data()
{
    QTest::addColumn<QByteArray>("format");
    QTest::addColumn<QString>("name");
    QTest::newRow("png named .bmp") << QByteArray("png") << "picture.bmp";
    QTest::newRow("png without extension") << QByteArray("png") << "picture";
    QTest::newRow("bmp named .png") << QByteArray("bmp") << "picture.png";
    QTest::newRow("png named .PNG") << QByteArray("png") << "picture.PNG";
}

void TestImageFiles::formatComesFromTheContents()
{
    QFETCH(QByteArray, format);
    QFETCH(QString, name);
    const QImage image = format == "bmp" ? sample().convertToFormat(QImage::Format_RGB32) : sample();
    const QByteArray bytes = encoded(image, format.constData());
    QVERIFY(writeBytes(dir->filePath(name), bytes));
    QString error;
    QCOMPARE(ImageFileLoader::load(dir->filePath(name), &error).convertToFormat(image.format()), image);
    QCOMPARE(ImageFileLoader::fromData(bytes, &error).convertToFormat(image.format()), image);
    QCOMPARE(ImageFiles::load(dir->filePath(name), &error).convertToFormat(image.format()), image);
}

void TestImageFiles::notRegularFilesAreRefused()
{
    const QString fifo = path("pipe.png");
    QVERIFY(makeFifo(fifo));
    const QString link = path("link.png");
    QVERIFY(QFile::link(fifo, link));
    QVERIFY(QDir(dir->path()).mkdir(QStringLiteral("folder.png")));
    for (const QString &target : {fifo, link, path("folder.png"), QStringLiteral("/dev/null")}) {
        QString error;
        bool blocked = false;
        const QImage image = loadWithoutBlocking(target, fifo, &error, &blocked);
        QVERIFY2(!blocked, qPrintable(target));
        QVERIFY(image.isNull());
        QVERIFY2(error.contains(QLatin1String("not a regular file")), qPrintable(error));
    }
}

void TestImageFiles::oversizedImagesAreRefusedFromTheHeader_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::newRow("5000 x 5000") << 5000 << 5000;
    QTest::newRow("one pixel past the limit") << 4096 << 4097;
    QTest::newRow("one line of 2^24 + 1") << (1 << 24) + 1 << 1;
}

void TestImageFiles::oversizedImagesAreRefusedFromTheHeader()
{
    // Only the header is there: the size must be refused before any pixel is read.
    QFETCH(int, width);
    QFETCH(int, height);
    const QByteArray bytes = bmpHeader(width, height);
    QVERIFY(writeBytes(path("huge.bmp"), bytes));
    const QString size = QStringLiteral("%1 x %2").arg(width).arg(height);
    QString error;
    QVERIFY(ImageFileLoader::load(path("huge.bmp"), &error).isNull());
    QVERIFY2(error.contains(size), qPrintable(error));
    error.clear();
    QVERIFY(ImageFileLoader::fromData(bytes, &error).isNull());
    QVERIFY2(error.contains(size), qPrintable(error));
    // The decoders' own fence is no larger than the limit needs.
    QVERIFY(QImageReader::allocationLimit() > 0);
    QVERIFY(QImageReader::allocationLimit() <= ImageFileLoader::AllocationLimitMB);
    QVERIFY(qint64(ImageFileLoader::AllocationLimitMB) * 1024 * 1024 >= ImageFileLoader::MaxPixels * 8);
}

void TestImageFiles::unreadableInput()
{
    QString error;
    QVERIFY(ImageFileLoader::load(path("missing.png"), &error).isNull());
    QVERIFY2(error.contains(QLatin1String("No such file")), qPrintable(error));
    QVERIFY(writeBytes(path("text.png"), "not an image at all"));
    error.clear();
    QVERIFY(ImageFileLoader::load(path("text.png"), &error).isNull());
    QVERIFY(!error.isEmpty());
    error.clear();
    QVERIFY(ImageFileLoader::fromData(QByteArray(), &error).isNull());
    QVERIFY(!error.isEmpty());
    // A header within the limit whose pixels are missing.
    error.clear();
    QVERIFY(ImageFileLoader::fromData(encoded(sample(), "png").left(60), &error).isNull());
    QVERIFY(!error.isEmpty());
}

void TestImageFiles::writesWholeOrNothing()
{
    QString error;
    QVERIFY2(ImageFileWriter::write(sample(), path("out.png"), "PNG", &error), qPrintable(error));
    QCOMPARE(QImage(path("out.png")), sample());
    // Replacing an existing file.
    QVERIFY(ImageFileWriter::write(noise(), path("out.png"), "png", &error));
    QCOMPARE(QImage(path("out.png")).convertToFormat(QImage::Format_ARGB32), noise());
    QCOMPARE(QDir(dir->path()).entryList(QDir::Files), QStringList{QStringLiteral("out.png")});
    // Refusals leave nothing.
    QVERIFY(!ImageFileWriter::write(QImage(), path("none.png"), "png", &error));
    QVERIFY(!ImageFileWriter::write(sample(), path("odd.png"), "no-such-format", &error));
    QVERIFY(error.contains(QLatin1String("no-such-format")));
    QVERIFY(!ImageFileWriter::write(sample(), path("missing/out.png"), "png", &error));
    QCOMPARE(QDir(dir->path()).entryList(QDir::Files), QStringList{QStringLiteral("out.png")});
}

void TestImageFiles::failedWriteLeavesNothing()
{
    // The disk fills up during the write: reported with the system's reason, the file
    // that was there is untouched, and no temporary file stays behind.
    QVERIFY(writeBytes(path("kept.png"), encoded(sample(), "png")));
    const QByteArray before = readBytes(path("kept.png"));
    QString newError;
    QString replaceError;
    bool wroteNew = true;
    bool replaced = true;
    {
        const FileSizeLimit full(4096);
        wroteNew = ImageFileWriter::write(noise(), path("new.png"), "png", &newError);
        replaced = ImageFileWriter::write(noise(), path("kept.png"), "png", &replaceError);
    }
    QVERIFY(!wroteNew);
    QVERIFY(!replaced);
    QVERIFY2(newError.contains(QLatin1String("File too large")), qPrintable(newError));
    QVERIFY2(replaceError.contains(QLatin1String("File too large")), qPrintable(replaceError));
    QCOMPARE(readBytes(path("kept.png")), before);
    QCOMPARE(
        QDir(dir->path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("kept.png")});

    // The same through the dialogs' save.
    QString error;
    {
        const FileSizeLimit full(4096);
        QVERIFY(!ImageFiles::save(noise(), path("dialog.png"), QStringLiteral("png"), &error));
    }
    QVERIFY2(error.contains(QLatin1String("File too large")), qPrintable(error));
    QVERIFY(!QFile::exists(path("dialog.png")));
}

void TestImageFiles::writeRefusesWhatIsNotARegularFile()
{
    const QString fifo = path("pipe.png");
    QVERIFY(makeFifo(fifo));
    QVERIFY(QFile::link(fifo, path("link.png")));
    QVERIFY(QDir(dir->path()).mkdir(QStringLiteral("folder.png")));
    for (const char *name : {"pipe.png", "link.png", "folder.png"}) {
        QString error;
        QVERIFY2(!ImageFileWriter::write(sample(), path(name), "png", &error), name);
        QVERIFY2(error.contains(QLatin1String("not a regular file")), qPrintable(error));
    }
    QVERIFY(isFifo(fifo));
    QVERIFY(QFileInfo(path("link.png")).isSymLink());
    QVERIFY(QFileInfo(path("folder.png")).isDir());
}

void TestImageFiles::identityIgnoresHowThePathIsSpelt()
{
    QVERIFY(writeBytes(path("art.mul"), "art"));
    QVERIFY(writeBytes(path("other.mul"), "art"));
    QVERIFY(QDir(dir->path()).mkdir(QStringLiteral("sub")));
    QVERIFY(QFile::link(path("art.mul"), path("sub/link.mul")));
    QVERIFY(::link(QFile::encodeName(path("art.mul")).constData(),
                QFile::encodeName(path("hard.mul")).constData())
        == 0);
    const FileIdentity art = FileIdentity::of(path("art.mul"));
    QVERIFY(art.isValid());
    for (const char *name : {"./art.mul", "sub/../art.mul", "sub/link.mul", "hard.mul"})
        QVERIFY2(FileIdentity::of(path(name)) == art, name);
    QVERIFY(FileIdentity::of(path("other.mul")) != art);
    QVERIFY(!FileIdentity::of(path("missing")).isValid());
    QVERIFY(FileIdentity::of(path("missing")) != FileIdentity::of(path("missing")));
    QVERIFY(!FileIdentity::of(QString()).isValid());
}

void TestImageFiles::filters()
{
    // Import: every readable image first, under one entry, then each format.
    const QStringList read = ImageFiles::readFilter().split(QStringLiteral(";;"));
    QVERIFY2(read.first().startsWith(QLatin1String("All images (*.png ")), qPrintable(read.first()));
    for (const QByteArray &format : QImageReader::supportedImageFormats()) {
        const QString name = QString::fromLatin1(format);
        QVERIFY(read.first().contains(QLatin1String("*.") + name + QLatin1Char(' '))
            || read.first().endsWith(QLatin1String("*.") + name + QLatin1Char(')')));
        QVERIFY(read.contains(name + QLatin1String(" (*.") + name + QLatin1Char(')')));
    }
    QCOMPARE(read.size(), QImageReader::supportedImageFormats().size() + 1);
    // Export: PNG first, the filter a save dialog selects unless the user picks another.
    const QStringList write = ImageFiles::writeFilter().split(QStringLiteral(";;"));
    QCOMPARE(write.first(), QStringLiteral("png (*.png)"));
    QCOMPARE(ImageFiles::formatOfFilter(write.first()), QStringLiteral("png"));
    QCOMPARE(write.size(), QImageWriter::supportedImageFormats().size());
}

void TestImageFiles::savedFileName_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("filterFormat");
    QTest::addColumn<QString>("written");
    QTest::newRow("bare name, png filter") << "tile"
                                           << "png"
                                           << "tile.png";
    QTest::newRow("bare name, bmp filter") << "tile"
                                           << "bmp"
                                           << "tile.bmp";
    QTest::newRow("typed png") << "tile.png"
                               << "png"
                               << "tile.png";
    QTest::newRow("typed png, bmp filter") << "tile.png"
                                           << "bmp"
                                           << "tile.png";
    QTest::newRow("typed capitals") << "tile.PNG"
                                    << "png"
                                    << "tile.PNG";
    QTest::newRow("typed bmp, png filter") << "tile.bmp"
                                           << "png"
                                           << "tile.bmp";
    QTest::newRow("typed extension not writable") << "tile.mul"
                                                  << "png"
                                                  << "tile.mul.png";
    QTest::newRow("no usable filter") << "tile"
                                      << "All images"
                                      << "tile.png";
    QTest::newRow("dotted folder") << "some.dir/tile"
                                   << "png"
                                   << "some.dir/tile.png";
}

void TestImageFiles::savedFileName()
{
    QFETCH(QString, typed);
    QFETCH(QString, filterFormat);
    QFETCH(QString, written);
    QCOMPARE(ImageFiles::withFormatSuffix(typed, filterFormat), written);
}

void TestImageFiles::saveUsesTheTypedExtension()
{
    // What the export of a tile does with the dialog's answer, filter as chosen.
    struct Case
    {
        const char *typed;
        const char *filter;
        const char *file;
        const char *format;
    };
    const Case cases[] = {{"a.png", "png (*.png)", "a.png", "png"}, {"b.bmp", "png (*.png)", "b.bmp", "bmp"},
        {"c", "bmp (*.bmp)", "c.bmp", "bmp"}, {"d.png", "bmp (*.bmp)", "d.png", "png"}};
    for (const Case &c : cases) {
        const QString format = ImageFiles::formatOfFilter(QLatin1String(c.filter));
        const QString file = ImageFiles::withFormatSuffix(path(c.typed), format);
        QCOMPARE(file, path(c.file));
        QString error;
        QVERIFY2(ImageFiles::save(sample(), file, format, &error), qPrintable(error));
        QImageReader reader(file);
        reader.setDecideFormatFromContent(true);
        QCOMPARE(reader.format(), QByteArray(c.format));
    }
    QCOMPARE(QDir(dir->path()).entryList(QDir::Files).size(), 4);
}

void TestImageFiles::chooseAndLoadIgnoresTheFilter()
{
    FakePrompts prompts;
    QVERIFY(writeBytes(path("tile.png"), encoded(sample(), "png")));
    prompts.openFiles = {{path("tile.png"), QStringLiteral("bmp (*.bmp)")}, {path("pipe"), QString()}};
    QVERIFY(makeFifo(path("pipe")));
    QString message;
    QCOMPARE(ImageFiles::chooseAndLoad(nullptr, &message), sample());
    QVERIFY(message.isEmpty());
    QVERIFY(prompts.last("open")->filter.startsWith(QLatin1String("All images (")));
    QVERIFY(ImageFiles::chooseAndLoad(nullptr, &message).isNull());
    QVERIFY(message.contains(path("pipe")) && message.contains(QLatin1String("not a regular file")));
    QVERIFY(ImageFiles::chooseAndLoad(nullptr, &message).isNull()); // cancelled
    QVERIFY(message.isEmpty());
}

QTEST_MAIN(TestImageFiles)
#include "test_imagefiles.moc"
