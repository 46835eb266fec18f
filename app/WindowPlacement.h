#pragma once

#include <QByteArray>
#include <QSize>

class QWidget;

// Where the main window opens: as it was left, when that is remembered and of a usable
// size; otherwise at about two thirds of the available screen, centred.
class WindowPlacement
{
public:
    // Below this a palette shows too few tiles to work with.
    static constexpr QSize MinimumSize{520, 400};
    static constexpr int ScreenShareNumerator = 2;
    static constexpr int ScreenShareDenominator = 3;

    // remembered: what QWidget::saveGeometry gave; empty on a first run.
    static void place(QWidget &window, const QByteArray &remembered);
};
