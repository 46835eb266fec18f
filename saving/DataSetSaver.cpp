#include "saving/DataSetSaver.h"

#include "art/ArtFormat.h"
#include "art/ArtWork.h"
#include "io/CheckedWrite.h"
#include "io/DataFile.h"
#include "io/FileStamp.h"
#include "io/StagedOutput.h"
#include "saving/ArtMergePlan.h"
#include "saving/TileDataConversion.h"
#include "saving/TileDataMergePlan.h"
#include "tiledata/AnimDataFile.h"
#include "tiledata/TileData.h"

#include <QDir>
#include <QFileInfo>
#include <QtEndian>
#include <limits>

const QString DataSetSaver::ArtFileName = QStringLiteral("art.mul");
const QString DataSetSaver::IndexFileName = QStringLiteral("artidx.mul");
const QString DataSetSaver::TileDataFileName = QStringLiteral("tiledata.mul");
const QString DataSetSaver::AnimDataFileName = QStringLiteral("animdata.mul");

namespace {

// Large enough that copying runs at disk speed, small enough for a responsive
// progress dialog and a flat memory profile.
constexpr qint64 ChunkSize = 4 * 1024 * 1024;
constexpr qint64 ProgressStep = 1024 * 1024;
constexpr int NoticeSlotLimit = 10;

QString native(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

constexpr qint64 MaxOffset = std::numeric_limits<qint32>::max();

QString directoryOf(const QString &filePath)
{
    return QFileInfo(filePath).absolutePath();
}

// An empty slot as the data files write it: no offset and no length.
ArtIndexEntry emptyEntry(qint32 reserved)
{
    return {-1, -1, reserved};
}

QString describeSlots(const QVector<int> &slots)
{
    QStringList tiles;
    for (int i = 0; i < slots.size() && i < NoticeSlotLimit; ++i)
        tiles.append(ArtMergePlan::describeSlot(slots.at(i)));
    if (slots.size() > NoticeSlotLimit)
        tiles.append(QStringLiteral("%1 more").arg(slots.size() - NoticeSlotLimit));
    return tiles.join(QStringLiteral(", "));
}

QByteArray encodeIndex(const QVector<ArtIndexEntry> &entries)
{
    QByteArray bytes(entries.size() * ArtFormat::IndexEntrySize, Qt::Uninitialized);
    char *out = bytes.data();
    for (const ArtIndexEntry &entry : entries) {
        qToLittleEndian<qint32>(entry.offset, out);
        qToLittleEndian<qint32>(entry.length, out + 4);
        qToLittleEndian<qint32>(entry.reserved, out + 8);
        out += ArtFormat::IndexEntrySize;
    }
    return bytes;
}

} // namespace

// The state of one save: the staged files, how far it got, and why it stopped.
class DataSetSaver::Run
{
public:
    Run(DataSetSaver &saver, const QString &directory, qint64 total)
        : saver(saver), output(directory), total(total)
    {
        output.setRenameHook([this](const QString &fileName) {
            return this->saver.faultHook ? this->saver.faultHook(Step::Rename, fileName) : QString();
        });
    }

    Status status = Status::Saved;

    bool start() { return report(true); }
    bool open(const QString &fileName);
    bool write(QByteArrayView bytes);
    bool writeZeros(qint64 count);
    bool writePendingFile(const QString &path, qint64 length, const QString &label);
    bool commit();
    bool fail(const QString &message);

private:
    bool flush();
    bool writeChunk(QByteArrayView chunk);
    bool report(bool force);
    bool failWrite(const QString &reason);

