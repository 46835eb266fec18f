#include "tools/cli/TileId.h"

#include "tools/cli/CliError.h"

int TileId::parse(const QString &text, int limit, const QString &what)
{
    bool ok = false;
    const bool hex = text.startsWith(QLatin1String("0x"), Qt::CaseInsensitive);
    // Base 10 unless 0x: a leading zero must not turn "010" into octal.
    const qlonglong id = hex ? text.mid(2).toLongLong(&ok, 16) : text.toLongLong(&ok, 10);
    if (!ok || text.isEmpty() || (hex && text.size() == 2))
        throw CliError(QStringLiteral("'%1' is not a tile id (decimal or 0x-hex)").arg(text));
    if (id < 0 || id >= limit)
        throw CliError(QStringLiteral("%1 id %2 is out of range (0 to %3)").arg(what, text).arg(limit - 1));
    return int(id);
}
