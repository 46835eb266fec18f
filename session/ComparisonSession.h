#pragma once

#include "compare/DataSetComparison.h"
#include "dataset/DataSet.h"
#include "io/TileKind.h"

#include <QList>
#include <QMap>
#include <QObject>
#include <QSet>
#include <QString>
#include <atomic>
#include <memory>

class QThread;

// A second data set opened read-only beside the open one, and how the two differ. The
// comparison runs on a thread of its own over data sets it reads itself from both
// directories: it never touches the stores (and their caches) the window shows, and it
// compares the files as they are on disk. Its findings arrive in batches, in id order.
class ComparisonSession : public QObject
{
    Q_OBJECT

public:
    explicit ComparisonSession(QObject *parent = nullptr);
    // Stops the comparison.
    ~ComparisonSession() override;

    // Ends any comparison, keeps other beside the open data set and compares the data set
    // in directory (read with options) with it (read again with otherOptions).
    void start(const QString &directory, const DataSet::Options &options, std::unique_ptr<DataSet> other,
        const DataSet::Options &otherOptions);
    // Ends the comparison and lets go of the other data set and of what was found
    // (stopped); waits for the thread, which stops at the next tile.
    void stop();

    // Whether a data set is beside the open one, compared or being compared.
    bool isActive() const { return other != nullptr; }
    bool isRunning() const { return running; }
    const DataSet *otherSet() const { return other.get(); }
    // How the tile differs, as far as it has been compared; null when it does not.
    const DataSetComparison::Difference *difference(TileKind kind, int id) const;
    // The differing ids of kind found so far, in id order.
    QList<int> differingIds(TileKind kind) const;
    // Tiles found to differ so far.
    int differingCount() const { return int(terrain.size() + statics.size()); }
    // Compares the tile again, as mine (the open data set, with its pending edits) holds it
    // now, in place of what its files on disk showed: an edit can make it differ or stop
    // differing. What the running comparison still finds of the tile is then ignored.
    void recheck(const DataSet &mine, TileKind kind, int id);

Q_SIGNALS:
    // done of total tiles compared.
    void progressed(int done, int total);
    // More differences were found: these, in id order.
    void differencesFound(const QList<DataSetComparison::Difference> &found);
    void finished();
    // Either data set could not be read for comparing; the comparison has ended.
    void failed(const QString &error);
    // stop() has let go of everything found.
    void stopped();

private:
    using Batch = QList<DataSetComparison::Difference>;

    static void compare(ComparisonSession *session, quint64 run, const QString &directory,
        const DataSet::Options &options, const QString &otherDirectory, const DataSet::Options &otherOptions,
        const std::atomic<bool> *cancelled);
    void take(quint64 run, const Batch &batch, int done, int total);
    void end(quint64 run, const QString &error);
    void wait();
    // Ends the comparison and lets go of everything, telling nobody.
    void halt();

    std::unique_ptr<DataSet> other;
    QMap<int, DataSetComparison::Difference> terrain;
    QMap<int, DataSetComparison::Difference> statics;
    // The tiles recheck compared, by kind (statics in the high half) and id.
    QSet<qint64> rechecked;
    QThread *thread = nullptr;
    std::atomic<bool> cancel{false};
    // Counts the comparisons started: what a stopped one still posts is dropped.
    quint64 runs = 0;
    bool running = false;
};
