// A pack of pending edits of any bytes, as a recovery finds it on disk: it is read or
// refused whole, every record read lies inside the file, and a pack read, written again
// from its items and records, is the same bytes.

#include "FuzzSupport.h"
#include "io/PendingEditPack.h"
#include "io/PendingRecord.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const ExactBytes input(data, size);
    const QString path = writeScratchFile(QStringLiteral("pack"), input.view());
    if (path.isEmpty())
        return 0;
    QList<PendingEditPack::Item> items;
    if (!PendingEditPack::read(path, &items))
        return 0;
    PendingEditPack again;
    for (const PendingEditPack::Item &item : std::as_const(items)) {
        FUZZ_CHECK(item.offset >= 0 && item.size >= 0 && item.offset + item.size <= qint64(size));
        const QByteArray record = PendingRecord{path, item.offset, item.size}.read();
        FUZZ_CHECK(record.size() == item.size);
        FUZZ_CHECK(item.state == PendingEdit::State::Replaced || item.size == 0);
        again.add(item.name, item.state == PendingEdit::State::Replaced
                ? PendingEdit::replaced(record)
                : item.state == PendingEdit::State::Deleted ? PendingEdit::deleted() : PendingEdit::none());
    }
    FUZZ_CHECK(again.bytes() == input.view());
    return 0;
}
