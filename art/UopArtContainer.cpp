#include "art/UopArtContainer.h"

#include "io/MypHash.h"

#include <QHash>
#include <QSet>

using namespace ArtFormat;

const QString UopArtContainer::FileName = QStringLiteral("artLegacyMUL.uop");

namespace {

const char NamePrefix[] = "build/artlegacymul/";
const char NameSuffix[] = ".tga";
constexpr int NameDigits = 8;
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

QByteArray UopArtContainer::entryName(int slot)
{
    QByteArray name(NamePrefix);
    name += QByteArray::number(slot).rightJustified(NameDigits, '0');
    name += NameSuffix;
    return name;
}

bool UopArtContainer::open(const QString &path, QString *error)
{
    slotEntries.clear();
    blocks.clear();
    openNotes.clear();
    unreadable.clear();
    if (!reader.open(path, MaxRecordLength, error))
        return false;
    mapSlots();
    noteProblems();
    return true;
}

void UopArtContainer::mapSlots()
{
    // Entries that point at the same bytes are one block, as equal index entries are.
    QHash<QPair<quint64, quint32>, int> blockOf;
    blocks.resize(reader.entryCount());
    for (int i = 0; i < reader.entryCount(); ++i) {
        const MypEntry &entry = reader.entry(i);
        blocks[i] = blockOf.value({entry.dataStart(), entry.storedLength}, i);
        blockOf.insert({entry.dataStart(), entry.storedLength}, blocks[i]);
    }
    QVector<int> found(MaxSlots, -1);
    int count = 0;
    for (int slot = 0; slot < MaxSlots; ++slot) {
        found[slot] = reader.find(MypHash::ofName(entryName(slot)));
        if (found[slot] >= 0)
            count = slot + 1;
    }
    found.resize(count);
    slotEntries = found;
}

void UopArtContainer::noteProblems()
{
    openNotes = reader.notes();
    QSet<int> named;
    QStringList damaged;
    for (int slot = 0; slot < slotEntries.size(); ++slot) {
        const int index = slotEntries.at(slot);
        if (index < 0)
            continue;
        named.insert(index);
        if (!reader.problem(index).isEmpty())
            damaged.append(QStringLiteral("%1: %2").arg(describeSlot(slot), reader.problem(index)));
    }
    if (!damaged.isEmpty())
        openNotes.append(
            QStringLiteral("%1 entries cannot be read: %2.").arg(damaged.size()).arg(listed(damaged)));
    QHash<int, int> slotOfEntry;
    for (int slot = 0; slot < slotEntries.size(); ++slot) {
        if (slotEntries.at(slot) >= 0)
            slotOfEntry.insert(slotEntries.at(slot), slot);
    }
    QStringList repeated;
    for (int index : reader.duplicates()) {
        const int first = reader.find(reader.entry(index).hash);
        if (slotOfEntry.contains(first))
            repeated.append(describeSlot(slotOfEntry.value(first)));
    }
    if (!repeated.isEmpty())
        openNotes.append(QStringLiteral("%1 entries repeat the name of an earlier entry, which is used: %2.")
                             .arg(repeated.size())
                             .arg(listed(repeated)));
    const int foreign = reader.entryCount() - int(named.size()) - int(repeated.size());
    if (foreign > 0)
        openNotes.append(
            QStringLiteral("%1 entries are not named after an art position; they are ignored and "
                           "not saved.")
                .arg(foreign));
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
        return {};
    return {blocks.at(index), qint32(reader.entry(index).decompressedLength), 0};
}

QByteArray UopArtContainer::record(int slot) const
{
    const int index = entryIndex(slot);
    if (index < 0)
        return {};
    QString why;
    const QByteArray bytes = reader.read(index, &why);
    if (!why.isEmpty())
        noteUnreadable(slot, why);
    return bytes;
}

ArtContainer::StoredRecord UopArtContainer::storedRecord(int slot) const
{
    const int index = entryIndex(slot);
    if (index < 0)
        return {};
    QString why;
    const QByteArray bytes = reader.readStored(index, &why);
    if (!why.isEmpty()) {
        noteUnreadable(slot, why);
        return {};
    }
    const MypEntry &stored = reader.entry(index);
    // Bytes kept as they are have the length they have, whatever their entry said.
    const quint32 length = stored.compression == 0 ? quint32(bytes.size()) : stored.decompressedLength;
    return {bytes, stored.compression, length};
}

void UopArtContainer::noteUnreadable(int slot, const QString &why) const
{
    // Entries already found damaged when the container was opened are noted then.
    if (reader.problem(slotEntries.at(slot)).isEmpty())
        unreadable.insert(slot, why);
}

QStringList UopArtContainer::notes() const
{
    QStringList notes = openNotes;
    if (unreadable.isEmpty())
        return notes;
    QStringList tiles;
    for (auto it = unreadable.cbegin(); it != unreadable.cend(); ++it)
        tiles.append(QStringLiteral("%1: %2").arg(describeSlot(it.key()), it.value()));
    notes.append(
        QStringLiteral("%1 records could not be read: %2.").arg(unreadable.size()).arg(listed(tiles)));
    return notes;
}
