// One data set from opening to closing: the forms each directory is read in, files changed on
// disk told once for each state, and the order in which it is taken apart.

#include "TestDataSet.h"
#include "edits/TileEdits.h"
#include "session/DataSetSession.h"
#include "tiledata/TileData.h"
#include "tiledata/TileDataLayout.h"

#include <QtTest>

namespace {

// High-seas tile data: read as classic only when the forms given say so.
DataSetBuilder highSeasSet()
{
    DataSetBuilder builder(64);
    builder.setTileDataLayout(TileDataLayout::highSeas());
    return builder;
}

// How the tests open data sets: edits kept beside the test set's own.
DataSet::Options optionsFor(const TestDataSet &data)
{
    DataSet::Options options;
    options.pendingParent = data.pendingParent();
    return options;
}

bool append(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::Append) && file.write(bytes) == bytes.size();
}

} // namespace

class SessionTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void formsBelongToOneDirectory_data()
    {
        QTest::addColumn<QString>("given"); // "unset", "none", "first" or "second"
        QTest::addColumn<bool>("firstOpened");
        QTest::addColumn<QString>("firstLayout"); // the layout each directory is read in then
        QTest::addColumn<QString>("secondLayout");
        QTest::newRow("unset: every directory") << "unset" << false << "classic"
                                                << "classic";
        QTest::newRow("unset: the first opened keeps them") << "unset" << true << "classic"
                                                            << "high-seas";
        QTest::newRow("given to the first") << "first" << false << "classic"
                                            << "high-seas";
        QTest::newRow("given to the second, the first opened") << "second" << true << "high-seas"
                                                               << "classic";
        QTest::newRow("given to none") << "none" << true << "high-seas"
                                       << "high-seas";
    }
    void formsBelongToOneDirectory()
    {
        QFETCH(QString, given);
        QFETCH(bool, firstOpened);
        QFETCH(QString, firstLayout);
        QFETCH(QString, secondLayout);
        TestDataSet first(highSeasSet());
        TestDataSet second(highSeasSet());
        DataSet::Options options;
        options.pendingParent = first.pendingParent();
        options.tileDataLayout = TileDataLayout::classic();
        DataSetSession session(options, false);
        if (given != "unset")
            session.giveFormsTo(given == "first" ? first.path()
                    : given == "second"          ? second.path()
                                                 : QString());
        QString error;
        if (firstOpened)
            session.open(session.read(first.path(), &error), first.path());
        const auto layout = [&](const TestDataSet &data) {
            const std::unique_ptr<DataSet> set = session.read(data.path(), &error);
            return set ? set->tiles().layoutName() : error;
        };
        QCOMPARE(layout(first), firstLayout);
        QCOMPARE(layout(second), secondLayout);
    }

    void changesAreToldOnceForEachState()
    {
        TestDataSet data(highSeasSet());
        DataSetSession session(optionsFor(data), false);
        QString error;
        session.open(session.read(data.path(), &error), data.path());
        QSignalSpy told(&session, &DataSetSession::filesChanged);
        session.checkFiles();
        QVERIFY(session.readyToSave() && told.isEmpty());

        QVERIFY(append(data.filePath("tiledata.mul"), QByteArray(100, '\0')));
        session.checkFiles();
        session.checkFiles();
        QCOMPARE(told.count(), 1);
        QVERIFY(told.last().at(0).toString().endsWith("tiledata.mul"));
        // A save asks again, and is refused while the old file is open.
        QVERIFY(!session.readyToSave());
        QCOMPARE(told.count(), 2);
        QVERIFY(append(data.filePath("tiledata.mul"), QByteArray(100, '\0')));
        session.checkFiles();
        QCOMPARE(told.count(), 3);

        // Nothing is told again while it is being told; read again meanwhile, the save goes ahead.
        connect(&session, &DataSetSession::filesChanged, this, [&] {
            session.checkFiles();
            QVERIFY(!session.readyToSave());
            QStringList dropped;
            session.reopen(session.read(data.path(), &error), &dropped);
        });
        QVERIFY(session.readyToSave());
        QCOMPARE(told.count(), 4);
        QVERIFY(session.isOpen() && session.dataSet()->changedFile().isEmpty());
    }

    void closingLetsGoBeforeTheStoresGo()
    {
        TestDataSet data(highSeasSet());
        DataSetSession session(optionsFor(data), false);
        QString error;
        session.open(session.read(data.path(), &error), data.path());
        QVERIFY(session.edits()->changeImage(
            TileKind::Static, 2, TestDataSet::solid(4, 4, Qt::red), "Import", &error));
        const QDir pending(data.pendingParent());
        QVERIFY(!pending.isEmpty(QDir::NoDotAndDotDot | QDir::AllEntries));
        bool storesThere = false;
        connect(&session, &DataSetSession::aboutToClose, this,
            [&] { storesThere = session.art() && session.tiles() && session.edits(); });
        session.close();
        QVERIFY(storesThere);
        QVERIFY(!session.isOpen() && session.directory().isEmpty() && !session.art());
        // The stores took their pending edits with them.
        QVERIFY(pending.isEmpty(QDir::NoDotAndDotDot | QDir::AllEntries));
    }
};

QTEST_GUILESS_MAIN(SessionTest)
#include "test_session.moc"
