#include "app/CompareCommands.h"

#include "app/DataDirectory.h"
#include "app/MyBar.h"
#include "app/MyMainWindow.h"
#include "app/WindowMenus.h"
#include "browser/ArtTab.h"
#include "browser/SWidget.h"
#include "browser/TWidget.h"
#include "browser/TilePalette.h"
#include "edits/TileEdits.h"
#include "session/ComparisonSession.h"
#include "session/DataSetSession.h"
#include "tileprop/ComparePane.h"
#include "ui/UserPrompts.h"

#include <QAction>
#include <QDir>
#include <QDockWidget>
#include <QFileInfo>

CompareCommands::CompareCommands(MyMainWindow *window, DataSetSession *session, const AppSettings &settings)
    : QObject(window), window(window), session(session), settings(settings),
      comparing(std::make_unique<ComparisonSession>())
{
    createPane();
    connect(comparing.get(), &ComparisonSession::progressed, this, [this](int done, int total) {
        if (MyBar *bar = this->window->dataSetBar())
            bar->showComparison(comparedName, done, total);
    });
    connect(comparing.get(), &ComparisonSession::differencesFound, this, &CompareCommands::showFound);
    connect(comparing.get(), &ComparisonSession::finished, this, [this] {
        ended();
        if (MyBar *bar = this->window->dataSetBar())
            bar->showNotice(QStringLiteral("Compared with %1: %2 tiles differ")
                                .arg(comparedName)
                                .arg(comparing->differingCount()));
    });
    connect(comparing.get(), &ComparisonSession::failed, this, [this](const QString &error) {
        ended();
        this->window->warn(QStringLiteral("The data sets could not be compared: %1").arg(error));
    });
    connect(comparing.get(), &ComparisonSession::stopped, this, &CompareCommands::ended);
}

CompareCommands::~CompareCommands() = default;

void CompareCommands::createPane()
{
    comparePane = new ComparePane;
    comparePane->setZoom(settings.compareZoom(ComparePane::DefaultZoom));
    dock = new QDockWidget(QStringLiteral("Compare"), window);
    dock->setObjectName(QStringLiteral("compareDock"));
    dock->setWidget(comparePane);
    window->addDockWidget(Qt::RightDockWidgetArea, dock);
    dock->hide();
    connect(comparePane, &ComparePane::zoomChanged, this,
        [this](int factor) { settings.setCompareZoom(factor); });
    connect(comparePane, &ComparePane::takePartsChanged, this,
        [this] { window->windowMenus()->enableTaking(comparePane->takesAnything()); });
    // Hidden, it follows nothing; shown again, it catches up.
    connect(dock, &QDockWidget::visibilityChanged, this, [this](bool visible) {
        if (visible)
            showCurrentTile();
    });
}

QAction *CompareCommands::paneAction() const
{
    return dock->toggleViewAction();
}

bool CompareCommands::compareWith(const QString &directory)
{
    if (!session->isOpen())
        return false;
    const QString path = DataDirectory::filePath(directory, QString());
    QString error;
    auto other = DataSetSession::read(path, session->formsOf(path), &error);
    if (!other) {
        window->warn(QStringLiteral("%1\n\nThe data set open now is not compared.").arg(error));
        return false;
    }
    const QString own = session->dataSet()->directory();
    comparedName = QFileInfo(QDir::cleanPath(other->directory())).fileName();
    comparing->start(own, session->formsOf(own), std::move(other), session->formsOf(path));
    window->dataSetBar()->showComparison(comparedName, 0, 0);
    window->windowMenus()->enableComparing(true);
    showDifferences();
    // The marks of a comparison stopped for this one go.
    repaintPalettes();
    dock->show();
    showCurrentTile();
    return true;
}

void CompareCommands::abandon()
{
    comparing->disconnect(this);
    comparing->stop();
    comparePane->clear();
}

void CompareCommands::recheck(TileKind kind, int id)
{
    if (!comparing->isActive() || !session->isOpen())
        return;
    comparing->recheck(*session->dataSet(), kind, id);
    if (window->windowMenus()->differencesOnlyAction()->isChecked())
        showDifferences(true);
}

