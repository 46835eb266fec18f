#pragma once

#include <QString>

// Where the data files are: the game's installation directory as the registry (or the
// platform's settings store) names it under one of four editions of the game.
class DataDirectory
{
public:
    static constexpr const char *TileDataFile = "tiledata.mul";
    static constexpr const char *AnimDataFile = "animdata.mul";
    static constexpr const char *ArtIndexFile = "artidx.mul";
    static constexpr const char *ArtFile = "art.mul";

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

    // The first probe, in order, that holds a value; empty when none does.
    static QString search();
    // The prefix kept for a directory the user chose.
    static QString fromChosen(const QString &directory);
    // directory + one separator + fileName, whatever separators directory ends with.
    static QString filePath(const QString &directory, const QString &fileName);

private:
    static QString read(const Probe &probe);
};
