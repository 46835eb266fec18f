#include "app/TableCommands.h"

#include "app/MyBar.h"
#include "app/MyMainWindow.h"
#include "art/ArtWork.h"
#include "browser/TilePalette.h"
#include "edits/TileEdits.h"
#include "io/FileIdentity.h"
#include "io/TableFile.h"
#include "tiledata/AnimDataFile.h"
#include "tiledata/AnimDataTable.h"
#include "tiledata/TileData.h"
#include "tiledata/TileDataTable.h"
#include "ui/UserPrompts.h"

#include <QDir>
#include <QFileInfo>

TableCommands::TableCommands(MyMainWindow *window) : QObject(window), window(window) { }

void TableCommands::exportTileData()
{
    const TilePalette *palette = window->currentPalette();
    if (!palette || !window->tileStore())
        return;
    const QString path = chooseTarget(exportTileDataCaption());
    if (!path.isEmpty())
        write(path, TileDataTable::write(*window->tileStore(), palette->kind()),
            QStringLiteral("The tile data of the %1s").arg(tileKindNoun(palette->kind())));
}

void TableCommands::exportAnimData()
{
    if (!window->animStore())
        return;
    const QString path = chooseTarget(exportAnimDataCaption());
    if (!path.isEmpty())
        write(path, AnimDataTable::write(*window->animStore()), QStringLiteral("The animation data"));
}

void TableCommands::importTileData()
{
    QString path;
    QByteArray bytes;
    if (!window->tileStore() || !chooseTable(importTileDataCaption(), &path, &bytes))
        return;
    TileDataTable table;
    CsvError csvError;
    if (!table.read(bytes, *window->tileStore(), &csvError))
        return refuse(path, QStringLiteral("tile data"), csvError.text());
    QString error;
    if (!window->edits()->changeRecords(table.kind(), table.changes(), TileEdits::importName(), &error))
        return refuse(path, QStringLiteral("tile data"), error);
    window->dataSetBar()->showNotice(QStringLiteral("%1 rows imported from %2, %3 records changed")
                                         .arg(table.rowCount())
                                         .arg(QDir::toNativeSeparators(path))
                                         .arg(table.changes().size()));
}

void TableCommands::importAnimData()
{
    QString path;
    QByteArray bytes;
    if (!window->animStore() || !chooseTable(importAnimDataCaption(), &path, &bytes))
        return;
    AnimDataTable table;
    CsvError csvError;
    if (!table.read(bytes, *window->animStore(), &csvError))
        return refuse(path, QStringLiteral("animation data"), csvError.text());
    QString error;
    if (!window->edits()->changeAnimations(table.changes(), TileEdits::importName(), &error))
        return refuse(path, QStringLiteral("animation data"), error);
    window->dataSetBar()->showNotice(QStringLiteral("%1 rows imported from %2, %3 entries changed")
                                         .arg(table.rowCount())
                                         .arg(QDir::toNativeSeparators(path))
                                         .arg(table.changes().size()));
}

QString TableCommands::chooseTarget(const QString &caption)
{
    QString path = UserPrompts::current().saveFileName(window, caption, filter(), nullptr);
    if (path.isEmpty())
        return QString();
    // As image files get their format's extension when typed without one.
    if (QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".csv");
    // However its path is spelt, a file of the data set is never written.
    const FileIdentity target = FileIdentity::of(path);
    const QStringList files = window->artStore()->container().fileNames()
        + QStringList{window->tileStore()->fileName(), window->animStore()->fileName()};
    for (const QString &file : files) {
        if (target.isValid() && FileIdentity::of(file) == target) {
            window->warn(QStringLiteral("%1 is a file of the data set; the originals are never overwritten.")
                             .arg(QDir::toNativeSeparators(path)));
            return QString();
        }
    }
    return path;
}

void TableCommands::write(const QString &path, const QByteArray &table, const QString &what)
{
    QString error;
    if (!TableFile::write(path, table, &error)) {
        window->warn(QStringLiteral("%1 could not be written to %2: %3")
                         .arg(what, QDir::toNativeSeparators(path), error));
        return;
    }
    window->dataSetBar()->showNotice(
        QStringLiteral("%1 written to %2").arg(what, QDir::toNativeSeparators(path)));
}

bool TableCommands::chooseTable(const QString &caption, QString *path, QByteArray *table)
{
    *path = UserPrompts::current().openFileName(window, caption, filter(), nullptr);
    if (path->isEmpty())
        return false;
    QString error;
    if (!TableFile::read(*path, table, &error)) {
        window->warn(error);
        return false;
    }
    return true;
}

void TableCommands::refuse(const QString &path, const QString &what, const QString &error)
{
    QString reason = error;
    if (!reason.isEmpty())
        reason[0] = reason.at(0).toUpper();
    window->warn(QStringLiteral("The %1 of %2 was not imported; nothing was changed.\n\n%3")
                     .arg(what, QDir::toNativeSeparators(path), reason));
}
