#pragma once

#include "app/AppSettings.h"
#include "app/DataSetPrompts.h"
#include "dataset/DataSet.h"
#include "io/TileKind.h"
#include "session/DataSetSession.h"

#include <QMainWindow>
#include <QString>
#include <memory>

class AnimDataFile;
class ArtTab;
class ArtWork;
class CompareCommands;
class ComparisonSession;
class DataSetSaveController;
class EditCommands;
class MyBar;
class QAction;
class QMenu;
class TileData;
class TileEdits;
class TilePalette;
class ViewCommands;
class WindowMenus;

// The one window: menus, the art tabs with both palettes, and the status bar. It shows
// the data set its DataSetSession holds, connects the palettes' and the properties
// windows' requests to the session's edits, and puts the session's questions to the user.
class MyMainWindow : public QMainWindow
{
    Q_OBJECT

public:
    struct StartOptions
    {
        // Used for this run, without searching or asking; empty: search, then the last
        // directory remembered, then ask.
        QString dataDirectory;
        // Whether the window reads and writes Tessera's settings.
        bool useSettings = true;
        // How data sets are opened in this window: the pending-edit parent for every
        // one; a forced art container or tile-data layout for dataDirectory (or the
        // directory found or chosen at start) only.
        DataSet::Options dataSet;
        // Whether opening a data set offers the pending edits that runs on it which ended
        // abnormally left behind (and clears them away when they are declined).
        bool recoverEdits = true;
        // A data set compared with the one opened at start; empty: none.
        QString compareDirectory;
    };

    // "[*]" shows where the mark of unsaved edits goes; the data set is named by its folder.
    static QString title(const QString &dataSetName = QString());
    static QString chooserCaption();
    static QString compareCaption()
    {
        return QStringLiteral("Choose the folder of the data set to compare with");
    }
    static QString openQuestion()
    {
        return QStringLiteral("There are unsaved edits. Save them before opening another data directory?");
    }
    static QString closeQuestion()
    {
        return QStringLiteral("There are unsaved edits. Save them before closing the data set?");
    }

    // Looks for the data directory in the settings, then asks the user.
    explicit MyMainWindow(QWidget *parent = nullptr, Qt::WindowFlags flags = {});
    // Uses dataDirectory for this run, without searching or asking (an empty one: as above).
    explicit MyMainWindow(
        const QString &dataDirectory, QWidget *parent = nullptr, Qt::WindowFlags flags = {});
    // As above, opening the data set with options (the art container, the tile-data layout).
    MyMainWindow(const QString &dataDirectory, const DataSet::Options &options, QWidget *parent = nullptr,
        Qt::WindowFlags flags = {});
    explicit MyMainWindow(const StartOptions &options, QWidget *parent = nullptr, Qt::WindowFlags flags = {});
    ~MyMainWindow() override;

    // Empty when no directory is known; then the window holds only its menus.
    QString dataDirectory() const { return session->directory(); }
    bool isComplete() const { return artTab != nullptr; }
    // The stores and the history of the data set open; null without one.
    ArtWork *artStore() const { return session->art(); }
    TileData *tileStore() const { return session->tiles(); }
    AnimDataFile *animStore() const { return session->anims(); }
    TileEdits *edits() const { return session->edits(); }
    ArtTab *tabs() const { return artTab; }
    QAction *saveAction() const;
    DataSetSaveController *saveController() const { return saving; }
    // The data set compared with the open one, and how they differ.
    ComparisonSession *comparison() const;
    WindowMenus *windowMenus() const { return menus; }
    // The filter bar and the zoom.
    ViewCommands *viewCommands() const { return viewing; }
    // What the status bar says of the data set open; null before the first and after File > Close.
    MyBar *dataSetBar() const { return bar; }
    // The palette of the tab in view; null without a data set.
    TilePalette *currentPalette() const;
    QMenu *recentMenu() const;
    // The text of every shortcut, as Help > Keyboard Shortcuts lists them.
    QString shortcutList() const;

    // Tells the user text, in a warning titled with the program's name.
    void warn(const QString &text);

    // Opens the data set in directory in place of the one open now, after asking about
    // unsaved edits. False, with the open data set kept, when the directory holds no
    // data set (the user has been told what is missing) or the user cancelled.
    bool openDirectory(const QString &directory);
    // Opens the data set again from its files, keeping its pending edits wherever they
    // still fit; false (the user has been told) when the directory no longer holds one.
    bool reopenDataSet();

public Q_SLOTS:
    void fileSave();
    void fileSaveAs();
    void fileOpen();
    void fileReopen();
    // Closes the data set, after asking about unsaved edits: the window becomes empty.
    void fileClose();
    void fileQuit();
    void about();
    void showShortcuts();
    // Offers to reopen the data set when one of its files changed on disk; asks once
    // for each new state of the files.
    void checkDataFiles();

protected:
    void closeEvent(QCloseEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void build(const StartOptions &options);
    // Shows the data set the session has opened.
    void showDataSet();
    // Lets go of the data set the session is closing: the widgets first (the palettes
    // and the properties windows opened from them), then what connects them to it.
    void dropDataSet();
    // False, after offering to reopen it, while a file of the data set has changed on disk.
    bool readyToSave();
    // The window without a data set: a page that says how to open one.
    void showEmptyPage();
    void updateRecentMenu();
    // The tabs with the palettes, and the save controller, for the data set open.
    void createDataSetWidgets();
    // The palette's selection goes to the status bar, its activated tiles open the
    // properties window of the palette's kind, its edit requests become edits.
    void connectPalette(TilePalette *palette, void (MyBar::*selectionSlot)(int));
    void openProperties(TilePalette *palette, int id);
    // The cell and, when it is the selection in view, the status bar show the tile as it is now.
    void showTileChange(TileKind kind, int id);
    void updateActions();
    void updateUndoActions();

    AppSettings settings;
    std::unique_ptr<DataSetSession> session;
    DataSetPrompts prompts;
    ArtTab *artTab = nullptr;
    // Made with the status bar, for the first data set; it goes with the bar.
    MyBar *bar = nullptr;
    WindowMenus *menus = nullptr;
    DataSetSaveController *saving = nullptr;
    EditCommands *editing;
    CompareCommands *comparer;
    ViewCommands *viewing;
};
