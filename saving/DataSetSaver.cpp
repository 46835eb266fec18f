#include "saving/DataSetSaver.h"

#include "art/ArtFormat.h"
#include "art/ArtWork.h"
#include "io/MappedFile.h"
#include "io/StagedOutput.h"
#include "saving/ArtMergePlan.h"
#include "saving/TileDataMergePlan.h"
#include "tiledata/TileData.h"

#include <QDir>
#include <QFileInfo>
#include <QtEndian>

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

QString canonicalDirectoryOf(const QString &filePath)
{
    return QFileInfo(filePath).absoluteDir().canonicalPath();
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

private:
    bool writeChunk(QByteArrayView chunk);
    bool report(bool force);
    bool failWrite(const QString &reason);

    DataSetSaver &saver;
    StagedOutput output;
    QFile *file = nullptr;
    QString fileName;
    qint64 total = 0;
    qint64 done = 0;
    qint64 reported = 0;
};

bool DataSetSaver::Run::open(const QString &name)
{
    fileName = name;
    QString reason;
    file = output.create(name, &reason);
    return file ? true : failWrite(reason);
}

bool DataSetSaver::Run::write(QByteArrayView bytes)
{
    for (qint64 at = 0; at < bytes.size(); at += ChunkSize) {
        if (!writeChunk(bytes.sliced(at, qMin(ChunkSize, bytes.size() - at))))
            return false;
    }
    return true;
}

bool DataSetSaver::Run::writeZeros(qint64 count)
{
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
    if (file->write(chunk.data(), chunk.size()) != chunk.size())
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

bool DataSetSaver::Run::failWrite(const QString &reason)
{
    status = Status::Failed;
    const QString target = output.targetPath(fileName);
    saver.fail(QStringLiteral("Could not write %1: %2").arg(native(target), reason), target);
    return false;
}

DataSetSaver::DataSetSaver(const ArtWork &art, const TileData &tileData, const QString &animDataPath)
    : art(art), tileData(tileData), animDataPath(animDataPath)
{ }

DataSetSaver::Status DataSetSaver::fail(const QString &message, const QString &path)
{
    error = message;
    failedPath = path;
    return Status::Failed;
}

bool DataSetSaver::isDataDirectory(const QString &directory) const
{
    const QString candidate = QFileInfo(directory).canonicalFilePath();
    if (candidate.isEmpty())
        return false;
    for (const QString &input : {art.indexPath(), art.artPath(), tileData.fileName(), animDataPath}) {
        if (canonicalDirectoryOf(input) == candidate)
            return true;
    }
    return false;
}

bool DataSetSaver::writeArt(Run &run, const ArtMergePlan &plan) const
{
    if (!run.open(ArtFileName))
        return false;
    for (const ArtMergePlan::Piece &piece : plan.pieces()) {
        const bool written = piece.source == ArtMergePlan::Piece::Source::ArtFile
            ? run.write(art.artData().slice(piece.offset, piece.length))
            : run.writePendingFile(piece.path, piece.length, ArtMergePlan::describeSlot(piece.slot));
        if (!written)
            return false;
    }
    return true;
}

bool DataSetSaver::writeTileData(Run &run, const TileDataMergePlan &plan) const
{
    if (!run.open(TileDataFileName))
        return false;
    const QByteArrayView source = tileData.data().bytes();
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
    if (emptied.isEmpty())
        return QString();
    QStringList tiles;
    for (int i = 0; i < emptied.size() && i < NoticeSlotLimit; ++i)
        tiles.append(ArtMergePlan::describeSlot(emptied.at(i)));
    if (emptied.size() > NoticeSlotLimit)
        tiles.append(QStringLiteral("%1 more").arg(emptied.size() - NoticeSlotLimit));
    return QStringLiteral("%1 index entries of %2 pointed outside %3 and were saved as empty slots: %4.")
        .arg(emptied.size())
        .arg(IndexFileName, ArtFileName, tiles.join(QStringLiteral(", ")));
}

DataSetSaver::Status DataSetSaver::save(const QString &outputDirectory)
{
    error.clear();
    failedPath.clear();
    emptied.clear();

    if (!QFileInfo(outputDirectory).isDir())
        return fail(QStringLiteral("The output directory %1 does not exist.").arg(native(outputDirectory)),
            outputDirectory);
    if (isDataDirectory(outputDirectory))
        return fail(QStringLiteral("The output directory is the data directory. Choose another directory: "
                                   "the original files are never overwritten."),
            outputDirectory);

    const MappedFile anim(animDataPath);
    for (const MappedFile *input : {&art.indexData(), &art.artData(), &tileData.data(), &anim}) {
        if (!input->isOpen())
            return fail(QStringLiteral("%1 could not be read: %2")
                            .arg(native(input->fileName()), input->errorString()),
                input->fileName());
    }

    ArtMergePlan artPlan;
    TileDataMergePlan tilePlan;
    QString reason;
    if (!artPlan.build(art, &reason) || !tilePlan.build(tileData, &reason))
        return fail(reason);

    const QByteArray index = encodeIndex(artPlan.index());
    const qint64 total = artPlan.artSize() + index.size() + tilePlan.outputSize() + anim.size();
    Run run(*this, outputDirectory, total);
    const bool written = run.start() && writeArt(run, artPlan) && run.open(IndexFileName) && run.write(index)
        && writeTileData(run, tilePlan) && run.open(AnimDataFileName) && run.write(anim.bytes())
        && run.commit();
    if (written)
        emptied = artPlan.damagedSlots();
    return run.status;
}
