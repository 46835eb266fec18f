#include "ScratchSettings.h"

#include <QDir>
#include <QSettings>

void useScratchSettings(const QString &directory)
{
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, QDir(directory).filePath("user"));
    QSettings::setPath(QSettings::NativeFormat, QSettings::SystemScope, QDir(directory).filePath("system"));
}
