#include "app/MyMainWindow.h"

#include "app/DataDirectory.h"
#include "app/DataSetSaveController.h"
#include "app/DataSetWatcher.h"
#include "app/EmptyWindowPage.h"
#include "app/MyBar.h"
#include "app/StatusNotice.h"
#include "app/TileClipboard.h"
#include "app/TileLocator.h"
#include "app/WindowPlacement.h"
#include "art/ArtContainer.h"
#include "art/ArtWork.h"
#include "browser/ArtTab.h"
#include "browser/SWidget.h"
#include "browser/TWidget.h"
#include "browser/TilePalette.h"
#include "dataset/DataSet.h"
#include "edits/TileEdits.h"
#include "tiledata/AnimDataFile.h"
#include "tiledata/TileData.h"
#include "tileprop/ArtWidget.h"
#include "ui/UserPrompts.h"

#include <QAction>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QScopedValueRollback>
#include <QStatusBar>

namespace {

const QString ProgramName = QStringLiteral("Tessera");

QAction *addItem(QMenu *menu, const QString &text, MyMainWindow *window, void (MyMainWindow::*slot)(),
    const QList<QKeySequence> &shortcuts = {})
{
    auto *action = new QAction(text, window);
    action->setShortcuts(shortcuts);
    QObject::connect(action, &QAction::triggered, window, slot);
    menu->addAction(action);
    return action;
}

// What the grid does with keys of its own, for the list of shortcuts.
const char *const GridKeys[][2] = {
    {"Arrow keys", "Select the neighbouring tile"},
    {"Page Up, Page Down", "Select the tile a screen up or down"},
    {"Home, End", "Select the first or the last tile"},
    {"Enter", "Open the selected tile's properties"},
    {"Delete", "Delete the selected tile's image"},
    {"Menu", "Open the selected tile's menu"},
};

} // namespace

MyMainWindow::MyMainWindow(QWidget *parent, Qt::WindowFlags flags)
    : MyMainWindow(StartOptions(), parent, flags)
{ }

MyMainWindow::MyMainWindow(const QString &dataDirectory, QWidget *parent, Qt::WindowFlags flags)
    : MyMainWindow(StartOptions{dataDirectory, true, DataSet::Options(), true}, parent, flags)
{ }

MyMainWindow::MyMainWindow(
    const QString &dataDirectory, const DataSet::Options &options, QWidget *parent, Qt::WindowFlags flags)
    : MyMainWindow(StartOptions{dataDirectory, true, options}, parent, flags)
{ }

MyMainWindow::MyMainWindow(const StartOptions &options, QWidget *parent, Qt::WindowFlags flags)
    : QMainWindow(parent, flags), settings(options.useSettings), locator(std::make_unique<TileLocator>(this)),
      openOptions(options.dataSet), offerRecovery(options.recoverEdits)
{
    build(options);
}

MyMainWindow::~MyMainWindow()
{
    teardown();
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
    createMenus();
    WindowPlacement::place(*this, settings.windowGeometry());

    // The art container and layout given belong to the directory named, or else to the
    // one the window starts with.
    if (!options.dataDirectory.isEmpty())
        givenFormsDirectory = FileIdentity::of(options.dataDirectory);
    QString directory = options.dataDirectory;
    if (directory.isEmpty())
        directory = DataDirectory::search();
    if (directory.isEmpty())
        directory = settings.lastDataDirectory();
    if (directory.isEmpty())
        directory = chooseDirectory(QString());
    // A directory without a data set is named and another one asked for.
    const QString hint = QStringLiteral("Choose the directory that holds the game's data files.");
    std::unique_ptr<DataSet> set;
    while (!directory.isEmpty() && !(set = openDataSet(directory, hint)))
        directory = chooseDirectory(QString());
    if (!set) {
        givenFormsDirectory = FileIdentity();
        showEmptyPage();
        return;
    }
    if (!givenFormsDirectory)
        givenFormsDirectory = FileIdentity::of(directory);
    recoverEdits(*set);
    install(std::move(set), directory);
    warnOfTileDataLayout();
}

