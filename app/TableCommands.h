#pragma once

#include <QObject>
#include <QString>

class MyMainWindow;

// What File > Export and File > Import do with tables (CSV): the tile data of the tab in
// view or the animation data written to a file, and a table's rows applied to the open
// data set as one undoable edit. A table with an error changes nothing; the user is told
// its line and column.
class TableCommands : public QObject
{
    Q_OBJECT

public:
    static QString exportTileDataCaption() { return QStringLiteral("Export Tile Data"); }
    static QString exportAnimDataCaption() { return QStringLiteral("Export Animation Data"); }
    static QString importTileDataCaption() { return QStringLiteral("Import Tile Data"); }
    static QString importAnimDataCaption() { return QStringLiteral("Import Animation Data"); }
    static QString filter() { return QStringLiteral("Tables (*.csv);;All files (*)"); }

    // A child of window.
    explicit TableCommands(MyMainWindow *window);

public Q_SLOTS:
    void exportTileData();
    void exportAnimData();
    void importTileData();
    void importAnimData();

private:
    // The file the user chose to write; empty when cancelled or refused (the user was told).
    QString chooseTarget(const QString &caption);
    void write(const QString &path, const QByteArray &table, const QString &what);
    // The table the user chose; false when cancelled or unreadable (the user was told).
    bool chooseTable(const QString &caption, QString *path, QByteArray *table);
    void refuse(const QString &path, const QString &what, const QString &error);

    MyMainWindow *window;
};
