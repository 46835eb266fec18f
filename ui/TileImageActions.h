#pragma once

#include <QImage>
#include <QPoint>
#include <QPointer>
#include <QString>
#include <QWidget>

// The image actions of one tile, as the palette's context menu and the properties
// window offer them: Import from an image file, Delete, Save to an image file. They ask
// through UserPrompts and tell what failed in a warning titled as the owner's window;
// what becomes of the tile's image is the caller's. The owner may be deleted while any
// prompt runs: then nothing more is done.
class TileImageActions
{
public:
    enum class Action { None, Import, Delete, Save };

    // The menu's items, recognised by their text.
    static QString importText() { return QStringLiteral("Import"); }
    static QString deleteText() { return QStringLiteral("Delete"); }
    static QString saveText() { return QStringLiteral("Save"); }

    explicit TileImageActions(QWidget *owner) : owner(owner) { }

    // The action chosen from the menu of all three at globalPos; None when none was, or
    // when the owner went away meanwhile.
    Action choose(const QPoint &globalPos) const;
    // The image of a file the user chooses; null when the user cancelled, the file did
    // not load (the user has been told) or the owner went away.
    QImage importImage() const;
    // Writes image to a file the user chooses, in the format chosen; a failure is told,
    // naming tile when one is given.
    void saveImage(const QImage &image, const QString &tile = QString()) const;

private:
    void warn(const QString &text) const;

    QPointer<QWidget> owner;
};
