// Static decoding of any bytes: either no image or one of the size the header gives,
// within MaxStaticSide, the same for plain and highlighted decoding, and nothing read
// past the input.

#include "FuzzSupport.h"
#include "art/ArtCodec.h"
#include "art/ArtFormat.h"

#include <QtEndian>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const ExactBytes input(data, size);
    const QImage plain = ArtCodec::decodeStatic(input.view(), false);
    const QImage lit = ArtCodec::decodeStatic(input.view(), true);
    FUZZ_CHECK(plain.isNull() == lit.isNull());
    if (plain.isNull())
        return 0;
    const char *header = input.view().data() + ArtFormat::StaticHeaderSize;
    const QSize stated(qFromLittleEndian<qint16>(header), qFromLittleEndian<qint16>(header + 2));
    FUZZ_CHECK(plain.size() == stated && lit.size() == stated);
    FUZZ_CHECK(stated.width() <= ArtFormat::MaxStaticSide && stated.height() <= ArtFormat::MaxStaticSide);
    // Highlighting changes colours, never which pixels are drawn.
    for (int y = 0; y < plain.height(); ++y) {
        for (int x = 0; x < plain.width(); ++x)
            FUZZ_CHECK(qAlpha(plain.pixel(x, y)) == qAlpha(lit.pixel(x, y)));
    }
    return 0;
}
