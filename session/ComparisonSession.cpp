#include "session/ComparisonSession.h"

#include <QThread>

#ifdef Q_OS_LINUX
#include <sys/resource.h>
#endif

namespace {
qint64 tileKey(TileKind kind, int id)
{
    return qint64(kind == TileKind::Static) << 32 | quint32(id);
}

#ifdef Q_OS_LINUX
// How far below the window's thread the comparison's runs, where thread priorities
// are nice values (Linux ignores QThread's priorities for ordinary threads): when both
// want one processor, scrolling goes first.
constexpr int ComparisonNice = 10;
#endif

// Tiles compared between two posts of what was found: often enough for the progress to
// move smoothly, seldom enough for the window to keep up.
constexpr int BatchTiles = 1024;
} // namespace

ComparisonSession::ComparisonSession(QObject *parent) : QObject(parent) { }

ComparisonSession::~ComparisonSession()
{
    wait();
}

void ComparisonSession::start(const QString &directory, const DataSet::Options &options,
    std::unique_ptr<DataSet> otherSet, const DataSet::Options &otherOptions)
{
    halt();
    other = std::move(otherSet);
    const quint64 run = ++runs;
    cancel = false;
    running = true;
    thread = QThread::create(&ComparisonSession::compare, this, run, directory, options, other->directory(),
        otherOptions, &cancel);
    thread->start(QThread::LowPriority);
}

void ComparisonSession::stop()
{
    if (!other)
        return;
    halt();
    Q_EMIT stopped();
}

void ComparisonSession::halt()
{
    wait();
    running = false;
    other.reset();
    terrain.clear();
    statics.clear();
    rechecked.clear();
}

void ComparisonSession::wait()
{
    if (!thread)
        return;
    cancel = true;
    thread->wait();
    delete thread;
    thread = nullptr;
}

// On the comparison's thread: everything it reads is its own. It reaches the session
// only through queued calls, which go with the session if it goes first.
void ComparisonSession::compare(ComparisonSession *session, quint64 run, const QString &directory,
    const DataSet::Options &options, const QString &otherDirectory, const DataSet::Options &otherOptions,
    const std::atomic<bool> *cancelled)
{
#ifdef Q_OS_LINUX
    // On Linux the calling thread's own.
    setpriority(PRIO_PROCESS, 0, ComparisonNice);
#endif
    const auto post = [session, run](Batch batch, int done, int total) {
        QMetaObject::invokeMethod(
            session, [=] { session->take(run, batch, done, total); }, Qt::QueuedConnection);
    };
    const auto finish = [session, run](const QString &error) {
        QMetaObject::invokeMethod(
            session, [=] { session->end(run, error); }, Qt::QueuedConnection);
    };
    QString error;
    const std::unique_ptr<DataSet> mine = DataSet::open(directory, options, &error);
    const std::unique_ptr<DataSet> theirs
        = mine ? DataSet::open(otherDirectory, otherOptions, &error) : nullptr;
    if (!mine || !theirs) {
        finish(error);
        return;
    }
    const DataSetComparison comparison(*mine, *theirs);
    const TileKind kinds[] = {TileKind::Terrain, TileKind::Static};
    int total = 0;
    for (TileKind kind : kinds)
        total += comparison.end(kind);
    int done = 0;
    Batch batch;
    for (TileKind kind : kinds) {
        const int end = comparison.end(kind);
        for (int id = 0; id < end; ++id) {
            if (cancelled->load(std::memory_order_relaxed))
                return;
            DataSetComparison::Difference difference;
            if (comparison.compare(kind, id, &difference))
                batch.append(difference);
            if (++done % BatchTiles == 0) {
                post(batch, done, total);
                batch.clear();
            }
        }
    }
    post(batch, done, total);
    finish(QString());
}

void ComparisonSession::take(quint64 run, const Batch &batch, int done, int total)
{
    if (run != runs || !running)
        return;
    Batch found;
    for (const DataSetComparison::Difference &difference : batch) {
        // Found on disk, where the tile's edits are not.
        if (rechecked.contains(tileKey(difference.kind, difference.id)))
            continue;
        (difference.kind == TileKind::Terrain ? terrain : statics).insert(difference.id, difference);
        found.append(difference);
    }
    if (!found.isEmpty())
        Q_EMIT differencesFound(found);
    Q_EMIT progressed(done, total);
}

void ComparisonSession::end(quint64 run, const QString &error)
{
    if (run != runs || !running)
        return;
    running = false;
    if (thread) {
        thread->wait();
        delete thread;
        thread = nullptr;
    }
    if (error.isEmpty()) {
        Q_EMIT finished();
        return;
    }
    halt();
    Q_EMIT failed(error);
}

void ComparisonSession::recheck(const DataSet &mine, TileKind kind, int id)
{
    if (!other)
        return;
    rechecked.insert(tileKey(kind, id));
    QMap<int, DataSetComparison::Difference> &found = kind == TileKind::Terrain ? terrain : statics;
    DataSetComparison::Difference difference;
    if (DataSetComparison(mine, *other).compare(kind, id, &difference))
        found.insert(id, difference);
    else
        found.remove(id);
}

const DataSetComparison::Difference *ComparisonSession::difference(TileKind kind, int id) const
{
    const QMap<int, DataSetComparison::Difference> &found = kind == TileKind::Terrain ? terrain : statics;
    const auto it = found.constFind(id);
    return it == found.constEnd() ? nullptr : &it.value();
}

QList<int> ComparisonSession::differingIds(TileKind kind) const
{
    return (kind == TileKind::Terrain ? terrain : statics).keys();
}
