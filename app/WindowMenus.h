#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

class CompareCommands;
class EditCommands;
class ImageBatchCommands;
class MyMainWindow;
class QAction;
class QMenu;
class QUndoStack;

// The window's menus, File, Edit, View and Help: their actions and shortcuts, which of them
// can be used now, what Undo and Redo would do, and the list of every shortcut.
class WindowMenus : public QObject
{
    Q_OBJECT

public:
    // Fills the menu bar of window, whose slots the actions run, and commands' for the
    // Edit menu, comparer's for comparing and batch's for images in and out; a child of window.
    WindowMenus(
        MyMainWindow *window, EditCommands *commands, CompareCommands *comparer, ImageBatchCommands *batch);

    QAction *saveAction() const { return fileSaveAction; }
    QMenu *recentMenu() const { return openRecentMenu; }
    QAction *compareAction() const { return fileCompareAction; }
    QAction *stopComparingAction() const { return fileStopComparingAction; }
    QAction *differencesOnlyAction() const { return viewDifferencesOnlyAction; }
    QAction *takeFromOtherAction() const { return takeAction; }
    // The text of every shortcut, as Help > Keyboard Shortcuts lists them.
    QString shortcutList() const;

    // File > Open Recent lists directories.
    void showRecent(const QStringList &directories);
    // The actions of a data set, of a palette in view and of a selected tile in it can
    // be used only with one.
    void enable(bool dataSetOpen, bool paletteShown, bool tileSelected);
    // Stop Comparing, Differences Only and Take From Other need a data set compared with
    // (Take From Other a selected tile too); without one Differences Only is off.
    void enableComparing(bool comparing);
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

    MyMainWindow *window;
    EditCommands *commands;
    CompareCommands *comparer;
    ImageBatchCommands *batch;
    QAction *fileSaveAction = nullptr;
    QAction *fileSaveAsAction = nullptr;
    QAction *fileReopenAction = nullptr;
    QAction *fileCloseAction = nullptr;
    QAction *fileCompareAction = nullptr;
    QAction *fileStopComparingAction = nullptr;
    QAction *fileExportImagesAction = nullptr;
    QAction *fileImportImagesAction = nullptr;
    QAction *viewDifferencesOnlyAction = nullptr;
    QMenu *openRecentMenu = nullptr;
    QAction *undoAction = nullptr;
    QAction *redoAction = nullptr;
    QAction *cutAction = nullptr;
    QAction *copyAction = nullptr;
    QAction *pasteAction = nullptr;
    QAction *findAction = nullptr;
    QAction *findNextAction = nullptr;
    QAction *locateAction = nullptr;
    QAction *takeAction = nullptr;
    bool tileSelected = false;
    bool comparing = false;
};
