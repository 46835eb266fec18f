#include "test_datasetsaver_fixture.h"

#include <QFileInfo>
#include <QtTest>
#include <unistd.h>

namespace {

const QString DiskFull = QStringLiteral("No space left on device");

// A fixture whose output directory already holds an earlier save and a file of the
// user's, with fresh edits pending that a new save would write.
class EarlierOutput : public SaverFixture
{
public:
    EarlierOutput()
    {
        if (!ok)
            return;
        QFile other(outFile("notes.txt"));
        ok = art->setTerrain(1, patternImage(44, 44, 1)) && other.open(QIODevice::WriteOnly)
            && other.write("mine") == 4;
        other.close();
        DataSetSaver first = saver();
        ok = ok && first.save(outDir) == DataSetSaver::Status::Saved;
        ok = ok && art->setTerrain(2, patternImage(44, 44, 2)) && art->setStatic(3, QImage())
            && tiles->setLandRecord(2, QByteArray(26, 'x'));
        before = snapshot(outDir);
        terrainEdits = art->pendingTerrain();
        staticEdits = art->pendingStatics();
        tileEdits = tiles->pendingRecords();
    }

    // Nothing in the output directory changed and every pending edit is still there.
    bool untouched() const { return snapshot(outDir) == before && pendingKept(); }
    bool pendingKept() const
    {
        for (const QString &path : terrainEdits) {
            if (!path.isEmpty() && !QFileInfo::exists(path))
                return false;
        }
        return art->pendingTerrain() == terrainEdits && art->pendingStatics() == staticEdits
            && tiles->pendingRecords() == tileEdits && tiles->landRecord(2) == QByteArray(26, 'x');
    }

    QMap<QString, QByteArray> before;
    QHash<int, QString> terrainEdits;
    QHash<int, QString> staticEdits;
    QHash<int, QString> tileEdits;
};

QString stagedFile(const QString &directory, const QString &target)
{
    const QStringList staged
        = QDir(directory).entryList({QStringLiteral(".%1.*").arg(target)}, QDir::Files | QDir::Hidden);
    return staged.size() == 1 ? QDir(directory).filePath(staged.first()) : QString();
}

} // namespace

class TestDataSetSaverFailures : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void diskFullLeavesOutputAsItWas_data();
    void diskFullLeavesOutputAsItWas();
    void failedRenameRestoresFilesAlreadyReplaced();
    void directoryInPlaceOfATargetFile();
    void stagedFileVanishingMidway();
    void outputDirectoryVanishingMidway();
    void pendingEditVanished();
    void unwritableOutputDirectory();
    void cancelledSaveLeavesOutputAsItWas();
};

void TestDataSetSaverFailures::diskFullLeavesOutputAsItWas_data()
{
    QTest::addColumn<QString>("target");
    for (const char *name : {"art.mul", "artidx.mul", "tiledata.mul", "animdata.mul"})
        QTest::newRow(name) << QString::fromLatin1(name);
}

void TestDataSetSaverFailures::diskFullLeavesOutputAsItWas()
{
    QFETCH(QString, target);
    EarlierOutput f;
    QVERIFY(f.ok);
    DataSetSaver saver = f.saver();
    saver.setFaultHook([&](DataSetSaver::Step step, const QString &fileName) {
        return step == DataSetSaver::Step::Write && fileName == target ? DiskFull : QString();
    });
    QCOMPARE(saver.save(f.outDir), DataSetSaver::Status::Failed);
    QVERIFY2(saver.errorString().contains(target), qPrintable(saver.errorString()));
    QVERIFY(saver.errorString().contains(DiskFull));
    QCOMPARE(QFileInfo(saver.failedFile()).fileName(), target);
    QVERIFY(f.untouched());
}

void TestDataSetSaverFailures::failedRenameRestoresFilesAlreadyReplaced()
{
    EarlierOutput f;
    QVERIFY(f.ok);
    DataSetSaver saver = f.saver();
    QStringList renamed;
    saver.setFaultHook([&](DataSetSaver::Step step, const QString &fileName) {
        if (step != DataSetSaver::Step::Rename)
            return QString();
        renamed.append(fileName);
        return fileName == QLatin1String("animdata.mul") ? QStringLiteral("Input/output error") : QString();
    });
    QCOMPARE(saver.save(f.outDir), DataSetSaver::Status::Failed);
    // The last file failed after the other three had been put in place.
    QCOMPARE(renamed.size(), 4);
    QVERIFY(saver.errorString().contains(QStringLiteral("animdata.mul")));
    QVERIFY(f.untouched());
}

