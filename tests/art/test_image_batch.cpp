// Image files of many tiles: their names, exporting them into a folder (and stopping
// half-way), and reading back which tile a file names.

#include "TestDataSet.h"
#include "TestFiles.h"
#include "art/ImageBatchExport.h"
#include "art/ImageBatchImport.h"
#include "art/TileImageFileName.h"

#include <QDir>
#include <QtTest>
#include <unistd.h>

namespace {

// Every entry of a folder, hidden ones too.
QStringList entries(const QString &directory)
{
    return QDir(directory).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

// Puts what contents says into path: "WxH" an image of that size in the format the
// extension names, "dir" a folder, anything else that text.
bool makeFile(const QString &path, const QString &contents)
{
    if (contents == QLatin1String("dir"))
        return QDir().mkpath(path);
    const QStringList size = contents.split(QLatin1Char('x'));
    bool wide = false;
    bool high = false;
    if (size.size() == 2 && size[0].toInt(&wide) > 0 && size[1].toInt(&high) > 0 && wide && high) {
        const QString suffix = QFileInfo(path).suffix().toLower();
        return TestDataSet::solid(size[0].toInt(), size[1].toInt(), Qt::green)
            .save(path, suffix == QLatin1String("bmp") ? "BMP" : "PNG");
    }
    return TestFiles::writeFile(path, contents.toUtf8());
}

QImage staticImage(int id)
{
    return TestDataSet::solid(
        3 + id % 5, 4 + id % 7, QColor::fromRgb(8 * (id % 31), 248, 8 * (id / 31 % 31)));
}

} // namespace

class TestImageBatch : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void fileNames_data()
    {
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<int>("kind"); // TileKind; -1: refused
        QTest::addColumn<int>("id");
        QTest::addColumn<QString>("refusal");
        const auto accepted = [](const char *name, TileKind kind, int id) {
            QTest::newRow(name) << QString::fromLatin1(name) << int(kind) << id << QString();
        };
        const auto refused = [](const char *name, const char *reason) {
            QTest::newRow(name) << QString::fromLatin1(name) << -1 << -1 << QString::fromLatin1(reason);
        };
        accepted("static-0x01f3.png", TileKind::Static, 0x1f3);
        accepted("static_0x1F3.png", TileKind::Static, 0x1f3);
        accepted("static-499.png", TileKind::Static, 499);
        accepted("land 12.png", TileKind::Terrain, 12);
        accepted("Terrain7.BMP", TileKind::Terrain, 7);
        accepted("STATIC-0XFFFF.gif", TileKind::Static, 0xffff);
        accepted("terrain-0x3fff", TileKind::Terrain, 0x3fff);
        accepted("static-0007.png", TileKind::Static, 7);
        refused("item-5.png", "unknown name");
        refused("land.12.png", "unknown name");
        refused("static--5.png", "unknown name");
        refused("static-0x.png", "unknown name");
        refused("static-12abc.png", "unknown name");
        refused("static-0x01f3.png.png", "unknown name");
        refused("static 0x1f3 copy.png", "unknown name");
        refused(".static-0x0001.png.77-0.part", "unknown name");
        refused("terrain-16384.png", "id out of range: terrain ids run from 0 to 0x3FFF");
        refused("land-0x4000.png", "id out of range: terrain ids run from 0 to 0x3FFF");
        refused("static-65536.png", "id out of range: static ids run from 0 to 0xFFFF");
        refused("static-99999999999999999999999.png", "id out of range");
    }

    void fileNames()
    {
        QFETCH(QString, fileName);
        QFETCH(int, kind);
        QFETCH(int, id);
        QFETCH(QString, refusal);
        const TileImageFileName::Parsed parsed = TileImageFileName::parse(fileName);
        if (kind < 0) {
            QVERIFY(!parsed.isValid());
            QVERIFY2(parsed.refusal.startsWith(refusal), qPrintable(parsed.refusal));
            return;
        }
        QVERIFY2(parsed.isValid(), qPrintable(parsed.refusal));
        QCOMPARE(int(parsed.kind), kind);
        QCOMPARE(parsed.id, id);
    }

