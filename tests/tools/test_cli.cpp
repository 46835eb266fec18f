// tessera-cli, run as a user runs it: output, exit codes and files written.

#include "TestDataSet.h"
#include "TestFiles.h"
#include "art/ArtFormat.h"
#include "tiledata/StaticTileRecord.h"
#include "tiledata/TileData.h"
#include "tiledata/TileFlags.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QtTest>
#include <algorithm>
#include <csignal>
#include <sys/resource.h>
#include <unistd.h>

namespace {

using TestFiles::fileBytes;

struct Run
{
    int exitCode = -1; // -1: killed
    QByteArray out;
    QByteArray err;
    QJsonObject json() const { return QJsonDocument::fromJson(out).object(); }
};

// limit > 0: a write past that many bytes fails with "File too large", as on a full disk, or
// with dies, kills the run (SIGXFSZ) as a signal it does not handle would.
Run cli(const QStringList &args, rlim_t limit = 0, bool dies = false, const QString &tempDir = QString())
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    if (!tempDir.isEmpty())
        environment.insert("TMPDIR", tempDir);
    process.setProcessEnvironment(environment);
    if (limit > 0) {
        process.setChildProcessModifier([limit, dies] {
            if (!dies)
                std::signal(SIGXFSZ, SIG_IGN);
            const rlimit files{limit, limit};
            const rlimit noCore{0, 0};
            setrlimit(RLIMIT_FSIZE, &files);
            setrlimit(RLIMIT_CORE, &noCore);
        });
    }
    process.start(QStringLiteral(TESSERA_CLI), args);
    process.waitForFinished(60000);
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
        process.readAllStandardOutput(), process.readAllStandardError()};
}

// Every entry of a directory with its bytes (none for a directory).
QMap<QString, QByteArray> files(const QString &directory)
{
    QMap<QString, QByteArray> all;
    for (const QString &name :
        QDir(directory).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot))
        all.insert(name, fileBytes(QDir(directory).filePath(name)));
    return all;
}

// The run succeeded and printed each member of expected (JSON text) with that value.
void compareMembers(const Run &run, const QByteArray &expected)
{
    QVERIFY2(run.exitCode == 0, run.err);
    const QJsonObject members = QJsonDocument::fromJson(expected).object();
    QVERIFY2(!members.isEmpty(), expected);
    for (auto it = members.begin(); it != members.end(); ++it)
        QVERIFY2(run.json().value(it.key()) == it.value(), qPrintable(it.key() + ": " + run.out));
}

} // namespace

class TestCli : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void info_data();
    void info();
    void tilesAndAnimationsAsJson();
    void exportImages();
    void badInput_data();
    void badInput();
    void tileDataLayoutToldOrGiven_data();
    void tileDataLayoutToldOrGiven();
    void convertRoundTrip();
    void tablesRoundTrip_data();
    void tablesRoundTrip();
    void mergeTakesTilesFromTheOtherSet_data();
    void mergeTakesTilesFromTheOtherSet();
    void nothingLeftInTheTemporaryDirectory_data();
    void nothingLeftInTheTemporaryDirectory();

private:
    std::unique_ptr<TestDataSet> data;
    std::unique_ptr<TestDataSet> highSeas;
    std::unique_ptr<TestDataSet> theirs; // what merge takes tiles from: high-seas, 96 statics
    QTemporaryDir uop; // the same set with its art in artLegacyMUL.uop
    QTemporaryDir scratch; // hard.png: a hard link to the set's art.mul; twice.csv: a table with an error
};

