#include "io/CommitJournal.h"
#include "io/PendingEditDirectory.h"
#include "io/PendingEditPack.h"
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
            QCOMPARE(store.recordAt(TileKind::Static, 1, Part::TileData).read(), QByteArray("new"));
        }
        // A dead run of an earlier version, which kept one file per edit: TS1 and TS2 in
        // place, and a batch replacing TS1 and TS2 and adding TS3, written aside.
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

    // What a run killed at any moment leaves of edits made together in packs: each pack
    // whole or not at all, the later outranking the earlier and any lone file of an
    // earlier version, a forgotten edit staying forgotten.
    void packsAreRecoveredInTheOrderMade()
    {
        using Part = PendingEditStore::Part;
        QTemporaryDir parent;
        const QString dead = parent.filePath(PendingEditDirectory::NamePrefix + "dead02");
        const QString earlier = parent.filePath(PendingEditDirectory::NamePrefix + "dead01");
        QVERIFY(QDir().mkpath(earlier));
        {
            QSettings description(QDir(earlier).filePath("session.ini"), QSettings::IniFormat);
            description.setValue("store", PendingEditStore::DirectoryStoreName);
            description.setValue("dataDirectory", "/data");
        }
        QVERIFY(writeFile(QDir(earlier).filePath("TS1.wfg"), "lone"));
        QVERIFY(writeFile(QDir(earlier).filePath("TS4.wfg"), "lone"));
        QVERIFY(writeFile(QDir(earlier).filePath("Static7.deleted"), ""));
        {
            // An earlier version's lone files, recovered, then packs made over them.
            QString error;
            std::vector<std::unique_ptr<PendingEditDirectory>> lone;
            lone.push_back(PendingEditDirectory::adopt(earlier, &error));
            QVERIFY2(lone.back(), qPrintable(error));
            PendingEditStore store(parent.path(), QStringLiteral("/data"));
            store.adopt(std::move(lone), [](TileKind, int, Part, const PendingEdit &) { return true; });
            const QString directory = store.directory();
            store.beginBatch();
            for (int id = 1; id <= 3; ++id)
                QVERIFY(store.put(TileKind::Static, id, Part::TileData, PendingEdit::replaced("first")));
            QVERIFY(store.put(TileKind::Static, 4, Part::TileData, PendingEdit::none()));
            QVERIFY(store.commitBatch(nullptr));
            QVERIFY(store.put(TileKind::Static, 2, Part::TileData, PendingEdit::replaced("second")));
            QVERIFY(store.put(TileKind::Static, 3, Part::TileData, PendingEdit::none()));
            QVERIFY(store.put(TileKind::Static, 9, Part::Animation, PendingEdit::deleted()));
            // Killed while writing the next pack: its file is there, without its name.
            QVERIFY(writeFile(QDir(directory).filePath(PendingEditPack::fileName(4) + ".Xy12Ab"), "cut"));
            // A pack damaged on the disk is passed over whole.
            QVERIFY(writeFile(QDir(directory).filePath(PendingEditPack::fileName(9)), "TSRPACK1\x01"));
            QVERIFY(leaveAsKilled(store, dead));
        }
        const QList<PendingEditDirectory::Orphan> orphans = PendingEditDirectory::orphans(parent.path());
        QCOMPARE(orphans.size(), 1);
        QCOMPARE(orphans.first().editCount, 4);

        QString error;
        std::vector<std::unique_ptr<PendingEditDirectory>> found;
        found.push_back(PendingEditDirectory::adopt(dead, &error));
        QVERIFY2(found.back(), qPrintable(error));
        PendingEditStore store(parent.path(), QStringLiteral("/data"));
        store.adopt(std::move(found), [](TileKind, int, Part, const PendingEdit &) { return true; });
        QCOMPARE(store.edit(TileKind::Static, 1, Part::TileData), PendingEdit::replaced("first"));
        QCOMPARE(store.edit(TileKind::Static, 2, Part::TileData), PendingEdit::replaced("second"));
        QVERIFY(!store.isEdited(TileKind::Static, 3));
        QVERIFY(!store.isEdited(TileKind::Static, 4));
        QCOMPARE(store.edit(TileKind::Static, 7, Part::Image), PendingEdit::deleted());
        QCOMPARE(store.edit(TileKind::Static, 9, Part::Animation), PendingEdit::deleted());
        // What the cut write left goes; the next pack made is numbered past every one found.
        QVERIFY(!QFileInfo::exists(QDir(dead).filePath(PendingEditPack::fileName(4) + ".Xy12Ab")));
        QVERIFY(store.put(TileKind::Static, 1, Part::TileData, PendingEdit::replaced("third")));
        QCOMPARE(store.recordAt(TileKind::Static, 1, Part::TileData).path,
            QDir(store.directory()).filePath(PendingEditPack::fileName(10)));
    }

    // A pack goes once every edit in it is in a later one; one that a recovery would still
    // take an edit from stays.
    void packsNoLongerNeededGo()
    {
        using Part = PendingEditStore::Part;
        QTemporaryDir parent;
        PendingEditStore store(parent.path(), QStringLiteral("/data"));
        const auto packs = [&] { return QDir(store.directory()).entryList({"Pack*"}, QDir::Files).size(); };
        QVERIFY(store.put(TileKind::Static, 1, Part::Image, PendingEdit::replaced("a")));
        QVERIFY(store.put(TileKind::Static, 1, Part::Image, PendingEdit::replaced("b")));
        QCOMPARE(packs(), 1);
        store.beginBatch();
        QVERIFY(store.put(TileKind::Static, 2, Part::Image, PendingEdit::replaced("c")));
        QVERIFY(store.put(TileKind::Static, 3, Part::Image, PendingEdit::replaced("d")));
        QVERIFY(store.commitBatch(nullptr));
        QCOMPARE(packs(), 2);
        QVERIFY(store.put(TileKind::Static, 2, Part::Image, PendingEdit::none()));
        QCOMPARE(packs(), 3); // static 3 is still served from the batch's
        QVERIFY(store.put(TileKind::Static, 3, Part::Image, PendingEdit::deleted()));
        QCOMPARE(packs(), 3); // the batch's goes; forgetting static 2 must be recovered as such
        QCOMPARE(store.edit(TileKind::Static, 1, Part::Image), PendingEdit::replaced("b"));
        QVERIFY(!store.isEdited(TileKind::Static, 2));
        QCOMPARE(store.edit(TileKind::Static, 3, Part::Image), PendingEdit::deleted());
    }

    // An edit dropped because it no longer fits the data set stays dropped: neither the
    // data set opened again nor a recovery after a kill brings it back, even once it
    // would fit again.
    void droppedEditsStayDropped_data()
    {
        QTest::addColumn<bool>("lone"); // kept by an earlier version, one file per edit
        QTest::addColumn<bool>("killed"); // recovered after a kill rather than handed over
        QTest::newRow("pack, opened again") << false << false;
        QTest::newRow("pack, killed") << false << true;
        QTest::newRow("lone file, opened again") << true << false;
        QTest::newRow("lone file, killed") << true << true;
    }
    void droppedEditsStayDropped()
    {
        QFETCH(bool, lone);
        QFETCH(bool, killed);
        using Part = PendingEditStore::Part;
        const auto all = [](TileKind, int, Part, const PendingEdit &) { return true; };
        const auto notStatic5 = [](TileKind kind, int id, Part, const PendingEdit &) {
            return !(kind == TileKind::Static && id == 5);
        };
        QTemporaryDir parent;
        auto store = std::make_unique<PendingEditStore>(parent.path(), QStringLiteral("/data"));
        QVERIFY(store->put(TileKind::Static, 6, Part::TileData, PendingEdit::replaced("kept")));
        if (lone)
            QVERIFY(writeFile(QDir(store->directory()).filePath("TS5.wfg"), "other layout"));
        else
            QVERIFY(store->put(TileKind::Static, 5, Part::TileData, PendingEdit::replaced("other layout")));
        std::vector<std::unique_ptr<PendingEditDirectory>> handed;
        handed.push_back(store->take());
        QStringList dropped;
        store->adopt(std::move(handed), notStatic5, &dropped);
        QCOMPARE(dropped, QStringList{"static tile 5 (tile data)"});
        QVERIFY(!store->isEdited(TileKind::Static, 5));

        std::vector<std::unique_ptr<PendingEditDirectory>> found;
        if (killed) {
            const QString dead = parent.filePath(PendingEditDirectory::NamePrefix + "dead03");
            QVERIFY(leaveAsKilled(*store, dead));
            const QList<PendingEditDirectory::Orphan> orphans = PendingEditDirectory::orphans(parent.path());
            QCOMPARE(orphans.size(), 1);
            QCOMPARE(orphans.first().editCount, 1);
            QString error;
            found.push_back(PendingEditDirectory::adopt(dead, &error));
            QVERIFY2(found.back(), qPrintable(error));
        } else {
            found.push_back(store->take());
        }
        store->adopt(std::move(found), all);
        QCOMPARE(store->edit(TileKind::Static, 6, Part::TileData), PendingEdit::replaced("kept"));
        QVERIFY(!store->isEdited(TileKind::Static, 5));
    }

    // A pack found in a directory handed over goes, like one of the store's own, once
    // every edit in it is in a later pack.
    void packsHandedOverGoWhenNoLongerNeeded()
    {
        using Part = PendingEditStore::Part;
        QTemporaryDir parent;
        PendingEditStore store(parent.path(), QStringLiteral("/data"));
        const auto packs = [&] { return QDir(store.directory()).entryList({"Pack*"}, QDir::Files); };
        QVERIFY(store.put(TileKind::Static, 1, Part::Image, PendingEdit::replaced("a")));
        std::vector<std::unique_ptr<PendingEditDirectory>> handed;
        handed.push_back(store.take());
        store.adopt(std::move(handed), [](TileKind, int, Part, const PendingEdit &) { return true; });
        QVERIFY(store.put(TileKind::Static, 1, Part::Image, PendingEdit::replaced("b")));
        QCOMPARE(packs(), QStringList{PendingEditPack::fileName(2)});
        QCOMPARE(store.edit(TileKind::Static, 1, Part::Image), PendingEdit::replaced("b"));
    }

private:
    // What a run killed now leaves: the store's directory as it is, under dead, held by
    // no live process.
    static bool leaveAsKilled(PendingEditStore &store, const QString &dead)
    {
        const QString directory = store.directory();
        std::unique_ptr<PendingEditDirectory> left = store.take();
        const bool moved = QDir().rename(directory, dead);
        left.reset(); // its own path is gone: nothing of dead is removed
        return moved && QFile::remove(QDir(dead).filePath("session.lock"));
    }

    static bool writeFile(const QString &path, const QByteArray &bytes)
    {
        QFile file(path);
        return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
    }
};

QTEST_GUILESS_MAIN(PendingEditDirectoryTest)
#include "test_pending_edit_directory.moc"
