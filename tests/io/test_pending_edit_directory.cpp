#include "io/CommitJournal.h"
#include "io/PendingEditDirectory.h"
#include "io/PendingEditStore.h"

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

    // Each tile's image and record are kept apart, survive a crash and are offered by kind.
    void editsAreKeptPerTileAndPart()
    {
        using Part = PendingEditStore::Part;
        QTemporaryDir parent;
        auto store = std::make_unique<PendingEditStore>(parent.path(), QStringLiteral("/data"));
        QVERIFY(store->put(TileKind::Static, 5, Part::Image, PendingEdit::replaced("image")));
        QVERIFY(store->put(TileKind::Static, 5, Part::TileData, PendingEdit::replaced("record")));
        QVERIFY(store->put(TileKind::Terrain, 5, Part::Image, PendingEdit::deleted()));
        QVERIFY(store->put(TileKind::Terrain, 9, Part::TileData, PendingEdit::replaced("land")));
        QVERIFY(store->put(TileKind::Terrain, 9, Part::TileData, PendingEdit::none()));
        QCOMPARE(store->edit(TileKind::Static, 5, Part::Image), PendingEdit::replaced("image"));
        QCOMPARE(store->edit(TileKind::Static, 5, Part::TileData), PendingEdit::replaced("record"));
        QCOMPARE(store->edit(TileKind::Terrain, 5, Part::Image), PendingEdit::deleted());
        QVERIFY(!store->isEdited(TileKind::Terrain, 5, Part::TileData));
        QVERIFY(!store->isEdited(TileKind::Terrain, 9));
        const QList<PendingEditStore::Tile> tiles{{TileKind::Terrain, 5}, {TileKind::Static, 5}};
        QCOMPARE(store->editedTiles(), tiles);

        // Handed to the store of the data set opened again, less what no longer fits.
        std::vector<std::unique_ptr<PendingEditDirectory>> found;
        found.push_back(store->take());
        QVERIFY(store->isEmpty());
        QStringList dropped;
        store->adopt(
            std::move(found),
            [](TileKind kind, int, Part part, const PendingEdit &) {
                return kind == TileKind::Static || part == Part::TileData;
            },
            &dropped);
        QCOMPARE(dropped, QStringList{"terrain tile 5"});
        const QList<PendingEditStore::Tile> left{{TileKind::Static, 5}};
        QCOMPARE(store->editedTiles(), left);
        QCOMPARE(store->edit(TileKind::Static, 5, Part::TileData), PendingEdit::replaced("record"));
    }

    // Several edits put together: a run killed before they were all written leaves none of
    // them to recover, one killed while putting them in place leaves all of them.
    void batchesAreRecoveredWholeOrNotAtAll_data()
    {
        QTest::addColumn<bool>("journal"); // whether the batch got as far as its journal
        QTest::addColumn<int>("placed"); // of its three files
        QTest::addColumn<QString>("recovered");
        QTest::newRow("killed while writing") << false << 0 << "TS1=old TS2=old";
        QTest::newRow("killed before putting in place") << true << 0 << "TS1=new TS2=new TS3=new";
        QTest::newRow("killed after the first") << true << 1 << "TS1=new TS2=new TS3=new";
        QTest::newRow("killed after the last") << true << 3 << "TS1=new TS2=new TS3=new";
    }
    void batchesAreRecoveredWholeOrNotAtAll()
    {
        QFETCH(bool, journal);
        QFETCH(int, placed);
        QFETCH(QString, recovered);
        using Part = PendingEditStore::Part;
        // A live run's batch, committed: its files in place, none aside taken for an edit.
        QTemporaryDir parent;
        {
            PendingEditStore store(parent.path(), QStringLiteral("/data"));
            QVERIFY(store.put(TileKind::Static, 1, Part::TileData, PendingEdit::replaced("old")));
            store.beginBatch();
            QVERIFY(store.put(TileKind::Static, 1, Part::TileData, PendingEdit::replaced("new")));
            QVERIFY(store.put(TileKind::Static, 2, Part::TileData, PendingEdit::replaced("new")));
            QCOMPARE(store.edit(TileKind::Static, 2, Part::TileData), PendingEdit::replaced("new"));
            QString error;
            QVERIFY2(store.commitBatch(&error), qPrintable(error));
            const QStringList files = QDir(store.directory()).entryList({"T*"}, QDir::Files);
            QCOMPARE(files.filter(QRegularExpression("^TS[12]\\.wfg$")).size(), 2);
            QCOMPARE(PendingEditDirectory::readFile(store.recordFile(TileKind::Static, 1, Part::TileData)),
                QByteArray("new"));
        }
        // A dead run's directory: TS1 and TS2 in place, and a batch replacing TS1 and TS2 and
        // adding TS3, written aside.
        const QString dead = parent.filePath(PendingEditDirectory::NamePrefix + "dead01");
        QVERIFY(QDir().mkpath(dead));
        {
            QSettings description(QDir(dead).filePath("session.ini"), QSettings::IniFormat);
            description.setValue("store", PendingEditStore::DirectoryStoreName);
            description.setValue("dataDirectory", "/data");
        }
        QVector<CommitJournal::Move> moves;
        for (const char *name : {"TS1.wfg", "TS2.wfg", "TS3.wfg"}) {
            const QString staged = QString(name) + "~7";
            const QString backup = QString(name) == "TS3.wfg" ? QString() : QString(name) + "~8";
            if (!backup.isEmpty())
                QVERIFY(writeFile(QDir(dead).filePath(name), "old"));
            QVERIFY(writeFile(QDir(dead).filePath(staged), "new"));
            moves.append({staged, name, backup});
        }
        QString error;
        if (journal)
            QVERIFY2(CommitJournal(dead).write(moves, &error), qPrintable(error));
        QString failed;
        QVERIFY(CommitJournal(dead).rollForward(moves.first(placed), {}, &failed, &error));
        // What is offered for recovery counts the edits in place and, whole, those of the journal.
        const QList<PendingEditDirectory::Orphan> orphans = PendingEditDirectory::orphans(parent.path());
        QCOMPARE(orphans.size(), 1);
        QCOMPARE(orphans.first().editCount, 3 - (journal ? 0 : 1));

        std::vector<std::unique_ptr<PendingEditDirectory>> found;
        found.push_back(PendingEditDirectory::adopt(dead, &error));
        QVERIFY2(found.back(), qPrintable(error));
        PendingEditStore store(parent.path(), QStringLiteral("/data"));
        store.adopt(std::move(found), [](TileKind, int, Part, const PendingEdit &) { return true; });
        QStringList edits;
        for (const PendingEditStore::Tile &tile : store.editedTiles())
            edits << QStringLiteral("TS%1=%2").arg(tile.id).arg(
                QString(store.edit(tile.kind, tile.id, Part::TileData).record));
        QCOMPARE(edits.join(' '), recovered);
        // Nothing set aside is left over.
        QCOMPARE(QDir(store.directory()).entryList({"*~*"}, QDir::Files), QStringList());
    }

private:
    static bool writeFile(const QString &path, const QByteArray &bytes)
    {
        QFile file(path);
        return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
    }
};

QTEST_GUILESS_MAIN(PendingEditDirectoryTest)
#include "test_pending_edit_directory.moc"
