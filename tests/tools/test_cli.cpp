// tessera-cli, run as a user runs it: output, exit codes and files written.

#include "TestDataSet.h"
#include "tiledata/TileFlags.h"

#include <QCryptographicHash>
#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QtTest>
#include <csignal>
#include <sys/resource.h>
#include <unistd.h>

namespace {

struct Run
{
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

// fileSizeLimit > 0: the program may not write files past that many bytes, as on a
// full disk (a write beyond fails with "File too large").
Run cli(const QStringList &args, rlim_t fileSizeLimit = 0)
{
    QProcess process;
    if (fileSizeLimit > 0) {
        process.setChildProcessModifier([fileSizeLimit] {
            std::signal(SIGXFSZ, SIG_IGN);
            rlimit limit{fileSizeLimit, fileSizeLimit};
            setrlimit(RLIMIT_FSIZE, &limit);
        });
    }
    process.start(QStringLiteral(TESSERA_CLI), args);
    process.waitForFinished(60000);
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
        process.readAllStandardOutput(), process.readAllStandardError()};
}

QByteArray fileHash(const QString &path)
{
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256);
}

} // namespace

class TestCli : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void info();
    void tileAsJson();
    void animAsJson();
    void exportOne();
    void exportAll();
    void exportNeverReplacesADataFile_data();
    void exportNeverReplacesADataFile();
    void exportReportsFailedWrites();
    void badInput_data();
    void badInput();

private:
    std::unique_ptr<TestDataSet> data;
};

void TestCli::initTestCase()
{
    DataSetBuilder builder(64);
    builder.setTerrainImage(0x10, TestDataSet::terrain(Qt::red));
    builder.setTerrainImage(0x11, TestDataSet::terrain(Qt::green));
    builder.setStaticImage(3, TestDataSet::solid(7, 9, Qt::blue));
    builder.setStaticRecord(4, QByteArray(6, '\0')); // damaged: no image
    LandTileRecord land;
    land.flags = TileFlags::Wet | TileFlags::Impassable;
    land.texid = 77;
    land.setNameText(QStringLiteral("water"));
    builder.setLandTile(0x10, land);
    StaticTileRecord item;
    item.flags = TileFlags::Animated;
    item.weight = 255;
    item.height = 12;
    item.setNameText(QStringLiteral("exactly twenty chars"));
    builder.setStaticTile(3, item);
    AnimDataEntry anim;
    anim.frameCount = 3;
    anim.frameOffsets[1] = -2;
    builder.setAnim(3, anim);
    data = std::make_unique<TestDataSet>(builder);
    QVERIFY(data->isValid());
}

void TestCli::info()
{
    const Run run = cli({QStringLiteral("info"), data->path()});
    QCOMPARE(run.exitCode, 0);
    QVERIFY2(run.out.contains("terrain images: 2\n"), run.out);
    QVERIFY(run.out.contains("static images: 1\n"));
    QVERIFY(run.out.contains("static tiles: 64\n"));
    QVERIFY(run.out.contains("tiledata.mul: "
        + QByteArray::number(QFileInfo(data->filePath(QStringLiteral("tiledata.mul"))).size())));
}

void TestCli::tileAsJson()
{
    Run run = cli({QStringLiteral("tile"), data->path(), QStringLiteral("land"), QStringLiteral("0x10")});
    QCOMPARE(run.exitCode, 0);
    QJsonObject json = QJsonDocument::fromJson(run.out).object();
    QCOMPARE(json.value(QLatin1String("texid")).toInt(), 77);
    QCOMPARE(json.value(QLatin1String("name")).toString(), QStringLiteral("water"));
    QCOMPARE(json.value(QLatin1String("flags")).toInt(), int(TileFlags::Wet | TileFlags::Impassable));
    QCOMPARE(json.value(QLatin1String("flagNames")).toArray(),
        QJsonArray({QStringLiteral("Impassable"), QStringLiteral("Wet")}));

    run = cli({QStringLiteral("tile"), data->path(), QStringLiteral("static"), QStringLiteral("3")});
    QCOMPARE(run.exitCode, 0);
    json = QJsonDocument::fromJson(run.out).object();
    QCOMPARE(json.value(QLatin1String("weight")).toInt(), 255);
    QCOMPARE(json.value(QLatin1String("height")).toInt(), 12);
    QCOMPARE(json.value(QLatin1String("name")).toString(), QStringLiteral("exactly twenty chars"));
    for (const char *field :
        {"quality", "unknown", "unknown1", "quantity", "animid", "unknown2", "hue", "unknown3"})
        QVERIFY2(json.contains(QLatin1String(field)), field);
}

void TestCli::animAsJson()
{
    const Run run = cli({QStringLiteral("anim"), data->path(), QStringLiteral("3")});
    QCOMPARE(run.exitCode, 0);
    const QJsonObject json = QJsonDocument::fromJson(run.out).object();
    QCOMPARE(json.value(QLatin1String("frameCount")).toInt(), 3);
    const QJsonArray offsets = json.value(QLatin1String("frameOffsets")).toArray();
    QCOMPARE(offsets.size(), 64);
    QCOMPARE(offsets.at(1).toInt(), -2);
}

void TestCli::exportOne()
{
    QTemporaryDir out;
    const QString png = out.filePath(QStringLiteral("item.png"));
    const Run run
        = cli({QStringLiteral("export"), data->path(), QStringLiteral("static"), QStringLiteral("3"), png});
    QCOMPARE(run.exitCode, 0);
    const QImage image(png);
    QCOMPARE(image.size(), QSize(7, 9));
    QCOMPARE(image.pixel(3, 3), qRgb(0, 0, 248));

    const Run none = cli({QStringLiteral("export"), data->path(), QStringLiteral("terrain"),
        QStringLiteral("5"), out.filePath(QStringLiteral("none.png"))});
    QCOMPARE(none.exitCode, 1);
    QVERIFY(!QFile::exists(out.filePath(QStringLiteral("none.png"))));
}

