// tessera-cli's patch list parser on any text: it either refuses the list with a
// message naming the list and line, or gives entries that each name a tile within the
// limits and either an image file or a deletion.

#include "FuzzSupport.h"
#include "art/ArtFormat.h"
#include "tools/cli/CliError.h"
#include "tools/cli/PatchList.h"

namespace {

constexpr int StaticLimit = 100;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    try {
        const PatchList list
            = PatchList::parse(text, QStringLiteral("/lists"), StaticLimit, QStringLiteral("e.txt"));
        for (const PatchList::Entry &entry : list.entries()) {
            const int limit = entry.kind == TileKind::Terrain ? ArtFormat::TerrainCount : StaticLimit;
            FUZZ_CHECK(entry.id >= 0 && entry.id < limit);
            FUZZ_CHECK(entry.line >= 1);
            FUZZ_CHECK(entry.imagePath.isEmpty() || entry.imagePath.startsWith(QLatin1Char('/')));
        }
    } catch (const CliError &error) {
        FUZZ_CHECK(error.message().startsWith(QStringLiteral("e.txt:")));
    }
    return 0;
}
