#pragma once

#include <QtGlobal>

// One 12-byte entry of artidx.mul.
struct ArtIndexEntry
{
    qint32 offset = -1;
    qint32 length = 0;
    qint32 reserved = 0;

    // An empty slot as the data files write it: no offset and no length.
    static ArtIndexEntry emptySlot(qint32 reserved) { return {-1, -1, reserved}; }

    bool isEmpty() const { return offset == -1; }
    bool operator==(const ArtIndexEntry &other) const
    {
        return offset == other.offset && length == other.length && reserved == other.reserved;
    }
};
