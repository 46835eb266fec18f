#include "io/DataFile.h"

#include <QDir>
#include <QFileInfo>
#include <cstring>

namespace {

// Large enough that a screen of neighbouring records is one read, small enough to
// keep beside every open file.
constexpr qint64 WindowSize = 256 * 1024;

} // namespace

DataFile::DataFile() : file(std::make_unique<QFile>()) { }

DataFile::~DataFile() = default;

bool DataFile::open(const QString &path, QString *errorOut)
{
    close();
    file->setFileName(path);
    const QFileInfo info(path);
    if (info.exists() && !info.isFile())
        error = QStringLiteral("%1 is not a regular file.").arg(QDir::toNativeSeparators(path));
    else if (!file->open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        error = QStringLiteral("%1 cannot be read: %2")
                    .arg(QDir::toNativeSeparators(path), file->errorString());
    else
        opened = FileStamp::of(path);
    if (!error.isEmpty()) {
        file->close();
        if (errorOut)
            *errorOut = error;
        return false;
    }
    return true;
}

void DataFile::close()
{
    file->close();
    opened = FileStamp();
    error.clear();
    window.clear();
    windowStart = 0;
    handedOut = 0;
}

bool DataFile::hasChanged() const
{
    return isOpen() && FileStamp::of(file->fileName()) != opened;
}

QByteArray DataFile::read(qint64 offset, qint64 length) const
{
    if (!isOpen() || offset < 0 || length <= 0 || offset >= size())
        return {};
    const qint64 wanted = qMin(length, size() - offset);
    QByteArray bytes(wanted, Qt::Uninitialized);
    if (!readExactly(offset, wanted, bytes.data()))
        return {};
    return bytes;
}

bool DataFile::readExactly(qint64 offset, qint64 length, char *out) const
{
    if (length == 0)
        return isOpen() && offset >= 0 && offset <= size();
    const char *bytes = lend(offset, length);
    if (!bytes)
        return false;
    std::memcpy(out, bytes, size_t(length));
    return true;
}

QByteArrayView DataFile::view(qint64 offset, qint64 length) const
{
    if (!isOpen() || offset < 0 || length <= 0 || offset >= size())
        return {};
    const qint64 wanted = qMin(length, size() - offset);
    const char *bytes = lend(offset, wanted);
    return bytes ? QByteArrayView(bytes, wanted) : QByteArrayView();
}

const char *DataFile::lend(qint64 offset, qint64 length) const
{
    if (!isOpen() || offset < 0 || length <= 0 || offset > size() || length > size() - offset)
        return nullptr;
    const bool inWindow = offset >= windowStart && offset + length <= windowStart + window.size();
    if (!inWindow && !fill(offset, length))
        return nullptr;
    handedOut += length;
    return window.constData() + (offset - windowStart);
}

bool DataFile::fill(qint64 offset, qint64 length) const
{
    const qint64 span = qMin(qMax(length, WindowSize), size() - offset);
    window.resize(span);
    windowStart = offset;
    if (file->seek(offset) && file->read(window.data(), span) == span)
        return true;
    // The file was cut short underneath us: nothing of this read is trusted.
    window.clear();
    windowStart = 0;
    return false;
}

QByteArray DataFile::readAll(qint64 limit, QString *errorOut) const
{
    if (size() > limit) {
        if (errorOut)
            *errorOut = QStringLiteral("%1 is %2 bytes long, more than such a file can be (%3 bytes).")
                            .arg(QDir::toNativeSeparators(fileName()))
                            .arg(size())
                            .arg(limit);
        return {};
    }
    QByteArray bytes(size(), Qt::Uninitialized);
    if (!isOpen() || !file->seek(0) || file->read(bytes.data(), size()) != size()) {
        if (errorOut)
            *errorOut = QStringLiteral("%1 could not be read whole: it is shorter than when it was opened.")
                            .arg(QDir::toNativeSeparators(fileName()));
        return {};
    }
    return bytes;
}
