#pragma once

#include "dataset/ArtContainerChoice.h"
#include "dataset/DataSet.h"
#include "io/TileKind.h"
#include "tiledata/TileDataLayout.h"

#include <QStringList>
#include <optional>

class QCommandLineParser;

// The options of tessera-cli that are not a command's own arguments, as given on the
// command line (before or after the command). --in-art and --in-tiledata say how every
// command reads the data set; --art and --tiledata name the forms of the data set the
// command works on: the ones read, except for convert, which writes them.
struct CliOptions
{
    // How the data set is read: the art container and the layout of tiledata.mul (for
    // a cut or damaged file), unset: as the files tell; pending edits in the system's
    // temporary directory.
    DataSet::Options input;
    // convert's output forms; unset: as read.
    ArtContainerChoice::Choice outputArt = ArtContainerChoice::Choice::Automatic;
    std::optional<TileDataLayout> outputTileDataLayout;
    // --json: info prints one JSON object.
    bool json = false;
    // merge's --ids: the tiles to take.
    QString mergeIds;
    // diff's --kind: only the tiles of this kind are compared; unset: both kinds.
    std::optional<TileKind> kind;
    // The parts of a tile merge takes or diff compares, as their switches --art,
    // --tiledata and --animation name them; none set: every part.
    struct Parts
    {
        bool art = false;
        bool tileData = false;
        bool animation = false;
    };
    Parts parts;

    // The options of this run, set once by main.
    static CliOptions &current();

    static void addTo(QCommandLineParser &parser);
    // For a command whose --art, --tiledata and --animation are switches naming parts of a
    // tile (merge, diff), the arguments without them, the switches set in *options; other
    // commands' arguments as they are. The parser cannot read them itself: for every other
    // command --art and --tiledata take a value.
    static QStringList takePartSwitches(const QStringList &arguments, CliOptions *options);
    // The options of a parsed command line for a command; false and *error for a value
    // it does not know or options that contradict each other.
    static bool read(
        const QCommandLineParser &parser, const QString &command, CliOptions *options, QString *error);
};
