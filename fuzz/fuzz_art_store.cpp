// The art store opened on any index and art bytes, every tile read plain and
// highlighted. The input is a count of terrain entries and of static entries (one byte
// each), that many 12-byte index entries, then art.mul; the entries go to the first
// terrain slots and the first static slots of artidx.mul. Reading may give no image; it
// must never crash, read past a record or take time beyond the records' sizes.

#include "FuzzSupport.h"
#include "art/ArtFormat.h"
#include "art/ArtWork.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    using namespace ArtFormat;
    const ExactBytes input(data, size);
    const QByteArrayView bytes = input.view();
    if (bytes.size() < 2)
        return 0;
    const int terrain = quint8(bytes[0]);
    const int statics = quint8(bytes[1]);
    const qsizetype entries = qsizetype(terrain + statics) * IndexEntrySize;
    if (bytes.size() < 2 + entries)
        return 0;
    QByteArray index(qsizetype(StaticIdBase + statics) * IndexEntrySize, '\xff');
    index.replace(0, terrain * IndexEntrySize, bytes.sliced(2, terrain * IndexEntrySize).toByteArray());
    index.replace(StaticIdBase * IndexEntrySize, statics * IndexEntrySize,
        bytes.sliced(2 + terrain * IndexEntrySize, statics * IndexEntrySize).toByteArray());
    const QString indexPath = writeScratchFile(QStringLiteral("artidx.mul"), index);
    const QString artPath = writeScratchFile(QStringLiteral("art.mul"), bytes.sliced(2 + entries));
    if (indexPath.isEmpty() || artPath.isEmpty())
        return 0;

    ArtWork art(indexPath, artPath, scratchDirectory().path());
    for (int id = 0; id < terrain; ++id) {
        const QImage plain = art.image(TileKind::Terrain, id, false);
        FUZZ_CHECK(plain.isNull() || plain.size() == QSize(TerrainSize, TerrainSize));
        FUZZ_CHECK(art.image(TileKind::Terrain, id, true).isNull() == plain.isNull());
    }
    FUZZ_CHECK(art.staticSlotCount() == statics);
    for (int id = 0; id < statics; ++id) {
        const QImage plain = art.image(TileKind::Static, id, false);
        FUZZ_CHECK(plain.isNull() || (plain.width() <= MaxStaticSide && plain.height() <= MaxStaticSide));
        FUZZ_CHECK(art.image(TileKind::Static, id, true).size() == plain.size());
    }
    // What a save copies never reaches past art.mul, and one that decodes is the record alone.
    for (int slot = 0; slot < art.container().slotCount(); ++slot) {
        const ArtContainer::StoredRecord stored = art.container().storedRecord(slot);
        FUZZ_CHECK(stored.bytes.size() <= bytes.size());
        FUZZ_CHECK(stored.bytes.size() <= MaxRecordSize || stored.fit == ArtContainer::Fit::UndrawnAsStated
            || stored.fit == ArtContainer::Fit::UndrawnCut);
    }
    return 0;
}
