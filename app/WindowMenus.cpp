#include "app/WindowMenus.h"

#include "app/CompareCommands.h"
#include "app/EditCommands.h"
#include "app/ImageBatchCommands.h"
#include "app/MyMainWindow.h"

#include <QAction>
#include <QDir>
#include <QMenu>
#include <QMenuBar>
#include <QUndoStack>

namespace {

// The action is the window's, whoever does its work.
template <typename Receiver>
QAction *addItem(QMenu *menu, const QString &text, Receiver *receiver, void (Receiver::*slot)(),
    const QList<QKeySequence> &shortcuts = {})
{
    auto *action = new QAction(text, menu->parentWidget()->window());
    action->setShortcuts(shortcuts);
    QObject::connect(action, &QAction::triggered, receiver, slot);
    menu->addAction(action);
    return action;
}

// What the grid does with keys of its own, for the list of shortcuts.
const char *const GridKeys[][2] = {
    {"Arrow keys", "Select the neighbouring tile"},
    {"Page Up, Page Down", "Select the tile a screen up or down"},
    {"Home, End", "Select the first or the last tile"},
    {"Enter", "Open the selected tile's properties"},
    {"Delete", "Delete the selected tile's image"},
    {"Menu", "Open the selected tile's menu"},
};

} // namespace

WindowMenus::WindowMenus(
    MyMainWindow *window, EditCommands *commands, CompareCommands *comparer, ImageBatchCommands *batch)
    : QObject(window), window(window), commands(commands), comparer(comparer), batch(batch)
{
    createFileMenu();
    createEditMenu();
    createViewMenu();
    createHelpMenu();
    enableComparing(false);
}

void WindowMenus::createFileMenu()
{
    auto *fileMenu = window->menuBar()->addMenu(QStringLiteral("File"));
    addItem(fileMenu, QStringLiteral("Open Data Directory..."), window, &MyMainWindow::fileOpen,
        {QKeySequence::Open});
    openRecentMenu = fileMenu->addMenu(QStringLiteral("Open Recent"));
    fileMenu->addSeparator();
    fileSaveAction
        = addItem(fileMenu, QStringLiteral("Save"), window, &MyMainWindow::fileSave, {QKeySequence::Save});
    fileSaveAsAction = addItem(fileMenu, QStringLiteral("Save As..."), window, &MyMainWindow::fileSaveAs,
        {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S)});
    fileReopenAction = addItem(
        fileMenu, QStringLiteral("Reopen"), window, &MyMainWindow::fileReopen, {QKeySequence(Qt::Key_F5)});
    fileMenu->addSeparator();
    fileCompareAction
        = addItem(fileMenu, QStringLiteral("Compare With..."), comparer, &CompareCommands::compare);
    fileStopComparingAction
        = addItem(fileMenu, QStringLiteral("Stop Comparing"), comparer, &CompareCommands::stop);
    fileMenu->addSeparator();
    fileExportImagesAction
        = addItem(fileMenu, QStringLiteral("Export Images..."), batch, &ImageBatchCommands::exportImages);
    fileImportImagesAction
        = addItem(fileMenu, QStringLiteral("Import Images..."), batch, &ImageBatchCommands::importImages);
    fileMenu->addSeparator();
    fileCloseAction = addItem(fileMenu, QStringLiteral("Close"), window, &MyMainWindow::fileClose,
        {QKeySequence(Qt::CTRL | Qt::Key_W)});
    fileMenu->addSeparator();
    addItem(fileMenu, QStringLiteral("Quit"), window, &MyMainWindow::fileQuit,
        {QKeySequence(Qt::CTRL | Qt::Key_Q)});
}

void WindowMenus::createEditMenu()
{
    auto *editMenu = window->menuBar()->addMenu(QStringLiteral("Edit"));
    undoAction
        = addItem(editMenu, QStringLiteral("Undo"), commands, &EditCommands::undo, {QKeySequence::Undo});
    redoAction = addItem(editMenu, QStringLiteral("Redo"), commands, &EditCommands::redo,
        {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});
    editMenu->addSeparator();
    cutAction = addItem(editMenu, QStringLiteral("Cut"), commands, &EditCommands::cut, {QKeySequence::Cut});
    copyAction
        = addItem(editMenu, QStringLiteral("Copy"), commands, &EditCommands::copy, {QKeySequence::Copy});
    pasteAction
        = addItem(editMenu, QStringLiteral("Paste"), commands, &EditCommands::paste, {QKeySequence::Paste});
    editMenu->addSeparator();
    findAction
        = addItem(editMenu, QStringLiteral("Find..."), commands, &EditCommands::find, {QKeySequence::Find});
    findNextAction = addItem(
        editMenu, QStringLiteral("Next"), commands, &EditCommands::findNext, {QKeySequence(Qt::Key_F3)});
    locateAction = addItem(editMenu, QStringLiteral("Locate..."), commands, &EditCommands::locate,
        {QKeySequence(Qt::CTRL | Qt::Key_G)});
    editMenu->addSeparator();
    takeAction
        = addItem(editMenu, QStringLiteral("Take From Other"), comparer, &CompareCommands::takeFromOther);
}

