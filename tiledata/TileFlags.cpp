#include "tiledata/TileFlags.h"

namespace {

struct FlagText
{
    const char *name; // null: the bit has no name
    const char *label;
};

constexpr FlagText Flags[TileFlags::FlagCount] = {
    {"Background", "Background"}, {"Weapon", "Weapon"}, {"Transparent", "Transparent"},
    {"Translucent", "Translucent"}, {"Wall", "Wall"}, {"Damaging", "Damaging"}, {"Impassable", "Impassable"},
    {"Wet", "Wet"}, {"Unknown", "Unknown"}, {"Surface", "Surface"}, {"Bridge", "Bridge"},
    {"Generic", "Generic/Stackable"}, {"Window", "Window"}, {"NoShoot", "No Shoot"}, {"PrefixA", "Prefix A"},
    {"PrefixAn", "Prefix An"}, {"Internal", "Internal"}, {"Foliage", "Foliage"},
    {"PartialHue", "Partial Hue"}, {"Unknown1", "Unknown1"}, {"Map", "Map"}, {"Container", "Container"},
    {"Wearable", "Wearable"}, {"LightSource", "LightSource"}, {"Animated", "Animated"},
    {"Diagnol", "No Diagonal"}, {"Unknown2", "Unknown2"}, {"Armor", "Armor"}, {"Roof", "Roof"},
    {"Door", "Door"}, {"StairBack", "StairBack"}, {"StairRight", "StairRight"},
    {"AlphaBlend", "Alpha Blend"}, // 32
    {"UseNewArt", "Use New Art"}, {"ArtUsed", "Art Used"}, {nullptr, nullptr},
    {"NoShadow", "No Shadow"}, // 36
    {"PixelBleed", "Pixel Bleed"}, {"PlayAnimOnce", "Play Anim Once"}, {nullptr, nullptr},
    {"MultiMovable", "Multi Movable"}, // 40
};

bool inRange(int bit)
{
    return bit >= 0 && bit < TileFlags::FlagCount;
}

QString unnamed(int bit)
{
    return QStringLiteral("Bit %1").arg(bit);
}

} // namespace

bool TileFlags::isNamed(int bit)
{
    return inRange(bit) && Flags[bit].name;
}

QString TileFlags::flagName(int bit)
{
    if (!inRange(bit))
        return QString();
    return isNamed(bit) ? QString::fromLatin1(Flags[bit].name) : unnamed(bit);
}

QString TileFlags::flagLabel(int bit)
{
    if (!inRange(bit))
        return QString();
    return isNamed(bit) ? QString::fromLatin1(Flags[bit].label) : unnamed(bit);
}

QStringList TileFlags::flagNames(quint64 flags)
{
    QStringList names;
    for (int bit = 0; bit < FlagCount; ++bit) {
        if (flags & (quint64(1) << bit))
            names.append(flagName(bit));
    }
    return names;
}
