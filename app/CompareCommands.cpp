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
#include "ui/UserPrompts.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>

CompareCommands::CompareCommands(MyMainWindow *window, DataSetSession *session)
    : QObject(window), window(window), session(session), comparing(std::make_unique<ComparisonSession>())
{
    connect(comparing.get(), &ComparisonSession::progressed, this, [this](int done, int total) {
        if (MyBar *bar = this->window->dataSetBar())
            bar->showComparison(comparedName, done, total);
    });
    connect(comparing.get(), &ComparisonSession::differencesFound, this, &CompareCommands::showDifferences);
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
    return true;
}

void CompareCommands::abandon()
{
    comparing->disconnect(this);
    comparing->stop();
}

void CompareCommands::recheck(TileKind kind, int id)
{
    if (comparing->isActive() && session->isOpen())
        comparing->recheck(*session->dataSet(), kind, id);
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
    QString error;
    if (!window->edits()->takeFromOther(*comparing->otherSet(), {{palette->kind(), palette->selectedId()}},
            TileEdits::TakeParts(), &error))
        window->warn(error);
}

void CompareCommands::ended()
{
    if (MyBar *bar = window->dataSetBar())
        bar->endComparison();
    // A comparison that failed or was stopped leaves nothing to show.
    window->windowMenus()->enableComparing(comparing->isActive());
    showDifferences();
}

void CompareCommands::showDifferencesOnly(bool)
{
    showDifferences();
}

void CompareCommands::showDifferences()
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
            palette->showOnly(ids, TilePalette::Narrowing::Differences);
        }
        palette->update();
    }
}
