#pragma once

#include "io/DataFile.h"
#include "io/PendingEdit.h"
#include "io/PendingEditDirectory.h"

#include <QByteArray>
#include <QHash>
#include <QObject>
#include <QString>
#include <memory>

// tiledata.mul one record at a time (read-only), with edited records kept as pending
// files in a private directory and served in place of the file's records.
class TileData : public QObject
{
    Q_OBJECT

public:
    // tempDir: where the private pending-edit directory is created (empty: the
    // system temporary directory).
    explicit TileData(const QString &fileName, const QString &tempDir = QString());
    ~TileData() override;

    // Reads the file whole; false (and *error naming it) when it cannot be read.
    bool setFileName(const QString &path, QString *error = nullptr);
    // Starts a new, empty private pending-edit directory; pending edits are forgotten.
    void setTempDir(const QString &directory);

    // Always full length (26 or 37 bytes); bytes past the end of the file read as 0.
    QByteArray landRecord(int id) const;
    QByteArray staticRecord(int id) const;
    // The record as the data file holds it, ignoring pending edits.
    QByteArray originalLandRecord(int id) const;
    QByteArray originalStaticRecord(int id) const;

    // When the pending file cannot be written nothing changes, false is returned and
    // *error says why.
    bool setLandRecord(int id, const QByteArray &record, QString *error = nullptr);
    bool setStaticRecord(int id, const QByteArray &record, QString *error = nullptr);

    // The pending edit of a record exactly as it is held now, and putting one back: what
    // undoing and redoing an edit needs (a record is never Deleted). Restoring
    // State::None forgets the record's edit. When the record cannot be written nothing
    // changes, false is returned and *error says why.
    PendingEdit pendingLandEdit(int id) const;
    PendingEdit pendingStaticEdit(int id) const;
    bool restoreLandEdit(int id, const PendingEdit &edit, QString *error = nullptr);
    bool restoreStaticEdit(int id, const PendingEdit &edit, QString *error = nullptr);

    // Null for a negative id.
    QString landName(int id) const;
    QString staticName(int id) const;

    int staticCount() const;
    QString fileName() const { return file.fileName(); }
    const DataFile &dataFile() const { return file; }
    // Why the file could not be read; empty when it was.
    QString errorString() const { return loadError; }
    // The file's bytes as read when it was opened.
    const QByteArray &fileBytes() const { return bytes; }

    // Key (land id, or static id + StaticKeyBase) to pending-record file.
    const QHash<int, QString> &pendingRecords() const { return pending; }
    bool hasPendingEdits() const { return !pending.isEmpty(); }
    QString pendingDirectory() const;

Q_SIGNALS:
    void pendingChanged();

private:
    QByteArray record(int key, qint64 position, int size) const;
    QByteArray fileRecord(qint64 position, int size) const;
    bool setRecord(int key, const QString &fileName, const QByteArray &record, int size, QString *error);
    PendingEdit pendingEdit(int key) const;
    bool restoreEdit(int key, const QString &fileName, const PendingEdit &edit, QString *error);

    DataFile file;
    QByteArray bytes;
    QString loadError;
    QString tempDir;
    std::unique_ptr<PendingEditDirectory> pendingDir;
    QHash<int, QString> pending;
};
