#pragma once

#include <QObject>
#include <QString>

class DataSet;
class QLabel;
class QProgressBar;
class QStatusBar;
class StatusNotice;
class TileData;

// The whole status bar of the window: how many tiles are selected when there are several,
// the current tile's name, size and id, the forms
// of the open data set, how far a comparison has come, and notices that may be longer
// than the room left for them.
// Its labels are the bar's; it goes with the bar.
class MyBar : public QObject
{
    Q_OBJECT

public:
    static constexpr int NameWidth = 20;
    static constexpr int SizeWidth = 4;
    static constexpr int IdWidth = 5;
    static constexpr int WidestId = 0xFFFF;

    // Fills bar with its labels; a child of bar.
    explicit MyBar(QStatusBar *bar);

    static QString nameText(const QString &name);
    static QString sizeText(int width, int height);
    // "ID: 26 (0x1A)", the decimal part right-aligned; just "ID:" when nothing is selected.
    static QString idText(int id);
    // The forms of the open data set: "MUL art, classic tile data".
    static QString formatText(bool uopArt, const QString &tileDataLayout);
    // "37 selected".
    static QString selectedText(int count);

    // Names the forms of set, with the files and why the tile data is read in its
    // layout in the tool tip, and shows no selection; null: the data set goes, the
    // labels stay as they are.
    void describe(const DataSet *set);
    // A message that stays until the next one, shown whole in the tool tip: "Saved to".
    void showNotice(const QString &text);
    // A comparison with the data set named other has compared done of total tiles; the
    // bar shows it until endComparison.
    void showComparison(const QString &other, int done, int total);
    void endComparison();
    bool showsComparison() const;

public Q_SLOTS:
    void showStatic(int id);
    void showTerrain(int id);
    void showSize(int width, int height);
    // Says how many tiles are selected when there are several; nothing for one or none.
    void showSelectedCount(int count);

private:
    QLabel *nameLabel;
    QLabel *sizeLabel;
    QLabel *idLabel;
    QLabel *formatLabel;
    QLabel *selectedLabel;
    QProgressBar *comparing;
    StatusNotice *notice;
    const TileData *tileData = nullptr;
};