void TestDataSetSaverFailures::directoryInPlaceOfATargetFile()
{
    EarlierOutput f;
    QVERIFY(f.ok);
    QVERIFY(QFile::remove(f.outFile("tiledata.mul")));
    QVERIFY(QDir(f.outDir).mkdir(QStringLiteral("tiledata.mul")));
    f.before = snapshot(f.outDir);

    DataSetSaver saver = f.saver();
    QCOMPARE(saver.save(f.outDir), DataSetSaver::Status::Failed);
    QVERIFY(saver.errorString().contains(QStringLiteral("tiledata.mul")));
    QVERIFY(f.untouched());
    QVERIFY(QFileInfo(f.outFile("tiledata.mul")).isDir());
}

void TestDataSetSaverFailures::stagedFileVanishingMidway()
{
    EarlierOutput f;
    QVERIFY(f.ok);
    DataSetSaver saver = f.saver();
    bool removed = false;
    saver.setFaultHook([&](DataSetSaver::Step step, const QString &fileName) {
        if (step == DataSetSaver::Step::Write && fileName == QLatin1String("tiledata.mul") && !removed)
            removed = QFile::remove(stagedFile(f.outDir, QStringLiteral("art.mul")));
        return QString();
    });
    QCOMPARE(saver.save(f.outDir), DataSetSaver::Status::Failed);
    QVERIFY(removed);
    QVERIFY2(saver.errorString().contains(QStringLiteral("art.mul")), qPrintable(saver.errorString()));
    QVERIFY(f.untouched());
}

void TestDataSetSaverFailures::outputDirectoryVanishingMidway()
{
    EarlierOutput f;
    QVERIFY(f.ok);
    const QMap<QString, QByteArray> data = snapshot(f.dataDir);
    DataSetSaver saver = f.saver();
    saver.setFaultHook([&](DataSetSaver::Step step, const QString &fileName) {
        if (step == DataSetSaver::Step::Write && fileName == QLatin1String("animdata.mul"))
            QDir(f.outDir).removeRecursively();
        return QString();
    });
    QCOMPARE(saver.save(f.outDir), DataSetSaver::Status::Failed);
    QVERIFY(saver.errorString().contains(QStringLiteral(".mul")));
    QVERIFY(!saver.failedFile().isEmpty());
    QVERIFY(!QFileInfo::exists(f.outDir));
    QVERIFY(f.pendingKept());
    QCOMPARE(snapshot(f.dataDir), data);
}

void TestDataSetSaverFailures::pendingEditVanished()
{
    EarlierOutput f;
    QVERIFY(f.ok);
    const QString pending = f.art->pendingTerrain().value(2);
    QVERIFY(QFile::remove(pending));
    DataSetSaver saver = f.saver();
    QCOMPARE(saver.save(f.outDir), DataSetSaver::Status::Failed);
    QVERIFY2(saver.errorString().contains(QStringLiteral("terrain tile 2")), qPrintable(saver.errorString()));
    QCOMPARE(snapshot(f.outDir), f.before);
    QCOMPARE(f.art->pendingTerrain(), f.terrainEdits);
}

void TestDataSetSaverFailures::unwritableOutputDirectory()
{
    if (geteuid() == 0)
        QSKIP("file permissions do not bind the superuser");
    EarlierOutput f;
    QVERIFY(f.ok);
    QVERIFY(QFile::setPermissions(f.outDir, QFile::ReadOwner | QFile::ExeOwner));
    DataSetSaver saver = f.saver();
    const DataSetSaver::Status status = saver.save(f.outDir);
    QFile::setPermissions(f.outDir, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QCOMPARE(status, DataSetSaver::Status::Failed);
    QVERIFY(saver.errorString().contains(QStringLiteral("art.mul")));
    QVERIFY(f.untouched());
}

void TestDataSetSaverFailures::cancelledSaveLeavesOutputAsItWas()
{
    EarlierOutput f;
    QVERIFY(f.ok);
    DataSetSaver saver = f.saver();
    saver.setProgressHandler([](qint64 done, qint64) { return done == 0; });
    QCOMPARE(saver.save(f.outDir), DataSetSaver::Status::Cancelled);
    QVERIFY(f.untouched());

    saver.setProgressHandler([](qint64, qint64) { return true; });
    QCOMPARE(saver.save(f.outDir), DataSetSaver::Status::Saved);
    QCOMPARE(f.openOutputArt()->getTerrain(2, false), f.art->getTerrain(2, false));
}

QTEST_GUILESS_MAIN(TestDataSetSaverFailures)
#include "test_datasetsaver_failures.moc"
