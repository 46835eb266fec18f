// libFuzzer target: any bytes opened as artLegacyMUL.uop, every record read, through
// the art container and the MYP reader beneath it. Opening or reading may fail; it must
// never crash, hang or allocate without bound.

#include "art/UopArtContainer.h"

#include <QByteArray>
#include <QFile>
#include <QTemporaryDir>
#include <cstddef>
#include <cstdint>

namespace {

// One directory for the whole run; each input overwrites the one file in it.
const QTemporaryDir &scratch()
{
    static const QTemporaryDir dir;
    return dir;
}

bool writeInput(const QString &path, const uint8_t *data, size_t size)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate)
        && file.write(reinterpret_cast<const char *>(data), qint64(size)) == qint64(size);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString path = scratch().filePath(UopArtContainer::FileName);
    if (!writeInput(path, data, size))
        return 0;
    UopArtContainer container;
    if (!container.open(path))
        return 0;
    for (int slot = 0; slot < container.slotCount(); ++slot) {
        container.entry(slot);
        container.record(slot);
        container.storedRecord(slot);
    }
    container.notes();
    return 0;
}
