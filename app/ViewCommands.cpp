#include "app/ViewCommands.h"

#include "app/AppSettings.h"
#include "app/MyMainWindow.h"
#include "app/WindowMenus.h"
#include "art/ArtWork.h"
#include "browser/ArtTab.h"
#include "browser/SWidget.h"
#include "browser/TWidget.h"
#include "browser/TileFilterBar.h"
#include "browser/TilePalette.h"
#include "edits/TileEdits.h"
#include "tiledata/TileData.h"
#include "tileprop/ArtWidget.h"

#include <QAction>
#include <QTimer>
#include <QVBoxLayout>

namespace {

QList<TilePalette *> palettesOf(const ArtTab *tabs)
{
    if (!tabs)
        return {};
    return {tabs->terrain()->tilePalette(), tabs->statics()->tilePalette()};
}

} // namespace

ViewCommands::ViewCommands(MyMainWindow *window, AppSettings *settings)
    : QObject(window), window(window), settings(settings), bar(new TileFilterBar(window)),
      zoomLevel(qBound(MinZoom, settings->zoom(), MaxZoom))
{
    bar->hide();
    connect(bar, &TileFilterBar::changed, this, &ViewCommands::applyFilter);
    connect(bar, &TileFilterBar::closeRequested, this,
        [this] { this->window->windowMenus()->filterAction()->setChecked(false); });
}

QWidget *ViewCommands::pageFor(ArtTab *tabs)
{
    auto *page = new QWidget;
    auto *layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(bar);
    layout->addWidget(tabs, 1);
    bar->setVisible(window->windowMenus()->filterAction()->isChecked());
    for (TilePalette *palette : palettesOf(tabs)) {
        palette->setZoom(zoomLevel);
        connect(palette, &TilePalette::shownChanged, this, &ViewCommands::showCount);
    }
    connect(tabs, &QTabWidget::currentChanged, this, &ViewCommands::applyFilter);
    connect(window->edits(), &TileEdits::tileChanged, this, &ViewCommands::scheduleFilter);
    applyFilter();
    return page;
}

void ViewCommands::release()
{
    // The bar stays the window's, with its conditions, for the next data set.
    bar->hide();
    bar->setParent(window);
}

bool ViewCommands::isFiltering() const
{
    return window->windowMenus()->filterAction()->isChecked();
}

void ViewCommands::showFilter(bool shown)
{
    bar->setVisible(shown && window->tabs());
    applyFilter();
    if (shown) {
        bar->setFocus(Qt::ShortcutFocusReason);
    } else if (TilePalette *palette = window->currentPalette()) {
        palette->setFocus(Qt::OtherFocusReason);
    }
}

void ViewCommands::applyFilter()
{
    const QList<TilePalette *> palettes = palettesOf(window->tabs());
    TilePalette *palette = window->currentPalette();
    if (!palette)
        return;
    if (!isFiltering()) {
        for (TilePalette *each : palettes)
            each->showAll(TilePalette::Narrowing::Filter);
        return;
    }
    QString error;
    const std::optional<TileFilter> filter = bar->filter(palette->kind(), &error);
    if (!filter) {
        // What the palette shows stays as it was until the conditions read again.
        bar->showStatus(error, true);
        return;
    }
    if (filter->passesAll()) {
        palette->showAll(TilePalette::Narrowing::Filter);
    } else {
        const TileEdits *edits = window->edits();
        const auto editedOf = [edits](TileKind kind, int id) { return edits->isUnsaved(kind, id); };
        palette->showOnly(filter->matchingIds(palette->kind(), palette->tileCount(), *window->tileStore(),
                              *window->artStore(), editedOf),
            TilePalette::Narrowing::Filter);
    }
    showCount();
}

void ViewCommands::showCount()
{
    const TilePalette *palette = window->currentPalette();
    if (!palette || !isFiltering())
        return;
    QString error;
    if (!bar->filter(palette->kind(), &error))
        return;
    const int shown = palette->shownCount();
    bar->showStatus(QStringLiteral("%1 of %2 %3s %4")
                        .arg(shown)
                        .arg(palette->tileCount())
                        .arg(tileKindNoun(palette->kind()),
                            shown == 1 ? QStringLiteral("matches") : QStringLiteral("match")));
}

void ViewCommands::scheduleFilter()
{
    if (!isFiltering() || filterScheduled)
        return;
    filterScheduled = true;
    QTimer::singleShot(0, this, [this] {
        filterScheduled = false;
        applyFilter();
    });
}

void ViewCommands::zoomIn()
{
    setZoom(zoomLevel + 1);
}

void ViewCommands::zoomOut()
{
    setZoom(zoomLevel - 1);
}

void ViewCommands::actualSize()
{
    setZoom(MinZoom);
}

void ViewCommands::setZoom(int zoom)
{
    zoomLevel = qBound(MinZoom, zoom, MaxZoom);
    settings->setZoom(zoomLevel);
    for (TilePalette *palette : palettesOf(window->tabs()))
        palette->setZoom(zoomLevel);
    for (ArtWidget *properties : window->findChildren<ArtWidget *>())
        properties->setZoom(zoomLevel);
    const bool canZoomIn = zoomLevel < MaxZoom;
    window->windowMenus()->showZoom(canZoomIn, zoomLevel > MinZoom);
}
