#pragma once

#include <QObject>

class AppSettings;
class ArtTab;
class MyMainWindow;
class QWidget;
class TileFilterBar;
class TilePalette;

// What the View menu does besides Differences Only: the filter bar above the palettes,
// which narrows the palette in view to the tiles that match, and the zoom of the
// palettes' cells and of the properties windows' images, which the settings remember.
class ViewCommands : public QObject
{
    Q_OBJECT

public:
    static constexpr int MinZoom = 1;
    static constexpr int MaxZoom = 4;

    // A child of window; the zoom comes from settings and is remembered there.
    ViewCommands(MyMainWindow *window, AppSettings *settings);

    // The central page of a data set: the filter bar above tabs. Connects the palettes.
    QWidget *pageFor(ArtTab *tabs);
    // Takes the filter bar out of the page before the page goes with its data set.
    void release();

    TileFilterBar *filterBar() const { return bar; }
    bool isFiltering() const;
    int zoom() const { return zoomLevel; }

public Q_SLOTS:
    void showFilter(bool shown);
    void zoomIn();
    void zoomOut();
    void actualSize();
    // Narrows the palette in view as the filter bar says, or shows every tile again
    // when the bar is closed.
    void applyFilter();

private:
    void setZoom(int zoom);
    // The edits of a data set change what matches: the filter runs again once the
    // changes of one step are all made.
    void scheduleFilter();
    // Says how many tiles of the palette in view are shown.
    void showCount();

    MyMainWindow *window;
    AppSettings *settings;
    TileFilterBar *bar;
    int zoomLevel = MinZoom;
    bool filterScheduled = false;
};
