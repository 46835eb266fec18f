#include "app/MyMainWindow.h"

#include "app/DataDirectory.h"
#include "app/DataSetSaveController.h"
#include "app/MyBar.h"
#include "art/ArtContainer.h"
#include "art/ArtWork.h"
#include "browser/ArtTab.h"
#include "browser/SWidget.h"
#include "browser/TWidget.h"
#include "browser/TilePalette.h"
#include "tiledata/AnimDataFile.h"
#include "tiledata/TileData.h"
#include "tileprop/ArtWidget.h"
#include "ui/UserPrompts.h"

#include <QAction>
#include <QCloseEvent>
#include <QDir>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>

MyMainWindow::MyMainWindow(QWidget *parent, Qt::WindowFlags flags) : QMainWindow(parent, flags)
{
    build(QString());
}

MyMainWindow::MyMainWindow(const QString &dataDirectory, QWidget *parent, Qt::WindowFlags flags)
    : QMainWindow(parent, flags)
{
    build(dataDirectory);
}

MyMainWindow::MyMainWindow(
    const QString &dataDirectory, const DataSet::Options &options, QWidget *parent, Qt::WindowFlags flags)
    : QMainWindow(parent, flags), openOptions(options)
{
    build(dataDirectory);
}

MyMainWindow::~MyMainWindow()
{
    // Stores first (they remove their pending-edit files), the widget tree last.
    dataSet.reset();
    delete bar;
}

void MyMainWindow::build(const QString &dataDirectory)
{
    setWindowTitle(title());
    createMenus();

    QString directory = dataDirectory.isEmpty() ? DataDirectory::search() : dataDirectory;
    if (directory.isEmpty())
        directory = chooseDirectory();
    // A directory without a data set is named and another one asked for.
    while (!directory.isEmpty() && !openDataSet(directory))
        directory = chooseDirectory();
    if (!dataSet) {
        close();
        return;
    }
    mulPath = directory;
    createStatusLabels();
    createStores();
}

void MyMainWindow::createMenus()
{
    // Items without a function yet are shown disabled rather than doing nothing.
    const auto addItem
        = [this](QMenu *menu, const QString &text, void (MyMainWindow::*slot)(), bool enabled) {
              auto *action = new QAction(text, this);
              connect(action, &QAction::triggered, this, slot);
              action->setEnabled(enabled);
              menu->addAction(action);
              return action;
          };

    auto *fileMenu = new QMenu(QStringLiteral("File"), this);
    fileSaveAction = addItem(fileMenu, QStringLiteral("Save"), &MyMainWindow::fileSave, false);
    fileSaveAction->setShortcut(QKeySequence::Save);
    fileMenu->addSeparator();
    addItem(fileMenu, QStringLiteral("Close"), &MyMainWindow::fileClose, false);
    fileMenu->addSeparator();
    addItem(fileMenu, QStringLiteral("Settings"), &MyMainWindow::fileMulPath, true);
    menuBar()->addMenu(fileMenu);

    auto *editMenu = new QMenu(QStringLiteral("Edit"), this);
    addItem(editMenu, QStringLiteral("Cut"), &MyMainWindow::editCut, false);
    addItem(editMenu, QStringLiteral("Copy"), &MyMainWindow::editCopy, false);
    addItem(editMenu, QStringLiteral("Paste"), &MyMainWindow::editPaste, false);
    editMenu->addSeparator();
    addItem(editMenu, QStringLiteral("Find"), &MyMainWindow::editFind, false);
    addItem(editMenu, QStringLiteral("Next"), &MyMainWindow::editFindNext, false);
    addItem(editMenu, QStringLiteral("Locate"), &MyMainWindow::editLocate, false);
    menuBar()->addMenu(editMenu);

    auto *aboutAction = new QAction(QStringLiteral("About"), this);
    connect(aboutAction, &QAction::triggered, this, &MyMainWindow::about);
    menuBar()->addAction(aboutAction);
}

