#pragma once

#include <QString>

// Where the data files are: the game's installation directory as the registry (or the
// platform's settings store) names it under one of four editions of the game; on Linux
// also as the registry of a Wine prefix names it.
class DataDirectory
{
public:
    static constexpr int ProbeCount = 4;
    struct Probe
    {
        const char *organization;
        const char *application;
        const char *key;
        // The value names the directory of the client program rather than a prefix.
        bool exePath;
    };
    static const Probe &probe(int index);

    // The first probe, in order, that holds a value in the settings store; then, on Linux,
    // the first that holds one in the registry of the Wine prefix ($WINEPREFIX, else
    // ~/.wine), as a path in the prefix. Empty when none does. A value that names the
    // client program rather than its directory stands for its directory.
    static QString search();
    // The same search in the Wine prefix only.
    static QString searchWine(const QString &prefix);
    // The files a data directory holds, for the user: "art.mul and artidx.mul (or ...".
    static QString fileListText();
    // The prefix kept for a directory the user chose.
    static QString fromChosen(const QString &directory);
    // directory + one separator + fileName, whatever separators directory ends with.
    static QString filePath(const QString &directory, const QString &fileName);

private:
    static QString read(const Probe &probe);
    // The directory of a value that names a program file; the value itself otherwise.
    static QString withoutProgram(const QString &value);
};