void TestCli::exportAll()
{
    QTemporaryDir out;
    const QString dir = out.filePath(QStringLiteral("terrain"));
    const Run run = cli(
        {QStringLiteral("export"), data->path(), QStringLiteral("terrain"), QStringLiteral("all"), dir});
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(QDir(dir).entryList(QDir::Files),
        (QStringList{QStringLiteral("terrain-0x0010.png"), QStringLiteral("terrain-0x0011.png")}));
    QVERIFY(!run.err.isEmpty()); // progress
    QCOMPARE(QImage(QDir(dir).filePath(QStringLiteral("terrain-0x0011.png"))).pixel(22, 22), qRgb(0, 248, 0));
}

void TestCli::exportNeverReplacesADataFile_data()
{
    QTest::addColumn<QString>("target"); // @DATA@: the data directory, @OUT@: a scratch directory
    QTest::newRow("art.mul") << "@DATA@/art.mul";
    QTest::newRow("index, spelt with ..") << "@DATA@/../@NAME@/artidx.mul";
    QTest::newRow("tile data") << "@DATA@/tiledata.mul";
    QTest::newRow("symbolic link to art.mul") << "@OUT@/link.png";
    QTest::newRow("hard link to art.mul") << "@OUT@/hard.png";
}

void TestCli::exportNeverReplacesADataFile()
{
    QFETCH(QString, target);
    QTemporaryDir out;
    const QString art = data->filePath(QStringLiteral("art.mul"));
    QVERIFY(QFile::link(art, out.filePath(QStringLiteral("link.png"))));
    QVERIFY(::link(QFile::encodeName(art).constData(),
                QFile::encodeName(out.filePath(QStringLiteral("hard.png"))).constData())
        == 0);
    target.replace(QStringLiteral("@DATA@"), data->path())
        .replace(QStringLiteral("@NAME@"), QFileInfo(data->path()).fileName())
        .replace(QStringLiteral("@OUT@"), out.path());
    QStringList files = QDir(data->path()).entryList(QDir::Files);
    QMap<QString, QByteArray> before;
    for (const QString &name : files)
        before[name] = fileHash(data->filePath(name));

    const Run run = cli(
        {QStringLiteral("export"), data->path(), QStringLiteral("static"), QStringLiteral("3"), target});
    QCOMPARE(run.exitCode, 1);
    QVERIFY2(run.err.contains("is a file of the data set"), run.err);
    QCOMPARE(QDir(data->path()).entryList(QDir::Files), files);
    for (const QString &name : files)
        QCOMPARE(fileHash(data->filePath(name)), before[name]);
}

void TestCli::exportReportsFailedWrites()
{
    // The disk is full: the export fails with the system's reason, and leaves no file.
    QTemporaryDir out;
    const QString png = out.filePath(QStringLiteral("item.png"));
    const Run one = cli(
        {QStringLiteral("export"), data->path(), QStringLiteral("static"), QStringLiteral("3"), png}, 16);
    QCOMPARE(one.exitCode, 1);
    QVERIFY2(one.err.contains("File too large"), one.err);
    QVERIFY(one.out.isEmpty());
    QCOMPARE(QDir(out.path()).entryList(QDir::Files | QDir::Hidden), QStringList());

    const QString dir = out.filePath(QStringLiteral("all"));
    const Run all = cli(
        {QStringLiteral("export"), data->path(), QStringLiteral("terrain"), QStringLiteral("all"), dir}, 16);
    QCOMPARE(all.exitCode, 1);
    QVERIFY2(all.err.contains("File too large"), all.err);
    QCOMPARE(QDir(dir).entryList(QDir::Files | QDir::Hidden), QStringList());
}

void TestCli::badInput_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QByteArray>("message");
    const QString dir = QStringLiteral("@DATA@");
    QTest::newRow("no command") << QStringList() << QByteArray("no command");
    QTest::newRow("missing directory")
        << QStringList{QStringLiteral("info"), QStringLiteral("/nonexistent/x")}
        << QByteArray("no such directory");
    QTest::newRow("land id out of range") << QStringList{QStringLiteral("tile"), dir, QStringLiteral("land"),
        QStringLiteral("16384")} << QByteArray("out of range");
    QTest::newRow("not an id") << QStringList{QStringLiteral("anim"), dir, QStringLiteral("12abc")}
                               << QByteArray("not a tile id");
    QTest::newRow("unwritable output") << QStringList{QStringLiteral("export"), dir,
        QStringLiteral("terrain"), QStringLiteral("0x10"), QStringLiteral("/nonexistent/dir/out.png")}
                                       << QByteArray("cannot write");
    QTest::newRow("wrong argument count") << QStringList{QStringLiteral("tile"), dir} << QByteArray("usage:");
}

void TestCli::badInput()
{
    QFETCH(QStringList, args);
    QFETCH(QByteArray, message);
    args.replaceInStrings(QStringLiteral("@DATA@"), data->path());
    const Run run = cli(args);
    QVERIFY(run.exitCode > 0);
    QVERIFY2(run.err.contains(message), run.err);
    QCOMPARE(run.err.count('\n'), 1);
    QVERIFY(run.out.isEmpty());
}

QTEST_GUILESS_MAIN(TestCli)
#include "test_cli.moc"
