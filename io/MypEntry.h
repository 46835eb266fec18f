#pragma once

#include <QtGlobal>

// One entry of a MYP container's tables.
struct MypEntry
{
    quint64 offset = 0; // of the data block; 0 marks an unused entry
    quint32 headerLength = 0; // the entry's bytes start this far into the data block
    quint32 storedLength = 0;
    quint32 decompressedLength = 0;
    quint64 hash = 0;
    quint32 checksum = 0; // Adler-32 of the stored bytes
    quint16 compression = 0;

    bool isUsed() const { return offset != 0; }
    quint64 dataStart() const { return offset + headerLength; }
};
