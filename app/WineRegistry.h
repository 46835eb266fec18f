#pragma once

#include <QHash>
#include <QString>

// The Windows registry of a Wine prefix as Wine keeps it, in text files: system.reg
// (the machine's keys) and user.reg (the user's), and the prefix's drives, so that a
// Windows path read from it can be turned into a path on this machine.
class WineRegistry
{
public:
    // $WINEPREFIX, else ~/.wine.
    static QString defaultPrefix();

    // Reads the prefix's registry files; a prefix without them has no values.
    explicit WineRegistry(const QString &prefix);

    // The string value name of key (below Software, e.g. "EA GAMES\Ultima Online AoS"),
    // looked for under Software and Software\Wow6432Node, in system.reg, then user.reg;
    // empty when there is none. Key and value names are matched ignoring case.
    QString value(const QString &key, const QString &name) const;
    // A Windows path as the path of the same file in the prefix ("C:\Games\UO" to
    // PREFIX/drive_c/Games/UO, through the prefix's dosdevices links where they are);
    // each name is matched ignoring case where the exact one is missing. Empty when the
    // path has no drive letter or the drive is not in the prefix.
    QString toLocalPath(const QString &windowsPath) const;

    // Section (lower case, single backslashes) to value name (lower case) to string
    // value, from the text of a .reg file. Only string values are kept.
    using Sections = QHash<QString, QHash<QString, QString>>;
    static Sections parse(const QString &text);

private:
    QString drivePath(QChar letter) const;

    QString prefix;
    Sections machine;
    Sections user;
};