void TestCli::initTestCase()
{
    DataSetBuilder builder(64);
    builder.setTerrainImage(0x10, TestDataSet::terrain(Qt::red));
    builder.setTerrainImage(0x11, TestDataSet::terrain(Qt::green));
    builder.setStaticImage(3, TestDataSet::solid(7, 9, Qt::blue));
    builder.setStaticRecord(4, QByteArray(6, '\0')); // damaged: no image
    for (int id = 10; id < 13; ++id) // sharing static 3's record: an image each
        builder.shareSlot(ArtFormat::StaticIdBase + id, ArtFormat::StaticIdBase + 3);
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
    DataSetBuilder::Output output;
    output.art = ArtContainer::Format::Uop;
    QVERIFY(data->isValid() && builder.write(uop.path(), output));
    QCOMPARE(::link(QFile::encodeName(data->filePath("art.mul")).constData(),
                 QFile::encodeName(scratch.filePath("hard.png")).constData()),
        0);
    QVERIFY(TestFiles::writeFile(scratch.filePath("twice.csv"),
        "id,frameInterval,frameStart,frameCount,frameOffsets\n3,0,0,1,1\n0x0003,0,0,2,\n"));

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

    // Another land 0x11 and statics 3 (no animation there), 5 and 70 (past the end of data's
    // 64), each with its image, record and animation entry; static 0x21 uses an upper flag.
    DataSetBuilder other(96);
    other.setTileDataLayout(TileDataLayout::highSeas());
    other.setTerrainImage(0x11, TestDataSet::terrain(Qt::blue));
    land.texid = 9;
    land.setNameText(QStringLiteral("deep water"));
    other.setLandTile(0x11, land);
    const QList<std::tuple<int, QColor, const char *, qint8>> statics{
        {3, Qt::magenta, "pot", 0}, {5, Qt::yellow, "lantern", 4}, {70, Qt::cyan, "far", 2}};
    for (const auto &[id, color, name, frames] : statics) {
        other.setStaticImage(id, TestDataSet::solid(id % 7 + 2, 8, color));
        item.flags = frames ? TileFlags::Animated | TileFlags::LightSource : 0;
        item.weight = quint8(id);
        item.setNameText(QLatin1String(name));
        other.setStaticTile(id, item);
        anim.frameCount = frames;
        anim.frameInterval = qint8(id);
        other.setAnim(id, anim);
    }
    item.flags = TileFlags::Wet | TileFlags::NoShadow;
    other.setStaticTile(0x21, item);
    theirs = std::make_unique<TestDataSet>(other);
    QVERIFY(theirs->isValid());
}

void TestCli::info_data()
{
    QTest::addColumn<QString>("art");
    QTest::newRow("mul") << QStringLiteral("mul");
    QTest::newRow("uop") << QStringLiteral("uop");
}

void TestCli::info()
{
    QFETCH(QString, art);
    const QString dir = art == "uop" ? uop.path() : data->path();
    // Static 3 and the three slots sharing its record are images; damaged static 4 is not.
    const Run text = cli({"info", dir});
    QCOMPARE(text.exitCode, 0);
    for (const QByteArray &line : {QByteArray("art container: ") + art.toLatin1(),
             QByteArray("terrain images: 2"), QByteArray("static images: 4"), QByteArray("static tiles: 64"),
             QByteArray("tile data layout: classic (its size is a whole number of classic blocks)")})
        QVERIFY2(text.out.contains(line + '\n'), text.out);
    compareMembers(cli({"info", dir, "--json"}),
        R"({"artContainer": ")" + art.toLatin1()
            + R"(", "tileDataLayout": "classic", "terrainImages": 2, "staticImages": 4, "staticTiles": 64,
                "warnings": []})");
    // A set that cannot be opened still gives an object, naming the error.
    const Run missing = cli({"info", "/nonexistent/x", "--json"});
    QCOMPARE(missing.exitCode, 1);
    QVERIFY2(missing.json().value("error").toString().contains("is not a directory"), missing.out);
}