void CompareCommands::compare()
{
    if (!session->isOpen())
        return;
    const QString start = comparing->isActive() ? comparing->otherSet()->directory() : session->directory();
    const QString directory = DataDirectory::fromChosen(
        UserPrompts::current().existingDirectory(window, MyMainWindow::compareCaption(), start));
    if (!directory.isEmpty())
        compareWith(directory);
}

void CompareCommands::stop()
{
    comparing->stop();
}

void CompareCommands::takeFromOther()
{
    TilePalette *palette = window->currentPalette();
    if (!comparing->isActive() || !palette || palette->selectedId() < 0 || !window->edits())
        return;
    if (!comparePane->takesAnything())
        return;
    QList<std::pair<TileKind, int>> tiles;
    for (int id : palette->selectedIds())
        tiles.append({palette->kind(), id});
    QString error;
    if (!window->edits()->takeFromOther(*comparing->otherSet(), tiles, comparePane->takeParts(), &error))
        window->warn(error);
}

void CompareCommands::showCurrentTile()
{
    if (!comparing->isActive() || !session->isOpen() || !dock->isVisible())
        return;
    const TilePalette *palette = window->currentPalette();
    if (!palette) {
        comparePane->clear();
        return;
    }
    comparePane->showTile(
        *session->dataSet(), *comparing->otherSet(), palette->kind(), palette->selectedId());
}

void CompareCommands::ended()
{
    if (MyBar *bar = window->dataSetBar())
        bar->endComparison();
    // A comparison that failed or was stopped leaves nothing to show.
    window->windowMenus()->enableComparing(comparing->isActive());
    showDifferences();
    if (!comparing->isActive()) {
        repaintPalettes();
        comparePane->clear();
        dock->hide();
    }
}

void CompareCommands::showDifferencesOnly(bool)
{
    showDifferences();
}

TilePalette *CompareCommands::paletteOf(TileKind kind) const
{
    ArtTab *tabs = window->tabs();
    if (!tabs)
        return nullptr;
    return kind == TileKind::Terrain ? static_cast<TilePalette *>(tabs->terrain()->tilePalette())
                                     : tabs->statics()->tilePalette();
}

void CompareCommands::showFound(const QList<DataSetComparison::Difference> &found)
{
    if (window->windowMenus()->differencesOnlyAction()->isChecked()) {
        showDifferences();
        return;
    }
    // Only the cells found repaint: a whole screen of cells for every batch would take the
    // time that scrolling needs.
    for (const DataSetComparison::Difference &difference : found) {
        if (TilePalette *palette = paletteOf(difference.kind))
            palette->updateTile(difference.id);
    }
}

void CompareCommands::showDifferences(bool followSelection)
{
    ArtTab *tabs = window->tabs();
    if (!tabs)
        return;
    const bool only = window->windowMenus()->differencesOnlyAction()->isChecked() && comparing->isActive();
    for (TilePalette *palette : {static_cast<TilePalette *>(tabs->terrain()->tilePalette()),
             static_cast<TilePalette *>(tabs->statics()->tilePalette())}) {
        if (!only) {
            palette->showAll(TilePalette::Narrowing::Differences);
        } else {
            // Tiles only in the other set have no cell here.
            QVector<int> ids;
            for (int id : comparing->differingIds(palette->kind())) {
                if (id < palette->tileCount())
                    ids.append(id);
            }
            const int selected = palette->selectedId();
            const int cell = selected >= 0 ? palette->indexOf(selected) : -1;
            palette->showOnly(ids, TilePalette::Narrowing::Differences);
            // A tile taken from the other set leaves its cell to the next differing one,
            // which takes over the selection, so that the keys and Take go on down the list.
            if (followSelection && cell >= 0 && !palette->isShown(selected) && palette->shownCount() > 0)
                palette->selectTile(palette->idAt(qMin(cell, palette->shownCount() - 1)));
        }
    }
}

void CompareCommands::repaintPalettes()
{
    for (TileKind kind : {TileKind::Terrain, TileKind::Static}) {
        if (TilePalette *palette = paletteOf(kind))
            palette->update();
    }
}
