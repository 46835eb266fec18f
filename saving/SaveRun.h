#pragma once

#include "io/PendingRecord.h"
#include "io/StagedOutput.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <functional>

// One save's output: files written under temporary names and renamed into place
// together at the end. Small writes are gathered into chunks, so that writing record
// by record costs as many writes as a copy of the same bytes; progress is reported
// (and may cancel) as the bytes go out. Every failure stops the run with a message
// naming the file concerned.
class SaveRun
{
public:
    enum class Status { Saved, Cancelled, Failed };
    enum class Step { Write, Rename };

    // Called as the files are written; returning false cancels the save.
    using ProgressHandler = std::function<bool(qint64 done, qint64 total)>;
    // A test seam: called before each write to a staged file and before each rename into
    // place; a non-empty result makes that step fail with this text.
    using FaultHook = std::function<QString(Step step, const QString &fileName)>;

    SaveRun(const QString &directory, qint64 total, ProgressHandler progress, FaultHook faultHook);

    Status status() const { return state; }
    QString errorString() const { return error; }
    QString failedFile() const { return failedPath; }

    // Takes the output directory (see StagedOutput::begin); false when it cannot.
    bool start();
    // What starting found and put right in the directory (an interrupted earlier save);
    // empty when nothing.
    QString startNote() const { return note; }
    // The commit also removes this file from the directory.
    void removeOnCommit(const QString &fileName) { output.removeOnCommit(fileName); }
    // Starts the next file; the one before is complete.
    bool open(const QString &fileName);
    // Bytes written into the current file so far.
    qint64 position() const { return filePosition; }
    bool write(QByteArrayView bytes);
    bool writeZeros(qint64 count);
    // Replaces bytes already written into the current file, before its end.
    bool overwrite(qint64 position, QByteArrayView bytes);
    // The pending edit's record, which must be exactly length bytes long.
    bool readPendingFile(const PendingRecord &source, qint64 length, const QString &label, QByteArray *record);
    bool writePendingFile(const PendingRecord &source, qint64 length, const QString &label);
    // Puts every file in place; on failure the directory is left as it was.
    bool commit();
    bool fail(const QString &message, const QString &path = QString());

private:
    bool flush();
    bool writeChunk(QByteArrayView chunk);
    bool injectedFault(Step step);
    bool report(bool force);
    bool failWrite(const QString &reason);

    StagedOutput output;
    ProgressHandler progress;
    FaultHook faultHook;
    QFile *file = nullptr;
    QString fileName;
    QByteArray buffer;
    qint64 filePosition = 0;
    qint64 total = 0;
    qint64 done = 0;
    qint64 reported = 0;
    Status state = Status::Saved;
    QString error;
    QString failedPath;
    QString note;
};
