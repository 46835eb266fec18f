#include "app/WindowMenus.h"

#include "app/CompareCommands.h"
#include "app/EditCommands.h"
#include "app/ImageBatchCommands.h"
#include "app/MyMainWindow.h"
#include "app/TableCommands.h"
#include "app/ViewCommands.h"

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
    {"Shift with the keys above", "Select the tiles from the anchor to that tile"},
    {"Ctrl+click", "Add a tile to the selection, or take it out"},
    {"Shift+click", "Select the tiles from the anchor to the tile clicked"},
    {"Enter", "Open the properties of the selected tiles"},
    {"Menu", "Open the selected tiles' menu"},
};

} // namespace

WindowMenus::WindowMenus(
    MyMainWindow *window, EditCommands *commands, CompareCommands *comparer, ViewCommands *viewer)
    : QObject(window), window(window), commands(commands), comparer(comparer), viewer(viewer),
      tables(new TableCommands(window)), batch(new ImageBatchCommands(window))
{
    createFileMenu();
    createEditMenu();
    createViewMenu();
    createHelpMenu();
    enableComparing(false);
    showZoom(viewer->zoom() < ViewCommands::MaxZoom, viewer->zoom() > ViewCommands::MinZoom);
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
    QMenu *importMenu = fileMenu->addMenu(QStringLiteral("Import"));
    tableActions << addItem(
        importMenu, QStringLiteral("Tile Data..."), tables, &TableCommands::importTileData)
                 << addItem(importMenu, QStringLiteral("Animation Data..."), tables,
                        &TableCommands::importAnimData);
    QMenu *exportMenu = fileMenu->addMenu(QStringLiteral("Export"));
    tableActions << addItem(
        exportMenu, QStringLiteral("Tile Data..."), tables, &TableCommands::exportTileData)
                 << addItem(exportMenu, QStringLiteral("Animation Data..."), tables,
                        &TableCommands::exportAnimData);
    fileImportImagesAction
        = addItem(fileMenu, QStringLiteral("Import Images..."), batch, &ImageBatchCommands::importImages);
    fileExportImagesAction
        = addItem(fileMenu, QStringLiteral("Export Images..."), batch, &ImageBatchCommands::exportImages);
    fileMenu->addSeparator();
    fileCompareAction
        = addItem(fileMenu, QStringLiteral("Compare With..."), comparer, &CompareCommands::compare);
    fileStopComparingAction
        = addItem(fileMenu, QStringLiteral("Stop Comparing"), comparer, &CompareCommands::stop);
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
    deleteAction = addItem(
        editMenu, QStringLiteral("Delete"), commands, &EditCommands::deleteImages, {QKeySequence::Delete});
    editMenu->addSeparator();
    selectAllAction = addItem(editMenu, QStringLiteral("Select All"), commands, &EditCommands::selectAll,
        {QKeySequence::SelectAll});
    editMenu->addSeparator();
    copyTileDataAction = addItem(editMenu, QStringLiteral("Copy Tile Data"), commands,
        &EditCommands::copyTileData, {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C)});
    pasteTileDataAction = addItem(editMenu, QStringLiteral("Paste Tile Data"), commands,
        &EditCommands::pasteTileData, {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_V)});
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
    viewFilterAction = viewMenu->addAction(QStringLiteral("Filter"));
    viewFilterAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_L));
    viewFilterAction->setCheckable(true);
    connect(viewFilterAction, &QAction::toggled, viewer, &ViewCommands::showFilter);
    viewMenu->addSeparator();
    // Ctrl+= too: the key that holds + on most keyboards, without Shift.
    viewZoomInAction = addItem(viewMenu, QStringLiteral("Zoom In"), viewer, &ViewCommands::zoomIn,
        {QKeySequence(Qt::CTRL | Qt::Key_Plus), QKeySequence(Qt::CTRL | Qt::Key_Equal)});
    viewZoomOutAction = addItem(viewMenu, QStringLiteral("Zoom Out"), viewer, &ViewCommands::zoomOut,
        {QKeySequence(Qt::CTRL | Qt::Key_Minus)});
    viewActualSizeAction = addItem(viewMenu, QStringLiteral("Actual Size"), viewer, &ViewCommands::actualSize,
        {QKeySequence(Qt::CTRL | Qt::Key_0)});
    viewMenu->addSeparator();
    viewDifferencesOnlyAction = viewMenu->addAction(QStringLiteral("Differences Only"));
    viewDifferencesOnlyAction->setCheckable(true);
    connect(viewDifferencesOnlyAction, &QAction::toggled, comparer, &CompareCommands::showDifferencesOnly);
    viewMenu->addAction(comparer->paneAction());
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
    updateTakeAction();
    for (QAction *action : {cutAction, copyAction, pasteAction, deleteAction, copyTileDataAction})
        action->setEnabled(tileSelected);
    pasteTileDataAction->setEnabled(false);
    this->paletteShown = paletteShown;
    for (QAction *action :
        QList<QAction *>{findAction, findNextAction, locateAction, selectAllAction, viewFilterAction,
            viewActualSizeAction, fileExportImagesAction, fileImportImagesAction}
            + tableActions)
        action->setEnabled(paletteShown);
    viewZoomInAction->setEnabled(paletteShown && canZoomIn);
    viewZoomOutAction->setEnabled(paletteShown && canZoomOut);
    for (QAction *action :
        {fileSaveAction, fileSaveAsAction, fileReopenAction, fileCloseAction, fileCompareAction})
        action->setEnabled(dataSetOpen);
}

void WindowMenus::enableForSelection(int selectedCount, bool tileDataPastable)
{
    // One image on the clipboard cannot hold what Cut would take from several tiles.
    cutAction->setEnabled(tileSelected && selectedCount == 1);
    pasteTileDataAction->setEnabled(tileSelected && tileDataPastable);
}

void WindowMenus::enableComparing(bool comparing)
{
    this->comparing = comparing;
    updateTakeAction();
    comparer->paneAction()->setVisible(comparing);
    fileStopComparingAction->setEnabled(comparing);
    viewDifferencesOnlyAction->setEnabled(comparing);
    if (!comparing)
        viewDifferencesOnlyAction->setChecked(false);
}

void WindowMenus::enableTaking(bool anyPart)
{
    partsChosen = anyPart;
    updateTakeAction();
}

void WindowMenus::updateTakeAction()
{
    takeAction->setEnabled(tileSelected && comparing && partsChosen);
}

void WindowMenus::showZoom(bool canZoomIn, bool canZoomOut)
{
    this->canZoomIn = canZoomIn;
    this->canZoomOut = canZoomOut;
    viewZoomInAction->setEnabled(paletteShown && canZoomIn);
    viewZoomOutAction->setEnabled(paletteShown && canZoomOut);
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