void TestCli::tilesAndAnimationsAsJson()
{
    compareMembers(cli({"tile", data->path(), "land", "0x10"}),
        R"({"texid": 77, "name": "water", "flags": 192, "flagNames": ["Impassable", "Wet"]})");
    compareMembers(cli({"tile", data->path(), "static", "3"}),
        R"({"weight": 255, "height": 12, "name": "exactly twenty chars", "flags": 16777216, "quality": 0,
            "unknown": 0, "unknown1": 0, "quantity": 0, "animid": 0, "unknown2": 0, "hue": 0, "unknown3": 0})");
    const Run run = cli({"tile", highSeas->path(), "static", "0x21"});
    compareMembers(run, R"({"name": "backpack", "flagNames": ["Door", "NoShadow", "Bit 63"]})");
    // 2^63 + 2^36 + 2^29, exactly, as JSON holds any integer.
    QVERIFY2(run.out.contains("\"flags\": 9223372106111123456,"), run.out);
    const Run anim = cli({"anim", data->path(), "3"});
    compareMembers(anim, R"({"frameCount": 3})");
    const QJsonArray offsets = anim.json().value("frameOffsets").toArray();
    QVERIFY(offsets.size() == 64 && offsets.at(1).toInt() == -2 && offsets.at(63) == 0);
}

void TestCli::exportImages()
{
    QTemporaryDir out;
    const QString png = out.filePath("item.png");
    const QString dir = out.filePath("terrain");
    // The disk is full: the export fails with the system's reason, and leaves no file.
    for (const QStringList &args : {QStringList{"static", "3", png}, QStringList{"terrain", "all", dir}}) {
        const Run full = cli(QStringList{"export", data->path()} + args, 16);
        QCOMPARE(full.exitCode, 1);
        QVERIFY2(full.err.contains("File too large") && full.out.isEmpty(), full.err);
        QVERIFY(QDir(out.path()).entryList(QDir::Files | QDir::Hidden).isEmpty());
        QVERIFY(QDir(dir).entryList(QDir::Files | QDir::Hidden).isEmpty());
    }

    // Nor can the edits of a patch be kept in the temporary directory: that is said, with
    // the system's reason, rather than blamed on the list's first line.
    QVERIFY(TestFiles::writeFile(out.filePath("list.txt"), "terrain 0x10 delete\n"));
    const Run patch = cli({"patch", data->path(), out.filePath("saved"), out.filePath("list.txt")}, 16);
    QCOMPARE(patch.exitCode, 1);
    QVERIFY2(patch.err.contains("cannot keep the edits in the temporary directory "
                 + QDir::toNativeSeparators(QDir::tempPath()).toUtf8() + ": File too large"),
        patch.err);
    QVERIFY(!QFileInfo::exists(out.filePath("saved")));

    QCOMPARE(cli({"export", data->path(), "static", "3", png}).exitCode, 0);
    const QImage image(png);
    QCOMPARE(image.size(), QSize(7, 9));
    QCOMPARE(image.pixel(3, 3), qRgb(0, 0, 248));

    const Run all = cli({"export", data->path(), "terrain", "all", dir});
    QCOMPARE(all.exitCode, 0);
    QVERIFY(!all.err.isEmpty()); // progress
    QCOMPARE(QDir(dir).entryList(QDir::Files), (QStringList{"terrain-0x0010.png", "terrain-0x0011.png"}));
    QCOMPARE(QImage(QDir(dir).filePath("terrain-0x0011.png")).pixel(22, 22), qRgb(0, 248, 0));
}

