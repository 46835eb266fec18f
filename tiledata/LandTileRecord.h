#pragma once

#include <QByteArray>
#include <QString>

// A 26-byte land record of tiledata.mul. The name keeps all 20 stored bytes, also
// those after the terminating NUL, so that an unedited name is written back as it was.
struct LandTileRecord
{
    quint32 flags = 0;
    quint16 texid = 0;
    QByteArray name = QByteArray(20, '\0');

    // Short input is read as if zero-filled.
    static LandTileRecord fromBytes(const QByteArray &bytes);
    QByteArray toBytes() const;

    QString nameText() const;
    void setNameText(const QString &text);

    bool operator==(const LandTileRecord &other) const
    {
        return flags == other.flags && texid == other.texid && name == other.name;
    }
};
