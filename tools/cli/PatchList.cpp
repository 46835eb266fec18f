#include "tools/cli/PatchList.h"

#include "art/ArtFormat.h"
#include "tools/cli/CliError.h"
#include "tools/cli/TileId.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

namespace {

const QLatin1String DeleteWord("delete");

// An absolute path of the file system. Qt takes a name starting with ':' for one of its
// built-in resources; in a list it is a file beside the list like any other name.
bool isFileSystemPath(const QString &file)
{
    return QDir::isAbsolutePath(file) && !file.startsWith(QLatin1Char(':'));
}

} // namespace

PatchList PatchList::read(const QString &listPath, int staticLimit)
{
    // A FIFO or a device would block the command until someone writes to it.
    const QFileInfo info(listPath);
    if (info.exists() && !info.isFile())
        throw CliError(QStringLiteral("%1 is not a regular file").arg(listPath));
    QFile file(listPath);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        throw CliError(QStringLiteral("cannot read %1: %2").arg(listPath, file.errorString()));
    return parse(
        QString::fromUtf8(file.readAll()), QFileInfo(listPath).absolutePath(), staticLimit, listPath);
}

PatchList PatchList::parse(
    const QString &text, const QString &baseDirectory, int staticLimit, const QString &listName)
{
    PatchList patches;
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (int n = 0; n < lines.size(); ++n) {
        const QString line = lines.at(n).trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        try {
            Entry entry = parseLine(line, baseDirectory, staticLimit);
            entry.line = n + 1;
            patches.list.append(entry);
        } catch (const CliError &error) {
            throw CliError(QStringLiteral("%1:%2: %3").arg(listName).arg(n + 1).arg(error.message()));
        }
    }
    return patches;
}

PatchList::Entry PatchList::parseLine(const QString &line, const QString &baseDirectory, int staticLimit)
{
    static const QRegularExpression form(QStringLiteral("^(\\S+)\\s+(\\S+)\\s+(.+)$"));
    const QRegularExpressionMatch match = form.match(line);
    if (!match.hasMatch())
        throw CliError(QStringLiteral("expected 'terrain|static ID FILE' or 'terrain|static ID delete'"));
    Entry entry;
    const QString kind = match.captured(1);
    entry.kind = TileId::parseKind(kind);
    const bool terrain = entry.kind == TileKind::Terrain;
    entry.id = TileId::parse(match.captured(2), terrain ? ArtFormat::TerrainCount : staticLimit, kind);
    const QString file = match.captured(3);
    if (file != DeleteWord)
        entry.imagePath = QDir::cleanPath(isFileSystemPath(file) ? file : baseDirectory + QLatin1Char('/') + file);
    return entry;
}