    DataSetSaver &saver;
    StagedOutput output;
    QFile *file = nullptr;
    QString fileName;
    // Records are small: they are gathered into chunks, so that a save of many records
    // costs as many writes as a copy of the same bytes.
    QByteArray buffer;
    qint64 total = 0;
    qint64 done = 0;
    qint64 reported = 0;
};

bool DataSetSaver::Run::open(const QString &name)
{
    if (!flush())
        return false;
    fileName = name;
    QString reason;
    file = output.create(name, &reason);
    return file ? true : failWrite(reason);
}

bool DataSetSaver::Run::write(QByteArrayView bytes)
{
    if (bytes.size() < ChunkSize - buffer.size()) {
        buffer.append(bytes);
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

bool DataSetSaver::Run::flush()
{
    if (buffer.isEmpty())
        return true;
    const bool written = writeChunk(buffer);
    buffer.resize(0);
    return written;
}

bool DataSetSaver::Run::writeZeros(qint64 count)
{
    // What is gathered goes first: the zeros come after it in the file.
    if (count > 0 && !flush())
        return false;
    const QByteArray zeros(int(qMin(count, ChunkSize)), '\0');
    for (qint64 left = count; left > 0; left -= zeros.size()) {
        if (!writeChunk(QByteArrayView(zeros).first(qMin(left, qint64(zeros.size())))))
            return false;
    }
    return true;
}

bool DataSetSaver::Run::writeChunk(QByteArrayView chunk)
{
    if (saver.faultHook) {
        const QString injected = saver.faultHook(Step::Write, fileName);
        if (!injected.isEmpty())
            return failWrite(injected);
    }
    if (!CheckedWrite::writeAll(*file, chunk))
        return failWrite(file->errorString());
    done += chunk.size();
    return report(false);
}

bool DataSetSaver::Run::writePendingFile(const QString &path, qint64 length, const QString &label)
{
    QFile pending(path);
    QByteArray record;
    if (pending.open(QIODevice::ReadOnly))
        record = pending.read(length + 1);
    if (record.size() != length) {
        const QString reason = pending.error() != QFileDevice::NoError ? pending.errorString()
                                                                       : QStringLiteral("it changed size");
        status = Status::Failed;
        saver.fail(QStringLiteral("The pending edit of %1 could not be read (%2): %3")
                       .arg(label, native(path), reason),
            path);
        return false;
    }
    return write(record);
}

bool DataSetSaver::Run::commit()
{
    if (!flush())
        return false;
    QString failed;
    QString reason;
    if (output.commit(&failed, &reason)) {
        // The files are in place: show completion, but it is too late to cancel.
        if (saver.progress)
            saver.progress(done, total);
        return true;
    }
    status = Status::Failed;
    const QString target = output.targetPath(failed);
    saver.fail(QStringLiteral("Could not save %1: %2").arg(native(target), reason), target);
    return false;
}

bool DataSetSaver::Run::report(bool force)
{
    if (!saver.progress || (!force && done - reported < ProgressStep))
        return true;
    reported = done;
    if (saver.progress(done, total))
        return true;
    status = Status::Cancelled;
    return false;
}

bool DataSetSaver::Run::fail(const QString &message)
{
    status = Status::Failed;
    saver.fail(message);
    return false;
}

bool DataSetSaver::Run::failWrite(const QString &reason)
{
    status = Status::Failed;
    const QString target = output.targetPath(fileName);
    saver.fail(QStringLiteral("Could not write %1: %2").arg(native(target), reason), target);
    return false;
}

DataSetSaver::DataSetSaver(const ArtWork &art, const TileData &tileData, const AnimDataFile &animData)
    : art(art), tileData(tileData), animData(animData)
{ }

DataSetSaver::Status DataSetSaver::fail(const QString &message, const QString &path)
{
    error = message;
    failedPath = path;
    return Status::Failed;
}

QStringList DataSetSaver::inputFiles() const
{
    return art.container().fileNames() + QStringList{tileData.fileName(), animData.fileName()};
}

bool DataSetSaver::isDataDirectory(const QString &directory) const
{
    // By identity, not by name: a link or a second mount of the data directory is it too.
    const FileStamp candidate = FileStamp::of(directory);
    for (const QString &input : inputFiles()) {
        if (candidate.isSameFileAs(FileStamp::of(directoryOf(input))))
            return true;
    }
    return false;
}

QString DataSetSaver::changedInput() const
{
    const QString artFile = art.container().changedFile();
    if (!artFile.isEmpty())
        return artFile;
    if (tileData.dataFile().hasChanged())
        return tileData.fileName();
    if (animData.dataFile().hasChanged())
        return animData.fileName();
    return QString();
}

bool DataSetSaver::writeArt(Run &run, const ArtMergePlan &plan)
{
    if (!run.open(ArtFileName))
        return false;
    QVector<ArtIndexEntry> index;
    index.reserve(plan.slots().size());
    // Entries that shared one record keep sharing it.
    QHash<QPair<qint32, qint32>, ArtIndexEntry> written;
    qint64 position = 0;
    for (int slot = 0; slot < plan.slots().size(); ++slot) {
        const ArtMergePlan::Slot &planned = plan.slots().at(slot);
        const ArtIndexEntry &original = planned.entry;
        if (planned.source == ArtMergePlan::Slot::Source::Empty) {
            index.append(original);
            continue;
        }
        if (planned.source == ArtMergePlan::Slot::Source::PendingFile) {
            index.append({qint32(position), qint32(planned.length), original.reserved});
            if (!run.writePendingFile(planned.path, planned.length, ArtMergePlan::describeSlot(slot)))
                return false;
            position += planned.length;
        } else {
            const QPair<qint32, qint32> key(original.offset, original.length);
            const auto earlier = written.constFind(key);
            if (earlier != written.cend()) {
                index.append({earlier->offset, earlier->length, original.reserved});
                continue;
            }
            const QByteArray record = art.container().record(slot);
            if (record.isEmpty()) {
                emptied.append(slot);
                index.append(emptyEntry(original.reserved));
                continue;
            }
            if (record.size() != original.length)
                repaired.append(slot);
            const ArtIndexEntry entry{qint32(position), qint32(record.size()), original.reserved};
            index.append(entry);
            written.insert(key, entry);
            if (!run.write(record))
                return false;
            position += record.size();
        }
        if (position > MaxOffset)
            return run.fail(QStringLiteral("The new %1 would be larger than its index can address (2 GiB).")
                                .arg(ArtFileName));
    }
    return run.open(IndexFileName) && run.write(encodeIndex(index));
}

bool DataSetSaver::writeTileData(Run &run, const TileDataMergePlan &plan) const
{
    if (!run.open(TileDataFileName))
        return false;
    if (tileDataLayout && *tileDataLayout != tileData.layout()) {
        QByteArray converted;
        QString reason;
        return TileDataConversion::convert(tileData, *tileDataLayout, &converted, &reason)
            ? run.write(converted)
            : run.fail(reason);
    }
    const QByteArrayView source = tileData.fileBytes();
    // Copies the source up to position; past its end the new file is zero-filled.
    qint64 at = 0;
    auto copyUpTo = [&](qint64 position) {
        const qint64 copyEnd = qMin(position, source.size());
        const bool copied = at >= copyEnd || run.write(source.sliced(at, copyEnd - at));
        const bool filled = copied && run.writeZeros(position - qMax(at, copyEnd));
        at = position;
        return filled;
    };
    for (const TileDataMergePlan::Patch &patch : plan.patches()) {
        if (!copyUpTo(patch.position) || !run.writePendingFile(patch.path, patch.size, patch.label))
            return false;
        at += patch.size;
    }
    return copyUpTo(plan.outputSize());
}

QString DataSetSaver::notice() const
{
    QStringList notes;
    if (!emptied.isEmpty())
        notes.append(QStringLiteral("%1 tiles had no readable record and were saved without an image: %2.")
                         .arg(emptied.size())
                         .arg(describeSlots(emptied)));
    if (!repaired.isEmpty())
        notes.append(QStringLiteral("%1 tiles had an index length that did not match their record; the "
                                    "whole record was saved with its right length: %2.")
                         .arg(repaired.size())
                         .arg(describeSlots(repaired)));
    return notes.join(QLatin1Char('\n'));
}

DataSetSaver::Status DataSetSaver::save(const QString &outputDirectory)
{
    error.clear();
    failedPath.clear();
    emptied.clear();
    repaired.clear();

    if (!QFileInfo(outputDirectory).isDir())
        return fail(QStringLiteral("The output directory %1 does not exist.").arg(native(outputDirectory)),
            outputDirectory);
    if (isDataDirectory(outputDirectory))
        return fail(QStringLiteral("The output directory is the data directory. Choose another directory: "
                                   "the original files are never overwritten."),
            outputDirectory);

    for (const QString &problem :
        {art.container().errorString(), tileData.errorString(), animData.errorString()}) {
        if (!problem.isEmpty())
            return fail(problem);
    }
    if (!checkInputsUnchanged())
        return Status::Failed;

    ArtMergePlan artPlan;
    TileDataMergePlan tilePlan;
    QString reason;
    if (!artPlan.build(art, &reason) || !tilePlan.build(tileData, &reason))
        return fail(reason);

    const qint64 indexSize = qint64(artPlan.slots().size()) * ArtFormat::IndexEntrySize;
    const qint64 total
        = artPlan.estimatedSize() + indexSize + tilePlan.outputSize() + animData.fileBytes().size();
    Run run(*this, outputDirectory, total);
    const bool written = run.start() && writeArt(run, artPlan) && writeTileData(run, tilePlan)
        && run.open(AnimDataFileName) && run.write(animData.fileBytes());
    // What was read must be what was opened, or the new set would mix two versions.
    const Status status = !written ? run.status
        : !checkInputsUnchanged()  ? Status::Failed
        : run.commit()             ? Status::Saved
                                   : run.status;
    if (status != Status::Saved) {
        emptied.clear();
        repaired.clear();
    }
    return status;
}

bool DataSetSaver::checkInputsUnchanged()
{
    const QString changed = changedInput();
    if (changed.isEmpty())
        return true;
    fail(QStringLiteral("%1 has changed on disk since it was opened, so the data set was not saved. Open the "
                        "data set again to save your edits with the new file.")
             .arg(native(changed)),
        changed);
    return false;
}
