// tessera-cli patch: the list format, and the command run as a user runs it.

#include "test_datasetsaver_fixture.h"

#include "tools/cli/CliError.h"
#include "tools/cli/PatchList.h"

#include <QProcess>
#include <QtTest>

namespace {

using Kind = PatchList::Entry::Kind;

struct Run
{
    int exitCode = -1;
    QString err;
};

Run cli(const QStringList &args)
{
    QProcess process;
    process.start(QStringLiteral(TESSERA_CLI), args);
    process.waitForFinished(120000);
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
        QString::fromLocal8Bit(process.readAllStandardError())};
}

void writeText(const QString &path, const QByteArray &text)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(text), qint64(text.size()));
}

} // namespace

class TestPatchList : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void goodLines();
    void badLines_data();
    void badLines();
    void patchWritesTheEditedDataSet();
    void badLineWritesNothing_data();
    void badLineWritesNothing();
    void dataDirectoryIsRefused();
};

void TestPatchList::goodLines()
{
    const QString text = QStringLiteral("# shard patch 12\n"
                                        "\n"
                                        "terrain 12 tiles/grass.png\n"
                                        "  static 0x1F   /abs/door.png  \r\n"
                                        "static 7 delete\n"
                                        "terrain 0x0 my tile 2.png\n"
                                        "   # indented comment\n");
    const PatchList list = PatchList::parse(text, QStringLiteral("/lists"), 100, QStringLiteral("l.txt"));
    const QVector<PatchList::Entry> &entries = list.entries();
    QCOMPARE(entries.size(), 4);
    QCOMPARE(entries[0].kind, Kind::Terrain);
    QCOMPARE(entries[0].id, 12);
    QCOMPARE(entries[0].imagePath, QStringLiteral("/lists/tiles/grass.png"));
    QCOMPARE(entries[0].line, 3);
    QCOMPARE(entries[1].kind, Kind::Static);
    QCOMPARE(entries[1].id, 31);
    QCOMPARE(entries[1].imagePath, QStringLiteral("/abs/door.png"));
    QCOMPARE(entries[2].id, 7);
    QVERIFY(entries[2].imagePath.isEmpty());
    QCOMPARE(entries[3].id, 0);
    QCOMPARE(entries[3].imagePath, QStringLiteral("/lists/my tile 2.png"));
    QCOMPARE(entries[3].line, 6);
}

void TestPatchList::badLines_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("complaint");
    QTest::newRow("unknown kind") << "land 5 a.png"
                                  << "'land' is neither terrain nor static";
    QTest::newRow("kind in capitals") << "Terrain 5 a.png"
                                      << "neither terrain nor static";
    QTest::newRow("no file") << "terrain 5"
                             << "expected";
    QTest::newRow("only a kind") << "static"
                                 << "expected";
    QTest::newRow("id not a number") << "terrain five a.png"
                                     << "not a tile id";
    QTest::newRow("bad hex") << "static 0xZZ a.png"
                             << "not a tile id";
    QTest::newRow("negative id") << "static -1 a.png"
                                 << "out of range";
    QTest::newRow("terrain id too large") << "terrain 16384 a.png"
                                          << "out of range";
    QTest::newRow("static id too large") << "static 0x64 delete"
                                         << "out of range";
}

void TestPatchList::badLines()
{
    QFETCH(QString, line);
    QFETCH(QString, complaint);
    const QString text
        = QStringLiteral("# header\nterrain 1 ok.png\n\n") + line + QStringLiteral("\nstatic 2 delete\n");
    try {
        PatchList::parse(text, QStringLiteral("/lists"), 100, QStringLiteral("edits.txt"));
        QFAIL("the bad line was accepted");
    } catch (const CliError &error) {
        QVERIFY2(error.message().startsWith(QStringLiteral("edits.txt:4: ")), qPrintable(error.message()));
        QVERIFY2(error.message().contains(complaint), qPrintable(error.message()));
    }
}

