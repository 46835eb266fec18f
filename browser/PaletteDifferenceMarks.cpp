#include "browser/PaletteDifferenceMarks.h"

QColor PaletteDifferenceMarks::color(Mark mark)
{
    switch (mark) {
    case ArtMark:
        return QColor(0, 96, 255);
    case TileDataMark:
        return QColor(0, 176, 64);
    case AnimationMark:
        return QColor(208, 0, 208);
    default:
        return QColor(224, 0, 0);
    }
}

QRect PaletteDifferenceMarks::rect(const QRect &imageBox, Mark mark)
{
    // One pixel apart, so that neighbouring marks stay told apart.
    return QRect(
        imageBox.left() + mark * (MarkSize + 1), imageBox.bottom() + 1 - MarkSize, MarkSize, MarkSize);
}

int PaletteDifferenceMarks::marks(TileKind kind, int id) const
{
    const DataSetComparison::Difference *difference = differenceAt(kind, id);
    if (!difference)
        return 0;
    return (difference->art ? 1 << ArtMark : 0) | (difference->tileData.isEmpty() ? 0 : 1 << TileDataMark)
        | (difference->animation ? 1 << AnimationMark : 0)
        | (difference->only != DataSetComparison::Only::Neither ? 1 << OnlyHereMark : 0);
}

QStringList PaletteDifferenceMarks::texts(TileKind kind, int id) const
{
    const DataSetComparison::Difference *difference = differenceAt(kind, id);
    if (!difference)
        return {};
    QStringList lines;
    // A tile past the other set's end is compared with nothing: that says it all.
    if (difference->only == DataSetComparison::Only::A)
        return {QStringLiteral("only in this set")};
    if (difference->only == DataSetComparison::Only::B)
        return {QStringLiteral("only in the other set")};
    if (difference->art)
        lines << QStringLiteral("art differs");
    if (!difference->tileData.isEmpty())
        lines << QStringLiteral("tile data differs: %1").arg(difference->tileData.join(QStringLiteral(", ")));
    if (difference->animation)
        lines << QStringLiteral("animation differs");
    return lines;
}