void MyMainWindow::recoverEdits(DataSet &set)
{
    if (!offerRecovery)
        return;
    const QList<PendingEditDirectory::Orphan> orphans = set.orphanedEdits(openOptions.pendingParent);
    int edits = 0;
    for (const PendingEditDirectory::Orphan &orphan : orphans)
        edits += orphan.editCount;
    if (edits > 0) {
        const QString question
            = QStringLiteral("Tessera ended without saving last time: %1 pending edits of this data set (%2) "
                             "were left behind.\n\nRecover them? Otherwise they are discarded.")
                  .arg(edits)
                  .arg(QDir::toNativeSeparators(set.directory()));
        if (UserPrompts::current().confirm(this, ProgramName, question, QStringLiteral("Recover"))) {
            QStringList dropped;
            QString error;
            // Edits that could not be taken over stay where they are, for the next time.
            if (!set.recover(orphans, &dropped, &error))
                warn(QStringLiteral("The edits could not be recovered: %1").arg(error));
            else if (!dropped.isEmpty())
                warn(QStringLiteral("These edits no longer fit the data set and were not recovered: %1.")
                         .arg(dropped.join(QStringLiteral(", "))));
            return;
        }
    }
    DataSet::discard(orphans);
}

std::unique_ptr<DataSet> MyMainWindow::openDataSet(const QString &directory, const QString &hint)
{
    QString error;
    DataSet::Options options = openOptions;
    if (givenFormsDirectory && FileIdentity::of(directory) != *givenFormsDirectory) {
        options.art = ArtContainerChoice::Choice::Automatic;
        options.tileDataLayout.reset();
    }
    auto set = DataSet::open(DataDirectory::filePath(directory, QString()), options, &error);
    if (!set)
        UserPrompts::current().warning(this, ProgramName, QStringLiteral("%1\n\n%2").arg(error, hint));
    else if (!set->interruptedSave().isEmpty())
        UserPrompts::current().information(this, ProgramName, set->interruptedSave());
    return set;
}

QString MyMainWindow::chooseDirectory(const QString &start)
{
    const QString chosen = UserPrompts::current().existingDirectory(this, chooserCaption(), start);
    return DataDirectory::fromChosen(chosen);
}

bool MyMainWindow::openDirectory(const QString &directory)
{
    auto set = openDataSet(directory, QStringLiteral("The data set open now stays open."));
    if (!set)
        return false;
    if (saving && !saving->confirmClose(openQuestion()))
        return false;
    recoverEdits(*set);
    install(std::move(set), directory);
    warnOfTileDataLayout();
    return true;
}

bool MyMainWindow::reopenDataSet()
{
    auto set = openDataSet(mulPath, QStringLiteral("The data set open now stays open."));
    if (!set)
        return false;
    QStringList dropped;
    set->takeEditsFrom(*dataSet, &dropped);
    const ArtTab::View view = artTab->view();
    install(std::move(set), mulPath);
    artTab->showView(view);
    if (!dropped.isEmpty())
        warn(QStringLiteral("These pending edits no longer fit the data set and were dropped: %1.")
                 .arg(dropped.join(QStringLiteral(", "))));
    statusBar()->showMessage(
        QStringLiteral("Opened %1 again").arg(QDir::toNativeSeparators(dataSet->directory())));
    warnOfTileDataLayout();
    return true;
}

void MyMainWindow::checkDataFiles()
{
    if (!dataSet || askingAboutChange)
        return;
    const QString changed = dataSet->changedFile();
    const FileStamp now = FileStamp::of(changed);
    if (changed.isEmpty() || (changed == noticedFile && now == noticedStamp))
        return;
    noticedFile = changed;
    noticedStamp = now;
    QScopedValueRollback<bool> asking(askingAboutChange, true);
    const QString question = QStringLiteral(
        "%1 has changed on disk since Tessera opened it; another program may have written "
        "it.\n\nOpen the data set again to work on the new file? Your pending edits are kept "
        "wherever they still fit. Until then saving is refused, so that a saved data set never "
        "mixes the old file with the new; File > Reopen opens it again later.")
                                 .arg(QDir::toNativeSeparators(changed));
    if (UserPrompts::current().confirm(this, ProgramName, question, QStringLiteral("Reopen")))
        reopenDataSet();
}

