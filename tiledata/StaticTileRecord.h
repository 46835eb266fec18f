#pragma once

#include "tiledata/TileDataLayout.h"

#include <QByteArray>
#include <QString>

// A static record of tiledata.mul: 37 bytes classic, 41 high-seas (wider flags, the
// same fields after them); the name keeps all 20 stored bytes.
struct StaticTileRecord
{
    quint64 flags = 0;
    quint8 weight = 0;
    quint8 quality = 0;
    quint16 unknown = 0;
    quint8 unknown1 = 0;
    quint8 quantity = 0;
    quint16 animid = 0;
    quint8 unknown2 = 0;
    quint8 hue = 0;
    quint16 unknown3 = 0;
    quint8 height = 0;
    QByteArray name = QByteArray(TileDataFormat::NameSize, '\0');
    // The layout the record was read in and toBytes() writes; a classic record keeps
    // only the lower 32 flag bits.
    TileDataLayout layout;

    // An empty record (zeros, an empty name) in a layout.
    static StaticTileRecord blank(TileDataLayout layout);
    // In the layout whose static record is bytes.size() long; any other length is read
    // as classic, short input as if zero-filled.
    static StaticTileRecord fromBytes(const QByteArray &bytes);
    static StaticTileRecord fromBytes(const QByteArray &bytes, TileDataLayout layout);
    QByteArray toBytes() const;

    QString nameText() const;
    void setNameText(const QString &text);

    // This record with each field, and each flag bit, that edited changes from shown
    // taken from edited; everything else keeps this record's value, which another edit
    // may have changed since shown was read.
    StaticTileRecord withChanges(const StaticTileRecord &shown, const StaticTileRecord &edited) const;

    // The fields, whatever the layout.
    bool operator==(const StaticTileRecord &other) const;
};
