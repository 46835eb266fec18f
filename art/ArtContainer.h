#pragma once

#include "art/ArtFormat.h"
#include "art/ArtIndexEntry.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <optional>

// Where the art store's records come from: art.mul with its index artidx.mul, or the
// artLegacyMUL.uop container. Records are addressed by index position, the slot:
// terrain id n is slot n, static id n is slot StaticIdBase + n. Nothing above the art
// store knows which container is open.
class ArtContainer
{
public:
    enum class Format { Mul, Uop };

    // How a record's bytes were bounded, where that is not simply as its entry states.
    enum class Fit {
        AsStated,
        // The entry's length runs past the record: the record alone, as its content ends it.
        CutToRecord,
        // The entry's length ends inside the record: the whole record, as its content ends it.
        GrownToRecord,
        // The record cannot be drawn, so its content gives no end: its bytes as the entry
        // states them.
        UndrawnAsStated,
        // The same, but the entry runs past the start of the next record or the file's
        // end: cut there.
        UndrawnCut,
    };

    // A record as the container keeps it, for copying it unchanged into a container of
    // the same format: its bytes, compressed as the .uop format numbers compressions
    // (0 none, 1 zlib), and its decompressed length.
    struct StoredRecord
    {
        QByteArray bytes;
        quint16 compression = 0;
        quint32 length = 0;
        // The Adler-32 to store with bytes, when the container keeps one: the container's
        // own, so that a copy keeps the entry as stored even where it does not match.
        std::optional<quint32> checksum;
        Fit fit = Fit::AsStated;
        // The container's checksum does not match the bytes.
        bool checksumMismatch = false;
    };

    virtual ~ArtContainer() = default;

    virtual Format format() const = 0;
    // Why the container could not be opened; empty when it was.
    virtual QString errorString() const = 0;
    // The files read, in the order they are named to the user.
    virtual QStringList fileNames() const = 0;
    // The first file that was written, cut or replaced on disk since it was opened;
    // empty while none was.
    virtual QString changedFile() const = 0;

    // One past the highest slot the container has.
    virtual int slotCount() const = 0;
    // Where the container keeps the record of a slot: an empty entry (-1, -1, 0) when it
    // has none. Slots whose entries are equal share one stored record.
    virtual ArtIndexEntry entry(int slot) const = 0;
    // The record of a slot to draw, as art.mul holds it (a terrain record, or a static
    // record with its header); empty when there is none or it cannot be read. Reading it
    // costs what the record holds, never what its entry claims.
    virtual QByteArray record(int slot) const = 0;
    // The bytes the record of a slot is cut from, for comparing records without copying
    // them: the record, then whatever more of its entry is read with it. Where their
    // content ends within them (ArtCodec's record extent), they draw what record() draws;
    // where it does not, record() may read further or give nothing. Valid until the
    // container is read again; *buffer holds them where the container has none to lend.
    virtual QByteArrayView recordSpan(int slot, QByteArray *buffer) const
    {
        *buffer = record(slot);
        return *buffer;
    }

    // The record of a slot as the container keeps it, whether or not it can be drawn:
    // what a save copies for a tile nobody edited. Bytes empty when there is none or it
    // cannot be read.
    virtual StoredRecord storedRecord(int slot) const = 0;
    // The same, as art.mul holds it (decompressed), for a save into art.mul.
    virtual StoredRecord plainRecord(int slot) const { return storedRecord(slot); }
    // What a save cannot carry from this container into one of the format, whatever is
    // edited; empty when nothing is lost.
    virtual QStringList lostInSaving(Format) const { return {}; }

    // What was found wrong in the container, for reports: its structure as found when it
    // was opened, and records found unreadable since.
    virtual QStringList notes() const { return {}; }

    // "terrain tile 12" or "static tile 7", for messages about a slot.
    static QString describeSlot(int slot);

    static QString formatName(Format format)
    {
        return format == Format::Mul ? QStringLiteral("mul") : QStringLiteral("uop");
    }
};

inline QString ArtContainer::describeSlot(int slot)
{
    return slot >= ArtFormat::StaticIdBase
        ? QStringLiteral("static tile %1").arg(slot - ArtFormat::StaticIdBase)
        : QStringLiteral("terrain tile %1").arg(slot);
}
