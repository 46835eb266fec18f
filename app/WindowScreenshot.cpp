#include "app/WindowScreenshot.h"

#include <QApplication>
#include <QDir>
#include <QImageWriter>
#include <QPixmap>
#include <QWidget>

bool WindowScreenshot::save(QWidget *window, const QSize &size, const QString &fileName, QString *error)
{
    window->setAttribute(Qt::WA_DontShowOnScreen);
    if (size.isValid())
        window->resize(size);
    window->show();
    // Lets the layouts settle and the palettes take their size before the picture.
    QApplication::processEvents();
    const QPixmap picture = window->grab();
    window->hide();

    QImageWriter writer(fileName);
    // For PNG, the smallest file: the picture is for documentation, written once.
    writer.setQuality(0);
    if (!writer.write(picture.toImage())) {
        *error = QStringLiteral("Cannot write %1: %2")
                     .arg(QDir::toNativeSeparators(fileName), writer.errorString());
        return false;
    }
    return true;
}
