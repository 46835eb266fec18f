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
};

QTEST_GUILESS_MAIN(PendingEditDirectoryTest)
#include "test_pending_edit_directory.moc"