void TestCli::badInput_data()
{
    QTest::addColumn<QStringList>("args"); // @: the data directory, %: a scratch directory
    QTest::addColumn<QByteArray>("message");
    const auto row = [](const char *name, const char *args, const QByteArray &message) {
        QTest::newRow(name) << QString::fromLatin1(args).split(' ', Qt::SkipEmptyParts) << message;
    };
    row("no command", "", "no command");
    row("missing directory", "info /nonexistent/x", "is not a directory");
    // Terrain is also called land, as tiledata.mul calls it, by every command.
    row("land id out of range", "tile @ land 16384", "out of range");
    row("land image missing", "export @ land 5 @/none.png", "land 5 has no image");
    row("unknown kind of record", "tile @ item 1", "'item' is neither terrain nor static");
    row("static id the file does not hold", "tile @ static 64",
        "tiledata.mul holds no static tile 64 (its static tiles: 0 to 63)");
    row("unknown tile data layout", "info @ --tiledata hs", "--tiledata must be classic or high-seas");
    row("classic file read as high-seas", "tile @ land 1 --tiledata high-seas",
        "shorter than its land section (493568 bytes in the high-seas layout)");
    row("unwritable output", "export @ terrain 0x10 /nonexistent/dir/out.png", "cannot write");
    // A data file, by its name or by another (a hard link), is never written over.
    row("export over art.mul", "export @ static 3 @/art.mul", "is a file of the data set");
    row("export over a hard link to art.mul", "export @ static 3 %/hard.png", "is a file of the data set");
    row("unknown container", "info @ --art=zip", "--art must be mul or uop");
    row("container forced, not there", "--art uop info @", "Missing: artLegacyMUL.uop");
    row("negative id", "tile @ land -1", "ids are not negative");
    row("negative id after --", "tile @ static -- -2", "ids are not negative");
    row("output directory is a file", "export @ terrain all @/art.mul", "art.mul is a file, not a directory");
    row("convert into a file", "convert @ @/tiledata.mul --art uop",
        "tiledata.mul is a file, not a directory");
    row("convert without the form to write", "convert @ @/none", "--art mul|uop");
    row("both spellings of how to read, disagreeing", "info @ --art mul --in-art uop",
        "--art and --in-art name different forms to read");
    for (const char *malformed : {"12abc", "99999999999999999999", "5\n"})
        QTest::addRow("not an id: '%s'", malformed)
            << QStringList{"anim", "@", malformed} << QByteArray("not a tile id");
    // Huge values (as long as one argument may be) are quoted by their head only.
    QTest::newRow("huge id") << QStringList{"anim", "@", QString(100000, '7') + 'x'}
                             << "'" + QByteArray(79, '7') + "\xe2\x80\xa6' is not a tile id";
    // Tables: refused with the line and column of the first error, nothing written.
    row("table with an error", "animdata import @ %/twice.csv %/out",
        "twice.csv: line 3, column 1: id 0x0003 is given again (first on line 2); nothing was written");
    row("table missing", "tiledata import @ %/none.csv %/out", "none.csv cannot be read");
    row("tile-data table without a kind", "tiledata export @ %/out.csv",
        "needs the kind of tile (--kind land|static)");
    row("kind given to an import", "tiledata import @ %/twice.csv %/out --kind land",
        "from the table's header");
    row("table over tiledata.mul", "tiledata export @ @/tiledata.mul --kind static",
        "is a file of the data set");
    row("table command unknown", "animdata print @ %/out.csv", "usage: tessera-cli animdata export");
    QTest::newRow("huge option") << QStringList{"info", "@", "--" + QString(100000, 'o')}
                                 << QByteArray("Unknown option 'ooo");
}

void TestCli::badInput()
{
    QFETCH(QStringList, args);
    QFETCH(QByteArray, message);
    args.replaceInStrings(QStringLiteral("@"), data->path())
        .replaceInStrings(QStringLiteral("%"), scratch.path());
    const QMap<QString, QByteArray> before = files(data->path());
    const Run run = cli(args);
    QVERIFY(run.exitCode > 0);
    QVERIFY2(run.err.contains(message), run.err);
    // One message of ours (a loaded machine may add a runtime's own line, which is not ours).
    const QList<QByteArray> lines = run.err.split('\n');
    QVERIFY2(std::count_if(lines.cbegin(), lines.cend(),
                 [](const QByteArray &line) { return line.startsWith("tessera-cli:"); })
            == 1,
        run.err);
    QVERIFY2(run.err.size() < 400, run.err.left(400));
    QVERIFY(run.out.isEmpty());
    QVERIFY(files(data->path()) == before); // nothing written in the data directory, nothing replaced
    QVERIFY(!QFileInfo::exists(scratch.filePath("out")) && !QFileInfo::exists(scratch.filePath("out.csv")));
}

