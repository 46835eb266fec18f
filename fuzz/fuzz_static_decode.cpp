// Static decoding of any bytes: either no image or one of the size the header gives,
// within MaxStaticSide, and nothing read past the input.

#include "FuzzSupport.h"
#include "art/ArtCodec.h"
#include "art/ArtFormat.h"

#include <QtEndian>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const ExactBytes input(data, size);
    const QImage image = ArtCodec::decodeStatic(input.view());
    if (image.isNull())
        return 0;
    const char *header = input.view().data() + ArtFormat::StaticHeaderSize;
    const QSize stated(qFromLittleEndian<qint16>(header), qFromLittleEndian<qint16>(header + 2));
    FUZZ_CHECK(image.size() == stated);
    FUZZ_CHECK(stated.width() <= ArtFormat::MaxStaticSide && stated.height() <= ArtFormat::MaxStaticSide);
    return 0;
}
