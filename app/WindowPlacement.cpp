#include "app/WindowPlacement.h"

#include <QGuiApplication>
#include <QRect>
#include <QScreen>
#include <QWidget>

void WindowPlacement::place(QWidget &window, const QByteArray &remembered)
{
    if (!remembered.isEmpty() && window.restoreGeometry(remembered) && window.width() >= MinimumSize.width()
        && window.height() >= MinimumSize.height())
        return;
    const QScreen *screen = window.screen() ? window.screen() : QGuiApplication::primaryScreen();
    if (!screen) {
        window.resize(MinimumSize);
        return;
    }
    const QRect available = screen->availableGeometry();
    const QSize share = available.size() * ScreenShareNumerator / ScreenShareDenominator;
    const QSize size = share.expandedTo(MinimumSize).boundedTo(available.size());
    window.setGeometry(QRect(QPoint(), size).translated(available.center() - QRect(QPoint(), size).center()));
}