    void importTakesTheFilesNamedForTiles_data()
    {
        QTest::addColumn<int>("kind");
        // "name=what": what makeFile puts there.
        QTest::addColumn<QStringList>("files");
        // "name>id" for a file taken, "name:reason" for one refused (the reason's start).
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("statics") << int(TileKind::Static)
                                 << QStringList{"static-0x0005.png=7x9", "static_6.bmp=3x2",
                                        "land 3.png=44x44", "notes.txt=hello", "static-9.png=not an image",
                                        "static-0x0007.png=2x2", "static-7.gif=2x2", "static-70000.png=2x2",
                                        "static-8.png=1100x2", "static-0x0b.png=dir", ".static-12.png=2x2",
                                        "STATIC 0X1F3.PNG=1x1"}
                                 << QStringList{"STATIC 0X1F3.PNG>499",
                                        "land 3.png:other kind: a terrain tile", "notes.txt:unknown name",
                                        "static-0x0005.png>5",
                                        "static-0x0007.png:duplicate id: static-7.gif names Static 0x7 too",
                                        "static-7.gif:duplicate id", "static-70000.png:id out of range",
                                        "static-8.png:too large: The image is 1100 x 2 pixels",
                                        "static-9.png:unreadable", "static_6.bmp>6"};
        QTest::newRow("terrain") << int(TileKind::Terrain)
                                 << QStringList{"terrain-0x0001.png=44x44", "land-2.png=40x40",
                                        "land 3.bmp=44x44", "static-1.png=5x5", "terrain-16384.png=44x44"}
                                 << QStringList{"land 3.bmp>3",
                                        "land-2.png:wrong size for terrain: the image is 40 x 40 pixels",
                                        "static-1.png:other kind: a static", "terrain-0x0001.png>1",
                                        "terrain-16384.png:id out of range"};
    }

    void importTakesTheFilesNamedForTiles()
    {
        QFETCH(int, kind);
        QFETCH(QStringList, files);
        QFETCH(QStringList, expected);
        QTemporaryDir folder;
        for (const QString &file : files)
            QVERIFY2(
                makeFile(folder.filePath(file.section('=', 0, 0)), file.section('=', 1)), qPrintable(file));
        ImageBatchImport::Plan plan;
        QString error;
        QVERIFY2(ImageBatchImport::read(folder.path(), TileKind(kind), &plan, &error), qPrintable(error));
        QStringList found;
        for (auto it = plan.fileNames.cbegin(); it != plan.fileNames.cend(); ++it)
            found << QStringLiteral("%1>%2").arg(it.value()).arg(it.key());
        for (const ImageBatchImport::Refusal &refused : std::as_const(plan.refused))
            found << refused.fileName + ':' + refused.reason;
        found.sort();
        QCOMPARE(found.size(), expected.size());
        for (int n = 0; n < expected.size(); ++n)
            QVERIFY2(found[n].startsWith(expected[n]), qPrintable(found[n] + " / " + expected[n]));
        // The images as storing gives them back: statics' black and transparent are left out.
        for (auto it = plan.images.cbegin(); it != plan.images.cend(); ++it)
            QCOMPARE(it.value(),
                ArtWork::normalize(TileKind(kind), QImage(folder.filePath(plan.fileNames[it.key()]))));
        // A folder that is none is said.
        QVERIFY(!ImageBatchImport::read(folder.filePath("none"), TileKind(kind), &plan, &error));
        QVERIFY2(error.endsWith("none is not a folder that can be read"), qPrintable(error));
    }

