// Terrain decoding of any bytes: a 44 x 44 image exactly when a whole record is there,
// and nothing read past the input.

#include "FuzzSupport.h"
#include "art/ArtCodec.h"
#include "art/ArtFormat.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const ExactBytes input(data, size);
    const bool whole = size >= size_t(ArtFormat::TerrainRecordSize);
    FUZZ_CHECK(ArtCodec::terrainRecordExtent(input.view()) == (whole ? ArtFormat::TerrainRecordSize : -1));
    const QImage image = ArtCodec::decodeTerrain(input.view());
    FUZZ_CHECK(image.isNull() == !whole);
    if (!image.isNull()) {
        FUZZ_CHECK(image.size() == QSize(ArtFormat::TerrainSize, ArtFormat::TerrainSize));
        FUZZ_CHECK(image.pixel(0, 0) == 0u); // outside the diamond
        FUZZ_CHECK(qAlpha(image.pixel(21, 0)) == 255);
    }
    return 0;
}
