#include "art/UopArtContainer.h"

#include "io/DataFileNames.h"
#include "io/MypFormat.h"
#include "io/MypHash.h"

#include <QHash>
#include <algorithm>
#include <cstring>

using namespace ArtFormat;

namespace {

const char NamePrefix[] = "build/artlegacymul/";
const char NameSuffix[] = ".tga";
constexpr int PrefixSize = sizeof NamePrefix - 1;
constexpr int SuffixSize = sizeof NameSuffix - 1;
// Notes list this many tiles of a kind, then how many more there are.
constexpr int NoteLimit = 10;

QString listed(const QStringList &items)
{
    QStringList shown = items.mid(0, NoteLimit);
    if (items.size() > NoteLimit)
        shown.append(QStringLiteral("and %1 more").arg(items.size() - NoteLimit));
    return shown.join(QStringLiteral("; "));
}

} // namespace

const QHash<quint64, int> &UopArtContainer::positionsByHash()
{
    // The names never change: their hashes are computed once.
    static const QHash<quint64, int> table = [] {
        QHash<quint64, int> hashes;
        hashes.reserve(MaxSlots);
        char name[EntryNameSize];
        for (int slot = 0; slot < MaxSlots; ++slot) {
            writeEntryName(slot, name);
            hashes.insert(MypHash::ofName(QByteArrayView(name, EntryNameSize)), slot);
        }
        return hashes;
    }();
    return table;
}

QByteArray UopArtContainer::entryName(int slot)
{
    char name[EntryNameSize];
    writeEntryName(slot, name);
    return QByteArray(name, EntryNameSize);
}

void UopArtContainer::writeEntryName(int slot, char *name)
{
    std::memcpy(name, NamePrefix, PrefixSize);
    quint32 value = quint32(qMax(slot, 0));
    for (int digit = NameDigits - 1; digit >= 0; --digit, value /= 10)
        name[PrefixSize + digit] = char('0' + value % 10);
    std::memcpy(name + PrefixSize + NameDigits, NameSuffix, SuffixSize);
}

bool UopArtContainer::open(const QString &path, QString *error)
{
    slotEntries.clear();
    blocks.clear();
    conflicts.clear();
    foreignEntries = 0;
    repeatedEntries = 0;
    openNotes.clear();
    unreadable.clear();
    mismatched.clear();
    sharedBlocks.clear();
    blockCache.clear();
    if (!reader.open(path, MaxRecordLength, error))
        return false;
    mapSlots();
    noteProblems();
    return true;
}

void UopArtContainer::mapSlots()
{
    // Entries that point at the same bytes are one block, as equal index entries are.
    QHash<quint64, int> blockAt;
    blockAt.reserve(reader.entryCount());
    blocks.resize(reader.entryCount());
    for (int i = 0; i < reader.entryCount(); ++i) {
        const MypEntry &entry = reader.entry(i);
        const auto first = blockAt.constFind(entry.dataStart());
        blocks[i] = i;
        if (first == blockAt.cend()) {
            blockAt.insert(entry.dataStart(), i);
            continue;
        }
        const MypEntry &owner = reader.entry(*first);
        if (owner.storedLength == entry.storedLength && owner.decompressedLength == entry.decompressedLength
            && owner.compression == entry.compression && owner.checksum == entry.checksum) {
            blocks[i] = *first;
            sharedBlocks.insert(*first);
        }
        else if (reader.problem(i).isEmpty())
            conflicts.insert(i,
                QStringLiteral(
                    "its bytes (at %1) are an earlier entry's, with other lengths or another checksum")
                    .arg(entry.dataStart()));
    }
    const QHash<quint64, int> &positions = positionsByHash();
    QVector<int> found(MaxSlots, -1);
    int count = 0;
    // In table order, so that of entries with the same name the first is used.
    for (int i = 0; i < reader.entryCount(); ++i) {
        const int slot = positions.value(reader.entry(i).hash, -1);
        if (slot >= 0 && found.at(slot) < 0) {
            found[slot] = i;
            count = qMax(count, slot + 1);
        }
    }
    found.resize(count);
    slotEntries = found;
}

QString UopArtContainer::problem(int index) const
{
    const QString found = reader.problem(index);
    return found.isEmpty() ? conflicts.value(index) : found;
}

void UopArtContainer::noteProblems()
{
    openNotes = reader.notes();
    // Entry number to the position named after it; -1 for entries no position names.
    QVector<int> slotOfEntry(reader.entryCount(), -1);
    QStringList damaged;
    for (int slot = 0; slot < slotEntries.size(); ++slot) {
        const int index = slotEntries.at(slot);
        if (index < 0)
            continue;
        slotOfEntry[index] = slot;
        if (!problem(index).isEmpty())
            damaged.append(QStringLiteral("%1: %2").arg(describeSlot(slot), problem(index)));
    }
    if (!damaged.isEmpty())
        openNotes.append(
            QStringLiteral("%1 entries cannot be read: %2.").arg(damaged.size()).arg(listed(damaged)));
    QStringList repeated;
    for (int index : reader.duplicates()) {
        const int slot = slotOfEntry.at(reader.find(reader.entry(index).hash));
        slotOfEntry[index] = slot;
        if (slot >= 0)
            repeated.append(describeSlot(slot));
    }
    repeatedEntries = int(repeated.size());
    if (!repeated.isEmpty())
        openNotes.append(QStringLiteral("%1 entries repeat the name of an earlier entry, which is used: %2.")
                             .arg(repeated.size())
                             .arg(listed(repeated)));
    foreignEntries = int(std::count(slotOfEntry.cbegin(), slotOfEntry.cend(), -1));
    if (foreignEntries > 0)
        openNotes.append(
            QStringLiteral("%1 entries are not named after an art position; they are ignored and "
                           "not saved.")
                .arg(foreignEntries));
}

