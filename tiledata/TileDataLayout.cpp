#include "tiledata/TileDataLayout.h"

namespace {

const QString ClassicName = QStringLiteral("classic");
const QString HighSeasName = QStringLiteral("high-seas");

bool wholeBlocksAfter(qint64 fileSize, qint64 sectionStart, int blockSize)
{
    return fileSize >= sectionStart && (fileSize - sectionStart) % blockSize == 0;
}

} // namespace

TileDataLayout TileDataLayout::detect(qint64 fileSize)
{
    constexpr TileDataLayout high = highSeas();
    constexpr TileDataLayout old = classic();
    const bool fitsHighSeas = wholeBlocksAfter(fileSize, high.landSectionSize(), high.staticBlockSize());
    const bool fitsClassic = wholeBlocksAfter(fileSize, old.landSectionSize(), old.staticBlockSize());
    return fitsHighSeas && !fitsClassic ? high : old;
}

bool TileDataLayout::fromName(const QString &name, TileDataLayout *layout)
{
    if (name == ClassicName)
        *layout = classic();
    else if (name == HighSeasName)
        *layout = highSeas();
    else
        return false;
    return true;
}

QStringList TileDataLayout::names()
{
    return {ClassicName, HighSeasName};
}

QString TileDataLayout::name() const
{
    return hasUpperFlags() ? HighSeasName : ClassicName;
}
