// animdata.mul of any bytes: every entry the file holds reads whole and writes back to
// the same 68 bytes; ids past the file read as empty entries.

#include "FuzzSupport.h"
#include "tiledata/AnimDataFile.h"

#include <QFile>
#include <QTemporaryDir>

namespace {

const QTemporaryDir &scratch()
{
    static const QTemporaryDir dir;
    return dir;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString path = scratch().filePath(QStringLiteral("animdata.mul"));
    QFile out(path);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate)
        || out.write(reinterpret_cast<const char *>(data), qint64(size)) != qint64(size))
        return 0;
    out.close();

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
