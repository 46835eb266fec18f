// One properties edit over 10,000 statics (as the properties window makes it on a selection),
// its undo and its redo, with the pending edits kept where the window keeps them.

#include "bench/BenchDataSet.h"
#include "dataset/DataSet.h"
#include "edits/TileEdits.h"
#include "tiledata/TileData.h"
#include "tiledata/TileFlags.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <cstdio>

namespace {

constexpr int TileCount = 10000;

template <typename Action> double millis(Action action)
{
    QElapsedTimer timer;
    timer.start();
    action();
    return timer.nsecsElapsed() / 1e6;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const BenchDataSet data(argc, argv);
    QString error;
    const std::unique_ptr<DataSet> set = DataSet::open(data.path(), DataSet::Options(), &error);
    if (!set) {
        std::fprintf(stderr, "cannot open the data set: %s\n", qPrintable(error));
        return 1;
    }
    // Every tile becomes impassable and weighs 255, keeping its other fields.
    QMap<int, TileRecord> records;
    for (int id = 0; id < TileCount; ++id) {
        StaticTileRecord record
            = set->tiles().staticRecord(id).value_or(StaticTileRecord::blank(set->tiles().layout()));
        record.flags |= TileFlags::Impassable;
        record.weight = 255;
        records.insert(id, record);
    }
    TileEdits edits(set->art(), set->tiles(), &set->anims());
    bool ok = true;
    const double edit = millis(
        [&] { ok = edits.changeRecords(TileKind::Static, records, TileEdits::propertiesName(), &error); });
    const double undo = millis([&] { ok = ok && edits.undo(&error); });
    const double redo = millis([&] { ok = ok && edits.redo(&error); });
    if (!ok || edits.history().count() != 1) {
        std::fprintf(stderr, "the edit failed: %s\n", qPrintable(error));
        return 1;
    }
    std::printf("edit_10000_ms: %.1f\n", edit);
    std::printf("undo_10000_ms: %.1f\n", undo);
    std::printf("redo_10000_ms: %.1f\n", redo);
    return 0;
}
