#include "app/WineRegistry.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

namespace {

const QLatin1String SoftwareKey("software\\");
const QLatin1String Wow64Key("software\\wow6432node\\");
// A string value that names its type: str(2) is a string with %VARIABLES% in it.
const QLatin1String TypedStringPrefix("str(");
const QLatin1String ExpandableString("2");

// \xHHHH: a UTF-16 code unit.
constexpr qsizetype MaxHexDigits = 4;

bool isHexDigit(QChar c)
{
    return c.isDigit() || (c.toLower() >= QLatin1Char('a') && c.toLower() <= QLatin1Char('f'));
}

QString readText(const QString &path)
{
    QFile file(path);
    // Wine writes these files in UTF-8 (older versions in Latin-1, a subset for paths).
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// The escaped text of a quoted string starting at text[at] (the opening quote), with its
// escapes undone; *end is just past the closing quote, or -1 when it is missing.
QString unquote(const QString &text, qsizetype at, qsizetype *end)
{
    QString out;
    for (qsizetype i = at + 1; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('"')) {
            *end = i + 1;
            return out;
        }
        if (c != QLatin1Char('\\') || i + 1 >= text.size()) {
            out.append(c);
            continue;
        }
        const QChar next = text.at(++i);
        if (next == QLatin1Char('n'))
            out.append(QLatin1Char('\n'));
        else if (next == QLatin1Char('t'))
            out.append(QLatin1Char('\t'));
        else if (next == QLatin1Char('r'))
            out.append(QLatin1Char('\r'));
        else if (next == QLatin1Char('0'))
            out.append(QChar());
        else if (next == QLatin1Char('x')) {
            qsizetype digits = 0;
            while (
                digits < MaxHexDigits && i + 1 + digits < text.size() && isHexDigit(text.at(i + 1 + digits)))
                ++digits;
            out.append(QChar(char16_t(text.mid(i + 1, digits).toUShort(nullptr, 16))));
            i += digits;
        } else
            out.append(next); // \\ and \" and anything else stand for themselves
    }
    *end = -1;
    return out;
}

// [Software\\EA GAMES\\Ultima Online AoS] 1234567890 -> software\ea games\ultima online aos
QString sectionName(const QString &line)
{
    const qsizetype close = line.lastIndexOf(QLatin1Char(']'));
    if (close < 1)
        return QString();
    return line.mid(1, close - 1).replace(QLatin1String("\\\\"), QLatin1String("\\")).toLower();
}

// "Install Dir"="C:\\UO" (or =str(2):"C:\\UO") -> {install dir, C:\UO}; false for other values.
bool parseValue(const QString &line, QString *name, QString *value)
{
    qsizetype end = -1;
    *name = unquote(line, 0, &end).toLower();
    if (end < 0 || end >= line.size() || line.at(end) != QLatin1Char('='))
        return false;
    qsizetype at = end + 1;
    if (line.mid(at).startsWith(TypedStringPrefix)) {
        const qsizetype colon = line.indexOf(QLatin1String("):"), at);
        if (colon < 0
            || line.mid(at + TypedStringPrefix.size(), colon - at - TypedStringPrefix.size())
                != ExpandableString)
            return false;
        at = colon + 2;
    }
    if (at >= line.size() || line.at(at) != QLatin1Char('"'))
        return false;
    *value = unquote(line, at, &end);
    return end > 0;
}

// name as it is spelled in directory: Windows names ignore case, the prefix's files keep
// the case they were made with. The name as given when no entry matches.
QString existingName(const QString &directory, const QString &name)
{
    if (QFileInfo::exists(QDir(directory).filePath(name)))
        return name;
    const QStringList entries
        = QDir(directory).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QString &entry : entries) {
        if (entry.compare(name, Qt::CaseInsensitive) == 0)
            return entry;
    }
    return name;
}

} // namespace

QString WineRegistry::defaultPrefix()
{
    const QString set = qEnvironmentVariable("WINEPREFIX");
    return set.isEmpty() ? QDir::home().filePath(QStringLiteral(".wine")) : set;
}

WineRegistry::WineRegistry(const QString &prefix)
    : prefix(prefix), machine(parse(readText(QDir(prefix).filePath(QStringLiteral("system.reg"))))),
      user(parse(readText(QDir(prefix).filePath(QStringLiteral("user.reg")))))
{ }

WineRegistry::Sections WineRegistry::parse(const QString &text)
{
    Sections sections;
    QHash<QString, QString> *current = nullptr;
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (const QString &raw : lines) {
        const QString line = raw.trimmed();
        if (line.startsWith(QLatin1Char('['))) {
            const QString section = sectionName(line);
            current = section.isEmpty() ? nullptr : &sections[section];
            continue;
        }
        QString name;
        QString value;
        if (current && line.startsWith(QLatin1Char('"')) && parseValue(line, &name, &value))
            current->insert(name, value);
    }
    return sections;
}

QString WineRegistry::value(const QString &key, const QString &name) const
{
    const QString lowerKey = key.toLower();
    const QString lowerName = name.toLower();
    for (const Sections *file : {&machine, &user}) {
        for (const QLatin1String &root : {SoftwareKey, Wow64Key}) {
            const auto section = file->constFind(root + lowerKey);
            if (section != file->cend() && section->contains(lowerName))
                return section->value(lowerName);
        }
    }
    return QString();
}

QString WineRegistry::drivePath(QChar letter) const
{
    const QString link = QDir(prefix).filePath(QStringLiteral("dosdevices/%1:").arg(letter.toLower()));
    const QFileInfo linked(link);
    if (linked.exists())
        return linked.canonicalFilePath();
    if (letter.toLower() == QLatin1Char('c'))
        return QDir(prefix).filePath(QStringLiteral("drive_c"));
    return QString();
}

QString WineRegistry::toLocalPath(const QString &windowsPath) const
{
    if (windowsPath.size() < 2 || !windowsPath.at(0).isLetter() || windowsPath.at(1) != QLatin1Char(':'))
        return QString();
    QString path = drivePath(windowsPath.at(0));
    if (path.isEmpty())
        return QString();
    const QStringList names = QString(windowsPath.mid(2))
                                  .replace(QLatin1Char('\\'), QLatin1Char('/'))
                                  .split(QLatin1Char('/'), Qt::SkipEmptyParts);
    for (const QString &name : names)
        path = QDir(path).filePath(existingName(path, name));
    return path;
}
