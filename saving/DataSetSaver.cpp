#include "saving/DataSetSaver.h"

#include "art/ArtFormat.h"
#include "art/ArtWork.h"
#include "dataset/ArtContainerChoice.h"
#include "dataset/DataSet.h"
#include "io/DataFile.h"
#include "io/DataFileNames.h"
#include "io/FileIdentity.h"
#include "saving/AnimDataMergePlan.h"
#include "saving/ArtMergePlan.h"
#include "saving/MulArtWriter.h"
#include "saving/TileDataConversion.h"
#include "saving/TileDataMergePlan.h"
#include "saving/UopArtWriter.h"
#include "tiledata/AnimDataFile.h"
#include "tiledata/TileData.h"

#include <QDir>
#include <QFileInfo>
#include <QtEndian>
#include <limits>

namespace {

constexpr int NoticeSlotLimit = 10;

QString directoryOf(const QString &filePath)
{
    return QFileInfo(filePath).absolutePath();
}

QString describeSlots(const QVector<int> &slots)
{
    QStringList tiles;
    for (int i = 0; i < slots.size() && i < NoticeSlotLimit; ++i)
        tiles.append(ArtContainer::describeSlot(slots.at(i)));
    if (slots.size() > NoticeSlotLimit)
        tiles.append(QStringLiteral("%1 more").arg(slots.size() - NoticeSlotLimit));
    return tiles.join(QStringLiteral(", "));
}

std::unique_ptr<ArtFileWriter> writerFor(ArtContainer::Format format)
{
    if (format == ArtContainer::Format::Uop)
        return std::make_unique<UopArtWriter>();
    return std::make_unique<MulArtWriter>();
}

// Writes source with each patch's pending file over its bytes, up to outputSize: past
// the end of source the new file is zero-filled. Patches are sorted by position.
template <typename Patch>
bool writePatched(SaveRun &run, QByteArrayView source, const QVector<Patch> &patches, qint64 outputSize)
{
    qint64 at = 0;
    auto copyUpTo = [&](qint64 position) {
        const qint64 copyEnd = qMin(position, source.size());
        const bool copied = at >= copyEnd || run.write(source.sliced(at, copyEnd - at));
        const bool filled = copied && run.writeZeros(position - qMax(at, copyEnd));
        at = position;
        return filled;
    };
    for (const Patch &patch : patches) {
        if (!copyUpTo(patch.position) || !run.writePendingFile(patch.source, patch.size, patch.label))
            return false;
        at += patch.size;
    }
    return copyUpTo(outputSize);
}

} // namespace

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
    const FileIdentity candidate = FileIdentity::of(directory);
    for (const QString &input : inputFiles()) {
        if (candidate == FileIdentity::of(directoryOf(input)))
            return true;
    }
    return false;
}

