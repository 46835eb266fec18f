#include "tiledata/TileName.h"

#include "tiledata/TileDataFormat.h"

QString TileName::decode(const char *field, int size)
{
    int length = 0;
    while (length < size && field[length] != '\0')
        ++length;
    return QString::fromLatin1(field, length);
}

QByteArray TileName::encode(const QString &text)
{
    QByteArray bytes = text.toLatin1().left(TileDataFormat::NameSize);
    bytes.append(TileDataFormat::NameSize - bytes.size(), '\0');
    return bytes;
}

bool TileName::sameField(const QByteArray &a, const QByteArray &b)
{
    using TileDataFormat::NameSize;
    return a.leftJustified(NameSize, '\0', true) == b.leftJustified(NameSize, '\0', true);
}
