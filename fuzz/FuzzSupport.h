#pragma once

// What every libFuzzer target in this folder shares: the input as a buffer of exactly
// its own size (so that AddressSanitizer catches a read one byte past it), and checks
// that abort, which libFuzzer records as a finding.

#include <QByteArrayView>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#define FUZZ_CHECK(condition)                                                                                \
    do {                                                                                                     \
        if (!(condition)) {                                                                                  \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition);               \
            std::abort();                                                                                    \
        }                                                                                                    \
    } while (false)

// A heap copy of libFuzzer's input, exactly size bytes long.
class ExactBytes
{
public:
    ExactBytes(const uint8_t *data, size_t size) : bytes(new char[size ? size : 1]), length(size)
    {
        if (size)
            std::memcpy(bytes.get(), data, size);
    }
    QByteArrayView view() const { return QByteArrayView(bytes.get(), qsizetype(length)); }
    // The first size bytes, again in a buffer of exactly that size.
    ExactBytes first(size_t size) const
    {
        return ExactBytes(reinterpret_cast<const uint8_t *>(bytes.get()), size < length ? size : length);
    }

private:
    std::unique_ptr<char[]> bytes;
    size_t length;
};
