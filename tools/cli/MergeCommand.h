#pragma once

#include <QStringList>
#include <QTextStream>

// tessera-cli merge A B OUTDIR --ids LIST [--art] [--tiledata] [--animation]: A written
// to OUTDIR with the tiles of LIST taken from B (the parts named, all three by default),
// in A's art container and tile-data layout; every other byte of A unchanged.
namespace MergeCommand {

void run(const QStringList &args, QTextStream &out);

} // namespace MergeCommand
