#include "app/EditCommands.h"

#include "app/MyMainWindow.h"
#include "app/TileClipboard.h"
#include "browser/TilePalette.h"
#include "edits/TileEdits.h"

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
        changeImage(palette, palette->selectedId(), pasted, TileEdits::pasteName());
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