QString UopArtContainer::changedFile() const
{
    return reader.file().hasChanged() ? reader.file().fileName() : QString();
}

int UopArtContainer::entryIndex(int slot) const
{
    return slot >= 0 && slot < slotEntries.size() ? slotEntries.at(slot) : -1;
}

ArtIndexEntry UopArtContainer::entry(int slot) const
{
    const int index = entryIndex(slot);
    if (index < 0)
        return ArtIndexEntry::emptySlot(0);
    return {blocks.at(index), qint32(reader.entry(index).decompressedLength), 0};
}

UopArtContainer::Block UopArtContainer::readBlock(int slot, int index) const
{
    Block block;
    if (!conflicts.contains(index)) {
        // Entries of one block state the same lengths and checksum: one read serves all.
        // A block of one entry is read once anyway, and is not worth keeping.
        const bool shared = sharedBlocks.contains(blocks.at(index));
        if (const Block *cached = shared ? blockCache.object(blocks.at(index)) : nullptr)
            return *cached;
        block.bytes = reader.read(index, &block.why, &block.matches);
        if (shared)
            blockCache.insert(blocks.at(index), new Block(block), qMax<qsizetype>(block.bytes.size(), 1));
    } else {
        block.why = conflicts.value(index);
    }
    if (!block.why.isEmpty())
        noteUnreadable(slot, block.why);
    return block;
}

QByteArray UopArtContainer::record(int slot) const
{
    const int index = entryIndex(slot);
    if (index < 0)
        return {};
    const Block block = readBlock(slot, index);
    noteMismatch(slot, block.matches);
    return block.bytes;
}

ArtContainer::StoredRecord UopArtContainer::plainRecord(int slot) const
{
    const int index = entryIndex(slot);
    if (index < 0)
        return {};
    // Bytes stored as they are need no inflating: whatever their length, they are copied.
    if (reader.entry(index).compression == MypFormat::CompressionNone) {
        StoredRecord found = storedRecord(slot);
        found.checksum.reset();
        return found;
    }
    const Block block = readBlock(slot, index);
    noteMismatch(slot, block.matches);
    StoredRecord found;
    found.bytes = block.bytes;
    found.length = quint32(block.bytes.size());
    found.checksumMismatch = !block.matches && !block.bytes.isEmpty();
    return found;
}

ArtContainer::StoredRecord UopArtContainer::storedRecord(int slot) const
{
    const int index = entryIndex(slot);
    if (index < 0)
        return {};
    QString why = conflicts.value(index);
    bool matches = true;
    const QByteArray bytes = why.isEmpty() ? reader.readStored(index, &why, &matches) : QByteArray();
    if (!why.isEmpty()) {
        noteUnreadable(slot, why);
        return {};
    }
    noteMismatch(slot, matches);
    const MypEntry &stored = reader.entry(index);
    // Bytes kept as they are have the length they have, whatever their entry said.
    const quint32 length = stored.compression == 0 ? quint32(bytes.size()) : stored.decompressedLength;
    StoredRecord found{bytes, stored.compression, length, stored.checksum};
    found.checksumMismatch = !matches;
    return found;
}

void UopArtContainer::noteUnreadable(int slot, const QString &why) const
{
    // Entries already found damaged when the container was opened are noted then.
    if (problem(slotEntries.at(slot)).isEmpty())
        unreadable.insert(slot, why);
}

void UopArtContainer::noteMismatch(int slot, bool matches) const
{
    if (!matches)
        mismatched.insert(slot);
}

QStringList UopArtContainer::notes() const
{
    QStringList notes = openNotes;
    if (!unreadable.isEmpty()) {
        QStringList tiles;
        for (auto it = unreadable.cbegin(); it != unreadable.cend(); ++it)
            tiles.append(QStringLiteral("%1: %2").arg(describeSlot(it.key()), it.value()));
        notes.append(
            QStringLiteral("%1 records could not be read: %2.").arg(unreadable.size()).arg(listed(tiles)));
    }
    if (!mismatched.isEmpty()) {
        QList<int> slots = mismatched.values();
        std::sort(slots.begin(), slots.end());
        QStringList tiles;
        for (int slot : slots)
            tiles.append(QStringLiteral("%1: checksum does not match").arg(describeSlot(slot)));
        notes.append(QStringLiteral("%1 records are shown as read and saved as stored: %2.")
                         .arg(slots.size())
                         .arg(listed(tiles)));
    }
    return notes;
}

QStringList UopArtContainer::lostInSaving(Format) const
{
    QStringList lost;
    if (foreignEntries > 0)
        lost.append(
            QStringLiteral("%1 entries of %2 are not named after an art position; they were not saved.")
                .arg(foreignEntries)
                .arg(DataFileNames::ArtUop));
    if (repeatedEntries > 0)
        lost.append(QStringLiteral("%1 entries of %2 repeat the name of an earlier entry; only the earlier "
                                   "entry was saved.")
                        .arg(repeatedEntries)
                        .arg(DataFileNames::ArtUop));
    return lost;
}
