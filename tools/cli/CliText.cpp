#include "tools/cli/CliText.h"

#include <QFileInfo>

QString CliText::elide(const QString &value, int maxLength)
{
    // Control characters are written out, so that a message stays one line.
    QString shown;
    qsizetype used = 0;
    for (; used < value.size() && shown.size() < maxLength; ++used) {
        const QChar c = value.at(used);
        if (c == QLatin1Char('\n'))
            shown += QLatin1String("\\n");
        else if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            shown += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'));
        else
            shown += c;
    }
    if (used == value.size() && shown.size() <= maxLength)
        return shown;
    return shown.left(maxLength - 1) + QChar(0x2026);
}

QString CliText::notADirectory(const QString &path)
{
    const QFileInfo info(path);
    QString what;
    if (info.isSymLink() && !info.exists())
        what = QStringLiteral("a symbolic link to a missing target");
    else if (!info.exists() || info.isDir())
        return QString();
    else if (info.isFile())
        what = QStringLiteral("a file");
    else
        what = QStringLiteral("neither a file nor a directory (a device, socket or pipe)");
    return QStringLiteral("%1 is %2, not a directory").arg(elide(path), what);
}
