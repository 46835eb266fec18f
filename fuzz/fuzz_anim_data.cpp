// animdata.mul of any bytes: every entry the file holds reads whole and writes back to
// the same 68 bytes; ids past the file read as empty entries.

#include "FuzzSupport.h"
#include "tiledata/AnimDataFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString path = writeScratchFile(QStringLiteral("animdata.mul"),
        QByteArrayView(reinterpret_cast<const char *>(data), qsizetype(size)));
    if (path.isEmpty())
        return 0;

    AnimDataFile anim;
    FUZZ_CHECK(anim.setFileName(path));
    const qsizetype fileSize = anim.fileBytes().size();
    const int entries = int(fileSize / AnimDataFile::BlockSize * AnimDataFile::EntriesPerBlock);
    for (int id = 0; id < entries + AnimDataFile::EntriesPerBlock; ++id) {
        const AnimDataEntry entry = anim.readEntry(id);
        const qint64 at = AnimDataFile::entryPosition(id);
        if (at + AnimDataEntry::Size <= fileSize)
            FUZZ_CHECK(entry.toBytes() == anim.fileBytes().mid(at, AnimDataEntry::Size));
    }
    FUZZ_CHECK(anim.readEntry(-1) == AnimDataEntry());
    return 0;
}
