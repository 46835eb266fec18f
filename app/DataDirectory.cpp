#include "app/DataDirectory.h"

#include <QDir>
#include <QSettings>

namespace {
const DataDirectory::Probe Probes[DataDirectory::ProbeCount] = {
    {"EA GAMES", "Ultima Online Samurai Empire", "Install Dir", false},
    {"EA GAMES", "Ultima Online AoS", "Install Dir", false},
    {"Origin Worlds Online", "Ultima Online Third Dawn", "1.0\\ExePath", true},
    {"Origin Worlds Online", "Ultima Online", "1.0\\ExePath", true},
};

bool isSeparator(QChar c)
{
    return c == QLatin1Char('/') || c == QLatin1Char('\\');
}
} // namespace

const DataDirectory::Probe &DataDirectory::probe(int index)
{
    return Probes[index];
}

QString DataDirectory::read(const Probe &probe)
{
    const QSettings settings(QString::fromLatin1(probe.organization), QString::fromLatin1(probe.application));
    const QString value = settings.value(QString::fromLatin1(probe.key)).toString();
    if (value.isEmpty() || !probe.exePath)
        return value;
    return QDir(value).path() + QLatin1Char('\\');
}

QString DataDirectory::search()
{
    for (const Probe &probe : Probes) {
        const QString value = read(probe);
        if (!value.isEmpty())
            return value;
    }
    return QString();
}

QString DataDirectory::fromChosen(const QString &directory)
{
    return directory.isEmpty() ? QString() : directory + QLatin1Char('/');
}

QString DataDirectory::filePath(const QString &directory, const QString &fileName)
{
    qsizetype end = directory.size();
    while (end > 0 && isSeparator(directory.at(end - 1)))
        --end;
    return directory.left(end) + QLatin1Char('/') + fileName;
}
