#pragma once

#include <QFileSystemWatcher>
#include <QObject>
#include <QStringList>
#include <QTimer>

// Tells when a file of the open data set is written, cut or replaced on disk by another
// program. Changes come in bursts (a copy writes many times): they are told once the
// burst is over.
class DataSetWatcher : public QObject
{
    Q_OBJECT

public:
    static constexpr int SettleMs = 300;

    DataSetWatcher(const QStringList &files, QObject *parent = nullptr);

Q_SIGNALS:
    void changed();

private:
    void fileChanged(const QString &path);

    QFileSystemWatcher watcher;
    QTimer settle;
};