void TestCli::tileDataLayoutToldOrGiven_data()
{
    QTest::addColumn<qint64>("cut"); // bytes cut off the end of the high-seas tiledata.mul
    QTest::addColumn<QStringList>("option");
    QTest::addColumn<QByteArray>("layout"); // as info says it
    QTest::addColumn<QByteArray>("warning"); // on stderr of every command, in info's JSON
    QTest::newRow("told") << qint64(0) << QStringList() << QByteArray("high-seas (its size is a whole number")
                          << QByteArray();
    // 493,568 + 3 × 1,316 - 100 = 428,032 + 58 × 1,188 + 480: neither layout's whole blocks.
    QTest::newRow("cut, told") << qint64(100) << QStringList()
                               << QByteArray("high-seas (its size fits neither")
                               << QByteArray("tiledata.mul is cut or damaged (it ends 1216 bytes into a "
                                             "high-seas block): it is read as high-seas tile data");
    QTest::newRow("cut, given") << qint64(100) << QStringList{"--tiledata", "high-seas"}
                                << QByteArray("high-seas (forced)")
                                << QByteArray("tiledata.mul ends 1216 bytes into a high-seas block");
    QTest::newRow("cut, given for reading")
        << qint64(100) << QStringList{"--in-tiledata", "classic"} << QByteArray("classic (forced)")
        << QByteArray("tiledata.mul ends 480 bytes into a classic block");
}

void TestCli::tileDataLayoutToldOrGiven()
{
    QFETCH(qint64, cut);
    QFETCH(QStringList, option);
    QFETCH(QByteArray, layout);
    QFETCH(QByteArray, warning);
    QTemporaryDir copy;
    for (const char *name : {"art.mul", "artidx.mul", "tiledata.mul", "animdata.mul"})
        QVERIFY(QFile::copy(highSeas->filePath(name), copy.filePath(name)));
    QVERIFY(QFile::resize(copy.filePath("tiledata.mul"), 493568 + 3 * 1316 - cut));
    // Succeeded, and warned as due.
    const auto warned = [&warning](const Run &run) {
        return run.exitCode == 0
            && (warning.isEmpty() ? run.err.isEmpty() : run.err.contains("warning: " + warning));
    };

    const Run info = cli(QStringList{"info", copy.path()} + option);
    QVERIFY2(warned(info), info.err);
    QVERIFY2(info.out.contains("tile data layout: " + layout), info.out);
    const QJsonArray warnings
        = cli(QStringList{"info", copy.path(), "--json"} + option).json().value("warnings").toArray();
    QCOMPARE(warnings.size(), warning.isEmpty() ? 0 : 1);
    QVERIFY(warning.isEmpty() || warnings.at(0).toString().contains(QString::fromUtf8(warning)));
    // Every command that opens the data set reads it in the layout given, and warns.
    const Run tile = cli(QStringList{"tile", copy.path(), "static", "0x21"} + option);
    QVERIFY2(warned(tile), tile.err);
    QCOMPARE(tile.json().value("name").toString() == "backpack", layout.startsWith("high-seas"));
    // Tile data without edits is copied as it is, whichever layout it was read in; convert's
    // --tiledata names the layout written, --in-tiledata how the input is read.
    QTemporaryDir out;
    QVERIFY(TestFiles::writeFile(out.filePath("none.txt"), QByteArray()));
    const QStringList readAs = QStringList(option).replaceInStrings("--tiledata", "--in-tiledata");
    for (const QStringList &args :
        {QStringList{"patch", copy.path(), out.filePath("saved"), out.filePath("none.txt")} + option,
            QStringList{"convert", copy.path(), out.filePath("uop"), "--art", "uop"} + readAs}) {
        const Run run = cli(args);
        QVERIFY2(warned(run), run.err);
        QCOMPARE(fileBytes(args.at(2) + "/tiledata.mul"), fileBytes(copy.filePath("tiledata.mul")));
    }
}

