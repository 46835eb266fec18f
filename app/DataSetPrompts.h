#pragma once

#include <QString>
#include <memory>

class DataSet;
class DataSetSession;
class MyBar;
class QWidget;

// What opening a data set asks and tells the user, over the window: the folder to open,
// what is missing from or damaged in one, whether to recover the pending edits a run that
// ended abnormally left behind, whether to read again files changed on disk, and a
// tile-data layout guessed from damaged data. Every prompt goes through UserPrompts.
class DataSetPrompts
{
public:
    DataSetPrompts(QWidget *window, DataSetSession &session);

    // Tells the user text, in a warning titled with the program's name.
    void warn(const QString &text);
    // The data set in directory; null, after telling the user what is missing or damaged
    // and followed by hint, when it holds none.
    std::unique_ptr<DataSet> read(const QString &directory, const QString &hint);
    // Asks for a data directory; empty when the user cancels.
    QString chooseDirectory(const QString &start);
    bool askToRecover(int edits, const QString &directory);
    // Asks whether to read the data set again now that file changed on disk.
    bool askToReopen(const QString &file);
    // Says so, in a message and in bar, when tiledata.mul's layout was inferred from
    // damaged data.
    void warnOfTileDataLayout(MyBar *bar);

private:
    QWidget *window;
    DataSetSession &session;
};
