#pragma once

#include <QTabWidget>

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

    TWidget *terrain() const { return terrainPage; }
    SWidget *statics() const { return staticPage; }

public Q_SLOTS:
    void changeTab(int index);

private:
    TWidget *terrainPage;
    SWidget *staticPage;
};
