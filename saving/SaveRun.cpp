#include "saving/SaveRun.h"

#include "io/CheckedWrite.h"

#include <QDir>

namespace {

// Large enough that copying runs at disk speed, small enough for a responsive
// progress dialog and a flat memory profile.
constexpr qint64 ChunkSize = 4 * 1024 * 1024;
constexpr qint64 ProgressStep = 1024 * 1024;

} // namespace

SaveRun::SaveRun(const QString &directory, qint64 total, ProgressHandler progress, FaultHook faultHook)
    : output(directory), progress(std::move(progress)), faultHook(std::move(faultHook)), total(total)
{
    output.setRenameHook([this](const QString &name) {
        return this->faultHook ? this->faultHook(Step::Rename, name) : QString();
    });
}

bool SaveRun::start()
{
    QString reason;
    if (!output.begin(&note, &reason))
        return fail(reason, output.targetPath(QString()));
    return report(true);
}

bool SaveRun::open(const QString &name)
{
    if (!flush())
        return false;
    fileName = name;
    filePosition = 0;
    QString reason;
    file = output.create(name, &reason);
    return file ? true : failWrite(reason);
}

bool SaveRun::write(QByteArrayView bytes)
{
    if (bytes.size() < ChunkSize - buffer.size()) {
        buffer.append(bytes);
        filePosition += bytes.size();
        return true;
    }
    if (!flush())
        return false;
    for (qint64 at = 0; at < bytes.size(); at += ChunkSize) {
        if (!writeChunk(bytes.sliced(at, qMin(ChunkSize, bytes.size() - at))))
            return false;
    }
    return true;
}

bool SaveRun::flush()
{
    if (buffer.isEmpty())
        return true;
    // The buffered bytes were counted in the position when they were gathered.
    filePosition -= buffer.size();
    const bool written = writeChunk(buffer);
    buffer.resize(0);
    return written;
}

bool SaveRun::writeZeros(qint64 count)
{
    const QByteArray zeros(int(qMin(count, ChunkSize)), '\0');
    for (qint64 left = count; left > 0; left -= zeros.size()) {
        if (!write(QByteArrayView(zeros).first(qMin(left, qint64(zeros.size())))))
            return false;
    }
    return true;
}

bool SaveRun::injectedFault(Step step)
{
    if (!faultHook)
        return false;
    const QString injected = faultHook(step, fileName);
    return !injected.isEmpty() && !failWrite(injected);
}

bool SaveRun::writeChunk(QByteArrayView chunk)
{
    if (injectedFault(Step::Write))
        return false;
    if (!CheckedWrite::writeAll(*file, chunk))
        return failWrite(file->errorString());
    filePosition += chunk.size();
    done += chunk.size();
    return report(false);
}

bool SaveRun::overwrite(qint64 position, QByteArrayView bytes)
{
    if (!flush())
        return false;
    if (injectedFault(Step::Write))
        return false;
    if (position < 0 || position + bytes.size() > filePosition)
        return failWrite(QStringLiteral("the bytes to replace lie past the end written"));
    if (!file->seek(position) || !CheckedWrite::writeAll(*file, bytes) || !file->seek(filePosition))
        return failWrite(file->errorString());
    return true;
}

bool SaveRun::readPendingFile(
    const PendingRecord &source, qint64 length, const QString &label, QByteArray *record)
{
    QString reason;
    *record = source.read(&reason);
    if (record->size() == length)
        return true;
    if (reason.isEmpty())
        reason = QStringLiteral("it changed size");
    return fail(QStringLiteral("The pending edit of %1 could not be read (%2): %3")
                    .arg(label, QDir::toNativeSeparators(source.path), reason),
        source.path);
}

bool SaveRun::writePendingFile(const PendingRecord &source, qint64 length, const QString &label)
{
    QByteArray record;
    return readPendingFile(source, length, label, &record) && write(record);
}

bool SaveRun::commit()
{
    if (!flush())
        return false;
    QString failed;
    QString reason;
    if (output.commit(&failed, &reason)) {
        // The files are in place: show completion, but it is too late to cancel.
        if (progress)
            progress(done, total);
        return true;
    }
    const QString target = output.targetPath(failed);
    return fail(
        QStringLiteral("Could not save %1: %2").arg(QDir::toNativeSeparators(target), reason), target);
}

bool SaveRun::report(bool force)
{
    if (!progress || (!force && done - reported < ProgressStep))
        return true;
    reported = done;
    if (progress(done, total))
        return true;
    state = Status::Cancelled;
    return false;
}

bool SaveRun::fail(const QString &message, const QString &path)
{
    state = Status::Failed;
    error = message;
    failedPath = path;
    return false;
}

bool SaveRun::failWrite(const QString &reason)
{
    const QString target = output.targetPath(fileName);
    return fail(
        QStringLiteral("Could not write %1: %2").arg(QDir::toNativeSeparators(target), reason), target);
}
