// staticRecordExtent against decodeStatic: an extent exactly when the bytes decode;
// the extent's bytes alone decode to the same image, one byte fewer to none.

#include "FuzzSupport.h"
#include "art/ArtCodec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const ExactBytes input(data, size);
    const qint64 extent = ArtCodec::staticRecordExtent(input.view());
    const QImage image = ArtCodec::decodeStatic(input.view());
    FUZZ_CHECK((extent >= 0) == !image.isNull());
    if (extent < 0)
        return 0;
    FUZZ_CHECK(extent <= qint64(size));
    const ExactBytes record = input.first(size_t(extent));
    FUZZ_CHECK(ArtCodec::staticRecordExtent(record.view()) == extent);
    FUZZ_CHECK(ArtCodec::decodeStatic(record.view()) == image);
    const ExactBytes cut = input.first(size_t(extent - 1));
    FUZZ_CHECK(ArtCodec::staticRecordExtent(cut.view()) == -1);
    FUZZ_CHECK(ArtCodec::decodeStatic(cut.view()).isNull());
    return 0;
}
