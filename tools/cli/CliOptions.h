#pragma once

#include "dataset/ArtContainerChoice.h"

// The options of tessera-cli that are not a command's own arguments, as given on the
// command line (before or after the command).
struct CliOptions
{
    // --art mul|uop: the art container every command reads; for convert, the one written.
    ArtContainerChoice::Choice art = ArtContainerChoice::Choice::Automatic;
    // --json: info prints one JSON object.
    bool json = false;

    // The options of this run, set once by main.
    static CliOptions &current();
};
