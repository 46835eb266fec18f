#pragma once

#include "io/TileKind.h"

#include <QObject>
#include <QString>
#include <memory>

class ComparisonSession;
class DataSetSession;
class MyMainWindow;

// What File > Compare With and Stop Comparing and View > Differences Only do: a second
// data set read beside the window's and compared with it in the background, its progress
// in the status bar, and the palettes' marks and cells as the comparison has them. Every
// failure is told the user.
class CompareCommands : public QObject
{
    Q_OBJECT

public:
    // A child of window, comparing with the data set open in session.
    CompareCommands(MyMainWindow *window, DataSetSession *session);
    ~CompareCommands() override;

    // The data set compared with the open one, and how they differ.
    ComparisonSession *comparison() const { return comparing.get(); }
    // Opens the data set in directory read-only beside the open one and compares the two
    // in the background; false (the user has been told) when it holds none.
    bool compareWith(const QString &directory);
    // Ends the comparison without telling anything of it: the window is going.
    void abandon();
    // The tile was edited, undone or redone: its marks follow how it differs now.
    void recheck(TileKind kind, int id);

public Q_SLOTS:
    // Asks for the folder to compare with.
    void compare();
    void stop();
    // Whether the palettes show only the tiles that differ from the data set compared with.
    void showDifferencesOnly(bool only);
    // Edit > Take From Other: the selected tiles' images, tile-data records and animation
    // entries become the compared set's, as one undoable edit.
    void takeFromOther();

private:
    // The palettes' marks, and their cells under Differences Only, as the comparison has them.
    void showDifferences();
    void ended();

    MyMainWindow *window;
    DataSetSession *session;
    std::unique_ptr<ComparisonSession> comparing;
    // The folder name of the data set compared with, for the status bar.
    QString comparedName;
};
