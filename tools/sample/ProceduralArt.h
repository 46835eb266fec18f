#pragma once

#include "tiledata/AnimDataEntry.h"
#include "tiledata/LandTileRecord.h"
#include "tiledata/StaticTileRecord.h"

#include <QByteArray>

// Draws the art and tile properties of the sample data set: diamond tiles in grass,
// sand, water and stone patterns, statics of every shape as raw run-length records
// (with gaps, black holes inside runs and empty lines), and plausible tile records.
// The same seed always gives the same set.
class ProceduralArt
{
public:
    explicit ProceduralArt(quint32 seed);

    // Whether the next tile is left without an image.
    bool leaveEmpty();
    QByteArray terrainRecord(int id);
    QByteArray staticRecord(int id);
    LandTileRecord landTile(int id);
    StaticTileRecord staticTile(int id);
    AnimDataEntry animation(int id);
    // Flags of the high-seas layout's upper half, from the id (and the lower flags)
    // alone, so that both layouts of a set share every other field.
    static quint64 upperLandFlags(int id);
    static quint64 upperStaticFlags(int id, quint64 flags);

private:
    quint32 next();
    int range(int low, int high); // inclusive
    bool chance(int percent);
    quint16 color(int red, int green, int blue);

    quint64 state;
};
