#include "ui/TileImageActions.h"

#include "ui/ImageFiles.h"
#include "ui/UserPrompts.h"

#include <QDir>
#include <QMenu>

TileImageActions::Action TileImageActions::choose(const QPoint &globalPos) const
{
    // No parent: the owner may be deleted while the menu runs, and the menu must not go
    // with it.
    QMenu menu;
    QAction *importAction = menu.addAction(importText());
    QAction *deleteAction = menu.addAction(deleteText());
    QAction *saveAction = menu.addAction(saveText());
    const QAction *chosen = UserPrompts::current().execMenu(&menu, globalPos);
    if (!owner || !chosen)
        return Action::None;
    return chosen == importAction ? Action::Import
        : chosen == deleteAction  ? Action::Delete
        : chosen == saveAction    ? Action::Save
                                  : Action::None;
}

QImage TileImageActions::importImage() const
{
    QString message;
    const QImage loaded = ImageFiles::chooseAndLoad(owner, &message);
    if (!owner)
        return QImage();
    if (!message.isEmpty())
        warn(message);
    return loaded;
}

void TileImageActions::saveImage(const QImage &image, const QString &tile) const
{
    QString filter;
    const QString chosen = UserPrompts::current().saveFileName(
        owner, QStringLiteral("Save Image"), ImageFiles::writeFilter(), &filter);
    if (!owner || chosen.isEmpty())
        return;
    const QString format = ImageFiles::formatOfFilter(filter);
    const QString path = ImageFiles::withFormatSuffix(chosen, format);
    QString error;
    if (ImageFiles::save(image, path, format, &error))
        return;
    const QString file = QDir::toNativeSeparators(path);
    warn(tile.isEmpty()
            ? QStringLiteral("Could not save the image to \"%1\": %2").arg(file, error)
            : QStringLiteral("Could not save the image of %1 to \"%2\": %3").arg(tile, file, error));
}

void TileImageActions::warn(const QString &text) const
{
    UserPrompts::current().warning(owner, owner->window()->windowTitle(), text);
}
