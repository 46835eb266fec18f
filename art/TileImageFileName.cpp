#include "art/TileImageFileName.h"

#include "art/ArtFormat.h"

#include <QRegularExpression>

QString TileImageFileName::exportName(TileKind kind, int id)
{
    return QStringLiteral("%1-0x%2.png").arg(tileKindWord(kind)).arg(id, 4, 16, QLatin1Char('0'));
}

TileImageFileName::Parsed TileImageFileName::parse(const QString &fileName)
{
    static const QRegularExpression pattern(
        QStringLiteral("^(terrain|land|static)[-_ ]?(?:0x([0-9a-f]+)|([0-9]+))$"),
        QRegularExpression::CaseInsensitiveOption);
    Parsed parsed;
    const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
    const QRegularExpressionMatch match = pattern.match(dot > 0 ? fileName.left(dot) : fileName);
    if (!match.hasMatch()) {
        parsed.refusal = QStringLiteral(
            "unknown name: a kind (terrain, land or static) and an id are expected, as in static-0x01f3.png");
        return parsed;
    }
    parsed.kind = *parseTileKind(match.captured(1).toLower());
    const int limit = parsed.kind == TileKind::Terrain ? ArtFormat::TerrainCount : ArtFormat::MaxStaticCount;
    const bool hexadecimal = match.hasCaptured(2);
    bool ok = false;
    const qlonglong id
        = hexadecimal ? match.captured(2).toLongLong(&ok, 16) : match.captured(3).toLongLong(&ok, 10);
    if (!ok || id >= limit) {
        parsed.refusal = QStringLiteral("id out of range: %1 ids run from 0 to 0x%2")
                             .arg(tileKindWord(parsed.kind), QString::number(limit - 1, 16).toUpper());
        return parsed;
    }
    parsed.id = int(id);
    return parsed;
}
