#include "app/MyMainWindow.h"

#include "app/CompareCommands.h"
#include "app/DataDirectory.h"
#include "app/DataSetPrompts.h"
#include "app/DataSetSaveController.h"
#include "app/EditCommands.h"
#include "app/EmptyWindowPage.h"
#include "app/MyBar.h"
#include "app/ViewCommands.h"
#include "app/WindowMenus.h"
#include "app/WindowPlacement.h"
#include "browser/ArtTab.h"
#include "browser/SWidget.h"
#include "browser/TWidget.h"
#include "browser/TilePalette.h"
#include "dataset/DataSet.h"
#include "edits/TileEdits.h"
#include "session/ComparisonSession.h"
#include "session/DataSetSession.h"
#include "tileprop/ArtWidget.h"
#include "ui/UserPrompts.h"

#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QStatusBar>

MyMainWindow::MyMainWindow(QWidget *parent, Qt::WindowFlags flags)
    : MyMainWindow(StartOptions(), parent, flags)
{ }

MyMainWindow::MyMainWindow(const QString &dataDirectory, QWidget *parent, Qt::WindowFlags flags)
    : MyMainWindow(StartOptions{dataDirectory, true, DataSet::Options(), true, QString()}, parent, flags)
{ }

MyMainWindow::MyMainWindow(
    const QString &dataDirectory, const DataSet::Options &options, QWidget *parent, Qt::WindowFlags flags)
    : MyMainWindow(StartOptions{dataDirectory, true, options, true, QString()}, parent, flags)
{ }

MyMainWindow::MyMainWindow(const StartOptions &options, QWidget *parent, Qt::WindowFlags flags)
    : QMainWindow(parent, flags), settings(options.useSettings),
      session(std::make_unique<DataSetSession>(options.dataSet, options.recoverEdits)),
      prompts(this, *session), editing(new EditCommands(this)),
      comparer(new CompareCommands(this, session.get(), settings)), viewing(new ViewCommands(this, &settings))
{
    session->setRecoveryQuestion(
        [this](int edits, const QString &directory) { return prompts.askToRecover(edits, directory); });
    connect(session.get(), &DataSetSession::opened, this, &MyMainWindow::showDataSet);
    connect(session.get(), &DataSetSession::aboutToClose, this, &MyMainWindow::dropDataSet);
    connect(session.get(), &DataSetSession::filesChanged, this, [this](const QString &file) {
        if (prompts.askToReopen(file))
            reopenDataSet();
    });
    connect(session.get(), &DataSetSession::recoveryFailed, this, [this](const QString &error) {
        warn(QStringLiteral("The edits could not be recovered: %1").arg(error));
    });
    connect(session.get(), &DataSetSession::recoveryDropped, this, [this](const QStringList &tiles) {
        warn(QStringLiteral("These edits no longer fit the data set and were not recovered: %1.")
                 .arg(tiles.join(QStringLiteral(", "))));
    });
    build(options);
}

MyMainWindow::~MyMainWindow()
{
    // Nothing is told of the comparison's end any more: the widgets are going.
    comparer->abandon();
    // The stores go before the widgets do: the window lets go of them first.
    session->close();
}

QString MyMainWindow::title(const QString &dataSetName)
{
    return dataSetName.isEmpty() ? QStringLiteral("Tessera[*]")
                                 : QStringLiteral("%1[*] - Tessera").arg(dataSetName);
}

QString MyMainWindow::chooserCaption()
{
    return QStringLiteral("Choose the folder that holds the game's data files: %1")
        .arg(DataDirectory::fileListText());
}

void MyMainWindow::build(const StartOptions &options)
{
    setWindowTitle(title());
    menus = new WindowMenus(this, editing, comparer, viewing);
    connect(editing, &EditCommands::tileDataCopied, this, &MyMainWindow::updateActions);
    connect(menus, &WindowMenus::recentChosen, this, &MyMainWindow::openDirectory);
    updateRecentMenu();
    updateActions();
    updateUndoActions();
    WindowPlacement::place(*this, settings.windowGeometry());

    // The art container and layout given belong to the directory named, or else to the
    // one the window starts with.
    if (!options.dataDirectory.isEmpty())
        session->giveFormsTo(DataDirectory::filePath(options.dataDirectory, QString()));
    QString directory = options.dataDirectory;
    if (directory.isEmpty())
        directory = DataDirectory::search();
    if (directory.isEmpty())
        directory = settings.lastDataDirectory();
    if (directory.isEmpty())
        directory = prompts.chooseDirectory(QString());
    // A directory without a data set is named and another one asked for.
    const QString hint = QStringLiteral("Choose the directory that holds the game's data files.");
    std::unique_ptr<DataSet> set;
    while (!directory.isEmpty() && !(set = prompts.read(directory, hint)))
        directory = prompts.chooseDirectory(QString());
    if (!set) {
        session->giveFormsTo(QString());
        showEmptyPage();
        return;
    }
    session->open(std::move(set), directory);
    prompts.warnOfTileDataLayout(bar);
    if (!options.compareDirectory.isEmpty())
        comparer->compareWith(options.compareDirectory);
}

