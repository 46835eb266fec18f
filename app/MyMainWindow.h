#pragma once

#include "dataset/DataSet.h"

#include <QMainWindow>
#include <QString>
#include <memory>

class AnimDataFile;
class ArtContainer;
class ArtTab;
class ArtWork;
class DataSetSaveController;
class MyBar;
class QAction;
class QLabel;
class TileData;
class TilePalette;

// The one window: menus, the art tabs with both palettes, and the status bar. It owns
// the stores and deletes them (and so their pending edits) before its widgets go.
class MyMainWindow : public QMainWindow
{
    Q_OBJECT

public:
    // "[*]" shows where the mark of unsaved edits goes.
    static QString title() { return QStringLiteral("Tessera[*]"); }
    static QString chooserCaption() { return QStringLiteral("Mul file location"); }

    // Looks for the data directory in the settings, then asks the user.
    explicit MyMainWindow(QWidget *parent = nullptr, Qt::WindowFlags flags = {});
    // Uses dataDirectory for this run, without searching or asking (an empty one: as above).
    explicit MyMainWindow(
        const QString &dataDirectory, QWidget *parent = nullptr, Qt::WindowFlags flags = {});
    // As above, opening the data set with options (the art container, the tile-data layout).
    MyMainWindow(const QString &dataDirectory, const DataSet::Options &options, QWidget *parent = nullptr,
        Qt::WindowFlags flags = {});
    ~MyMainWindow() override;

    // Empty when no directory is known; then the window holds only its menus.
    QString dataDirectory() const { return mulPath; }
    bool isComplete() const { return artTab != nullptr; }
    ArtWork *artStore() const { return artWork; }
    TileData *tileStore() const { return tileData; }
    AnimDataFile *animStore() const { return animData; }
    ArtTab *tabs() const { return artTab; }
    MyBar *statusController() const { return bar; }
    QAction *saveAction() const { return fileSaveAction; }
    DataSetSaveController *saveController() const { return saving; }

public Q_SLOTS:
    void fileSave();
    void fileMulPath();
    void editCut();
    void editPaste();
    void editCopy();
    void editFind();
    void editFindNext();
    void editLocate();
    void fileClose();
    void about();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void build(const QString &dataDirectory);
    // Opens the data set in directory; false, after telling the user what is missing or
    // damaged, when it holds none.
    bool openDataSet(const QString &directory);
    // Asks for a data directory; empty when the user cancels.
    QString chooseDirectory();
    void createMenus();
    void createStatusLabels();
    void createStores();
    // The palette's selection goes to the status bar, its activated tiles open the
    // properties window of the given kind.
    void connectPalette(TilePalette *palette, void (MyBar::*selectionSlot)(int), int kind);
    void showName(const QString &name);
    void showSize(int width, int height);
    void showId(int id);

    ArtWork *artWork = nullptr;
    ArtTab *artTab = nullptr;
    QLabel *sizeLabel = nullptr;
    QLabel *nameLabel = nullptr;
    QLabel *idLabel = nullptr;
    QLabel *formatLabel = nullptr;
    MyBar *bar = nullptr;
    TileData *tileData = nullptr;
    AnimDataFile *animData = nullptr;
    QAction *fileSaveAction = nullptr;
    DataSetSaveController *saving = nullptr;
    QString mulPath;
    DataSet::Options openOptions;
    std::unique_ptr<DataSet> dataSet;
};