void MyMainWindow::createStatusLabels()
{
    nameLabel = new QLabel(statusBar());
    statusBar()->addPermanentWidget(nameLabel, 0);
    showName(QStringLiteral(" "));
    sizeLabel = new QLabel(statusBar());
    statusBar()->addPermanentWidget(sizeLabel, 0);
    showSize(0, 0);
    idLabel = new QLabel(statusBar());
    statusBar()->addPermanentWidget(idLabel, 0);
    showId(-1);
    formatLabel = new QLabel(statusBar());
    formatLabel->setObjectName(QStringLiteral("formatLabel"));
    formatLabel->setToolTip(QDir::toNativeSeparators(dataSet->art().container().fileNames().join(QLatin1Char('\n'))));
    statusBar()->addPermanentWidget(formatLabel, 0);
    formatLabel->setText(MyBar::formatText(
        dataSet->art().container().format() == ArtContainer::Format::Uop, dataSet->tiles().layoutName()));
}

bool MyMainWindow::openDataSet(const QString &directory)
{
    QString error;
    dataSet = DataSet::open(DataDirectory::filePath(directory, QString()), openOptions, &error);
    if (!dataSet)
        UserPrompts::current().warning(this, QStringLiteral("Tessera"),
            QStringLiteral("%1\n\nChoose the directory that holds the game's data files.").arg(error));
    return dataSet != nullptr;
}

QString MyMainWindow::chooseDirectory()
{
    const QString chosen = UserPrompts::current().existingDirectory(this, chooserCaption(), QString());
    return DataDirectory::fromChosen(chosen);
}

void MyMainWindow::createStores()
{
    // Each object is given only objects made before it; the tabs, which make the
    // palettes, come last.
    tileData = &dataSet->tiles();
    animData = &dataSet->anims();
    bar = new MyBar(nameLabel, sizeLabel, idLabel, tileData);
    artWork = &dataSet->art();
    artTab = new ArtTab(artWork, tileData, this);
    setCentralWidget(artTab);
    connectPalette(artTab->terrain()->tilePalette(), &MyBar::updateTId, ArtWidget::TerrainKind);
    connectPalette(artTab->statics()->tilePalette(), &MyBar::updateSId, ArtWidget::StaticKind);
    saving = new DataSetSaveController(this, dataSet.get());
    connect(saving, &DataSetSaveController::unsavedChanged, this, &QWidget::setWindowModified);
    fileSaveAction->setEnabled(true);
}

void MyMainWindow::connectPalette(TilePalette *palette, void (MyBar::*selectionSlot)(int), int kind)
{
    connect(palette, &TilePalette::updateSelected, bar, selectionSlot);
    connect(palette, &TilePalette::updateSize, bar, &MyBar::updateSize);
    connect(palette, &TilePalette::tileActivated, this, [this, palette, kind](int id) {
        // A child of the palette, as before: it goes with the window's widget tree.
        auto *properties = new ArtWidget(artWork, tileData, animData, id, kind, palette, Qt::Window);
        properties->show();
    });
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
    idLabel->setText(MyBar::idText(id, MyBar::FirstIdWidth));
}

void MyMainWindow::fileSave()
{
    if (saving)
        saving->save();
}

void MyMainWindow::closeEvent(QCloseEvent *event)
{
    if (saving && !saving->confirmClose())
        event->ignore();
    else
        event->accept();
}

void MyMainWindow::fileMulPath()
{
    const QString chosen = UserPrompts::current().existingDirectory(this, chooserCaption(), mulPath);
    if (!chosen.isEmpty())
        mulPath = DataDirectory::fromChosen(chosen);
}

void MyMainWindow::editCut() { }

void MyMainWindow::editPaste() { }

void MyMainWindow::editCopy() { }

void MyMainWindow::editFind() { }

void MyMainWindow::editFindNext() { }

void MyMainWindow::editLocate() { }

void MyMainWindow::fileClose() { }

void MyMainWindow::about()
{
    UserPrompts::current().about(this, QStringLiteral("About Tessera"),
        QStringLiteral("Tessera %1\n\nA viewer and editor for the art and tile data files of Ultima Online.")
            .arg(QStringLiteral(TESSERA_VERSION)));
}
