#include "io/PendingEditDirectory.h"

#include <QtTest>
#include <utime.h>

// What runs killed at any moment leave in the temporary directory.
class PendingEditDirectoryTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void leftoversOfKilledRunsAreSortedOut_data()
    {
        QTest::addColumn<QStringList>("files"); // what the directory holds
        QTest::addColumn<int>("ageSeconds");
        QTest::addColumn<bool>("kept");
        QTest::newRow("killed before its lock") << QStringList() << 3600 << false;
        QTest::newRow("killed before its description") << QStringList{"session.lock"} << 3600 << false;
        QTest::newRow("being made now") << QStringList{"session.lock"} << 0 << true;
        QTest::newRow("an edit without a description") << QStringList{"Static5.wfg"} << 3600 << true;
    }
    void leftoversOfKilledRunsAreSortedOut()
    {
        QFETCH(QStringList, files);
        QFETCH(int, ageSeconds);
        QFETCH(bool, kept);
        QTemporaryDir parent;
        const QString left = parent.filePath(PendingEditDirectory::NamePrefix + "abc123");
        QVERIFY(QDir().mkpath(left));
        for (const QString &name : files) {
            QFile file(QDir(left).filePath(name));
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        const time_t then = ::time(nullptr) - ageSeconds;
        const utimbuf times{then, then};
        QCOMPARE(::utime(QFile::encodeName(left).constData(), &times), 0);
        // A live run's directory, described and locked, is never touched.
        PendingEditDirectory live(parent.path(), {QStringLiteral("art"), QStringLiteral("/data"), QString()});
        QVERIFY(live.create());

        QVERIFY(PendingEditDirectory::orphans(parent.path()).isEmpty());
        QCOMPARE(QFileInfo::exists(left), kept);
        QVERIFY(QFileInfo::exists(live.path()));
    }
};

QTEST_GUILESS_MAIN(PendingEditDirectoryTest)
#include "test_pending_edit_directory.moc"