QString DataSetSaver::replacedInput(const QString &directory, QString *input) const
{
    const QStringList inputs = inputFiles();
    QVector<FileIdentity> identities;
    for (const QString &file : inputs)
        identities.append(FileIdentity::of(file));
    for (const QString &name : DataSet::filesIn(directory)) {
        const QString path = QDir(directory).filePath(name);
        const qsizetype at = identities.indexOf(FileIdentity::of(path));
        if (at >= 0) {
            *input = inputs.at(at);
            return path;
        }
    }
    return QString();
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

ArtContainer::Format DataSetSaver::outputArtFormat() const
{
    return artFormat.value_or(art.container().format());
}

void DataSetSaver::clearNotes()
{
    saved = false;
    emptied.clear();
    for (QVector<int> &slots : fitted)
        slots.clear();
    mismatched.clear();
    lost.clear();
}

bool DataSetSaver::writeArt(SaveRun &run, const ArtMergePlan &plan, ArtFileWriter &writer)
{
    if (!writer.begin(run, int(plan.slots().size()), plan.recordCount()))
        return false;
    lost = art.container().lostInSaving(writer.format());
    // Entries that shared one record keep sharing it.
    CopiedRecords written;
    for (int slot = 0; slot < plan.slots().size(); ++slot) {
        const ArtMergePlan::Slot &planned = plan.slots().at(slot);
        int handle = -1;
        switch (planned.source) {
        case ArtMergePlan::Slot::Source::Empty:
            writer.addEmpty(slot, planned.entry);
            break;
        case ArtMergePlan::Slot::Source::PendingFile: {
            QByteArray record;
            if (!run.readPendingFile(planned.pending, planned.length, ArtContainer::describeSlot(slot), &record)
                || !writer.addRecord(run, slot, {record, 0, quint32(record.size()), std::nullopt},
                    planned.entry.reserved, &handle))
                return false;
            break;
        }
        case ArtMergePlan::Slot::Source::Container:
            if (!writeContainerRecord(run, slot, planned.entry, writer, written))
                return false;
            break;
        }
    }
    return writer.finish(run);
}

bool DataSetSaver::writeContainerRecord(
    SaveRun &run, int slot, const ArtIndexEntry &original, ArtFileWriter &writer, CopiedRecords &written)
{
    // A record shared by several entries is read and written once; every entry sharing
    // it is reported as the first was.
    const QPair<qint32, qint32> key(original.offset, original.length);
    auto earlier = written.byEntry.constFind(key);
    if (earlier == written.byEntry.cend()) {
        const ArtContainer::StoredRecord record = writer.takesStoredRecords()
            ? art.container().storedRecord(slot)
            : art.container().plainRecord(slot);
        Copied copied{-1, record.fit, record.checksumMismatch};
        const QPair<qint32, qint32> extent(original.offset, qint32(record.bytes.size()));
        const auto same = written.byExtent.constFind(extent);
        if (same != written.byExtent.cend()) {
            copied.handle = *same;
            writer.addShared(slot, copied.handle, original.reserved);
        } else if (!record.bytes.isEmpty()) {
            if (!writer.addRecord(run, slot, record, original.reserved, &copied.handle))
                return false;
            written.byExtent.insert(extent, copied.handle);
        }
        earlier = written.byEntry.insert(key, copied);
    } else if (earlier->handle >= 0) {
        writer.addShared(slot, earlier->handle, original.reserved);
    }
    if (earlier->handle < 0) {
        emptied.append(slot);
        writer.addEmpty(slot, ArtIndexEntry::emptySlot(original.reserved));
        return true;
    }
    if (earlier->fit != ArtContainer::Fit::AsStated)
        fitted[int(earlier->fit)].append(slot);
    if (earlier->checksumMismatch)
        mismatched.append(slot);
    return true;
}

bool DataSetSaver::writeTileData(SaveRun &run, const TileDataMergePlan &plan) const
{
    if (!run.open(DataFileNames::TileDataMul))
        return false;
    if (tileDataLayout && *tileDataLayout != tileData.layout()) {
        QByteArray converted;
        QString reason;
        return TileDataConversion::convert(tileData, *tileDataLayout, &converted, &reason)
            ? run.write(converted)
            : run.fail(reason);
    }
    return writePatched(run, tileData.fileBytes(), plan.patches(), plan.outputSize());
}

bool DataSetSaver::writeAnimData(SaveRun &run, const AnimDataMergePlan &plan) const
{
    return run.open(DataFileNames::AnimDataMul)
        && writePatched(run, animData.fileBytes(), plan.patches(), plan.outputSize());
}

QString DataSetSaver::notice() const
{
    using Fit = ArtContainer::Fit;
    QStringList notes;
    if (!recovered.isEmpty())
        notes.append(recovered);
    const auto note = [&](const QVector<int> &slots, const QString &what) {
        if (!slots.isEmpty())
            notes.append(what.arg(slots.size()).arg(describeSlots(slots)));
    };
    note(emptied, QStringLiteral("%1 tiles had no readable record and were saved without an image: %2."));
    note(fitted[int(Fit::CutToRecord)],
        QStringLiteral("%1 tiles had an index length running past their record; the record alone, as far as "
                       "its content reaches, was saved: %2."));
    note(fitted[int(Fit::GrownToRecord)],
        QStringLiteral("%1 tiles had an index length ending inside their record; the whole record, as far as "
                       "its content reaches, was saved: %2."));
    note(fitted[int(Fit::UndrawnAsStated)],
        QStringLiteral("%1 tiles cannot be drawn here; their bytes were copied as their index entry states: "
                       "%2."));
    note(fitted[int(Fit::UndrawnCut)],
        QStringLiteral("%1 tiles cannot be drawn here and their index length runs into the next record or "
                       "past the end of ")
            + DataFileNames::ArtMul + QStringLiteral("; their bytes were copied up to there: %2."));
    note(mismatched,
        outputArtFormat() == ArtContainer::Format::Uop
            ? QStringLiteral("%1 tiles' checksum does not match; they were saved as stored: %2.")
            : QStringLiteral("%1 tiles' checksum does not match; their bytes were saved as read: %2."));
    notes.append(lost);
    // A conversion writes whole blocks.
    if (saved && tileDataLayout && *tileDataLayout != tileData.layout() && tileData.partialBlockBytes() > 0)
        notes.append(
            QStringLiteral("%1 ends %2 bytes into a block; the converted file fills the rest of that "
                           "block with zeros.")
                .arg(DataFileNames::TileDataMul)
                .arg(tileData.partialBlockBytes()));
    return notes.join(QLatin1Char('\n'));
}

DataSetSaver::Status DataSetSaver::save(const QString &outputDirectory)
{
    error.clear();
    failedPath.clear();
    clearNotes();
    recovered.clear();

    if (!QFileInfo(outputDirectory).isDir())
        return fail(QStringLiteral("The output directory %1 does not exist.")
                        .arg(QDir::toNativeSeparators(outputDirectory)),
            outputDirectory);
    if (isDataDirectory(outputDirectory))
        return fail(QStringLiteral("The output directory is the data directory. Choose another directory: "
                                   "the original files are never overwritten."),
            outputDirectory);
    QString input;
    const QString replaced = replacedInput(outputDirectory, &input);
    if (!replaced.isEmpty())
        return fail(
            QStringLiteral("%1 is the same file as %2, which the data set is read from (a link). Choose "
                           "another directory: the original files are never overwritten.")
                .arg(QDir::toNativeSeparators(replaced), QDir::toNativeSeparators(input)),
            replaced);

    for (const QString &problem :
        {art.container().errorString(), tileData.errorString(), animData.errorString()}) {
        if (!problem.isEmpty())
            return fail(problem);
    }
    if (!checkInputsUnchanged())
        return Status::Failed;

    ArtMergePlan artPlan;
    TileDataMergePlan tilePlan;
    AnimDataMergePlan animPlan;
    QString reason;
    if (!artPlan.build(art, &reason) || !tilePlan.build(tileData, &reason)
        || !animPlan.build(animData, &reason))
        return fail(reason);

    const std::unique_ptr<ArtFileWriter> writer = writerFor(outputArtFormat());
    const qint64 total = artPlan.estimatedSize()
        + writer->overhead(int(artPlan.slots().size()), artPlan.recordCount()) + tilePlan.outputSize()
        + animPlan.outputSize();
    SaveRun run(outputDirectory, total, progress, faultHook);
    // One art container is left: the other kind's files go in the same commit.
    for (const QString &name : ArtContainerChoice::fileNames(outputArtFormat() == ArtContainer::Format::Mul
                 ? ArtContainer::Format::Uop
                 : ArtContainer::Format::Mul))
        run.removeOnCommit(name);
    const bool started = run.start();
    recovered = run.startNote();
    const bool written = started && writeArt(run, artPlan, *writer) && writeTileData(run, tilePlan)
        && writeAnimData(run, animPlan);
    // What was read must be what was opened, or the new set would mix two versions.
    Status status = Status::Failed;
    if (!written || (checkInputsUnchanged() && !run.commit())) {
        status = run.status();
        if (status == Status::Failed)
            fail(run.errorString(), run.failedFile());
    } else if (error.isEmpty()) {
        status = Status::Saved;
    }
    if (status != Status::Saved) {
        clearNotes();
        // What was put right in the directory still happened.
        if (status == Status::Failed && !recovered.isEmpty())
            error = recovered + QLatin1Char('\n') + error;
    }
    saved = status == Status::Saved;
    return status;
}

bool DataSetSaver::checkInputsUnchanged()
{
    const QString changed = changedInput();
    if (changed.isEmpty())
        return true;
    fail(QStringLiteral("%1 has changed on disk since it was opened, so the data set was not saved. Open the "
                        "data set again to save your edits with the new file.")
             .arg(QDir::toNativeSeparators(changed)),
        changed);
    return false;
}