    void exportNamesReadBack_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("id");
        QTest::addColumn<QString>("name");
        QTest::newRow("terrain 0") << int(TileKind::Terrain) << 0 << "terrain-0x0000.png";
        QTest::newRow("terrain 0x10") << int(TileKind::Terrain) << 0x10 << "terrain-0x0010.png";
        QTest::newRow("static 0x1F3") << int(TileKind::Static) << 0x1f3 << "static-0x01f3.png";
        QTest::newRow("static 0xFFFF") << int(TileKind::Static) << 0xffff << "static-0xffff.png";
    }

    void exportNamesReadBack()
    {
        QFETCH(int, kind);
        QFETCH(int, id);
        QFETCH(QString, name);
        QCOMPARE(TileImageFileName::exportName(TileKind(kind), id), name);
        const TileImageFileName::Parsed parsed = TileImageFileName::parse(name);
        QVERIFY(parsed.isValid() && int(parsed.kind) == kind && parsed.id == id);
    }

    void exportWritesEveryImage()
    {
        DataSetBuilder builder(64);
        for (int id : {1, 2, 40})
            builder.setStaticImage(id, staticImage(id));
        builder.setTerrainImage(5, TestDataSet::terrain(Qt::red));
        TestDataSet data(builder);
        QVERIFY(data.isValid());
        // An earlier export's file is replaced whole.
        QTemporaryDir out;
        QVERIFY(TestFiles::writeFile(out.filePath("static-0x0002.png"), "old"));

        ImageBatchExport statics(data.art(), TileKind::Static);
        const ImageBatchExport::Outcome outcome = statics.run({0, 1, 2, 3, 40}, out.path());
        QVERIFY2(outcome.ok(), qPrintable(outcome.error));
        QCOMPARE(outcome.written, 3);
        QCOMPARE(outcome.withoutImage, 2);
        QVERIFY(!outcome.cancelled);
        QCOMPARE(entries(out.path()),
            (QStringList{"static-0x0001.png", "static-0x0002.png", "static-0x0028.png"}));
        for (int id : {1, 2, 40}) {
            const QImage written(out.filePath(TileImageFileName::exportName(TileKind::Static, id)), "png");
            QCOMPARE(written.convertToFormat(QImage::Format_ARGB32), staticImage(id));
        }
        // A pending edit is what is exported.
        QVERIFY(data.art().setImage(TileKind::Terrain, 5, TestDataSet::terrain(Qt::blue)));
        QTemporaryDir terrainOut;
        QCOMPARE(ImageBatchExport(data.art(), TileKind::Terrain).run({5}, terrainOut.path()).written, 1);
        QCOMPARE(QImage(terrainOut.filePath("terrain-0x0005.png")).pixel(22, 22), qRgb(0, 0, 248));
    }

    void cancelledExportKeepsWhatWasWritten()
    {
        DataSetBuilder builder(512);
        QVector<int> ids;
        for (int id = 0; id < 400; ++id) {
            builder.setStaticImage(id, staticImage(id));
            ids.append(id);
        }
        TestDataSet data(builder);
        QVERIFY(data.isValid());
        QTemporaryDir out;
        ImageBatchExport batch(data.art(), TileKind::Static);
        int reports = 0;
        int toldWritten = -1;
        batch.setProgress([&](int done, int written) {
            ++reports;
            toldWritten = written;
            return done < 40;
        });
        const ImageBatchExport::Outcome outcome = batch.run(ids, out.path());
        QVERIFY(outcome.ok() && outcome.cancelled);
        QCOMPARE(toldWritten, outcome.written);
        QVERIFY2(
            outcome.written >= 40 && outcome.written < 400, qPrintable(QString::number(outcome.written)));
        // Exactly the files told, each whole, and nothing half-written beside them.
        const QStringList written = entries(out.path());
        QCOMPARE(written.size(), outcome.written);
        for (const QString &name : written) {
            const TileImageFileName::Parsed tile = TileImageFileName::parse(name);
            QVERIFY2(tile.isValid(), qPrintable(name));
            QCOMPARE(QImage(out.filePath(name), "png").convertToFormat(QImage::Format_ARGB32),
                staticImage(tile.id));
        }
    }

    void refusesToWriteOverWhatIsNoImageFile()
    {
        DataSetBuilder builder(8);
        builder.setStaticImage(1, staticImage(1));
        builder.setStaticImage(2, staticImage(2));
        TestDataSet data(builder);
        QVERIFY(data.isValid());
        const QByteArray art = TestFiles::fileBytes(data.filePath("art.mul"));

        // A link to a file of the data set under an export name is not written through.
        QTemporaryDir out;
        QCOMPARE(::link(QFile::encodeName(data.filePath("art.mul")).constData(),
                     QFile::encodeName(out.filePath("static-0x0002.png")).constData()),
            0);
        ImageBatchExport batch(data.art(), TileKind::Static);
        batch.protect({FileIdentity::of(data.filePath("art.mul"))});
        ImageBatchExport::Outcome outcome = batch.run({1, 2}, out.path());
        QVERIFY(!outcome.ok());
        QCOMPARE(outcome.failedPath, out.filePath("static-0x0002.png"));
        QVERIFY2(outcome.error.contains("a file of the data set"), qPrintable(outcome.error));
        QCOMPARE(TestFiles::fileBytes(data.filePath("art.mul")), art);

        // Nor is a folder replaced.
        QTemporaryDir other;
        QVERIFY(QDir(other.path()).mkdir("static-0x0001.png"));
        outcome = ImageBatchExport(data.art(), TileKind::Static).run({1, 2}, other.path());
        QVERIFY(!outcome.ok() && outcome.error.startsWith("not a regular file"));
        QVERIFY(QFileInfo(other.filePath("static-0x0001.png")).isDir());
    }
};

QTEST_GUILESS_MAIN(TestImageBatch)
#include "test_image_batch.moc"
