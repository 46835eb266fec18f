// The installation directory found in a Wine prefix's registry, as a path inside the prefix.

#include "ScratchSettings.h"
#include "TestFiles.h"
#include "app/DataDirectory.h"
#include "app/WineRegistry.h"

#include <QSettings>
#include <QtTest>

class TestWineRegistry : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(scratch.isValid());
        useScratchSettings(scratch.path());
    }

    void installationDirectory_data()
    {
        QTest::addColumn<QString>("file"); // system.reg or user.reg
        QTest::addColumn<QByteArray>("sections");
        QTest::addColumn<QString>("found"); // relative to the prefix; empty: nothing found
        const auto row = [](const char *name, const QByteArray &sections,
                             const char *found = "drive_c/Games/UO", const char *file = "system.reg") {
            QTest::newRow(name) << QString(file) << sections << QString(found);
        };
        const QByteArray aos
            = "[Software\\\\EA GAMES\\\\Ultima Online AoS] 1700000000\n#time=1d9f0\n\"Install Dir\"=";
        const QByteArray samurai = "EA GAMES\\\\Ultima Online Samurai Empire]\n\"Install Dir\"=";
        const QByteArray games = "\"C:\\\\Games\\\\UO\"\n";
        row("machine key", aos + games);
        row("user key, trailing separator", aos + "\"C:\\\\Games\\\\UO\\\\\"\n", "drive_c/Games/UO",
            "user.reg");
        row("Wow6432Node", "[Software\\\\Wow6432Node\\\\" + samurai + games);
        row("names in another case",
            "[software\\\\ea games\\\\ULTIMA ONLINE AOS]\n\"install dir\"=\"c:\\\\GAMES\\\\uo\"\n");
        row("program path, expandable string",
            "[Software\\\\Origin Worlds Online\\\\Ultima Online\\\\1.0] 1700000000\n"
            "\"ExePath\"=str(2):\"C:\\\\Games\\\\UO\\\\client.exe\"\n");
        row("program in capitals, forward separators",
            "[Software\\\\Origin Worlds Online\\\\Ultima Online Third Dawn\\\\1.0]\n"
            "\"ExePath\"=\"C:/Games/UO/CLIENT.EXE\"\n");
        // "U" written as a code unit, as Wine writes what is not plain ASCII.
        row("escaped character", aos + "\"C:\\\\Games\\\\\\x55O\"\n");
        row("another drive, through dosdevices", aos + "\"D:\\\\UO\"\n", "other/UO");
        row("first probe wins", aos + "\"C:\\\\elsewhere\"\n[Software\\\\" + samurai + games);
        row("drive not in the prefix", aos + "\"Q:\\\\UO\"\n", "");
    }
    void installationDirectory()
    {
        QFETCH(QString, file);
        QFETCH(QByteArray, sections);
        QFETCH(QString, found);
        QTemporaryDir prefix;
        const QDir root(prefix.path());
        QVERIFY(root.mkpath("drive_c/Games/UO") && root.mkpath("dosdevices") && root.mkpath("other/UO"));
        QVERIFY(QFile::link("../drive_c", root.filePath("dosdevices/c:")));
        QVERIFY(QFile::link(root.filePath("other"), root.filePath("dosdevices/d:")));
        // As Wine writes it: a header, another program's "Install Dir", a binary value.
        QVERIFY(TestFiles::writeFile(root.filePath(file),
            "WINE REGISTRY Version 2\n;; All keys relative to \\\\Machine\n\n#arch=win32\n\n"
            "[Software\\\\Other\\\\Program] 1700000000\n#time=1d9f0\n\"Install Dir\"=\"C:\\\\elsewhere\"\n\n"
                + sections + "\n[Software\\\\Binary] 1700000000\n\"Data\"=hex:00,01,02,\\\n  03,04\n"));

        const QString result = DataDirectory::searchWine(prefix.path());
        QCOMPARE(QFileInfo(result).canonicalFilePath(),
            found.isEmpty() ? QString() : QFileInfo(root.filePath(found)).canonicalFilePath());
        // The first run searches the prefix WINEPREFIX names.
        qputenv("WINEPREFIX", QFile::encodeName(prefix.path()));
        QCOMPARE(WineRegistry::defaultPrefix(), prefix.path());
        QCOMPARE(DataDirectory::search(), result);
        qunsetenv("WINEPREFIX");
    }

    void settingsValuesInAnySpelling_data()
    {
        QTest::addColumn<int>("probe");
        QTest::addColumn<QString>("value"); // "@": a directory of the test's own
        QTest::addColumn<QString>("artFile"); // where the data files are then looked for
        QTest::newRow("program after backslashes")
            << 2 << QString("C:\\UO\\client.exe") << QString("C:\\UO/art.mul");
        QTest::newRow("program named as the install directory")
            << 1 << QString("@\\uo.EXE") << QString("@/art.mul");
    }
    void settingsValuesInAnySpelling()
    {
        QFETCH(int, probe);
        QFETCH(QString, value);
        QFETCH(QString, artFile);
        QTemporaryDir directory;
        for (int i = 0; i < DataDirectory::ProbeCount; ++i) {
            const DataDirectory::Probe &each = DataDirectory::probe(i);
            QSettings settings(QString::fromLatin1(each.organization), QString::fromLatin1(each.application));
            settings.clear();
            if (i == probe)
                settings.setValue(QString::fromLatin1(each.key), value.replace('@', directory.path()));
        }
        QCOMPARE(DataDirectory::filePath(DataDirectory::search(), "art.mul"),
            artFile.replace('@', directory.path()));
    }

private:
    QTemporaryDir scratch;
};

QTEST_MAIN(TestWineRegistry)
#include "test_wine_registry.moc"
