#include "tools/sample/ProceduralArt.h"

#include "art/ArtFormat.h"
#include "tiledata/TileDataFormat.h"
#include "tiledata/TileFlags.h"

#include <QtEndian>
#include <cmath>

using namespace ArtFormat;

namespace {

enum class Ground { Grass, Sand, Water, Stone };

// Real terrain comes in runs of related tiles; so does ours, a dozen ids at a time.
Ground groundOf(int id)
{
    return Ground((quint32(id / 12) * 2654435761u >> 13) % 4);
}

// A bit of the upper half that has no name, as real files may set some.
constexpr quint64 UnnamedUpperFlag = quint64(1) << 47;

const char *const GroundNames[] = {"grass", "sand", "water", "stone"};
const char *const ItemNames[] = {"wooden chair", "stone wall", "oak tree", "barrel", "lantern", "long sword",
    "leather tunic", "door", "roof tile", "candle", "small crate"};

void appendWord(QByteArray &out, quint16 word)
{
    const quint16 le = qToLittleEndian(word);
    out.append(reinterpret_cast<const char *>(&le), sizeof le);
}

void putWord(QByteArray &out, qsizetype position, quint16 word)
{
    qToLittleEndian(word, out.data() + position);
}

// The span of line y of a static shape, as [start, end) in pixels.
struct Span
{
    int start;
    int end;
};

Span shapeSpan(int shape, int y, int width, int height)
{
    switch (shape) {
    case 0: { // ellipse
        const double dy = (y + 0.5) / height * 2.0 - 1.0;
        const int half = int(width / 2.0 * std::sqrt(qMax(0.0, 1.0 - dy * dy)));
        return {width / 2 - half, width / 2 + half};
    }
    case 1: { // tree: a crown above a trunk
        if (y > height * 2 / 3)
            return {width * 2 / 5, width * 3 / 5 + 1};
        // Never wider than the image: a run may not start left of it.
        const int half = qMin(width / 2, int(width / 2.0 * (y + 1) / (height * 2.0 / 3.0)));
        return {width / 2 - half, width / 2 + half};
    }
    default: // block
        return {0, width};
    }
}

} // namespace

ProceduralArt::ProceduralArt(quint32 seed) : state(0x9e3779b97f4a7c15ull ^ seed) { }

quint32 ProceduralArt::next()
{
    // splitmix64: deterministic on every platform, unlike the standard distributions.
    quint64 z = (state += 0x9e3779b97f4a7c15ull);
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ull;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebull;
    return quint32((z ^ (z >> 31)) >> 16);
}

int ProceduralArt::range(int low, int high)
{
    return low + int(next() % quint32(high - low + 1));
}

bool ProceduralArt::chance(int percent)
{
    return range(0, 99) < percent;
}

quint16 ProceduralArt::color(int red, int green, int blue)
{
    return OpaqueBit | quint16(qBound(0, red, 31) << 10 | qBound(0, green, 31) << 5 | qBound(0, blue, 31));
}

bool ProceduralArt::leaveEmpty()
{
    return chance(4);
}

QByteArray ProceduralArt::terrainRecord(int id)
{
    const auto ground = groundOf(id);
    QByteArray record;
    record.reserve(TerrainRecordSize);
    const int phase = range(0, 7);
    for (int y = 0; y < TerrainSize; ++y) {
        const int start = terrainRowStart(y);
        for (int x = start; x < start + terrainRowLength(y); ++x) {
            const int noise = range(-2, 2);
            switch (ground) {
            case Ground::Grass:
                appendWord(record, color(4 + noise, 16 + noise + (x + y) % 3, 3));
                break;
            case Ground::Sand:
                appendWord(record, color(26 + noise, 22 + noise, 13));
                break;
            case Ground::Water:
                appendWord(record, color(2, 8 + ((y + phase) % 6 == 0 ? 6 : 0), 20 + noise));
                break;
            case Ground::Stone:
                appendWord(record,
                    (x * 7 + y * 3 + phase) % 17 == 0 ? quint16(0) // cracks: black words
                                                      : color(15 + noise, 15 + noise, 16 + noise));
                break;
            }
        }
    }
    return record;
}