void WindowMenus::createViewMenu()
{
    auto *viewMenu = window->menuBar()->addMenu(QStringLiteral("View"));
    viewDifferencesOnlyAction = viewMenu->addAction(QStringLiteral("Differences Only"));
    viewDifferencesOnlyAction->setCheckable(true);
    connect(viewDifferencesOnlyAction, &QAction::toggled, comparer, &CompareCommands::showDifferencesOnly);
}

void WindowMenus::createHelpMenu()
{
    auto *helpMenu = window->menuBar()->addMenu(QStringLiteral("Help"));
    addItem(helpMenu, QStringLiteral("Keyboard Shortcuts"), window, &MyMainWindow::showShortcuts);
    addItem(helpMenu, QStringLiteral("About"), window, &MyMainWindow::about);
}

void WindowMenus::showRecent(const QStringList &directories)
{
    openRecentMenu->clear();
    for (const QString &directory : directories) {
        QAction *action = openRecentMenu->addAction(QDir::toNativeSeparators(directory));
        connect(action, &QAction::triggered, this, [this, directory] { Q_EMIT recentChosen(directory); });
    }
    openRecentMenu->setEnabled(!directories.isEmpty());
}

void WindowMenus::enable(bool dataSetOpen, bool paletteShown, bool tileSelected)
{
    this->tileSelected = tileSelected;
    takeAction->setEnabled(tileSelected && comparing);
    for (QAction *action : {cutAction, copyAction, pasteAction})
        action->setEnabled(tileSelected);
    for (QAction *action :
        {findAction, findNextAction, locateAction, fileExportImagesAction, fileImportImagesAction})
        action->setEnabled(paletteShown);
    for (QAction *action :
        {fileSaveAction, fileSaveAsAction, fileReopenAction, fileCloseAction, fileCompareAction})
        action->setEnabled(dataSetOpen);
}

void WindowMenus::enableComparing(bool comparing)
{
    this->comparing = comparing;
    takeAction->setEnabled(tileSelected && comparing);
    fileStopComparingAction->setEnabled(comparing);
    viewDifferencesOnlyAction->setEnabled(comparing);
    if (!comparing)
        viewDifferencesOnlyAction->setChecked(false);
}

void WindowMenus::showHistory(const QUndoStack *history)
{
    const bool canUndo = history && history->canUndo();
    const bool canRedo = history && history->canRedo();
    undoAction->setEnabled(canUndo);
    redoAction->setEnabled(canRedo);
    undoAction->setText(
        canUndo ? QStringLiteral("Undo %1").arg(history->undoText()) : QStringLiteral("Undo"));
    redoAction->setText(
        canRedo ? QStringLiteral("Redo %1").arg(history->redoText()) : QStringLiteral("Redo"));
}

QString WindowMenus::shortcutList() const
{
    QStringList lines;
    for (const QAction *menu : window->menuBar()->actions()) {
        for (const QAction *action : menu->menu()->actions()) {
            if (action->shortcuts().isEmpty())
                continue;
            QStringList keys;
            for (const QKeySequence &key : action->shortcuts())
                keys << key.toString(QKeySequence::NativeText);
            // The name without the edit it would undo or redo now.
            const QString name = action == undoAction ? QStringLiteral("Undo")
                : action == redoAction                ? QStringLiteral("Redo")
                                                      : action->text().remove(QStringLiteral("..."));
            lines << QStringLiteral("%1: %2").arg(name, keys.join(QStringLiteral(" or ")));
        }
    }
    lines << QString() << QStringLiteral("In the palettes:");
    for (const auto &key : GridKeys)
        lines << QStringLiteral("%1: %2").arg(QLatin1String(key[0]), QLatin1String(key[1]));
    return lines.join(QLatin1Char('\n'));
}
