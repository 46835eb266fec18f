#include "app/AppSettings.h"

#include <QDir>
#include <QSettings>

namespace {
const char *const LastDataKey = "data/last";
const char *const RecentKey = "data/recent";
const char *const LastOutputKey = "output/last";
const char *const GeometryKey = "window/geometry";
const char *const CompareZoomKey = "compare/zoom";
const char *const ZoomKey = "view/zoom";

// One spelling per directory, so that the recent list holds each once.
QString cleaned(const QString &directory)
{
    return QDir::cleanPath(QDir(directory).absolutePath());
}
} // namespace

AppSettings::AppSettings(bool enabled) : enabled(enabled) { }

QString AppSettings::text(const char *key) const
{
    if (!enabled)
        return QString();
    return QSettings(organization(), application()).value(QLatin1String(key)).toString();
}

void AppSettings::setValue(const char *key, const QVariant &value)
{
    if (enabled)
        QSettings(organization(), application()).setValue(QLatin1String(key), value);
}

QString AppSettings::lastDataDirectory() const
{
    return text(LastDataKey);
}

QStringList AppSettings::recentDirectories() const
{
    if (!enabled)
        return {};
    return QSettings(organization(), application()).value(QLatin1String(RecentKey)).toStringList();
}

void AppSettings::rememberDataDirectory(const QString &directory)
{
    if (!enabled || directory.isEmpty())
        return;
    const QString path = cleaned(directory);
    QStringList recent = recentDirectories();
    recent.removeAll(path);
    recent.prepend(path);
    setValue(RecentKey, recent.mid(0, MaxRecent));
    setValue(LastDataKey, path);
}

QString AppSettings::lastOutputDirectory() const
{
    return text(LastOutputKey);
}

void AppSettings::setLastOutputDirectory(const QString &directory)
{
    if (!directory.isEmpty())
        setValue(LastOutputKey, cleaned(directory));
}

QByteArray AppSettings::windowGeometry() const
{
    if (!enabled)
        return {};
    return QSettings(organization(), application()).value(QLatin1String(GeometryKey)).toByteArray();
}

void AppSettings::setWindowGeometry(const QByteArray &geometry)
{
    setValue(GeometryKey, geometry);
}

int AppSettings::compareZoom(int fallback) const
{
    if (!enabled)
        return fallback;
    bool ok = false;
    const int factor
        = QSettings(organization(), application()).value(QLatin1String(CompareZoomKey)).toInt(&ok);
    return ok ? factor : fallback;
}

void AppSettings::setCompareZoom(int factor)
{
    setValue(CompareZoomKey, factor);
}

int AppSettings::zoom() const
{
    return text(ZoomKey).toInt();
}

void AppSettings::setZoom(int zoom)
{
    setValue(ZoomKey, zoom);
}
