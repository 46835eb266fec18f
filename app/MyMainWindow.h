#pragma once

#include "app/AppSettings.h"
#include "dataset/DataSet.h"
#include "io/FileIdentity.h"
#include "io/FileStamp.h"
#include "io/TileKind.h"

#include <QMainWindow>
#include <QString>
#include <memory>
#include <optional>

class AnimDataFile;
class ArtTab;
class ArtWork;
class DataSetSaveController;
class DataSetWatcher;
class MyBar;
class QAction;
class QLabel;
class QMenu;
class StatusNotice;
class TileData;
class TileEdits;
class TileLocator;
class TilePalette;

// The one window: menus, the art tabs with both palettes, and the status bar. It owns
// the data set open in it and the history of its edits, connects the palettes' and the
// properties windows' requests to them, and deletes the stores (and so their pending
// edits) before its widgets go.
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
    };

    // "[*]" shows where the mark of unsaved edits goes; the data set is named by its folder.
    static QString title(const QString &dataSetName = QString());
    static QString chooserCaption();
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
    QString dataDirectory() const { return mulPath; }
    bool isComplete() const { return artTab != nullptr; }
    ArtWork *artStore() const { return artWork; }
    TileData *tileStore() const { return tileData; }
    AnimDataFile *animStore() const { return animData; }
    TileEdits *edits() const { return tileEdits.get(); }
    ArtTab *tabs() const { return artTab; }
    MyBar *statusController() const { return bar; }
    QAction *saveAction() const { return fileSaveAction; }
    DataSetSaveController *saveController() const { return saving; }
    // The palette of the tab in view; null without a data set.
    TilePalette *currentPalette() const;
    QMenu *recentMenu() const { return openRecentMenu; }
    // The text of every shortcut, as Help > Keyboard Shortcuts lists them.
    QString shortcutList() const;

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
    void editUndo();
    void editRedo();
    void editCut();
    void editPaste();
    void editCopy();
    void editFind();
    void editFindNext();
    void editLocate();
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
    // The data set in directory; null, after telling the user what is missing or
    // damaged and followed by hint, when it holds none.
    std::unique_ptr<DataSet> openDataSet(const QString &directory, const QString &hint);
    // Asks for a data directory; empty when the user cancels.
    QString chooseDirectory(const QString &start);
    void install(std::unique_ptr<DataSet> set, const QString &directory);
    // Offers the pending edits that abnormally ended runs left for this data set; what
    // is declined is removed. Those of other data sets are left alone: they are offered
    // when their own data set is opened.
    void recoverEdits(DataSet &set);
    // Says so, in a message and in the status bar, when tiledata.mul's layout was
    // inferred from damaged data.
    void warnOfTileDataLayout();
    void teardown();
    // False, after offering to reopen it, while a file of the data set has changed on disk.
    bool readyToSave();
    // The window without a data set: a page that says how to open one.
    void showEmptyPage();
    void createMenus();
    void createFileMenu();
    void createEditMenu();
    void createHelpMenu();
    void updateRecentMenu();
    void createStatusLabels();
    void createStores();
    // The palette's selection goes to the status bar, its activated tiles open the
    // properties window of the palette's kind, its edit requests become edits.
    void connectPalette(TilePalette *palette, void (MyBar::*selectionSlot)(int));
    void openProperties(TilePalette *palette, int id);
    void applyImageEdit(TilePalette *palette, int id, const QImage &image, const QString &action);
    // The cell and, when it is the selection in view, the status bar show the tile as it is now.
    void showTileChange(TileKind kind, int id);
    // Copies the selected tile's image; false, after telling the user, when it has none.
    bool copySelection();
    void updateActions();
    void updateUndoActions();
    void warn(const QString &text);
    void showName(const QString &name);
    void showSize(int width, int height);
    void showId(int id);

    AppSettings settings;
    ArtWork *artWork = nullptr;
    ArtTab *artTab = nullptr;
    QLabel *sizeLabel = nullptr;
    QLabel *nameLabel = nullptr;
    QLabel *idLabel = nullptr;
    // Names the art container and the tile-data layout open.
    QLabel *formatLabel = nullptr;
    // "Saved to" and its whole path.
    StatusNotice *notice = nullptr;
    MyBar *bar = nullptr;
    TileData *tileData = nullptr;
    AnimDataFile *animData = nullptr;
    QAction *fileSaveAction = nullptr;
    QAction *fileSaveAsAction = nullptr;
    QAction *fileReopenAction = nullptr;
    QAction *fileCloseAction = nullptr;
    QMenu *openRecentMenu = nullptr;
    QAction *undoAction = nullptr;
    QAction *redoAction = nullptr;
    QAction *cutAction = nullptr;
    QAction *copyAction = nullptr;
    QAction *pasteAction = nullptr;
    QAction *findAction = nullptr;
    QAction *findNextAction = nullptr;
    QAction *locateAction = nullptr;
    DataSetSaveController *saving = nullptr;
    std::unique_ptr<TileLocator> locator;
    QString mulPath;
    DataSet::Options openOptions;
    // Whether opening a data set offers the edits its crashed runs left behind.
    bool offerRecovery = true;
    // The directory the forms given in openOptions belong to; unset while starting
    // without a directory named.
    std::optional<FileIdentity> givenFormsDirectory;
    std::unique_ptr<DataSet> dataSet;
    std::unique_ptr<TileEdits> tileEdits;
    std::unique_ptr<DataSetWatcher> watcher;
    // The changed file and its state the user was last asked about.
    QString noticedFile;
    FileStamp noticedStamp;
    bool askingAboutChange = false;
};
