#pragma once

#include <QtGlobal>

// One 12-byte entry of artidx.mul.
struct ArtIndexEntry
{
    qint32 offset = -1;
    qint32 length = 0;
    qint32 reserved = 0;

    bool isEmpty() const { return offset == -1; }
    bool operator==(const ArtIndexEntry &other) const
    {
        return offset == other.offset && length == other.length && reserved == other.reserved;
    }
};
