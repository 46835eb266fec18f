// tiledata.mul of any static section, in either layout or told by its size: every record
// the store says the file holds is read in the file's layout, and its fields written back
// give the same bytes. The input's first byte picks the layout (0 told by the size, 1
// classic, 2 high-seas) and how many land blocks come before its static section: a land
// section of zeros is made up, so that short inputs reach the statics.

#include "FuzzSupport.h"
#include "tiledata/LandTileRecord.h"
#include "tiledata/StaticTileRecord.h"
#include "tiledata/TileData.h"
#include "tiledata/TileDataLayout.h"

#include <optional>

namespace {

// Reading every one of 65,536 statics would make each run slow; the first and last
// records show the same as all.
constexpr int RecordsRead = 256;

// Every field decoded and written back gives the bytes the file holds there.
template <typename Record>
void checkRoundTrip(const std::optional<Record> &record, const TileData &tiles, qint64 position)
{
    FUZZ_CHECK(record && record->layout == tiles.layout());
    const QByteArray bytes = record->toBytes();
    FUZZ_CHECK(bytes == tiles.fileBytes().mid(position, bytes.size()));
}

void readAll(const TileData &tiles, TileKind kind)
{
    const TileDataLayout layout = tiles.layout();
    const int count = tiles.count(kind);
    for (int i = 0; i < count && i < 2 * RecordsRead; ++i) {
        const int id = i < RecordsRead ? i : count - 1 - (i - RecordsRead);
        if (kind == TileKind::Terrain)
            checkRoundTrip(tiles.landRecord(id), tiles, layout.landPosition(id));
        else
            checkRoundTrip(tiles.staticRecord(id), tiles, layout.staticPosition(id));
        tiles.name(kind, id).size();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const ExactBytes input(data, size);
    const QByteArrayView bytes = input.view();
    if (bytes.isEmpty())
        return 0;
    const int choice = quint8(bytes[0]) % 3;
    const bool fullLandSection = quint8(bytes[0]) & 0x80;
    std::optional<TileDataLayout> forced;
    if (choice == 1)
        forced = TileDataLayout::classic();
    else if (choice == 2)
        forced = TileDataLayout::highSeas();
    const TileDataLayout made
        = forced.value_or(quint8(bytes[0]) & 0x40 ? TileDataLayout::highSeas() : TileDataLayout::classic());
    QByteArray file(fullLandSection ? made.landSectionSize() : 0, '\0');
    file.append(bytes.sliced(1).toByteArray());

    const QString path = writeScratchFile(QStringLiteral("tiledata.mul"), file);
    if (path.isEmpty())
        return 0;

    TileData tiles(path, scratchDirectory().path(), forced);
    FUZZ_CHECK(!forced || tiles.layout() == *forced);
    readAll(tiles, TileKind::Terrain);
    readAll(tiles, TileKind::Static);
    // Ids the file does not hold are refused, not read.
    FUZZ_CHECK(!tiles.staticRecord(tiles.count(TileKind::Static)));
    FUZZ_CHECK(!tiles.staticRecord(-1) && !tiles.landRecord(-1));
    return 0;
}
