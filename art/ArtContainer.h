#pragma once

#include "art/ArtIndexEntry.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

// Where the art store's records come from: art.mul with its index artidx.mul, or the
// artLegacyMUL.uop container. Records are addressed by index position, the slot:
// terrain id n is slot n, static id n is slot StaticIdBase + n. Nothing above the art
// store knows which container is open.
class ArtContainer
{
public:
    enum class Format { Mul, Uop };

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
    // Where the container keeps the record of a slot: an empty entry when it has none.
    // Slots whose entries are equal share one stored record.
    virtual ArtIndexEntry entry(int slot) const = 0;
    // The record of a slot exactly as art.mul holds it (a terrain record, or a static
    // record with its header); empty when there is none or it cannot be read.
    virtual QByteArray record(int slot) const = 0;

    // What was found wrong in the container's structure when it was opened, for reports.
    virtual QStringList notes() const { return {}; }

    static QString formatName(Format format)
    {
        return format == Format::Mul ? QStringLiteral("mul") : QStringLiteral("uop");
    }
};