void TestCli::convertRoundTrip()
{
    QTemporaryDir out;
    const QString uop = out.filePath("uop");
    const QString back = out.filePath("back");
    QCOMPARE(cli({"convert", data->path(), uop, "--art", "uop"}).exitCode, 0);
    QCOMPARE(
        QDir(uop).entryList(QDir::Files), (QStringList{"animdata.mul", "artLegacyMUL.uop", "tiledata.mul"}));
    QCOMPARE(cli({"convert", uop, back, "--art", "mul"}).exitCode, 0);
    QCOMPARE(ArtWork(QDir(back).filePath("artidx.mul"), QDir(back).filePath("art.mul"))
                 .image(TileKind::Static, 12, false),
        data->art().image(TileKind::Static, 12, false));

    const QString wide = out.filePath("wide");
    Run run = cli({"convert", data->path(), wide, "--art", "mul", "--tiledata", "high-seas"});
    QVERIFY2(run.exitCode == 0, run.err);
    QCOMPARE(TileData(QDir(wide).filePath("tiledata.mul")).layoutName(), QStringLiteral("high-seas"));
    // Narrowed back, a file whose records use upper flags is refused, naming the first;
    // nothing is written.
    const QString narrow = out.filePath("narrow");
    run = cli({"convert", highSeas->path(), narrow, "--art", "mul", "--tiledata", "classic"});
    QCOMPARE(run.exitCode, 1);
    QVERIFY2(run.err.contains("static tile 33 uses flags the classic layout cannot hold"), run.err);
    QVERIFY(QDir(narrow).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).isEmpty());
}

void TestCli::tablesRoundTrip_data()
{
    QTest::addColumn<bool>("wide"); // the high-seas set, else the classic one
    QTest::addColumn<QStringList>("command"); // tiledata or animdata, and the export's option
    QTest::addColumn<QByteArray>("row"); // as exported
    QTest::addColumn<QByteArray>("edited"); // as imported
    QTest::addColumn<qint64>("position"); // of the record changed
    QTest::addColumn<QByteArray>("record"); // as written there
    StaticTileRecord item = StaticTileRecord::blank(TileDataLayout::classic());
    item.flags = TileFlags::Wet | TileFlags::Animated;
    item.weight = 1;
    item.height = 12;
    item.name = QByteArray("pot, \"old\" \xE9").leftJustified(20, '\0');
    QTest::newRow("classic statics")
        << false << QStringList{"tiledata", "--kind", "static"}
        << QByteArray("0x0003,exactly twenty chars,0x01000000,Animated,255,0,0,0,0,0,0,0,0,12\r\n")
        << QByteArray("0x0003,\"pot, \"\"old\"\" \xC3\xA9\",,Wet|Animated,1,0,0,0,0,0,0,0,0,12\r\n")
        << qint64(428032 + 4 + 3 * 37) << item.toBytes();
    LandTileRecord land = LandTileRecord::blank(TileDataLayout::highSeas());
    land.flags = TileFlags::Wet | (quint64(1) << 63);
    land.texid = 9;
    land.setNameText("sand");
    QTest::newRow("high-seas land") << true << QStringList{"tiledata", "--kind", "land"}
                                    << QByteArray("0x0005,,0x0000000000000000,,0\r\n")
                                    << QByteArray("0x0005,sand,,Bit63|Wet,9\r\n") << qint64(4 + 5 * 30)
                                    << land.toBytes();
    AnimDataEntry anim;
    anim.frameInterval = 5;
    anim.frameStart = 1;
    anim.frameCount = 2;
    anim.frameOffsets[0] = 4;
    anim.frameOffsets[1] = -4;
    QTest::newRow("animation") << false << QStringList{"animdata"} << QByteArray("0x0003,0,0,3,0 -2 0\r\n")
                               << QByteArray("0x0003,5,1,2,4 -4\n") << qint64(4 + 3 * 68) << anim.toBytes();
}

