#include "app/DataDirectory.h"

#include "app/WineRegistry.h"
#include "io/DataFileNames.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

namespace {
const DataDirectory::Probe Probes[DataDirectory::ProbeCount] = {
    {"EA GAMES", "Ultima Online Samurai Empire", "Install Dir", false},
    {"EA GAMES", "Ultima Online AoS", "Install Dir", false},
    {"Origin Worlds Online", "Ultima Online Third Dawn", "1.0\\ExePath", true},
    {"Origin Worlds Online", "Ultima Online", "1.0\\ExePath", true},
};

const QLatin1String ProgramSuffix(".exe");

bool isSeparator(QChar c)
{
    return c == QLatin1Char('/') || c == QLatin1Char('\\');
}

// "1.0\ExePath" -> subkey "1.0", value name "ExePath".
void splitKey(const char *key, QString *subkey, QString *name)
{
    const QString path = QString::fromLatin1(key);
    const qsizetype last = path.lastIndexOf(QLatin1Char('\\'));
    *subkey = last < 0 ? QString() : path.left(last);
    *name = path.mid(last + 1);
}
} // namespace

const DataDirectory::Probe &DataDirectory::probe(int index)
{
    return Probes[index];
}

QString DataDirectory::read(const Probe &probe)
{
    const QSettings settings(QString::fromLatin1(probe.organization), QString::fromLatin1(probe.application));
    const QString value = withoutProgram(settings.value(QString::fromLatin1(probe.key)).toString());
    if (value.isEmpty() || !probe.exePath)
        return value;
    return QDir(value).path() + QLatin1Char('\\');
}

QString DataDirectory::withoutProgram(const QString &value)
{
    if (!value.endsWith(ProgramSuffix, Qt::CaseInsensitive) && !QFileInfo(value).isFile())
        return value;
    qsizetype end = value.size();
    while (end > 0 && !isSeparator(value.at(end - 1)))
        --end;
    return value.left(end);
}

QString DataDirectory::search()
{
    for (const Probe &probe : Probes) {
        const QString value = read(probe);
        if (!value.isEmpty())
            return value;
    }
#ifdef Q_OS_LINUX
    return searchWine(WineRegistry::defaultPrefix());
#else
    return QString();
#endif
}

QString DataDirectory::searchWine(const QString &prefix)
{
    const WineRegistry registry(prefix);
    for (const Probe &probe : Probes) {
        QString subkey;
        QString name;
        splitKey(probe.key, &subkey, &name);
        QString key = QString::fromLatin1(probe.organization) + QLatin1Char('\\')
            + QString::fromLatin1(probe.application);
        if (!subkey.isEmpty())
            key += QLatin1Char('\\') + subkey;
        const QString value = registry.value(key, name);
        const QString local = value.isEmpty() ? QString() : registry.toLocalPath(withoutProgram(value));
        if (!local.isEmpty())
            return local;
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

QString DataDirectory::fileListText()
{
    return QStringLiteral("%1 and %2 (or %3), %4 and %5")
        .arg(DataFileNames::ArtMul, DataFileNames::ArtIdxMul, DataFileNames::ArtUop,
            DataFileNames::TileDataMul, DataFileNames::AnimDataMul);
}