void MyMainWindow::changeEvent(QEvent *event)
{
    QMainWindow::changeEvent(event);
    // Coming back to the window is when files changed meanwhile by other programs show.
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        checkDataFiles();
}

void MyMainWindow::install(std::unique_ptr<DataSet> set, const QString &directory)
{
    teardown();
    dataSet = std::move(set);
    mulPath = directory;
    noticedFile.clear();
    const ArtContainer &container = dataSet->art().container();
    watcher = std::make_unique<DataSetWatcher>(
        container.fileNames() + QStringList{dataSet->tiles().fileName(), dataSet->anims().fileName()});
    connect(watcher.get(), &DataSetWatcher::changed, this, &MyMainWindow::checkDataFiles);
    createStatusLabels();
    createStores();
    setWindowTitle(title(QFileInfo(QDir::cleanPath(dataSet->directory())).fileName()));
    currentPalette()->setFocus();
    settings.rememberDataDirectory(directory);
    updateRecentMenu();
    updateActions();
    updateUndoActions();
}

void MyMainWindow::warnOfTileDataLayout()
{
    // Records read in a layout guessed from a cut file may be garbage: the user hears of
    // it before editing or saving them, and the status bar keeps saying so.
    const QString warning = dataSet->tiles().layoutWarning();
    if (warning.isEmpty())
        return;
    UserPrompts::current().warning(this, ProgramName, warning);
    notice->show(warning);
}

void MyMainWindow::teardown()
{
    // The widgets go first (the palettes and the properties windows opened from them),
    // then what connects them to the stores, the history, and the stores last (they
    // remove their pending-edit files).
    if (artTab) {
        // Taking the tabs apart changes the current tab: nothing here may hear of it.
        artTab->disconnect(this);
        artTab = nullptr;
        delete takeCentralWidget();
    }
    delete saving;
    saving = nullptr;
    delete bar;
    bar = nullptr;
    watcher.reset();
    tileEdits.reset();
    dataSet.reset();
    artWork = nullptr;
    tileData = nullptr;
    animData = nullptr;
}

void MyMainWindow::showEmptyPage()
{
    setWindowTitle(title());
    setWindowModified(false);
    auto *page = new EmptyWindowPage;
    connect(page, &EmptyWindowPage::openRequested, this, &MyMainWindow::fileOpen);
    setCentralWidget(page);
}

void MyMainWindow::createMenus()
{
    createFileMenu();
    createEditMenu();
    createHelpMenu();
    updateRecentMenu();
    updateActions();
    updateUndoActions();
}

void MyMainWindow::createFileMenu()
{
    auto *fileMenu = menuBar()->addMenu(QStringLiteral("File"));
    addItem(fileMenu, QStringLiteral("Open Data Directory..."), this, &MyMainWindow::fileOpen,
        {QKeySequence::Open});
    openRecentMenu = fileMenu->addMenu(QStringLiteral("Open Recent"));
    fileMenu->addSeparator();
    fileSaveAction
        = addItem(fileMenu, QStringLiteral("Save"), this, &MyMainWindow::fileSave, {QKeySequence::Save});
    fileSaveAsAction = addItem(fileMenu, QStringLiteral("Save As..."), this, &MyMainWindow::fileSaveAs,
        {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S)});
    fileReopenAction = addItem(
        fileMenu, QStringLiteral("Reopen"), this, &MyMainWindow::fileReopen, {QKeySequence(Qt::Key_F5)});
    fileMenu->addSeparator();
    fileCloseAction = addItem(fileMenu, QStringLiteral("Close"), this, &MyMainWindow::fileClose,
        {QKeySequence(Qt::CTRL | Qt::Key_W)});
    fileMenu->addSeparator();
    addItem(fileMenu, QStringLiteral("Quit"), this, &MyMainWindow::fileQuit,
        {QKeySequence(Qt::CTRL | Qt::Key_Q)});
}

