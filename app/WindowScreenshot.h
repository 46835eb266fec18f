#pragma once

#include <QSize>
#include <QString>

class QWidget;

// Renders a window, laid out at a given size, into an image file without putting it
// on screen.
class WindowScreenshot
{
public:
    // An invalid size keeps the window's own size. False and *error when the file
    // cannot be written.
    static bool save(QWidget *window, const QSize &size, const QString &fileName, QString *error);
};
