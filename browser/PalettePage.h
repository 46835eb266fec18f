#pragma once

#include <QWidget>

class QScrollBar;
class TilePalette;

// A palette beside its vertical scroll bar. The scroll bar counts palette rows: the
// palette announces how many rows there are and which is on top (rowsChanged), and moving
// the scroll bar makes another row the top one (setStart).
class PalettePage : public QWidget
{
    Q_OBJECT

public:
    TilePalette *tilePalette() const { return paletteWidget; }
    QScrollBar *rowScrollBar() const { return scrollBar; }

public Q_SLOTS:
    void showRows(int rows, int topRow);

protected:
    PalettePage(QWidget *parent, Qt::WindowFlags flags);
    ~PalettePage() override;

    // Takes the palette (a child of this page), lays it out and connects it to the
    // scroll bar.
    void setUp(TilePalette *palette);

    // The palette takes no wheel events; the wheel scrolls its rows here.
    void wheelEvent(QWheelEvent *event) override;

private:
    int initialRowCount() const;

    TilePalette *paletteWidget = nullptr;
    QScrollBar *scrollBar = nullptr;
};
