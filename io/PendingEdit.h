#pragma once

#include <QByteArray>

// What a store holds for one tile beyond its data file, exactly: nothing (the data
// file's record is served), a replacement record as its pending file holds it, or a
// deletion. Taken before and after an edit, it lets the edit be taken back and done
// again without re-encoding anything.
struct PendingEdit
{
    enum class State { None, Replaced, Deleted };

    State state = State::None;
    // The pending file's bytes; Replaced only.
    QByteArray record;

    static PendingEdit none() { return {}; }
    static PendingEdit replaced(const QByteArray &bytes) { return {State::Replaced, bytes}; }
    static PendingEdit deleted() { return {State::Deleted, {}}; }

    bool operator==(const PendingEdit &other) const { return state == other.state && record == other.record; }
    bool operator!=(const PendingEdit &other) const { return !(*this == other); }
};
