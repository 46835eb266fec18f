#include "app/TileLocator.h"

#include "browser/TilePalette.h"
#include "edits/TileNameSearch.h"
#include "tiledata/TileData.h"
#include "tileprop/NumberFieldValidator.h"
#include "ui/UserPrompts.h"

namespace {

constexpr int Hexadecimal = 16;

QString hex(int value)
{
    return QStringLiteral("0x") + QString::number(value, Hexadecimal).toUpper();
}

} // namespace

TileLocator::TileLocator(QWidget *window) : window(window) { }

bool TileLocator::parseId(const QString &text, int *id)
{
    // Signs, spaces inside and other letters are no part of an id; the properties
    // window's number fields read numbers the same way.
    uint value = 0;
    if (!NumberFieldValidator::parse(text.trimmed(), &value) || value > uint(INT_MAX))
        return false;
    *id = int(value);
    return true;
}

void TileLocator::locate(TilePalette &palette)
{
    const int count = palette.tileCount();
    const QString answer = UserPrompts::current().text(window, locateTitle(),
        QStringLiteral("Id of the %1 (decimal, or hexadecimal starting with 0x):")
            .arg(tileKindNoun(palette.kind())),
        QString());
    if (answer.isNull())
        return;
    int id = -1;
    if (!parseId(answer, &id)) {
        UserPrompts::current().warning(window, locateTitle(),
            QStringLiteral(
                "\"%1\" is not an id: type a decimal number, or a hexadecimal one starting with 0x.")
                .arg(answer));
        return;
    }
    if (id < 0 || id >= count) {
        const QString range = count > 0
            ? QStringLiteral("from 0 to %1 (0x0 to %2)").arg(count - 1).arg(hex(count - 1))
            : QStringLiteral("none: there are no %1s").arg(tileKindNoun(palette.kind()));
        UserPrompts::current().warning(window, locateTitle(),
            QStringLiteral("There is no %1 %2: the ids run %3.")
                .arg(tileKindNoun(palette.kind()))
                .arg(id)
                .arg(range));
        return;
    }
    if (!palette.isShown(id)) {
        const QString why = palette.leavesOut(TilePalette::Narrowing::Differences, id)
            ? QStringLiteral("View > Differences Only shows only the tiles that differ")
            : QStringLiteral("the filter shows only the tiles that match it");
        UserPrompts::current().warning(window, locateTitle(),
            QStringLiteral("%1 is not shown: %2.").arg(tileLabel(palette.kind(), id), why));
        return;
    }
    palette.selectTile(id);
}

void TileLocator::find(TilePalette &palette, const TileData &tiles)
{
    const QString answer = UserPrompts::current().text(window, findTitle(),
        QStringLiteral("Find the next %1 whose name contains:").arg(tileKindNoun(palette.kind())), lastText);
    if (answer.isEmpty())
        return;
    lastText = answer;
    search(palette, tiles);
}

void TileLocator::findNext(TilePalette &palette, const TileData &tiles)
{
    if (lastText.isEmpty())
        find(palette, tiles);
    else
        search(palette, tiles);
}

int TileLocator::searchShown(const TilePalette &palette, const TileData &tiles) const
{
    // As TileNameSearch goes through every id: from the first cell after the selection
    // (whether it is shown or not), around to the selection.
    const int count = palette.shownCount();
    int start = 0;
    while (start < count && palette.idAt(start) <= palette.selectedId())
        ++start;
    for (int step = 0; step < count; ++step) {
        const int id = palette.idAt((start + step) % count);
        if (tiles.name(palette.kind(), id).contains(lastText, Qt::CaseInsensitive))
            return id;
    }
    return -1;
}

void TileLocator::search(TilePalette &palette, const TileData &tiles)
{
    const int found = palette.showsAll()
        ? TileNameSearch::next(tiles, palette.kind(), palette.tileCount(), palette.selectedId(), lastText)
        : searchShown(palette, tiles);
    if (found < 0) {
        UserPrompts::current().information(window, findTitle(),
            QStringLiteral("Not found: no %1 has a name containing \"%2\".")
                .arg(tileKindNoun(palette.kind()), lastText));
        return;
    }
    palette.selectTile(found);
}
