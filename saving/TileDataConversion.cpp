#include "saving/TileDataConversion.h"

#include "io/PendingEditDirectory.h"
#include "saving/TileDataMergePlan.h"
#include "tiledata/TileData.h"
#include "tiledata/TileFlags.h"

#include <QDir>
#include <QtEndian>

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
        const QByteArray record = PendingEditDirectory::readFile(patch.path);
        if (record.size() != patch.size) {
            *error = QStringLiteral("The pending tile data edit of %1 could not be read (%2).")
                         .arg(patch.label, QDir::toNativeSeparators(patch.path));
            return false;
        }
        merged->replace(patch.position, patch.size, record);
    }
    return true;
}

// Converts the records of one section, block by block, from the source layout's
// record size to the target's; the fields after the flags are the same bytes in both.
class SectionConverter
{
public:
    SectionConverter(const QByteArray &source, QByteArray &output, TileDataLayout from, TileDataLayout to)
        : source(source), output(output), from(from), to(to)
    { }

    // False, naming the tile, when narrowing would drop an upper flag.
    bool convert(qint64 sourceStart, int blocks, int fieldsSize, TileKind kind, QString *error)
    {
        const int sourceRecord = from.flagsSize() + fieldsSize;
        qint64 at = sourceStart;
        for (int block = 0; block < blocks; ++block) {
            output.append(bytesAt(at, BlockHeaderSize));
            at += BlockHeaderSize;
            for (int n = 0; n < RecordsPerBlock; ++n) {
                const QByteArray record = bytesAt(at, sourceRecord);
                at += sourceRecord;
                const quint64 flags = readFlags(record);
                if (!to.hasUpperFlags() && (flags & TileFlags::UpperFlags)) {
                    const int id = block * RecordsPerBlock + n;
                    *error = QStringLiteral("%1 uses flags the classic layout cannot hold (%2); the tile "
                                            "data was not converted.")
                                 .arg(TileData::describeTile(kind, id),
                                     TileFlags::flagNames(flags & TileFlags::UpperFlags)
                                         .join(QStringLiteral(", ")));
                    return false;
                }
                appendFlags(flags);
                output.append(record.constData() + from.flagsSize(), fieldsSize);
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
    quint64 readFlags(const QByteArray &record) const
    {
        return from.hasUpperFlags() ? qFromLittleEndian<quint64>(record.constData())
                                    : qFromLittleEndian<quint32>(record.constData());
    }
    void appendFlags(quint64 flags)
    {
        char bytes[sizeof(quint64)];
        qToLittleEndian(flags, bytes);
        output.append(bytes, to.flagsSize());
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
    if (!section.convert(0, LandBlockCount, LandFieldsSize, TileKind::Terrain, error)
        || !section.convert(from.landSectionSize(), staticBlocks, StaticFieldsSize, TileKind::Static, error))
        return false;
    *output = converted;
    return true;
}
