#pragma once

#include "tiledata/TileDataLayout.h"

#include <QByteArray>
#include <QString>

// A land record of tiledata.mul: 26 bytes classic, 30 high-seas. The name keeps all 20
// stored bytes, also those after the terminating NUL, so that an unedited name is
// written back as it was.
struct LandTileRecord
{
    quint64 flags = 0;
    quint16 texid = 0;
    QByteArray name = QByteArray(TileDataFormat::NameSize, '\0');
    // The layout the record was read in and toBytes() writes; a classic record keeps
    // only the lower 32 flag bits.
    TileDataLayout layout;

    // An empty record (zeros, an empty name) in a layout.
    static LandTileRecord blank(TileDataLayout layout);
    // In the layout whose land record is bytes.size() long; any other length is read
    // as classic, short input as if zero-filled.
    static LandTileRecord fromBytes(const QByteArray &bytes);
    static LandTileRecord fromBytes(const QByteArray &bytes, TileDataLayout layout);
    QByteArray toBytes() const;

    QString nameText() const;
    void setNameText(const QString &text);

    // This record with each field, and each flag bit, that edited changes from shown
    // taken from edited; everything else keeps this record's value, which another edit
    // may have changed since shown was read.
    LandTileRecord withChanges(const LandTileRecord &shown, const LandTileRecord &edited) const;

    // The fields, whatever the layout.
    bool operator==(const LandTileRecord &other) const;
};
