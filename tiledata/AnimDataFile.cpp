#include "tiledata/AnimDataFile.h"

void AnimDataFile::setFileName(const QString &path)
{
    file.open(path);
}

AnimDataEntry AnimDataFile::readEntry(int id) const
{
    if (id < 0)
        return {};
    const QByteArrayView bytes = file.from(entryPosition(id));
    return AnimDataEntry::fromBytes(
        bytes.first(qMin<qsizetype>(bytes.size(), AnimDataEntry::Size)).toByteArray());
}
