#include "session/DataSetWatcher.h"

#include <QFileInfo>

DataSetWatcher::DataSetWatcher(const QStringList &files, QObject *parent) : QObject(parent)
{
    watcher.addPaths(files);
    settle.setSingleShot(true);
    settle.setInterval(SettleMs);
    connect(&watcher, &QFileSystemWatcher::fileChanged, this, &DataSetWatcher::fileChanged);
    connect(&settle, &QTimer::timeout, this, &DataSetWatcher::changed);
}

void DataSetWatcher::fileChanged(const QString &path)
{
    // A file replaced by another (renamed over, or deleted and written again) is no
    // longer watched: watch the new one.
    if (!watcher.files().contains(path) && QFileInfo::exists(path))
        watcher.addPath(path);
    settle.start();
}
