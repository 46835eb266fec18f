#pragma once

#include <QString>

class QWidget;
class TileData;
class TilePalette;

// Edit > Locate, Find and Next: reaching a tile of the palette in view by its id or by
// a part of its name, among the tiles it shows. The tile found is selected as a click would select it, and
// scrolled into view. Every question and answer goes through UserPrompts.
class TileLocator
{
public:
    static QString locateTitle() { return QStringLiteral("Locate"); }
    static QString findTitle() { return QStringLiteral("Find"); }

    explicit TileLocator(QWidget *window);

    // An id as typed: decimal, or hexadecimal after "0x" (white space around it allowed);
    // false for anything else.
    static bool parseId(const QString &text, int *id);

    void locate(TilePalette &palette);
    void find(TilePalette &palette, const TileData &tiles);
    // Finds the next tile after the selection with the last text asked for; asks for
    // one when there is none yet.
    void findNext(TilePalette &palette, const TileData &tiles);

private:
    void search(TilePalette &palette, const TileData &tiles);
    // The next tile among those the palette shows whose name holds the last text; -1: none.
    int searchShown(const TilePalette &palette, const TileData &tiles) const;

    QWidget *window;
    QString lastText;
};