QByteArray ProceduralArt::staticRecord(int id)
{
    int width = 0;
    int height = 0;
    const int size = range(0, 99);
    if (size < 5) { // tiny
        width = range(1, 6);
        height = range(1, 6);
    } else if (size < 60) {
        width = range(8, 44);
        height = range(8, 50);
    } else if (size < 75) { // thin and tall
        width = range(3, 14);
        height = range(60, 160);
    } else if (size < 88) { // wide
        width = range(80, 200);
        height = range(10, 40);
    } else if (size < 96) {
        width = range(44, 120);
        height = range(44, 140);
    } else { // large, but within what a line offset can address
        width = range(120, 250);
        const int tallest = qMin(300, 30000 / (width + 6));
        height = range(tallest / 2, tallest);
    }
    const int shape = range(0, 2);
    const quint16 base = color(range(4, 28), range(4, 28), range(4, 28));

    QByteArray record(StaticLineTableOffset + 2 * height, '\0');
    putWord(record, StaticHeaderSize, quint16(width));
    putWord(record, StaticHeaderSize + 2, quint16(height));
    const qsizetype dataStart = record.size();
    for (int y = 0; y < height; ++y) {
        putWord(record, StaticLineTableOffset + 2 * y, quint16((record.size() - dataStart) / 2));
        const Span span = shapeSpan(shape, y, width, height);
        if (span.end > span.start && !chance(3)) { // some lines stay fully transparent
            // Split the line with a transparent gap now and then.
            const int gap
                = span.end - span.start > 6 && chance(30) ? range(span.start + 1, span.end - 3) : -1;
            int x = 0;
            for (int part = 0; part < (gap < 0 ? 1 : 2); ++part) {
                const int from = part == 0 ? span.start : gap + 2;
                const int to = gap < 0 || part == 1 ? span.end : gap;
                appendWord(record, quint16(from - x));
                appendWord(record, quint16(to - from));
                for (int px = from; px < to; ++px)
                    appendWord(record, chance(2) ? quint16(0) : quint16(base + (px * 3 + y) % 3 + (id % 2)));
                x = to;
            }
        }
        appendWord(record, 0);
        appendWord(record, 0);
    }
    return record;
}

LandTileRecord ProceduralArt::landTile(int id)
{
    LandTileRecord record;
    const auto ground = groundOf(id);
    record.flags = ground == Ground::Water ? (TileFlags::Wet | TileFlags::Impassable) : 0;
    if (ground == Ground::Stone && chance(20))
        record.flags |= TileFlags::Impassable;
    record.texid = chance(70) ? quint16(id) : 0;
    const int kind = range(0, 9);
    if (kind == 0)
        return record; // no name
    QString name = QString::fromLatin1(GroundNames[int(ground)]);
    if (kind == 1)
        name = QStringLiteral("%1 %2 embankment").arg(name).left(20).leftJustified(20, QLatin1Char('.'));
    record.setNameText(name);
    if (kind == 2) // bytes after the terminating NUL, as real files carry
        record.name.replace(name.size() + 1, 3, "xyz");
    return record;
}

StaticTileRecord ProceduralArt::staticTile(int id)
{
    StaticTileRecord record;
    const int item = range(0, int(std::size(ItemNames)) - 1);
    record.flags = next()
        & (TileFlags::Background | TileFlags::Surface | TileFlags::Impassable | TileFlags::Wall
            | TileFlags::Roof | TileFlags::Foliage | TileFlags::Container | TileFlags::Wearable);
    if (chance(3))
        record.flags |= TileFlags::Animated;
    if (chance(2))
        record.flags |= TileFlags::LightSource;
    if (chance(3))
        record.flags |= chance(50) ? TileFlags::Weapon : TileFlags::Armor;
    record.weight = quint8(chance(10) ? 255 : range(0, 60));
    record.quality = quint8(range(0, 30));
    record.unknown = quint16(range(0, 65535));
    record.unknown1 = quint8(range(0, 255));
    record.quantity = quint8(range(0, 200));
    record.animid = quint16(chance(20) ? range(400, 1000) : 0);
    record.unknown2 = quint8(range(0, 255));
    record.hue = quint8(range(0, 255));
    record.unknown3 = quint16(range(0, 65535));
    record.height = quint8(range(0, 20));
    const int kind = range(0, 9);
    if (kind == 0)
        return record; // no name
    QString name = QString::fromLatin1(ItemNames[item]);
    if (kind == 1)
        name = QStringLiteral("%1 number %2 of many").arg(name).arg(id).left(20);
    record.setNameText(name);
    if (kind == 2 && name.size() < 18)
        record.name.replace(name.size() + 1, 2, "\x7f\x01");
    return record;
}

quint64 ProceduralArt::upperLandFlags(int id)
{
    quint64 flags = id % 8 == 3 ? quint64(TileFlags::AlphaBlend) : 0;
    if (id % 31 == 0)
        flags |= TileFlags::NoShadow;
    return flags;
}

quint64 ProceduralArt::upperStaticFlags(int id, quint64 flags)
{
    quint64 upper = flags & TileFlags::Foliage ? quint64(TileFlags::AlphaBlend) : 0;
    if (id % 4 == 1)
        upper |= TileFlags::NoShadow;
    if (id % 9 == 2)
        upper |= TileFlags::UseNewArt | TileFlags::ArtUsed;
    if ((flags & TileFlags::Animated) && id % 2 == 0)
        upper |= TileFlags::PlayAnimOnce;
    if (id % 23 == 5)
        upper |= TileFlags::PixelBleed;
    if (id % 50 == 7)
        upper |= TileFlags::MultiMovable;
    if (id % 101 == 13)
        upper |= UnnamedUpperFlag;
    return upper;
}

AnimDataEntry ProceduralArt::animation(int id)
{
    Q_UNUSED(id)
    AnimDataEntry entry;
    entry.frameCount = qint8(range(2, 12));
    for (int frame = 0; frame < entry.frameCount; ++frame)
        entry.frameOffsets[frame] = qint8(range(-3, 5));
    entry.animUnknown = qint8(range(0, 3));
    entry.frameInterval = qint8(range(1, 10));
    entry.frameStart = qint8(range(0, 5));
    return entry;
}
