// libFuzzer target: any bytes opened as artLegacyMUL.uop, every record read, through
// the art container and the MYP reader beneath it. Opening or reading may fail; it must
// never crash, hang or allocate without bound.

#include "FuzzSupport.h"
#include "art/UopArtContainer.h"
#include "io/DataFileNames.h"

#include <QByteArray>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString path = writeScratchFile(
        DataFileNames::ArtUop, QByteArrayView(reinterpret_cast<const char *>(data), qsizetype(size)));
    if (path.isEmpty())
        return 0;
    UopArtContainer container;
    if (!container.open(path))
        return 0;
    for (int slot = 0; slot < container.slotCount(); ++slot) {
        container.entry(slot);
        container.record(slot);
        container.storedRecord(slot);
        container.plainRecord(slot);
    }
    container.notes();
    return 0;
}
