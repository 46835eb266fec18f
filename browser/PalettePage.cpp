#include "browser/PalettePage.h"

#include "browser/TilePalette.h"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QScrollBar>
#include <QWheelEvent>

PalettePage::PalettePage(QWidget *parent, Qt::WindowFlags flags) : QWidget(parent, flags) { }

PalettePage::~PalettePage()
{
    delete paletteWidget;
    delete scrollBar;
}

void PalettePage::setUp(TilePalette *palette)
{
    auto *layout = new QHBoxLayout;
    paletteWidget = palette;
    scrollBar = new QScrollBar(Qt::Vertical, this);
    layout->addWidget(paletteWidget);
    layout->addWidget(scrollBar);
    setLayout(layout);

    scrollBar->setMinimum(0);
    scrollBar->setMaximum(initialRowCount());

    connect(paletteWidget, &TilePalette::rowsChanged, this, &PalettePage::showRows);
    connect(scrollBar, &QScrollBar::valueChanged, paletteWidget, &TilePalette::setStart);
}

int PalettePage::initialRowCount() const
{
    // The palette has not been laid out yet; its first resize replaces this. A palette
    // narrower than one column has no rows.
    const int columns = paletteWidget->width() / paletteWidget->cellPitch();
    return columns > 0 ? paletteWidget->shownCount() / columns : 0;
}

void PalettePage::showRows(int rows, int topRow)
{
    scrollBar->setMaximum(rows);
    scrollBar->setValue(topRow);
}

void PalettePage::wheelEvent(QWheelEvent *event)
{
    QCoreApplication::sendEvent(scrollBar, event);
}
