#include "tiledata/TileDataLayout.h"

namespace {

const QString ClassicName = QStringLiteral("classic");
const QString HighSeasName = QStringLiteral("high-seas");

bool wholeBlocksAfter(qint64 fileSize, qint64 sectionStart, int blockSize)
{
    return fileSize >= sectionStart && (fileSize - sectionStart) % blockSize == 0;
}

// How much better one reading must look than the other to count: the wrong reading of
// mostly empty records differs from the right one in a few fields only.
constexpr double ClearLead = 0.02;
// How much better the content must read as one layout to outweigh a size that is whole
// blocks of the other only.
constexpr double DecisiveLead = 0.25;

bool isNameCharacter(uchar c)
{
    return (c >= 0x20 && c < 0x7f) || c >= 0xa0;
}

// 2 for a name NUL-padded to the field's end, 1 for an empty field or a name with bytes
// after its NUL (as some files have), 0 for bytes that are no name.
int nameScore(const char *field)
{
    int length = 0;
    while (length < TileDataFormat::NameSize && field[length] != '\0') {
        if (!isNameCharacter(uchar(field[length])))
            return 0;
        ++length;
    }
    bool padded = true;
    for (int n = length; n < TileDataFormat::NameSize && padded; ++n)
        padded = field[n] == '\0';
    if (length == 0)
        return padded ? 1 : 0;
    return padded ? 2 : 1;
}

// How one section's records look in a layout: name points, the most name points, and
// the block headers that hold their block's number within the section.
struct SectionScore
{
    qint64 names = 0;
    qint64 maxNames = 0;
    qint64 countingHeaders = 0;
    qint64 blocks = 0;

    void add(const QByteArray &bytes, qint64 start, int blockCount, int blockSize, int recordSize)
    {
        const char *data = bytes.constData();
        const int nameOffset = recordSize - TileDataFormat::NameSize;
        for (int block = 0; block < blockCount; ++block) {
            const qint64 at = start + qint64(block) * blockSize;
            const uchar *header = reinterpret_cast<const uchar *>(data + at);
            const quint32 number = header[0] | header[1] << 8 | header[2] << 16 | quint32(header[3]) << 24;
            countingHeaders += number == quint32(block) ? 1 : 0;
            for (int record = 0; record < TileDataFormat::RecordsPerBlock; ++record) {
                names += nameScore(
                    data + at + TileDataFormat::BlockHeaderSize + record * recordSize + nameOffset);
                maxNames += 2;
            }
        }
        blocks += blockCount;
    }
};

// 0 to 2: the share of the most name points the whole blocks read in this layout give,
// plus the share of their headers that count the blocks.
double readingScore(const QByteArray &bytes, const TileDataLayout &layout)
{
    SectionScore score;
    const int landBlocks = layout.landCountForSize(bytes.size()) / TileDataFormat::RecordsPerBlock;
    score.add(bytes, 0, landBlocks, layout.landBlockSize(), layout.landRecordSize());
    const int staticBlocks = layout.staticCountForSize(bytes.size()) / TileDataFormat::RecordsPerBlock;
    score.add(
        bytes, layout.landSectionSize(), staticBlocks, layout.staticBlockSize(), layout.staticRecordSize());
    if (score.blocks == 0)
        return 0;
    return double(score.names) / double(score.maxNames)
        + double(score.countingHeaders) / double(score.blocks);
}

} // namespace

TileDataLayout::Detection TileDataLayout::detect(const QByteArray &bytes)
{
    const TileDataLayout layouts[] = {classic(), highSeas()};
    bool fits[2];
    double scores[2];
    for (int n = 0; n < 2; ++n) {
        fits[n] = wholeBlocksAfter(bytes.size(), layouts[n].landSectionSize(), layouts[n].staticBlockSize());
        scores[n] = readingScore(bytes, layouts[n]);
    }
    // The reading the content prefers, if either: -1 when they look alike.
    const double lead = scores[1] - scores[0];
    const int preferred = qAbs(lead) <= ClearLead ? -1 : (lead > 0 ? 1 : 0);
    const QString contentSays = preferred < 0
        ? QStringLiteral("its names and block headers do not tell the layouts apart (classic is assumed)")
        : QStringLiteral("its names and block headers read as %1 tile data").arg(layouts[preferred].name());

    if (fits[0] != fits[1]) {
        const int sized = fits[0] ? 0 : 1;
        const QString sizeSays
            = QStringLiteral("its size is a whole number of %1 blocks").arg(layouts[sized].name());
        // A cut file can by chance end on a whole block of the other layout; only content
        // that plainly reads as the other layout outweighs its size.
        if (preferred == 1 - sized && qAbs(lead) > DecisiveLead)
            return {layouts[preferred], QStringLiteral("%1, though %2").arg(contentSays, sizeSays), true};
        return {layouts[sized], sizeSays, false};
    }
    const int chosen = qMax(preferred, 0);
    if (fits[0])
        return {layouts[chosen], QStringLiteral("its size fits both layouts and %1").arg(contentSays), false};
    return {layouts[chosen], QStringLiteral("its size fits neither layout and %1").arg(contentSays), true};
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