void MyMainWindow::createEditMenu()
{
    auto *editMenu = menuBar()->addMenu(QStringLiteral("Edit"));
    undoAction
        = addItem(editMenu, QStringLiteral("Undo"), this, &MyMainWindow::editUndo, {QKeySequence::Undo});
    redoAction = addItem(editMenu, QStringLiteral("Redo"), this, &MyMainWindow::editRedo,
        {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});
    editMenu->addSeparator();
    cutAction = addItem(editMenu, QStringLiteral("Cut"), this, &MyMainWindow::editCut, {QKeySequence::Cut});
    copyAction
        = addItem(editMenu, QStringLiteral("Copy"), this, &MyMainWindow::editCopy, {QKeySequence::Copy});
    pasteAction
        = addItem(editMenu, QStringLiteral("Paste"), this, &MyMainWindow::editPaste, {QKeySequence::Paste});
    editMenu->addSeparator();
    findAction
        = addItem(editMenu, QStringLiteral("Find..."), this, &MyMainWindow::editFind, {QKeySequence::Find});
    findNextAction = addItem(
        editMenu, QStringLiteral("Next"), this, &MyMainWindow::editFindNext, {QKeySequence(Qt::Key_F3)});
    locateAction = addItem(editMenu, QStringLiteral("Locate..."), this, &MyMainWindow::editLocate,
        {QKeySequence(Qt::CTRL | Qt::Key_G)});
}

void MyMainWindow::createHelpMenu()
{
    auto *helpMenu = menuBar()->addMenu(QStringLiteral("Help"));
    addItem(helpMenu, QStringLiteral("Keyboard Shortcuts"), this, &MyMainWindow::showShortcuts);
    addItem(helpMenu, QStringLiteral("About"), this, &MyMainWindow::about);
}

void MyMainWindow::updateRecentMenu()
{
    openRecentMenu->clear();
    const QStringList recent = settings.recentDirectories();
    for (const QString &directory : recent) {
        QAction *action = openRecentMenu->addAction(QDir::toNativeSeparators(directory));
        connect(action, &QAction::triggered, this, [this, directory] { openDirectory(directory); });
    }
    openRecentMenu->setEnabled(!recent.isEmpty());
}

void MyMainWindow::createStatusLabels()
{
    if (!nameLabel) {
        nameLabel = new QLabel(statusBar());
        statusBar()->addPermanentWidget(nameLabel, 0);
        sizeLabel = new QLabel(statusBar());
        statusBar()->addPermanentWidget(sizeLabel, 0);
        idLabel = new QLabel(statusBar());
        statusBar()->addPermanentWidget(idLabel, 0);
        formatLabel = new QLabel(statusBar());
        formatLabel->setObjectName(QStringLiteral("formatLabel"));
        statusBar()->addPermanentWidget(formatLabel, 0);
        notice = new StatusNotice(statusBar());
    }
    const ArtContainer &container = dataSet->art().container();
    const TileData &tiles = dataSet->tiles();
    const QString layoutWarning = tiles.layoutWarning();
    formatLabel->setText(
        MyBar::formatText(container.format() == ArtContainer::Format::Uop, tiles.layoutName())
        + (layoutWarning.isEmpty() ? QString() : QStringLiteral(" (damaged file)")));
    // The files, and why the tile data is read in its layout.
    const QString layoutWhy = layoutWarning.isEmpty()
        ? QStringLiteral("%1 is read as %2 tile data because %3.")
              .arg(QFileInfo(tiles.fileName()).fileName(), tiles.layoutName(), tiles.layoutReason())
        : layoutWarning;
    formatLabel->setToolTip(QDir::toNativeSeparators(container.fileNames().join(QLatin1Char('\n')))
        + QStringLiteral("\n\n") + layoutWhy);
    showName(QStringLiteral(" "));
    showSize(0, 0);
    showId(-1);
}

