// tessera-cli, run as a user runs it: output, exit codes and files written.

#include "TestDataSet.h"
#include "art/ArtFormat.h"
#include "tiledata/StaticTileRecord.h"
#include "tiledata/TileData.h"
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
    void highSeasTileAsJson();
    void tileDataLayoutToldOrGiven_data();
    void tileDataLayoutToldOrGiven();
    void infoOfBothContainers_data();
    void infoOfBothContainers();
    void convertRoundTrip();

private:
    std::unique_ptr<TestDataSet> data;
    std::unique_ptr<TestDataSet> highSeas;
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

    // 96 statics, high-seas; static 0x21 uses upper flags up to the highest bit.
    DataSetBuilder wide(96);
    wide.setTileDataLayout(TileDataLayout::highSeas());
    wide.setTerrainImage(0x10, TestDataSet::terrain(Qt::red));
    item.flags = TileFlags::Door | TileFlags::NoShadow | (quint64(1) << 63);
    item.setNameText(QStringLiteral("backpack"));
    item.weight = 3;
    wide.setStaticTile(0x21, item);
    highSeas = std::make_unique<TestDataSet>(wide);
    QVERIFY(highSeas->isValid());
}

void TestCli::info()
{
    const Run run = cli({QStringLiteral("info"), data->path()});
    QCOMPARE(run.exitCode, 0);
    QVERIFY2(run.out.contains("terrain images: 2\n"), run.out);
    QVERIFY(run.out.contains("static images: 1\n"));
    QVERIFY(run.out.contains("static tiles: 64\n"));
    QVERIFY(run.out.contains("tile data layout: classic\n"));
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
        << QByteArray("is not a directory");
    QTest::newRow("land id out of range") << QStringList{QStringLiteral("tile"), dir, QStringLiteral("land"),
        QStringLiteral("16384")} << QByteArray("out of range");
    QTest::newRow("static id the file does not hold")
        << QStringList{QStringLiteral("tile"), dir, QStringLiteral("static"), QStringLiteral("64")}
        << QByteArray("tiledata.mul holds no static tile 64 (its static tiles: 0 to 63)");
    QTest::newRow("static id past every file")
        << QStringList{QStringLiteral("tile"), dir, QStringLiteral("static"), QStringLiteral("2147483647")}
        << QByteArray("out of range");
    QTest::newRow("unknown tile data layout")
        << QStringList{QStringLiteral("info"), dir, QStringLiteral("--tiledata"), QStringLiteral("hs")}
        << QByteArray("--tiledata must be classic or high-seas");
    QTest::newRow("classic file read as high-seas")
        << QStringList{QStringLiteral("tile"), dir, QStringLiteral("land"), QStringLiteral("1"),
               QStringLiteral("--tiledata"), QStringLiteral("high-seas")}
        << QByteArray("shorter than its land section (493568 bytes in the high-seas layout)");
    for (const char *malformed :
        {"12abc", "+5", " 5", "5 ", "0x+5", "0x", "0x-1", "1e3", "", "99999999999999999999"})
        QTest::addRow("not an id: '%s'", malformed) << QStringList{QStringLiteral("anim"), dir,
            QLatin1String(malformed)} << QByteArray("not a tile id");
    QTest::newRow("unwritable output") << QStringList{QStringLiteral("export"), dir,
        QStringLiteral("terrain"), QStringLiteral("0x10"), QStringLiteral("/nonexistent/dir/out.png")}
                                       << QByteArray("cannot write");
    QTest::newRow("wrong argument count") << QStringList{QStringLiteral("tile"), dir} << QByteArray("usage:");
    QTest::newRow("unknown container") << QStringList{QStringLiteral("info"), dir,
        QStringLiteral("--art=zip")} << QByteArray("--art must be mul or uop");
    QTest::newRow("json where it means nothing")
        << QStringList{QStringLiteral("anim"), dir, QStringLiteral("3"), QStringLiteral("--json")}
        << QByteArray("--json is for info only");
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

void TestCli::highSeasTileAsJson()
{
    const Run run
        = cli({QStringLiteral("tile"), highSeas->path(), QStringLiteral("static"), QStringLiteral("0x21")});
    QCOMPARE(run.exitCode, 0);
    // 2^63 + 2^36 + 2^29, exactly, as JSON holds any integer.
    QVERIFY2(run.out.contains("\"flags\": 9223372106111123456,"), run.out);
    const QJsonObject json = QJsonDocument::fromJson(run.out).object();
    QCOMPARE(json.value(QLatin1String("flagNames")).toArray(),
        QJsonArray({QStringLiteral("Door"), QStringLiteral("NoShadow"), QStringLiteral("Bit 63")}));
    QCOMPARE(json.value(QLatin1String("name")).toString(), QStringLiteral("backpack"));
    QCOMPARE(json.value(QLatin1String("weight")).toInt(), 3);
    QCOMPARE(json.value(QLatin1String("height")).toInt(), 12);
}

void TestCli::tileDataLayoutToldOrGiven_data()
{
    QTest::addColumn<qint64>("cut"); // bytes cut off the end of the high-seas tiledata.mul
    QTest::addColumn<QString>("given");
    QTest::addColumn<QByteArray>("layout"); // as info says it
    QTest::addColumn<QByteArray>("warning"); // of a file that ends inside a block
    QTest::newRow("told") << qint64(0) << QString() << QByteArray("high-seas") << QByteArray();
    // 493,568 + 3 × 1,316 - 100 = 428,032 + 58 × 1,188 + 480
    QTest::newRow("cut, told") << qint64(100) << QString() << QByteArray("classic")
                               << QByteArray("tiledata.mul ends 480 bytes into a block");
    QTest::newRow("cut, given") << qint64(100) << "high-seas" << QByteArray("high-seas (forced)")
                                << QByteArray("tiledata.mul ends 1216 bytes into a block");
}

void TestCli::tileDataLayoutToldOrGiven()
{
    QFETCH(qint64, cut);
    QFETCH(QString, given);
    QFETCH(QByteArray, layout);
    QFETCH(QByteArray, warning);
    QTemporaryDir copy;
    for (const char *name : {"art.mul", "artidx.mul", "tiledata.mul", "animdata.mul"})
        QVERIFY(QFile::copy(highSeas->filePath(QLatin1String(name)), copy.filePath(QLatin1String(name))));
    QFile tileData(copy.filePath(QStringLiteral("tiledata.mul")));
    QVERIFY(tileData.resize(493568 + 3 * 1316 - cut));
    const QStringList option
        = given.isEmpty() ? QStringList() : QStringList{QStringLiteral("--tiledata"), given};

    const Run info = cli(QStringList{QStringLiteral("info"), copy.path()} + option);
    QCOMPARE(info.exitCode, 0);
    QVERIFY2(info.out.contains("tile data layout: " + layout + '\n'), info.out);
    QVERIFY2(warning.isEmpty() ? info.err.isEmpty() : info.err.contains(warning), info.err);
    // Every command that opens the data set reads it in the layout given.
    const Run tile = cli(
        QStringList{QStringLiteral("tile"), copy.path(), QStringLiteral("static"), QStringLiteral("0x21")}
        + option);
    QCOMPARE(tile.exitCode, 0);
    const QJsonObject json = QJsonDocument::fromJson(tile.out).object();
    QCOMPARE(json.value(QLatin1String("name")).toString() == QLatin1String("backpack"), layout != "classic");
    QTemporaryDir out;
    QFile noEdits(out.filePath(QStringLiteral("none.txt")));
    QVERIFY(noEdits.open(QIODevice::WriteOnly));
    noEdits.close();
    const QString saveTo = out.filePath(QStringLiteral("saved"));
    const Run patch
        = cli(QStringList{QStringLiteral("patch"), copy.path(), saveTo, noEdits.fileName()} + option);
    QCOMPARE(patch.exitCode, 0);
    // Tile data without edits is copied as it is, whichever layout it was read in.
    QFile saved(QDir(saveTo).filePath(QStringLiteral("tiledata.mul")));
    QVERIFY(saved.open(QIODevice::ReadOnly) && tileData.open(QIODevice::ReadOnly));
    QCOMPARE(saved.readAll(), tileData.readAll());
}

void TestCli::infoOfBothContainers_data()
{
    QTest::addColumn<QString>("art");
    QTest::newRow("mul") << QStringLiteral("mul");
    QTest::newRow("uop") << QStringLiteral("uop");
}

void TestCli::infoOfBothContainers()
{
    QFETCH(QString, art);
    // Two terrain images, one static image; a large sparse static shared by many slots,
    // which counts once per slot without being decoded; one damaged record.
    DataSetBuilder builder(64);
    builder.setTerrainImage(0x10, TestDataSet::terrain(Qt::red));
    builder.setTerrainImage(0x11, TestDataSet::terrain(Qt::green));
    QImage sparse(ArtFormat::MaxStaticSide, ArtFormat::MaxStaticSide, QImage::Format_ARGB32);
    sparse.fill(Qt::transparent);
    sparse.setPixel(5, 5, qRgb(255, 0, 0));
    builder.setStaticImage(3, sparse);
    for (int id = 10; id < 40; ++id)
        builder.shareSlot(ArtFormat::StaticIdBase + id, ArtFormat::StaticIdBase + 3);
    builder.setStaticRecord(4, QByteArray(6, '\0'));
    builder.setStaticImage(1000, TestDataSet::solid(3, 3, Qt::blue)); // past the static tiles
    QTemporaryDir dir;
    DataSetBuilder::Output output;
    output.art = art == "uop" ? ArtContainer::Format::Uop : ArtContainer::Format::Mul;
    QVERIFY(builder.write(dir.path(), output));

    const Run json = cli({QStringLiteral("info"), dir.path(), QStringLiteral("--json")});
    QCOMPARE(json.exitCode, 0);
    const QJsonObject info = QJsonDocument::fromJson(json.out).object();
    QCOMPARE(info.value("artContainer").toString(), art);
    QCOMPARE(info.value("tileDataLayout").toString(), QStringLiteral("classic"));
    QCOMPARE(info.value("terrainImages").toInt(), 2);
    QCOMPARE(info.value("staticImages").toInt(), 1 + 30 + 1);
    QCOMPARE(info.value("staticTiles").toInt(), 64);
    QVERIFY(info.value("artNotes").isArray());
    const Run text = cli({QStringLiteral("info"), dir.path()});
    QVERIFY2(text.out.startsWith("art container: " + art.toLatin1() + "\n"), text.out);

    // --art forces the container, before or after the command.
    const QString other = art == "uop" ? QStringLiteral("mul") : QStringLiteral("uop");
    const Run forced = cli({QStringLiteral("--art"), other, QStringLiteral("info"), dir.path()});
    QCOMPARE(forced.exitCode, 1);
    QVERIFY2(forced.err.contains("Missing: " + QByteArray(other == "uop" ? "artLegacyMUL.uop" : "art.mul")),
        forced.err);
    QCOMPARE(cli({QStringLiteral("tile"), dir.path(), QStringLiteral("land"), QStringLiteral("1"),
                     QStringLiteral("--art"), art})
                 .exitCode,
        0);
}

void TestCli::convertRoundTrip()
{
    QTemporaryDir out;
    const QString uop = out.filePath(QStringLiteral("uop"));
    const QString back = out.filePath(QStringLiteral("back"));
    Run run
        = cli({QStringLiteral("convert"), data->path(), uop, QStringLiteral("--art"), QStringLiteral("uop")});
    QVERIFY2(run.exitCode == 0, run.err);
    QCOMPARE(QDir(uop).entryList(QDir::Files),
        (QStringList{QStringLiteral("animdata.mul"), QStringLiteral("artLegacyMUL.uop"),
            QStringLiteral("tiledata.mul")}));
    run = cli({QStringLiteral("convert"), uop, back, QStringLiteral("--art"), QStringLiteral("mul")});
    QVERIFY2(run.exitCode == 0, run.err);

    ArtWork original(data->filePath(QStringLiteral("artidx.mul")), data->filePath(QStringLiteral("art.mul")));
    ArtWork converted(
        QDir(back).filePath(QStringLiteral("artidx.mul")), QDir(back).filePath(QStringLiteral("art.mul")));
    for (int id = 0; id < ArtFormat::TerrainCount; ++id)
        QCOMPARE(converted.getTerrain(id, false), original.getTerrain(id, false));
    // The index reaches as far as the last record the container held.
    QCOMPARE(converted.staticSlotCount(), 4);
    for (int id = 0; id < original.staticSlotCount(); ++id)
        QCOMPARE(converted.getStatic(id, false), original.getStatic(id, false));
    for (const QString name : {"tiledata.mul", "animdata.mul"}) {
        QFile a(data->filePath(name));
        QFile b(QDir(back).filePath(name));
        QVERIFY(a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly));
        QCOMPARE(a.readAll(), b.readAll());
    }
    // The tile data widened to high-seas: every record's fields as they were.
    const QString wide = out.filePath(QStringLiteral("wide"));
    run = cli({QStringLiteral("convert"), data->path(), wide, QStringLiteral("--art"), QStringLiteral("mul"),
        QStringLiteral("--tiledata"), QStringLiteral("high-seas")});
    QVERIFY2(run.exitCode == 0 && run.out.contains("high-seas tile data"), run.out + run.err);
    const TileData classicTiles(data->filePath(QStringLiteral("tiledata.mul")));
    const TileData wideTiles(QDir(wide).filePath(QStringLiteral("tiledata.mul")));
    QCOMPARE(wideTiles.layoutName(), QStringLiteral("high-seas"));
    QCOMPARE(wideTiles.staticCount(), classicTiles.staticCount());
    for (int id = 0; id < classicTiles.staticCount(); ++id) {
        const StaticTileRecord before = StaticTileRecord::fromBytes(classicTiles.staticRecord(id));
        const StaticTileRecord after = StaticTileRecord::fromBytes(wideTiles.staticRecord(id));
        QCOMPARE(after.flags, before.flags);
        QCOMPARE(after.weight, before.weight);
        QCOMPARE(after.name, before.name);
    }
    // Narrowed back, a file whose records use upper flags is refused, naming the first.
    run = cli({QStringLiteral("convert"), highSeas->path(), out.filePath(QStringLiteral("narrow")),
        QStringLiteral("--art"), QStringLiteral("mul"), QStringLiteral("--tiledata"),
        QStringLiteral("classic")});
    QCOMPARE(run.exitCode, 1);
    QVERIFY2(run.err.contains("uses flags the classic layout cannot hold"), run.err);
    QVERIFY(!QFileInfo::exists(
        QDir(out.filePath(QStringLiteral("narrow"))).filePath(QStringLiteral("tiledata.mul"))));

    // Without the form to write, nothing is written.
    run = cli({QStringLiteral("convert"), data->path(), out.filePath(QStringLiteral("none"))});
    QCOMPARE(run.exitCode, 1);
    QVERIFY2(run.err.contains("--art mul|uop"), run.err);
    QVERIFY(!QFileInfo::exists(out.filePath(QStringLiteral("none"))));
}

QTEST_GUILESS_MAIN(TestCli)
#include "test_cli.moc"