void TestCli::tablesRoundTrip()
{
    QFETCH(bool, wide);
    QFETCH(QStringList, command);
    QFETCH(QByteArray, row);
    QFETCH(QByteArray, edited);
    QFETCH(qint64, position);
    QFETCH(QByteArray, record);
    TestDataSet &set = wide ? *highSeas : *data;
    const QString file = command.first() + ".mul";
    QTemporaryDir out;
    const QString csv = out.filePath("table.csv");
    Run run = cli(QStringList{command.first(), "export", set.path(), csv} + command.mid(1));
    QVERIFY2(run.exitCode == 0, run.err);
    const QByteArray table = fileBytes(csv);
    QVERIFY2(table.contains(row), table.left(200));

    // Unchanged, the table gives the data set byte for byte.
    run = cli({command.first(), "import", set.path(), csv, out.filePath("same")});
    QVERIFY2(run.exitCode == 0, run.err);
    QVERIFY2(run.out.contains(" rows read, 0 "), run.out);
    QCOMPARE(files(out.filePath("same")), files(set.path()));

    // One row changed: that record's bytes, and nothing else.
    QVERIFY(TestFiles::writeFile(csv, QByteArray(table).replace(row, edited)));
    run = cli({command.first(), "import", set.path(), csv, out.filePath("edited")});
    QVERIFY2(run.exitCode == 0, run.err);
    QVERIFY2(run.out.contains(" rows read, 1 "), run.out);
    QMap<QString, QByteArray> expected = files(set.path());
    expected[file].replace(position, record.size(), record);
    QCOMPARE(files(out.filePath("edited")), expected);
}

void TestCli::mergeTakesTilesFromTheOtherSet_data()
{
    QTest::addColumn<QStringList>("args"); // after merge A B OUTDIR
    QTest::addColumn<QStringList>("taken"); // the tiles whose parts come from B
    QTest::addColumn<QString>("parts"); // of "art", "tiledata", "animation"
    QTest::addColumn<QByteArray>("refusal"); // empty: merged
    const QString all = "art tiledata animation";
    QTest::newRow("whole tiles") << QStringList{"--ids", "terrain:0x11,static:3,static:5"}
                                 << QStringList{"land:17", "static:3", "static:5"} << all << QByteArray();
    QTest::newRow("art alone") << QStringList{"--ids", "land:0x11,static:5", "--art"}
                               << QStringList{"land:17", "static:5"} << "art" << QByteArray();
    QTest::newRow("tile data alone") << QStringList{"--tiledata", "--ids", "land:17,static:5"}
                                     << QStringList{"land:17", "static:5"} << "tiledata" << QByteArray();
    QTest::newRow("animation alone") << QStringList{"--ids=static:3,static:5", "--animation"}
                                     << QStringList{"static:3", "static:5"} << "animation" << QByteArray();
    // Damaged static 4 becomes B's: no image.
    QTest::newRow("a range") << QStringList{"--ids", "static:0x4-0x6"}
                             << QStringList{"static:4", "static:5", "static:6"} << all << QByteArray();
    QTest::newRow("past A's end") << QStringList{"--ids", "static:70"} << QStringList{"static:70"} << all
                                  << QByteArray();
    QTest::newRow("upper flags into classic")
        << QStringList{"--ids", "static:5,static:0x21"} << QStringList() << all
        << QByteArray("static tile 33 uses flags the classic layout cannot hold (NoShadow)");
    QTest::newRow("not in B") << QStringList{"--ids", "static:96"} << QStringList() << all
                              << QByteArray("Static 0x60 is not in");
}

