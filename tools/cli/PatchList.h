#pragma once

#include "io/TileKind.h"

#include <QString>
#include <QVector>

// A list of art edits, one per line: "terrain|static ID FILE" replaces a tile's image
// by the image in FILE (the rest of the line, so it may hold spaces; relative to the
// list's directory), "terrain|static ID delete" deletes it. Blank lines and lines
// starting with '#' are skipped. Ids are decimal or 0x-hex.
class PatchList
{
public:
    struct Entry
    {
        TileKind kind = TileKind::Terrain;
        int id = 0;
        QString imagePath; // absolute; empty: delete the tile's image
        int line = 0;
    };

    // Reads and checks the whole list; a CliError names the list, the line and what is
    // wrong with it. staticLimit bounds static ids.
    static PatchList read(const QString &listPath, int staticLimit);
    static PatchList parse(
        const QString &text, const QString &baseDirectory, int staticLimit, const QString &listName);

    const QVector<Entry> &entries() const { return list; }

private:
    static Entry parseLine(const QString &line, const QString &baseDirectory, int staticLimit);

    QVector<Entry> list;
};
