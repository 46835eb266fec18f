#pragma once

#include <QByteArray>
#include <QString>

// A 37-byte static record of tiledata.mul; the name keeps all 20 stored bytes.
struct StaticTileRecord
{
    quint32 flags = 0;
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
    QByteArray name = QByteArray(20, '\0');

    // Short input is read as if zero-filled.
    static StaticTileRecord fromBytes(const QByteArray &bytes);
    QByteArray toBytes() const;

    QString nameText() const;
    void setNameText(const QString &text);

    bool operator==(const StaticTileRecord &other) const;
};
