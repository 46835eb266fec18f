#include "tools/cli/TileId.h"

#include "tools/cli/CliError.h"
#include "tools/cli/CliText.h"

#include <QRegularExpression>

int TileId::parse(const QString &text, int limit, const QString &what)
{
    // Digits only: no sign, no spaces (not even a trailing newline, which '$' would let
    // through), and base 10 unless 0x, so that "010" is ten.
    static const QRegularExpression form(
        QRegularExpression::anchoredPattern(QStringLiteral("(?:([0-9]+)|0[xX]([0-9a-fA-F]+))")));
    const QRegularExpressionMatch match = form.match(text);
    bool ok = false;
    const qulonglong id = !match.hasMatch() ? 0
        : match.capturedLength(1) > 0       ? match.captured(1).toULongLong(&ok, 10)
                                            : match.captured(2).toULongLong(&ok, 16);
    const QString quoted = CliText::elide(text);
    if (!ok && text.startsWith(QLatin1Char('-')))
        throw CliError(QStringLiteral("'%1' is not a tile id: ids are not negative").arg(quoted));
    if (!ok)
        throw CliError(QStringLiteral("'%1' is not a tile id (decimal or 0x-hex)").arg(quoted));
    if (limit <= 0)
        throw CliError(QStringLiteral("there is no %1 id %2: the data set has none").arg(what, quoted));
    if (id >= qulonglong(limit))
        throw CliError(QStringLiteral("%1 id %2 is out of range (0 to %3)").arg(what, quoted).arg(limit - 1));
    return int(id);
}

TileKind TileId::parseKind(const QString &word)
{
    if (const std::optional<TileKind> kind = parseTileKind(word))
        return *kind;
    throw CliError(QStringLiteral("'%1' is neither terrain nor static").arg(CliText::elide(word)));
}
