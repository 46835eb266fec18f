#include "tiledata/AnimDataFile.h"

namespace {

// Far more than the entries of every id the format can number.
constexpr qint64 MaxFileSize = 64 * 1024 * 1024;

} // namespace

bool AnimDataFile::setFileName(const QString &path, QString *error)
{
    bytes.clear();
    loadError.clear();
    if (file.open(path, &loadError))
        bytes = file.readAll(MaxFileSize, &loadError);
    if (error)
        *error = loadError;
    return loadError.isEmpty();
}

AnimDataEntry AnimDataFile::readEntry(int id) const
{
    const qint64 position = id < 0 ? -1 : entryPosition(id);
    if (position < 0 || position >= bytes.size())
        return {};
    return AnimDataEntry::fromBytes(bytes.mid(position, AnimDataEntry::Size));
}