void TestCli::mergeTakesTilesFromTheOtherSet()
{
    QFETCH(QStringList, args);
    QFETCH(QStringList, taken);
    QFETCH(QString, parts);
    QFETCH(QByteArray, refusal);
    QTemporaryDir out;
    const QString merged = out.filePath("merged");
    const QMap<QString, QByteArray> before = files(data->path());
    const Run run = cli(QStringList{"merge", data->path(), theirs->path(), merged} + args);
    QCOMPARE(files(data->path()), before);
    if (!refusal.isEmpty()) {
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(run.err.contains(refusal), run.err);
        QVERIFY(!QFileInfo::exists(merged));
        return;
    }
    QVERIFY2(run.exitCode == 0, run.err);

    // A's files with B's records (classic: 836-byte land blocks, then 1188-byte static blocks)
    // and entries (548-byte blocks) written over theirs; a block is added whole, zeros.
    QByteArray tileData = fileBytes(data->filePath("tiledata.mul"));
    QByteArray animData = fileBytes(data->filePath("animdata.mul"));
    const auto put = [](QByteArray &file, qint64 at, const QByteArray &bytes, qint64 blockEnd) {
        file.append(QByteArray(qMax<qint64>(0, blockEnd - file.size()), '\0'));
        file.replace(at, bytes.size(), bytes);
    };
    QSet<QString> fromB;
    for (const QString &tile : taken) {
        const int id = tile.section(':', 1).toInt();
        for (const QString &part : parts.split(' '))
            fromB.insert(tile + ':' + part);
        if (tile.startsWith("land") && parts.contains("tiledata")) {
            LandTileRecord record = *theirs->tiles().landRecord(id);
            record.layout = TileDataLayout::classic();
            put(tileData, id / 32 * 836 + 4 + id % 32 * 26, record.toBytes(), 0);
        } else if (parts.contains("tiledata")) {
            StaticTileRecord record = *theirs->tiles().staticRecord(id);
            record.layout = TileDataLayout::classic();
            put(tileData, 428032 + id / 32 * 1188 + 4 + id % 32 * 37, record.toBytes(),
                428032 + (id / 32 + 1) * 1188);
        }
        if (tile.startsWith("static") && parts.contains("animation")
            && !(theirs->anims().readEntry(id) == data->anims().readEntry(id)))
            put(animData, id / 8 * 548 + 4 + id % 8 * 68, theirs->anims().readEntry(id).toBytes(),
                (id / 8 + 1) * 548);
    }
    QCOMPARE(fileBytes(QDir(merged).filePath("tiledata.mul")), tileData);
    QCOMPARE(fileBytes(QDir(merged).filePath("animdata.mul")), animData);
    // Every image A's or, for the tiles taken, B's.
    ArtWork art(QDir(merged).filePath("artidx.mul"), QDir(merged).filePath("art.mul"));
    for (const TileKind kind : {TileKind::Terrain, TileKind::Static}) {
        for (int id = 0; id < 96; ++id) {
            const QString tile = QStringLiteral("%1:%2:art").arg(tileDataKindWord(kind)).arg(id);
            TestDataSet &source = fromB.contains(tile) ? *theirs : *data;
            QVERIFY2(art.image(kind, id, false) == source.art().image(kind, id, false), qPrintable(tile));
        }
    }
}

void TestCli::nothingLeftInTheTemporaryDirectory_data()
{
    // Runs, one after the other, with their arguments; a run given a byte count is killed
    // (SIGXFSZ, as by a signal it does not handle) when it writes a file past that size.
    QTest::addColumn<QList<QStringList>>("runs");
    QTest::addColumn<QList<int>>("killedBeyond");
    QTest::newRow("export killed while writing")
        << QList<QStringList>{{"export", "DIR", "terrain", "all", "OUT"}} << QList<int>{256};
    // A killed patch run leaves its edits, which nobody recovers: the next run (info, which
    // itself must leave nothing) clears them.
    QTest::newRow("patch killed while saving, then info")
        << QList<QStringList>{{"patch", "DIR", "OUT", "LIST"}, {"info", "DIR"}} << QList<int>{4096, 0};
}

void TestCli::nothingLeftInTheTemporaryDirectory()
{
    QFETCH(QList<QStringList>, runs);
    QFETCH(QList<int>, killedBeyond);
    QTemporaryDir temp;
    QTemporaryDir out;
    QVERIFY(TestFiles::writeFile(out.filePath("list.txt"), "terrain 3 delete\n"));
    for (int n = 0; n < runs.size(); ++n) {
        QStringList args = runs.at(n);
        args.replaceInStrings(QRegularExpression("^DIR$"), data->path())
            .replaceInStrings(QRegularExpression("^OUT$"), out.filePath("out"))
            .replaceInStrings(QRegularExpression("^LIST$"), out.filePath("list.txt"));
        QCOMPARE(cli(args, killedBeyond.at(n), true, temp.path()).exitCode, killedBeyond.at(n) > 0 ? -1 : 0);
    }
    QCOMPARE(
        QDir(temp.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), QStringList());
}

QTEST_GUILESS_MAIN(TestCli)
#include "test_cli.moc"
