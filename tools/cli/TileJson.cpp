#include "tools/cli/TileJson.h"

#include "tiledata/TileFlags.h"

#include <QJsonArray>
#include <QJsonDocument>

namespace {

const QString FlagsKey = QStringLiteral("flags");

QJsonObject withFlags(int id, const char *kind, quint64 flags)
{
    QJsonObject object;
    object.insert(QStringLiteral("id"), id);
    object.insert(QStringLiteral("kind"), QLatin1String(kind));
    // Exact: Qt keeps 64-bit integers; toText() writes bit 63 unsigned.
    object.insert(FlagsKey, qint64(flags));
    object.insert(QStringLiteral("flagNames"), QJsonArray::fromStringList(TileFlags::flagNames(flags)));
    return object;
}

} // namespace

QJsonObject TileJson::land(int id, const LandTileRecord &record)
{
    QJsonObject object = withFlags(id, "land", record.flags);
    object.insert(QStringLiteral("texid"), record.texid);
    object.insert(QStringLiteral("name"), record.nameText());
    return object;
}

QJsonObject TileJson::statics(int id, const StaticTileRecord &r)
{
    QJsonObject object = withFlags(id, "static", r.flags);
    object.insert(QStringLiteral("weight"), r.weight);
    object.insert(QStringLiteral("quality"), r.quality);
    object.insert(QStringLiteral("unknown"), r.unknown);
    object.insert(QStringLiteral("unknown1"), r.unknown1);
    object.insert(QStringLiteral("quantity"), r.quantity);
    object.insert(QStringLiteral("animid"), r.animid);
    object.insert(QStringLiteral("unknown2"), r.unknown2);
    object.insert(QStringLiteral("hue"), r.hue);
    object.insert(QStringLiteral("unknown3"), r.unknown3);
    object.insert(QStringLiteral("height"), r.height);
    object.insert(QStringLiteral("name"), r.nameText());
    return object;
}

QJsonObject TileJson::animation(int id, const AnimDataEntry &entry)
{
    QJsonArray offsets;
    for (qint8 offset : entry.frameOffsets)
        offsets.append(int(offset));
    QJsonObject object;
    object.insert(QStringLiteral("id"), id);
    object.insert(QStringLiteral("frameOffsets"), offsets);
    object.insert(QStringLiteral("animUnknown"), int(entry.animUnknown));
    object.insert(QStringLiteral("frameCount"), int(entry.frameCount));
    object.insert(QStringLiteral("frameInterval"), int(entry.frameInterval));
    object.insert(QStringLiteral("frameStart"), int(entry.frameStart));
    return object;
}

QByteArray TileJson::toText(const QJsonObject &object)
{
    QByteArray text = QJsonDocument(object).toJson(QJsonDocument::Indented);
    const qint64 flags = object.value(FlagsKey).toInteger();
    if (flags < 0) {
        const QByteArray key = '"' + FlagsKey.toLatin1() + "\": ";
        text.replace(key + QByteArray::number(flags), key + QByteArray::number(quint64(flags)));
    }
    return text;
}
