#pragma once

#include "app/AppSettings.h"
#include "compare/DataSetComparison.h"
#include "io/TileKind.h"

#include <QObject>
#include <QString>
#include <memory>

class ComparePane;
class ComparisonSession;
class DataSetSession;
class MyMainWindow;
class QAction;
class QDockWidget;
class TilePalette;

// What File > Compare With and Stop Comparing and View > Differences Only do: a second
// data set read beside the window's and compared with it in the background, its progress
// in the status bar, the palettes' marks and cells as the comparison has them, and the
// compare pane, a dock showing the current tile on both sides while they are compared.
// Every failure is told the user.
class CompareCommands : public QObject
{
    Q_OBJECT

public:
    // A child of window, comparing with the data set open in session; settings keep the
    // pane's zoom.
    CompareCommands(MyMainWindow *window, DataSetSession *session, const AppSettings &settings);
    ~CompareCommands() override;

    // The data set compared with the open one, and how they differ.
    ComparisonSession *comparison() const { return comparing.get(); }
    QDockWidget *paneDock() const { return dock; }
    ComparePane *pane() const { return comparePane; }
    // Shows and hides the pane; the View menu holds it while a data set is compared with.
    QAction *paneAction() const;
    // Opens the data set in directory read-only beside the open one and compares the two
    // in the background; false (the user has been told) when it holds none.
    bool compareWith(const QString &directory);
    // Ends the comparison without telling anything of it: the window is going.
    void abandon();
    // The tile was edited, undone or redone: its marks and its cell under Differences Only
    // follow how it differs now.
    void recheck(TileKind kind, int id);

public Q_SLOTS:
    // Asks for the folder to compare with.
    void compare();
    void stop();
    // Whether the palettes show only the tiles that differ from the data set compared with.
    void showDifferencesOnly(bool only);
    // Edit > Take From Other: the selected tiles' images, tile-data records and animation
    // entries become the compared set's (those of them the pane chooses), as one undoable edit.
    void takeFromOther();
    // The pane shows the current tile of the palette in view.
    void showCurrentTile();

private:
    // The palettes' marks, and their cells under Differences Only, as the comparison has them.
    // The tiles found to differ are marked where they are in view; under Differences Only
    // they join the cells.
    void showFound(const QList<DataSetComparison::Difference> &found);
    // With followSelection, a selected tile that leaves the cells hands the selection to
    // the tile that takes its cell.
    void showDifferences(bool followSelection = false);
    void ended();
    void createPane();
    TilePalette *paletteOf(TileKind kind) const;
    // Every cell in view, for marks that came or went all at once.
    void repaintPalettes();

    MyMainWindow *window;
    DataSetSession *session;
    AppSettings settings;
    QDockWidget *dock = nullptr;
    ComparePane *comparePane = nullptr;
    std::unique_ptr<ComparisonSession> comparing;
    // The folder name of the data set compared with, for the status bar.
    QString comparedName;
};
