// The installation directory found in the registry of a Wine prefix: the .reg text
// format, the four keys in both registry files and under Wow6432Node, and Windows paths
// turned into paths inside the prefix.

#include "FakePrompts.h"
#include "TestDataSet.h"
#include "TestFiles.h"
#include "app/DataDirectory.h"
#include "app/MyMainWindow.h"
#include "app/WineRegistry.h"

#include <QSettings>
#include <QtTest>

namespace {

using TestFiles::writeFile;

// A .reg file as Wine writes one, around the given sections.
QByteArray regFile(const QByteArray &sections)
{
    return "WINE REGISTRY Version 2\n;; All keys relative to \\\\Machine\n\n#arch=win32\n\n"
           "[Software\\\\Other\\\\Program] 1700000000\n#time=1d9f0\n\"Install Dir\"=\"C:\\\\elsewhere\"\n\n"
        + sections + "\n[Software\\\\Binary] 1700000000\n\"Data\"=hex:00,01,02,\\\n  03,04\n";
}

} // namespace

class TestWineRegistry : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void installationDirectory_data();
    void installationDirectory();
    void windowOpensTheDataSetWithoutAChooser();

private:
    QTemporaryDir scratch;
};

void TestWineRegistry::initTestCase()
{
    // The settings store holds nothing: only the prefix can answer.
    QVERIFY(scratch.isValid());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, scratch.filePath("user"));
    QSettings::setPath(QSettings::NativeFormat, QSettings::SystemScope, scratch.filePath("system"));
}

void TestWineRegistry::installationDirectory_data()
{
    QTest::addColumn<QString>("file"); // system.reg or user.reg
    QTest::addColumn<QByteArray>("sections");
    QTest::addColumn<QString>("found"); // relative to the prefix; empty: nothing found
    const QByteArray aos = "[Software\\\\EA GAMES\\\\Ultima Online AoS] 1700000000\n#time=1d9f0\n";
    QTest::newRow("machine key") << "system.reg" << aos + "\"Install Dir\"=\"C:\\\\Games\\\\UO\"\n"
                                 << "drive_c/Games/UO";
    QTest::newRow("user key, trailing separator")
        << "user.reg" << aos + "\"Install Dir\"=\"C:\\\\Games\\\\UO\\\\\"\n"
        << "drive_c/Games/UO";
    QTest::newRow("Wow6432Node")
        << "system.reg"
        << QByteArray("[Software\\\\Wow6432Node\\\\EA GAMES\\\\Ultima Online Samurai Empire] 1700000000\n"
                      "\"Install Dir\"=\"C:\\\\Games\\\\UO\"\n")
        << "drive_c/Games/UO";
    QTest::newRow("names in another case") << "system.reg"
                                           << QByteArray("[software\\\\ea games\\\\ULTIMA ONLINE AOS]\n"
                                                         "\"install dir\"=\"c:\\\\GAMES\\\\uo\"\n")
                                           << "drive_c/Games/UO";
    QTest::newRow("program path, expandable string")
        << "system.reg"
        << QByteArray("[Software\\\\Origin Worlds Online\\\\Ultima Online\\\\1.0] 1700000000\n"
                      "\"ExePath\"=str(2):\"C:\\\\Games\\\\UO\\\\client.exe\"\n")
        << "drive_c/Games/UO";
    QTest::newRow("another drive, through dosdevices")
        << "system.reg" << aos + "\"Install Dir\"=\"D:\\\\UO\"\n"
        << "other/UO";
    QTest::newRow("first probe wins") << "system.reg"
                                      << aos
            + "\"Install Dir\"=\"C:\\\\elsewhere\"\n"
              "[Software\\\\EA GAMES\\\\Ultima Online Samurai Empire]\n\"Install "
              "Dir\"=\"C:\\\\Games\\\\UO\"\n"
                                      << "drive_c/Games/UO";
    QTest::newRow("binary value") << "system.reg" << aos + "\"Install Dir\"=hex(2):43,00,3a,00\n"
                                  << "";
    QTest::newRow("drive not in the prefix") << "system.reg" << aos + "\"Install Dir\"=\"Q:\\\\UO\"\n"
                                             << "";
    QTest::newRow("value of another name") << "user.reg" << aos + "\"InstallDir\"=\"C:\\\\Games\\\\UO\"\n"
                                           << "";
}

void TestWineRegistry::installationDirectory()
{
    QFETCH(QString, file);
    QFETCH(QByteArray, sections);
    QFETCH(QString, found);
    QTemporaryDir prefix;
    QDir root(prefix.path());
    QVERIFY(root.mkpath("drive_c/Games/UO") && root.mkpath("dosdevices") && root.mkpath("other/UO"));
    QVERIFY(QFile::link("../drive_c", root.filePath("dosdevices/c:")));
    QVERIFY(QFile::link(root.filePath("other"), root.filePath("dosdevices/d:")));
    QVERIFY(writeFile(root.filePath(file), regFile(sections)));

    const QString expected
        = found.isEmpty() ? QString() : QFileInfo(root.filePath(found)).canonicalFilePath();
    const QString result = DataDirectory::searchWine(prefix.path());
    QCOMPARE(result.isEmpty() ? result : QFileInfo(result).canonicalFilePath(), expected);
    qputenv("WINEPREFIX", QFile::encodeName(prefix.path()));
    QCOMPARE(WineRegistry::defaultPrefix(), prefix.path());
    QCOMPARE(DataDirectory::search(), result);
    qunsetenv("WINEPREFIX");
}

void TestWineRegistry::windowOpensTheDataSetWithoutAChooser()
{
    QTemporaryDir prefix;
    const QString install = QDir(prefix.path()).filePath("drive_c/Program Files/EA GAMES/UO");
    QVERIFY(DataSetBuilder(32).write(install));
    QVERIFY(writeFile(QDir(prefix.path()).filePath("system.reg"),
        regFile("[Software\\\\EA GAMES\\\\Ultima Online AoS]\n"
                "\"Install Dir\"=\"C:\\\\Program Files\\\\EA GAMES\\\\UO\"\n")));
    qputenv("WINEPREFIX", QFile::encodeName(prefix.path()));
    FakePrompts prompts;
    MyMainWindow window;
    qunsetenv("WINEPREFIX");
    QVERIFY(window.isComplete());
    QCOMPARE(prompts.count(QStringLiteral("directory")), 0);
    QCOMPARE(window.dataDirectory(), install);
}

QTEST_MAIN(TestWineRegistry)
#include "test_wine_registry.moc"
