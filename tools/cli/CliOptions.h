#pragma once

#include "dataset/ArtContainerChoice.h"
#include "tiledata/TileDataLayout.h"

#include <optional>

class QCommandLineParser;

// The options of tessera-cli that are not a command's own arguments, as given on the
// command line (before or after the command).
struct CliOptions
{
    // --art mul|uop: the art container every command reads; for convert, the one written.
    ArtContainerChoice::Choice art = ArtContainerChoice::Choice::Automatic;
    // --tiledata classic|high-seas: the layout tiledata.mul is read in (for a cut or
    // damaged file); for convert, the one written.
    std::optional<TileDataLayout> tileDataLayout;
    // --json: info prints one JSON object.
    bool json = false;

    // The options of this run, set once by main.
    static CliOptions &current();

    static void addTo(QCommandLineParser &parser);
    // The options of a parsed command line; false and *error for a value it does not know.
    static bool read(const QCommandLineParser &parser, CliOptions *options, QString *error);
};
