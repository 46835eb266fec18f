#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

class CompareCommands;
class EditCommands;
class ImageBatchCommands;
class MyMainWindow;
class ViewCommands;
class QAction;
class QMenu;
class QUndoStack;
class TableCommands;

// The window's menus, File, Edit, View and Help: their actions and shortcuts, which of them
// can be used now, what Undo and Redo would do, and the list of every shortcut.
class WindowMenus : public QObject
{
    Q_OBJECT

public:
    // Fills the menu bar of window, whose slots the actions run, and commands' for the
    // Edit menu, comparer's for comparing and viewer's for the View menu; a child of window.
    WindowMenus(
        MyMainWindow *window, EditCommands *commands, CompareCommands *comparer, ViewCommands *viewer);

    QAction *saveAction() const { return fileSaveAction; }
    QMenu *recentMenu() const { return openRecentMenu; }
    QAction *compareAction() const { return fileCompareAction; }
    QAction *stopComparingAction() const { return fileStopComparingAction; }
    QAction *differencesOnlyAction() const { return viewDifferencesOnlyAction; }
    QAction *takeFromOtherAction() const { return takeAction; }
    // View > Filter: checked while the filter bar is shown.
    QAction *filterAction() const { return viewFilterAction; }
    QAction *zoomInAction() const { return viewZoomInAction; }
    QAction *zoomOutAction() const { return viewZoomOutAction; }
    QAction *actualSizeAction() const { return viewActualSizeAction; }
    // The text of every shortcut, as Help > Keyboard Shortcuts lists them.
    QString shortcutList() const;

    // File > Open Recent lists directories.
    void showRecent(const QStringList &directories);
    // The actions of a data set, of a palette in view and of a selected tile in it can
    // be used only with one.
    void enable(bool dataSetOpen, bool paletteShown, bool tileSelected);
    // Cut takes one tile at a time; Paste Tile Data needs tile data copied from a tile of
    // the kind in view.
    void enableForSelection(int selectedCount, bool tileDataPastable);
    // Stop Comparing, Differences Only and Take From Other need a data set compared with
    // (Take From Other a selected tile too); without one Differences Only is off.
    void enableComparing(bool comparing);
    // Take From Other also needs some part of a tile chosen to take.
    void enableTaking(bool anyPart);
    // Zoom In and Zoom Out can be used only up to the largest and down to the smallest zoom.
    void showZoom(bool canZoomIn, bool canZoomOut);
    // Undo and Redo name the edit they would undo or redo in history (null: none).
    void showHistory(const QUndoStack *history);

Q_SIGNALS:
    // The user chose directory from File > Open Recent.
    void recentChosen(const QString &directory);

private:
    void createFileMenu();
    void createEditMenu();
    void createViewMenu();
    void createHelpMenu();
    void updateTakeAction();

    MyMainWindow *window;
    EditCommands *commands;
    CompareCommands *comparer;
    ViewCommands *viewer;
    QAction *fileSaveAction = nullptr;
    QAction *fileSaveAsAction = nullptr;
    QAction *fileReopenAction = nullptr;
    QAction *fileCloseAction = nullptr;
    QAction *fileCompareAction = nullptr;
    QAction *fileStopComparingAction = nullptr;
    QAction *fileExportImagesAction = nullptr;
    QAction *fileImportImagesAction = nullptr;
    QAction *viewDifferencesOnlyAction = nullptr;
    QAction *viewFilterAction = nullptr;
    QAction *viewZoomInAction = nullptr;
    QAction *viewZoomOutAction = nullptr;
    QAction *viewActualSizeAction = nullptr;
    QMenu *openRecentMenu = nullptr;
    QAction *undoAction = nullptr;
    QAction *redoAction = nullptr;
    QAction *cutAction = nullptr;
    QAction *copyAction = nullptr;
    QAction *pasteAction = nullptr;
    QAction *deleteAction = nullptr;
    QAction *selectAllAction = nullptr;
    QAction *copyTileDataAction = nullptr;
    QAction *pasteTileDataAction = nullptr;
    QAction *findAction = nullptr;
    QAction *findNextAction = nullptr;
    QAction *locateAction = nullptr;
    QAction *takeAction = nullptr;
    TableCommands *tables = nullptr;
    ImageBatchCommands *batch = nullptr;
    QList<QAction *> tableActions;
    bool tileSelected = false;
    bool paletteShown = false;
    bool comparing = false;
    bool partsChosen = true;
    bool canZoomIn = true;
    bool canZoomOut = true;
};
