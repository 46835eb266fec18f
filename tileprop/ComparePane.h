#pragma once

#include "compare/DataSetComparison.h"
#include "edits/TileEdits.h"
#include "io/TileKind.h"

#include <QColor>
#include <QImage>
#include <QVector>
#include <QWidget>
#include <array>

class AnimationPlayer;
class DataSet;
class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QTableWidget;

// One tile as two data sets hold it, side by side: the open set with its pending edits on
// the left, the set compared with on the right, each captioned with its folder name. Both
// images at the zoom chosen, the tile-data fields in two columns (the flags by name, one
// row each) and, for statics, both animation entries with Play on each side; what differs
// is highlighted. Its check boxes choose the parts Take From Other takes.
class ComparePane : public QWidget
{
    Q_OBJECT

public:
    // The sides, as the table's columns.
    enum Column { Mine, Other };
    static constexpr int MaxZoom = 4;
    static constexpr int DefaultZoom = 2;
    static QColor highlightColor() { return QColor(255, 214, 102); }

    explicit ComparePane(QWidget *parent = nullptr);
    ~ComparePane() override;

    // Shows tile id of kind as mine and other hold it now; a negative id shows no tile.
    // Nothing of either data set is kept.
    void showTile(const DataSet &mine, const DataSet &other, TileKind kind, int id);
    // Shows no tile.
    void clear();

    int zoom() const { return factor; }
    // Images are enlarged factor times (kept within 1 to MaxZoom).
    void setZoom(int factor);
    TileEdits::TakeParts takeParts() const;
    // Whether any part is chosen: with none there is nothing to take.
    bool takesAnything() const;

Q_SIGNALS:
    void zoomChanged(int factor);
    void takePartsChanged();

private:
    // What one side shows: its image, and the frames Play shows in its place.
    struct SideView
    {
        QLabel *caption = nullptr;
        QLabel *image = nullptr;
        QPushButton *play = nullptr;
        AnimationPlayer *player = nullptr;
        QImage still;
        QVector<QImage> frames;
        int interval = 0;
    };

    void buildSide(Column side);
    void fillTable(TileKind kind, const std::array<DataSetComparison::Side, 2> &shown,
        const DataSetComparison::Difference &differing);
    void addRow(const QString &label, const QString &mine, const QString &other, bool highlighted);
    void showImage(SideView &view, const QImage &image);
    void togglePlay(Column side);
    void stopPlaying();

    std::array<SideView, 2> sides;
    QComboBox *zoomBox;
    // Says whether the art differs, which the images' background shows too.
    QLabel *artNote;
    QTableWidget *table;
    QCheckBox *takeArt;
    QCheckBox *takeTileData;
    QCheckBox *takeAnimation;
    int factor = DefaultZoom;
};
