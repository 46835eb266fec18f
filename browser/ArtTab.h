#pragma once

#include <QTabWidget>
#include <QVector>

class ArtWork;
class SWidget;
class TWidget;
class TileData;

// The central tabs "Terrain" and "Statics". The palette brought into view announces
// its selection again, so the status bar always describes the palette on screen.
class ArtTab : public QTabWidget
{
    Q_OBJECT

public:
    static constexpr int TerrainIndex = 0;
    static constexpr int StaticsIndex = 1;

    ArtTab(ArtWork *artWork, TileData *tileData, QWidget *parent = nullptr);
    ~ArtTab() override;

    // What a data set opened again keeps of the tabs: the one in view and each
    // palette's selection, its current tile and all its selected tiles.
    struct View
    {
        int tab = TerrainIndex;
        int selected[2] = {-1, -1};
        QVector<int> selectedIds[2];
    };

    TWidget *terrain() const { return terrainPage; }
    SWidget *statics() const { return staticPage; }
    View view() const;
    // Selections past the end of a palette are dropped.
    void showView(const View &view);

public Q_SLOTS:
    void changeTab(int index);

private:
    TWidget *terrainPage;
    SWidget *staticPage;
};
