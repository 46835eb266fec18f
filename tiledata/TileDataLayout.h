#pragma once

#include "tiledata/TileDataFormat.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

// One of the two layouts of tiledata.mul. Classic records begin with 32-bit flags:
// land 26 bytes in blocks of 836, statics 37 bytes in blocks of 1,188. High-seas
// records begin with 64-bit flags, the other fields following in the same order: land
// 30 bytes in blocks of 964, statics 41 bytes in blocks of 1,316. Every size and
// position of a record follows from the flags' width here.
class TileDataLayout
{
public:
    enum class Kind { Classic, HighSeas };

    constexpr TileDataLayout() = default;
    constexpr explicit TileDataLayout(Kind kind) : layoutKind(kind) { }
    static constexpr TileDataLayout classic() { return TileDataLayout(Kind::Classic); }
    static constexpr TileDataLayout highSeas() { return TileDataLayout(Kind::HighSeas); }

    // The layout a file's bytes are read in, and why.
    struct Detection;
    // The layout whose whole blocks the file's size is, when it is one layout's only.
    // Where the size fits both layouts or neither (a cut file), the content decides:
    // whichever reading gives names that look like names (Latin-1 text, NUL-padded) and
    // block headers that count the blocks; classic when neither reading is better.
    static Detection detect(const QByteArray &bytes);
    // "classic" or "high-seas"; false for any other text.
    static bool fromName(const QString &name, TileDataLayout *layout);
    // Both names, classic first.
    static QStringList names();

    constexpr Kind kind() const { return layoutKind; }
    constexpr bool hasUpperFlags() const { return layoutKind == Kind::HighSeas; }
    // "classic" or "high-seas".
    QString name() const;

    constexpr int flagsSize() const { return hasUpperFlags() ? 8 : 4; }
    constexpr int landRecordSize() const { return flagsSize() + TileDataFormat::LandFieldsSize; }
    constexpr int staticRecordSize() const { return flagsSize() + TileDataFormat::StaticFieldsSize; }
    // Where the 20-byte name starts in a record: it is always the last field.
    constexpr int landNameOffset() const { return landRecordSize() - TileDataFormat::NameSize; }
    constexpr int staticNameOffset() const { return staticRecordSize() - TileDataFormat::NameSize; }
    constexpr int landBlockSize() const { return blockSize(landRecordSize()); }
    constexpr int staticBlockSize() const { return blockSize(staticRecordSize()); }
    constexpr qint64 landSectionSize() const
    {
        return qint64(TileDataFormat::LandBlockCount) * landBlockSize();
    }

    // Positions in the file of a record (id >= 0) and of a static block's header.
    constexpr qint64 landPosition(int id) const
    {
        return recordPosition(0, landBlockSize(), landRecordSize(), id);
    }
    constexpr qint64 staticPosition(int id) const
    {
        return recordPosition(landSectionSize(), staticBlockSize(), staticRecordSize(), id);
    }
    constexpr qint64 staticBlockPosition(int block) const
    {
        return landSectionSize() + qint64(block) * staticBlockSize();
    }

    // Records a file of this size holds: those of its whole blocks.
    constexpr int landCountForSize(qint64 fileSize) const
    {
        return int(qMin<qint64>(fileSize / landBlockSize(), TileDataFormat::LandBlockCount))
            * TileDataFormat::RecordsPerBlock;
    }
    constexpr int staticCountForSize(qint64 fileSize) const
    {
        return fileSize < landSectionSize()
            ? 0
            : int(qMin<qint64>((fileSize - landSectionSize()) / staticBlockSize(), MaxStaticBlocks))
                * TileDataFormat::RecordsPerBlock;
    }
    // Bytes of the file past its last whole block: a file cut inside a block, or not of
    // this layout.
    constexpr qint64 partialBlockBytes(qint64 fileSize) const
    {
        return fileSize < landSectionSize() ? fileSize % landBlockSize()
                                            : (fileSize - landSectionSize()) % staticBlockSize();
    }

    constexpr bool operator==(const TileDataLayout &other) const { return layoutKind == other.layoutKind; }
    constexpr bool operator!=(const TileDataLayout &other) const { return layoutKind != other.layoutKind; }

private:
    static constexpr int MaxStaticBlocks = TileDataFormat::MaxStaticCount / TileDataFormat::RecordsPerBlock;

    static constexpr int blockSize(int recordSize)
    {
        return TileDataFormat::BlockHeaderSize + TileDataFormat::RecordsPerBlock * recordSize;
    }
    static constexpr qint64 recordPosition(qint64 sectionStart, int blockSize, int recordSize, int id)
    {
        return sectionStart + qint64(id / TileDataFormat::RecordsPerBlock) * blockSize
            + TileDataFormat::BlockHeaderSize + (id % TileDataFormat::RecordsPerBlock) * recordSize;
    }

    Kind layoutKind = Kind::Classic;
};

struct TileDataLayout::Detection
{
    TileDataLayout layout;
    // Why, for the user, worded to follow "because": "its size is a whole number of
    // classic blocks".
    QString reason;
    // Whether the layout was inferred from damaged data: the size fits neither layout,
    // or only the one the content does not read as.
    bool damaged = false;
};