void MyMainWindow::createStores()
{
    // Each object is given only objects made before it; the tabs, which make the
    // palettes, come last.
    tileData = &dataSet->tiles();
    animData = &dataSet->anims();
    artWork = &dataSet->art();
    tileEdits = std::make_unique<TileEdits>(*artWork, *tileData);
    bar = new MyBar(nameLabel, sizeLabel, idLabel, tileData);
    artTab = new ArtTab(artWork, tileData, this);
    setCentralWidget(artTab);
    connectPalette(artTab->terrain()->tilePalette(), &MyBar::updateTId);
    connectPalette(artTab->statics()->tilePalette(), &MyBar::updateSId);
    connect(artTab, &QTabWidget::currentChanged, this, &MyMainWindow::updateActions);

    connect(tileEdits.get(), &TileEdits::tileChanged, this, &MyMainWindow::showTileChange);
    QUndoStack &history = tileEdits->history();
    connect(&history, &QUndoStack::indexChanged, this, &MyMainWindow::updateUndoActions);
    connect(&history, &QUndoStack::cleanChanged, this, &MyMainWindow::updateUndoActions);

    saving = new DataSetSaveController(this, dataSet.get(), tileEdits.get());
    saving->setChooserStart(settings.lastOutputDirectory());
    connect(saving, &DataSetSaveController::unsavedChanged, this, &QWidget::setWindowModified);
    connect(saving, &DataSetSaveController::saved, this, [this](const QString &directory) {
        settings.setLastOutputDirectory(directory);
        notice->show(QStringLiteral("Saved to %1").arg(QDir::toNativeSeparators(directory)));
    });
    setWindowModified(saving->hasUnsavedEdits());
}

void MyMainWindow::connectPalette(TilePalette *palette, void (MyBar::*selectionSlot)(int))
{
    palette->setEdits(tileEdits.get());
    connect(palette, &TilePalette::updateSelected, bar, selectionSlot);
    connect(palette, &TilePalette::updateSize, bar, &MyBar::updateSize);
    connect(palette, &TilePalette::updateSelected, this, &MyMainWindow::updateActions);
    connect(
        palette, &TilePalette::tileActivated, this, [this, palette](int id) { openProperties(palette, id); });
    connect(palette, &TilePalette::imageEditRequested, this,
        [this, palette](int id, const QImage &image, const QString &action) {
            applyImageEdit(palette, id, image, action);
        });
}

void MyMainWindow::openProperties(TilePalette *palette, int id)
{
    // A child of the palette, as before: it goes with the window's widget tree.
    auto *properties = new ArtWidget(tileEdits.get(), animData, palette->kind(), id, palette, Qt::Window);
    properties->show();
}

void MyMainWindow::applyImageEdit(TilePalette *palette, int id, const QImage &image, const QString &action)
{
    QString error;
    if (!tileEdits->changeImage(palette->kind(), id, image, action, &error))
        warn(error);
}

void MyMainWindow::showTileChange(TileKind kind, int id)
{
    TilePalette *palette
        = kind == TileKind::Terrain ? artTab->terrain()->tilePalette() : artTab->statics()->tilePalette();
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
    const bool selection
        = palette && palette->selectedId() >= 0 && palette->selectedId() < palette->tileCount();
    for (QAction *action : {cutAction, copyAction, pasteAction})
        action->setEnabled(selection);
    for (QAction *action : {findAction, findNextAction, locateAction})
        action->setEnabled(palette != nullptr);
    for (QAction *action : {fileSaveAction, fileSaveAsAction, fileReopenAction, fileCloseAction})
        action->setEnabled(saving != nullptr);
}

void MyMainWindow::updateUndoActions()
{
    QUndoStack *history = tileEdits ? &tileEdits->history() : nullptr;
    const bool canUndo = history && history->canUndo();
    const bool canRedo = history && history->canRedo();
    undoAction->setEnabled(canUndo);
    redoAction->setEnabled(canRedo);
    undoAction->setText(
        canUndo ? QStringLiteral("Undo %1").arg(history->undoText()) : QStringLiteral("Undo"));
    redoAction->setText(
        canRedo ? QStringLiteral("Redo %1").arg(history->redoText()) : QStringLiteral("Redo"));
}

void MyMainWindow::warn(const QString &text)
{
    UserPrompts::current().warning(this, ProgramName, text);
}

