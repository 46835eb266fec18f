#include "browser/PalettePage.h"

#include "browser/TilePalette.h"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QScrollBar>
#include <QWheelEvent>

PalettePage::PalettePage(QWidget *parent, Qt::WindowFlags flags) : QWidget(parent, flags) { }

PalettePage::~PalettePage()
{
    delete m_palette;
    delete m_scrollBar;
}

void PalettePage::setUp(TilePalette *palette)
{
    auto *layout = new QHBoxLayout;
    m_palette = palette;
    m_scrollBar = new QScrollBar(Qt::Vertical, this);
    layout->addWidget(m_palette);
    layout->addWidget(m_scrollBar);
    setLayout(layout);

    m_scrollBar->setMinimum(0);
    m_scrollBar->setMaximum(initialRowCount());

    connect(m_palette, &TilePalette::rowsChanged, this, &PalettePage::showRows);
    connect(m_scrollBar, &QScrollBar::valueChanged, m_palette, &TilePalette::setStart);
}

int PalettePage::initialRowCount() const
{
    // The palette has not been laid out yet; its first resize replaces this. A palette
    // narrower than one column has no rows.
    const int columns = m_palette->width() / TilePalette::CellPitch;
    return columns > 0 ? m_palette->tileCount() / columns : 0;
}

void PalettePage::showRows(int rows, int topRow)
{
    m_scrollBar->setMaximum(rows);
    m_scrollBar->setValue(topRow);
}

void PalettePage::wheelEvent(QWheelEvent *event)
{
    QCoreApplication::sendEvent(m_scrollBar, event);
}