bool MyMainWindow::openDirectory(const QString &directory)
{
    auto set = prompts.read(directory, QStringLiteral("The data set open now stays open."));
    if (!set)
        return false;
    if (saving && !saving->confirmClose(openQuestion()))
        return false;
    session->open(std::move(set), directory);
    prompts.warnOfTileDataLayout(bar);
    return true;
}

bool MyMainWindow::reopenDataSet()
{
    auto set = prompts.read(session->directory(), QStringLiteral("The data set open now stays open."));
    if (!set)
        return false;
    QStringList dropped;
    const ArtTab::View view = artTab->view();
    session->reopen(std::move(set), &dropped);
    artTab->showView(view);
    if (!dropped.isEmpty())
        warn(QStringLiteral("These pending edits no longer fit the data set and were dropped: %1.")
                 .arg(dropped.join(QStringLiteral(", "))));
    statusBar()->showMessage(
        QStringLiteral("Opened %1 again").arg(QDir::toNativeSeparators(session->dataSet()->directory())));
    prompts.warnOfTileDataLayout(bar);
    return true;
}

void MyMainWindow::checkDataFiles()
{
    session->checkFiles();
}

void MyMainWindow::changeEvent(QEvent *event)
{
    QMainWindow::changeEvent(event);
    // Coming back to the window is when files changed meanwhile by other programs show.
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        checkDataFiles();
}

void MyMainWindow::showDataSet()
{
    DataSet *set = session->dataSet();
    if (!bar)
        bar = new MyBar(statusBar());
    bar->describe(set);
    createDataSetWidgets();
    setWindowTitle(title(QFileInfo(QDir::cleanPath(set->directory())).fileName()));
    currentPalette()->setFocus();
    settings.rememberDataDirectory(session->directory());
    updateRecentMenu();
    updateActions();
    updateUndoActions();
}

void MyMainWindow::dropDataSet()
{
    // The comparison was of the data set going.
    comparer->stop();
    if (artTab) {
        // Taking the tabs apart changes the current tab: nothing here may hear of it.
        artTab->disconnect(this);
        artTab = nullptr;
        viewing->release();
        delete takeCentralWidget();
    }
    delete saving;
    saving = nullptr;
    if (bar)
        bar->describe(nullptr);
}

void MyMainWindow::showEmptyPage()
{
    setWindowTitle(title());
    setWindowModified(false);
    auto *page = new EmptyWindowPage;
    connect(page, &EmptyWindowPage::openRequested, this, &MyMainWindow::fileOpen);
    setCentralWidget(page);
}

void MyMainWindow::createDataSetWidgets()
{
    // Each object is given only objects made before it; the tabs, which make the
    // palettes, come last.
    artTab = new ArtTab(artStore(), tileStore(), this);
    setCentralWidget(viewing->pageFor(artTab));
    connectPalette(artTab->terrain()->tilePalette(), &MyBar::showTerrain);
    connectPalette(artTab->statics()->tilePalette(), &MyBar::showStatic);
    const auto differenceOf
        = [comparing = comparison()](TileKind kind, int id) { return comparing->difference(kind, id); };
    artTab->terrain()->tilePalette()->setDifferences(differenceOf);
    artTab->statics()->tilePalette()->setDifferences(differenceOf);
    connect(artTab, &QTabWidget::currentChanged, this, &MyMainWindow::updateActions);
    connect(artTab, &QTabWidget::currentChanged, comparer, &CompareCommands::showCurrentTile);

    connect(edits(), &TileEdits::tileChanged, this, &MyMainWindow::showTileChange);
    QUndoStack &history = edits()->history();
    connect(&history, &QUndoStack::indexChanged, this, &MyMainWindow::updateUndoActions);
    connect(&history, &QUndoStack::cleanChanged, this, &MyMainWindow::updateUndoActions);

    saving = new DataSetSaveController(this, session->dataSet(), edits());
    saving->setChooserStart(settings.lastOutputDirectory());
    connect(saving, &DataSetSaveController::unsavedChanged, this, &QWidget::setWindowModified);
    connect(saving, &DataSetSaveController::saved, this, [this](const QString &directory) {
        settings.setLastOutputDirectory(directory);
        bar->showNotice(QStringLiteral("Saved to %1").arg(QDir::toNativeSeparators(directory)));
    });
    setWindowModified(saving->hasUnsavedEdits());
}

