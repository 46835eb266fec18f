#include "app/EditCommands.h"

#include "app/MyBar.h"
#include "app/MyMainWindow.h"
#include "app/TileClipboard.h"
#include "browser/TilePalette.h"
#include "edits/TileEdits.h"
#include "tiledata/TileData.h"
#include "ui/UserPrompts.h"

#include <QMap>

namespace {

// How a question names the tiles: "Static 0x1F3", "37 statics", "2 terrain tiles".
QString tilesText(TileKind kind, const QVector<int> &ids)
{
    if (ids.size() == 1)
        return tileLabel(kind, ids.first());
    return QStringLiteral("%1 %2s").arg(ids.size()).arg(tileKindNoun(kind));
}

TileKind kindOf(const TileRecord &record)
{
    return std::holds_alternative<LandTileRecord>(record) ? TileKind::Terrain : TileKind::Static;
}

} // namespace

EditCommands::EditCommands(MyMainWindow *window) : QObject(window), window(window), locator(window) { }

void EditCommands::changeImage(TilePalette *palette, int id, const QImage &image, const QString &action)
{
    QString error;
    if (!window->edits()->changeImage(palette->kind(), id, image, action, &error))
        warn(error);
}

void EditCommands::changeImages(
    TilePalette *palette, const QVector<int> &ids, const QImage &image, const QString &action)
{
    if (ids.size() == 1)
        changeImage(palette, ids.first(), image, action);
    if (ids.size() <= 1)
        return;
    // One image over many tiles is not what a slip of the hand should do; deleting is undone as easily.
    if (!image.isNull()
        && !UserPrompts::current().confirm(window, action,
            QStringLiteral("%1 the image into %2?").arg(action, tilesText(palette->kind(), ids)), action))
        return;
    QMap<int, QImage> images;
    for (int id : ids)
        images.insert(id, image);
    QString error;
    if (!window->edits()->changeImages(palette->kind(), images, action, &error))
        warn(error);
}

void EditCommands::undo()
{
    QString error;
    if (window->edits() && !window->edits()->undo(&error))
        warn(error);
}

void EditCommands::redo()
{
    QString error;
    if (window->edits() && !window->edits()->redo(&error))
        warn(error);
}

bool EditCommands::copySelection()
{
    TilePalette *palette = window->currentPalette();
    const int id = palette ? palette->selectedId() : TilePalette::NoTile;
    if (id < 0)
        return false;
    const QImage image = palette->tileImage(id);
    if (image.isNull()) {
        warn(QStringLiteral("%1 has no image to copy.").arg(tileLabel(palette->kind(), id)));
        return false;
    }
    TileClipboard::copy(image);
    return true;
}

void EditCommands::copy()
{
    copySelection();
}

void EditCommands::cut()
{
    // One image on the clipboard holds one tile's: Cut is for one tile (the menu offers it only then).
    TilePalette *current = window->currentPalette();
    if (current && current->selectedCount() > 1)
        return;
    if (copySelection()) {
        TilePalette *palette = window->currentPalette();
        changeImage(palette, palette->selectedId(), QImage(), TileEdits::cutName());
    }
}

void EditCommands::paste()
{
    TilePalette *palette = window->currentPalette();
    if (!palette || palette->selectedId() < 0)
        return;
    QString error;
    const QImage pasted = TileClipboard::image(&error);
    if (pasted.isNull())
        warn(error);
    else
        changeImages(palette, palette->selectedIds(), pasted, TileEdits::pasteName());
}

void EditCommands::deleteImages()
{
    TilePalette *palette = window->currentPalette();
    if (palette && palette->selectedId() >= 0)
        changeImages(palette, palette->selectedIds(), QImage(), TileEdits::deleteName());
}

void EditCommands::selectAll()
{
    if (TilePalette *palette = window->currentPalette())
        palette->selectAll();
}

void EditCommands::copyTileData()
{
    TilePalette *palette = window->currentPalette();
    const int id = palette ? palette->selectedId() : TilePalette::NoTile;
    if (id < 0)
        return;
    const TileData &tiles = *window->tileStore();
    QString error;
    std::optional<TileRecord> record;
    if (palette->kind() == TileKind::Terrain) {
        if (const auto land = tiles.landRecord(id, &error))
            record = *land;
    } else if (const auto item = tiles.staticRecord(id, &error)) {
        record = *item;
    }
    if (!record) {
        warn(QStringLiteral("The tile data of %1 could not be copied: %2")
                 .arg(tileLabel(palette->kind(), id),
                     error.isEmpty() ? QStringLiteral("the tile data file holds no record for it.") : error));
        return;
    }
    copiedRecord = record;
    copiedFrom = tileLabel(palette->kind(), id);
    if (MyBar *bar = window->dataSetBar())
        bar->showNotice(QStringLiteral("Copied the tile data of %1").arg(copiedFrom));
    Q_EMIT tileDataCopied();
}

bool EditCommands::canPasteTileData(TileKind kind) const
{
    return copiedRecord && kindOf(*copiedRecord) == kind;
}

void EditCommands::pasteTileData()
{
    TilePalette *palette = window->currentPalette();
    if (!palette || palette->selectedId() < 0 || !canPasteTileData(palette->kind()))
        return;
    const TileKind kind = palette->kind();
    const QVector<int> ids = palette->selectedIds();
    const int choice = UserPrompts::current().choose(window, QStringLiteral("Paste Tile Data"),
        QStringLiteral("Paste the tile data of %1 onto %2?").arg(copiedFrom, tilesText(kind, ids)),
        {withoutNameChoice(), withNameChoice()});
    if (choice < 0)
        return;
    QMap<int, TileRecord> records;
    for (int id : ids)
        records.insert(id, pastedRecord(kind, id, choice == 1));
    QString error;
    if (!window->edits()->changeRecords(kind, records, TileEdits::pasteTileDataName(), &error))
        warn(error);
}

namespace {

// The copied record for a tile whose own record is own (none past the end of the file, whose
// name is empty), in its layout, keeping its own name unless withName.
template <typename Record> Record pasted(Record record, const std::optional<Record> &own, bool withName)
{
    const Record target = own ? *own : Record::blank(record.layout);
    record.layout = target.layout;
    if (!withName)
        record.name = target.name;
    return record;
}

} // namespace

TileRecord EditCommands::pastedRecord(TileKind kind, int id, bool withName) const
{
    const TileData &tiles = *window->tileStore();
    if (kind == TileKind::Terrain)
        return pasted(std::get<LandTileRecord>(*copiedRecord), tiles.landRecord(id), withName);
    return pasted(std::get<StaticTileRecord>(*copiedRecord), tiles.staticRecord(id), withName);
}

void EditCommands::find()
{
    if (TilePalette *palette = window->currentPalette())
        locator.find(*palette, *window->tileStore());
}

void EditCommands::findNext()
{
    if (TilePalette *palette = window->currentPalette())
        locator.findNext(*palette, *window->tileStore());
}

void EditCommands::locate()
{
    if (TilePalette *palette = window->currentPalette())
        locator.locate(*palette);
}

void EditCommands::warn(const QString &text)
{
    window->warn(text);
}
