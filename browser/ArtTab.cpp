#include "browser/ArtTab.h"

#include "browser/SWidget.h"
#include "browser/TWidget.h"
#include "browser/TilePalette.h"

ArtTab::ArtTab(ArtWork *artWork, TileData *tileData, QWidget *parent)
    : QTabWidget(parent), terrainPage(new TWidget(artWork, tileData)),
      staticPage(new SWidget(artWork, tileData))
{
    addTab(terrainPage, QStringLiteral("Terrain"));
    addTab(staticPage, QStringLiteral("Statics"));
    // Connected only now, so that adding the tabs announces nothing.
    connect(this, &QTabWidget::currentChanged, this, &ArtTab::changeTab);
}

ArtTab::~ArtTab()
{
    // The stores may already be gone: removing the pages must neither announce a
    // selection nor show (and so resize) the page that becomes current.
    disconnect(this, &QTabWidget::currentChanged, this, &ArtTab::changeTab);
    hide();
    delete terrainPage;
    delete staticPage;
}

void ArtTab::changeTab(int index)
{
    if (index == TerrainIndex)
        terrainPage->tilePalette()->reportSelection();
    else if (index == StaticsIndex)
        staticPage->tilePalette()->reportSelection();
}

ArtTab::View ArtTab::view() const
{
    View view;
    view.tab = currentIndex();
    const PalettePage *pages[] = {terrainPage, staticPage};
    for (int i = 0; i < 2; ++i) {
        view.selected[i] = pages[i]->tilePalette()->selectedId();
        view.selectedIds[i] = pages[i]->tilePalette()->selectedIds();
    }
    return view;
}

void ArtTab::showView(const View &view)
{
    setCurrentIndex(view.tab);
    PalettePage *pages[] = {terrainPage, staticPage};
    for (int i = 0; i < 2; ++i) {
        TilePalette *palette = pages[i]->tilePalette();
        if (view.selected[i] < 0 || view.selected[i] >= palette->tileCount())
            continue;
        palette->selectTile(view.selected[i]);
        if (view.selectedIds[i].size() > 1)
            palette->selectIds(view.selectedIds[i], view.selected[i]);
    }
    if (QWidget *page = currentWidget())
        static_cast<PalettePage *>(page)->tilePalette()->setFocus();
}
