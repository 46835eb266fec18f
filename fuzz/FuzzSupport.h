#pragma once

// What every libFuzzer target in this folder shares: the input as a buffer of exactly
// its own size (so that AddressSanitizer catches a read one byte past it), and checks
// that abort, which libFuzzer records as a finding.

#include <QByteArrayView>
#include <QFile>
#include <QString>
#include <QTemporaryDir>
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

// For targets that open files: one directory for the whole run, in which each input
// replaces the file of the given name. The file's path, or an empty one when it cannot
// be written.
inline const QTemporaryDir &scratchDirectory()
{
    static const QTemporaryDir dir;
    return dir;
}

inline QString writeScratchFile(const QString &name, QByteArrayView bytes)
{
    QFile file(scratchDirectory().filePath(name));
    const bool written = file.open(QIODevice::WriteOnly | QIODevice::Truncate)
        && file.write(bytes.data(), bytes.size()) == bytes.size();
    return written ? file.fileName() : QString();
}
