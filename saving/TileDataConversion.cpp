#include "saving/TileDataConversion.h"

#include "saving/TileDataMergePlan.h"
#include "tiledata/LandTileRecord.h"
#include "tiledata/StaticTileRecord.h"
#include "tiledata/TileData.h"
#include "tiledata/TileFlags.h"

#include <QDir>

using namespace TileDataFormat;

namespace {

// The source file with every pending record written over its own; false when a pending
// record cannot be read whole.
bool mergedSource(const TileData &tiles, QByteArray *merged, QString *error)
{
    TileDataMergePlan plan;
    if (!plan.build(tiles, error))
        return false;
    *merged = tiles.fileBytes();
    merged->resize(plan.outputSize(), '\0');
    for (const TileDataMergePlan::Patch &patch : plan.patches()) {
        const QByteArray record = patch.source.read();
        if (record.size() != patch.size) {
            *error = QStringLiteral("The pending tile data edit of %1 could not be read (%2).")
                         .arg(patch.label, QDir::toNativeSeparators(patch.source.path));
            return false;
        }
        merged->replace(patch.position, patch.size, record);
    }
    return true;
}

// Converts the records of one section, block by block, from the source layout to the
// target's: each record is read into its fields and written in the target layout.
class SectionConverter
{
public:
    SectionConverter(const QByteArray &source, QByteArray &output, TileDataLayout from, TileDataLayout to)
        : source(source), output(output), from(from), to(to)
    { }

    // False, naming the tile, when narrowing would drop an upper flag.
    template <typename Record>
    bool convert(qint64 sourceStart, int blocks, int sourceRecord, TileKind kind, QString *error)
    {
        qint64 at = sourceStart;
        for (int block = 0; block < blocks; ++block) {
            output.append(bytesAt(at, BlockHeaderSize));
            at += BlockHeaderSize;
            for (int n = 0; n < RecordsPerBlock; ++n) {
                Record record = Record::fromBytes(bytesAt(at, sourceRecord), from);
                at += sourceRecord;
                if (!to.hasUpperFlags() && (record.flags & TileFlags::UpperFlags)) {
                    const int id = block * RecordsPerBlock + n;
                    *error = QStringLiteral("%1 uses flags the classic layout cannot hold (%2); the tile "
                                            "data was not converted.")
                                 .arg(TileData::describeTile(kind, id),
                                     TileFlags::flagNames(record.flags & TileFlags::UpperFlags)
                                         .join(QStringLiteral(", ")));
                    return false;
                }
                record.layout = to;
                output.append(record.toBytes());
            }
        }
        return true;
    }

private:
    // Bytes past the end of the source read as zero.
    QByteArray bytesAt(qint64 position, int size) const
    {
        return source.mid(position, size).leftJustified(size, '\0', true);
    }

    const QByteArray &source;
    QByteArray &output;
    TileDataLayout from;
    TileDataLayout to;
};

int staticBlocksOf(qint64 size, TileDataLayout layout)
{
    const qint64 statics = size - layout.landSectionSize();
    return statics <= 0 ? 0 : int((statics + layout.staticBlockSize() - 1) / layout.staticBlockSize());
}

} // namespace

bool TileDataConversion::convert(
    const TileData &tiles, TileDataLayout target, QByteArray *output, QString *error)
{
    QByteArray source;
    if (!mergedSource(tiles, &source, error))
        return false;
    const TileDataLayout from = tiles.layout();
    if (from == target) {
        *output = source;
        return true;
    }
    const int staticBlocks = staticBlocksOf(source.size(), from);
    QByteArray converted;
    converted.reserve(target.staticBlockPosition(staticBlocks));
    SectionConverter section(source, converted, from, target);
    if (!section.convert<LandTileRecord>(0, LandBlockCount, from.landRecordSize(), TileKind::Terrain, error)
        || !section.convert<StaticTileRecord>(
            from.landSectionSize(), staticBlocks, from.staticRecordSize(), TileKind::Static, error))
        return false;
    *output = converted;
    return true;
}