void TestPatchList::patchWritesTheEditedDataSet()
{
    SaverFixture f;
    QVERIFY(f.ok);
    const QString imageDir = f.root.filePath(QStringLiteral("list/images"));
    QVERIFY(QDir().mkpath(imageDir));
    QVERIFY(patternImage(44, 44, 1).save(QDir(imageDir).filePath(QStringLiteral("road tile.png"))));
    QVERIFY(patternImage(30, 50, 2).save(QDir(imageDir).filePath(QStringLiteral("sign.png"))));
    const QString list = f.root.filePath(QStringLiteral("list/edits.txt"));
    writeText(list,
        "# rebuild\n"
        "terrain 0x21 images/road tile.png\n"
        "static 5 images/sign.png\n"
        "terrain 7 delete\n"
        "static 9 delete\n");
    const QString out = f.root.filePath(QStringLiteral("patched"));

    const Run run = cli({QStringLiteral("patch"), f.dataDir, out, list});
    QVERIFY2(run.exitCode == 0, qPrintable(run.err));

    ArtWork patched(QDir(out).filePath("artidx.mul"), QDir(out).filePath("art.mul"), f.root.path());
    QCOMPARE(patched.getTerrain(0x21, false), ArtWork::normalizeTerrain(patternImage(44, 44, 1)));
    QCOMPARE(patched.getStatic(5, false), ArtWork::normalizeStatic(patternImage(30, 50, 2)));
    QVERIFY(patched.getTerrain(7, false).isNull());
    QVERIFY(patched.getStatic(9, false).isNull());
    QCOMPARE(patched.getTerrain(8, false), f.art->getTerrain(8, false));
    QCOMPARE(patched.getStatic(6, false), f.art->getStatic(6, false));
    QCOMPARE(fileBytes(QDir(out).filePath("tiledata.mul")), fileBytes(f.dataFile("tiledata.mul")));
    QCOMPARE(fileBytes(QDir(out).filePath("animdata.mul")), fileBytes(f.dataFile("animdata.mul")));
}

void TestPatchList::badLineWritesNothing_data()
{
    QTest::addColumn<QByteArray>("badLine");
    QTest::addColumn<QString>("complaint");
    QTest::newRow("syntax") << QByteArray("terrain 3") << "expected";
    QTest::newRow("missing image") << QByteArray("static 4 missing.png") << "cannot read image";
    QTest::newRow("not an image") << QByteArray("static 4 edits.txt") << "cannot read image";
    QTest::newRow("static beyond the data set") << QByteArray("static 0x10000 delete") << "out of range";
}

void TestPatchList::badLineWritesNothing()
{
    QFETCH(QByteArray, badLine);
    QFETCH(QString, complaint);
    SaverFixture f;
    QVERIFY(f.ok);
    QVERIFY(patternImage(44, 44, 3).save(f.root.filePath(QStringLiteral("good.png"))));
    const QString list = f.root.filePath(QStringLiteral("edits.txt"));
    writeText(list, "terrain 1 good.png\n# next one is bad\n" + badLine + "\nterrain 2 delete\n");

    const QString fresh = f.root.filePath(QStringLiteral("fresh"));
    Run run = cli({QStringLiteral("patch"), f.dataDir, fresh, list});
    QCOMPARE(run.exitCode, 1);
    QVERIFY2(run.err.contains(QStringLiteral("edits.txt:3: ")), qPrintable(run.err));
    QVERIFY2(run.err.contains(complaint), qPrintable(run.err));
    QVERIFY(!QFileInfo::exists(fresh));

    writeText(f.outFile("art.mul"), "older");
    const QMap<QString, QByteArray> before = snapshot(f.outDir);
    run = cli({QStringLiteral("patch"), f.dataDir, f.outDir, list});
    QCOMPARE(run.exitCode, 1);
    QCOMPARE(snapshot(f.outDir), before);
}

void TestPatchList::dataDirectoryIsRefused()
{
    SaverFixture f;
    QVERIFY(f.ok);
    const QString list = f.root.filePath(QStringLiteral("edits.txt"));
    writeText(list, "terrain 2 delete\n");
    const QMap<QString, QByteArray> before = snapshot(f.dataDir);
    const Run run = cli({QStringLiteral("patch"), f.dataDir, f.dataDir + QStringLiteral("/."), list});
    QCOMPARE(run.exitCode, 1);
    QVERIFY(run.err.contains(QStringLiteral("data directory")));
    QCOMPARE(snapshot(f.dataDir), before);
}

QTEST_GUILESS_MAIN(TestPatchList)
#include "test_datasetsaver_patch.moc"
