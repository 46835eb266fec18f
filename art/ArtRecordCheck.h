#pragma once

#include <QByteArrayView>
#include <QtGlobal>

// What can be told of an art record without decoding it into an image.
class ArtRecordCheck
{
public:
    // The bytes a static record spans from its start, as its line table and runs say;
    // -1 when the bytes given do not hold a whole record.
    static qint64 staticExtent(QByteArrayView record);
    // Whether decoding the record of the slot gives an image: the same checks the
    // decoder makes, without building the image.
    static bool shows(int slot, QByteArrayView record);
};