void MyMainWindow::showName(const QString &name)
{
    nameLabel->setText(MyBar::nameText(name));
}

void MyMainWindow::showSize(int width, int height)
{
    sizeLabel->setText(MyBar::sizeText(width, height));
}

void MyMainWindow::showId(int id)
{
    idLabel->setText(MyBar::idText(id));
}

bool MyMainWindow::readyToSave()
{
    if (!saving)
        return false;
    // A file changed on disk refuses the save: the offer to reopen comes again instead.
    if (dataSet->changedFile().isEmpty())
        return true;
    noticedFile.clear();
    checkDataFiles();
    return dataSet->changedFile().isEmpty();
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
    const QString start = mulPath.isEmpty() ? settings.lastDataDirectory() : mulPath;
    const QString directory = chooseDirectory(start);
    if (!directory.isEmpty())
        openDirectory(directory);
}

void MyMainWindow::fileReopen()
{
    if (dataSet)
        reopenDataSet();
}

void MyMainWindow::fileClose()
{
    if (!saving || !saving->confirmClose(closeQuestion()))
        return;
    teardown();
    mulPath.clear();
    // The status bar describes a data set: it goes with it, and comes back with the next.
    QStatusBar *described = statusBar();
    setStatusBar(nullptr);
    delete described;
    nameLabel = sizeLabel = idLabel = formatLabel = nullptr;
    notice = nullptr;
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

void MyMainWindow::editUndo()
{
    QString error;
    if (tileEdits && !tileEdits->undo(&error))
        warn(error);
}

void MyMainWindow::editRedo()
{
    QString error;
    if (tileEdits && !tileEdits->redo(&error))
        warn(error);
}

bool MyMainWindow::copySelection()
{
    TilePalette *palette = currentPalette();
    const int id = palette ? palette->selectedId() : TilePalette::NoTile;
    if (id < 0)
        return false;
    const QImage image = palette->tileImage(id);
    if (image.isNull()) {
        warn(QStringLiteral("%1 has no image to copy.").arg(tileLabel(palette->kind(), id)));
        return false;
    }
    TileClipboard::copy(image);
    return true;
}

void MyMainWindow::editCopy()
{
    copySelection();
}

void MyMainWindow::editCut()
{
    if (copySelection())
        applyImageEdit(currentPalette(), currentPalette()->selectedId(), QImage(), TileEdits::cutName());
}

void MyMainWindow::editPaste()
{
    TilePalette *palette = currentPalette();
    if (!palette || palette->selectedId() < 0)
        return;
    QString error;
    const QImage pasted = TileClipboard::image(&error);
    if (pasted.isNull())
        warn(error);
    else
        applyImageEdit(palette, palette->selectedId(), pasted, TileEdits::pasteName());
}

void MyMainWindow::editFind()
{
    if (TilePalette *palette = currentPalette())
        locator->find(*palette, *tileData);
}

void MyMainWindow::editFindNext()
{
    if (TilePalette *palette = currentPalette())
        locator->findNext(*palette, *tileData);
}

void MyMainWindow::editLocate()
{
    if (TilePalette *palette = currentPalette())
        locator->locate(*palette);
}

QString MyMainWindow::shortcutList() const
{
    QStringList lines;
    for (const QAction *menu : menuBar()->actions()) {
        for (const QAction *action : menu->menu()->actions()) {
            if (action->shortcuts().isEmpty())
                continue;
            QStringList keys;
            for (const QKeySequence &key : action->shortcuts())
                keys << key.toString(QKeySequence::NativeText);
            // The name without the edit it would undo or redo now.
            const QString name = action == undoAction ? QStringLiteral("Undo")
                : action == redoAction                ? QStringLiteral("Redo")
                                                      : action->text().remove(QStringLiteral("..."));
            lines << QStringLiteral("%1: %2").arg(name, keys.join(QStringLiteral(" or ")));
        }
    }
    lines << QString() << QStringLiteral("In the palettes:");
    for (const auto &key : GridKeys)
        lines << QStringLiteral("%1: %2").arg(QLatin1String(key[0]), QLatin1String(key[1]));
    return lines.join(QLatin1Char('\n'));
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