void MyMainWindow::connectPalette(TilePalette *palette, void (MyBar::*selectionSlot)(int))
{
    palette->setEdits(edits());
    connect(palette, &TilePalette::selectionChanged, bar, selectionSlot);
    connect(palette, &TilePalette::selectionSizeChanged, bar, &MyBar::showSize);
    connect(palette, &TilePalette::selectedCountChanged, bar, &MyBar::showSelectedCount);
    connect(palette, &TilePalette::selectionChanged, this, &MyMainWindow::updateActions);
    connect(palette, &TilePalette::selectedCountChanged, this, &MyMainWindow::updateActions);
    connect(palette, &TilePalette::selectionChanged, comparer, &CompareCommands::showCurrentTile);
    connect(
        palette, &TilePalette::tileActivated, this, [this, palette](int id) { openProperties(palette, id); });
    connect(palette, &TilePalette::imageEditRequested, this,
        [this, palette](const QVector<int> &ids, const QImage &image, const QString &action) {
            editing->changeImages(palette, ids, image, action);
        });
}

void MyMainWindow::openProperties(TilePalette *palette, int id)
{
    // A child of the palette, as before: it goes with the window's widget tree. Opened on
    // one of several selected tiles, it edits them all.
    const QVector<int> selected = palette->selectedIds();
    auto *properties = selected.size() > 1 && selected.contains(id)
        ? new ArtWidget(edits(), animStore(), palette->kind(), selected, id, palette, Qt::Window)
        : new ArtWidget(edits(), animStore(), palette->kind(), id, palette, Qt::Window);
    properties->setZoom(viewing->zoom());
    properties->show();
}

void MyMainWindow::showTileChange(TileKind kind, int id)
{
    TilePalette *palette
        = kind == TileKind::Terrain ? artTab->terrain()->tilePalette() : artTab->statics()->tilePalette();
    comparer->recheck(kind, id);
    palette->updateTile(id);
    if (palette == currentPalette() && palette->selectedId() == id)
        palette->reportSelection();
}

TilePalette *MyMainWindow::currentPalette() const
{
    if (!artTab)
        return nullptr;
    return artTab->currentIndex() == ArtTab::StaticsIndex ? artTab->statics()->tilePalette()
                                                          : artTab->terrain()->tilePalette();
}

void MyMainWindow::updateActions()
{
    const TilePalette *palette = currentPalette();
    menus->enable(saving != nullptr, palette != nullptr,
        palette && palette->selectedId() >= 0 && palette->selectedId() < palette->tileCount());
    menus->enableForSelection(
        palette ? palette->selectedCount() : 0, palette && editing->canPasteTileData(palette->kind()));
}

void MyMainWindow::updateUndoActions()
{
    menus->showHistory(edits() ? &edits()->history() : nullptr);
}

void MyMainWindow::updateRecentMenu()
{
    menus->showRecent(settings.recentDirectories());
}

void MyMainWindow::warn(const QString &text)
{
    prompts.warn(text);
}

bool MyMainWindow::readyToSave()
{
    // A file changed on disk refuses the save: the offer to reopen comes again instead.
    return saving && session->readyToSave();
}

void MyMainWindow::fileSave()
{
    if (readyToSave())
        saving->save();
}

void MyMainWindow::fileSaveAs()
{
    if (readyToSave())
        saving->saveAs();
}

void MyMainWindow::fileOpen()
{
    const QString start = session->isOpen() ? session->directory() : settings.lastDataDirectory();
    const QString directory = prompts.chooseDirectory(start);
    if (!directory.isEmpty())
        openDirectory(directory);
}

void MyMainWindow::fileReopen()
{
    if (session->isOpen())
        reopenDataSet();
}

void MyMainWindow::fileClose()
{
    if (!saving || !saving->confirmClose(closeQuestion()))
        return;
    session->close();
    // The status bar describes a data set: it goes with it, and comes back with the next.
    QStatusBar *described = statusBar();
    setStatusBar(nullptr);
    delete described;
    bar = nullptr;
    showEmptyPage();
    updateActions();
    updateUndoActions();
}

void MyMainWindow::fileQuit()
{
    close();
}

void MyMainWindow::closeEvent(QCloseEvent *event)
{
    if (saving && !saving->confirmClose()) {
        event->ignore();
        return;
    }
    settings.setWindowGeometry(saveGeometry());
    event->accept();
}

ComparisonSession *MyMainWindow::comparison() const
{
    return comparer->comparison();
}

QAction *MyMainWindow::saveAction() const
{
    return menus->saveAction();
}

QMenu *MyMainWindow::recentMenu() const
{
    return menus->recentMenu();
}

QString MyMainWindow::shortcutList() const
{
    return menus->shortcutList();
}

void MyMainWindow::showShortcuts()
{
    UserPrompts::current().information(this, QStringLiteral("Keyboard Shortcuts"), shortcutList());
}

void MyMainWindow::about()
{
    UserPrompts::current().about(this, QStringLiteral("About Tessera"),
        QStringLiteral("Tessera %1\n\nA viewer and editor for the art and tile data files of Ultima Online.")
            .arg(QStringLiteral(TESSERA_VERSION)));
}
