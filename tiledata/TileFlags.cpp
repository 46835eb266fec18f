#include "tiledata/TileFlags.h"

namespace {

struct FlagText
{
    const char *name;
    const char *label;
};

constexpr FlagText Flags[TileFlags::FlagCount] = {
    {"Background", "Background"},
    {"Weapon", "Weapon"},
    {"Transparent", "Transparent"},
    {"Translucent", "Translucent"},
    {"Wall", "Wall"},
    {"Damaging", "Damaging"},
    {"Impassable", "Impassable"},
    {"Wet", "Wet"},
    {"Unknown", "Unknown"},
    {"Surface", "Surface"},
    {"Bridge", "Bridge"},
    {"Generic", "Generic/Stackable"},
    {"Window", "Window"},
    {"NoShoot", "No Shoot"},
    {"PrefixA", "Prefix A"},
    {"PrefixAn", "Prefix An"},
    {"Internal", "Internal"},
    {"Foliage", "Foliage"},
    {"PartialHue", "Partial Hue"},
    {"Unknown1", "Unknown1"},
    {"Map", "Map"},
    {"Container", "Container"},
    {"Wearable", "Wearable"},
    {"LightSource", "LightSource"},
    {"Animated", "Animated"},
    {"Diagnol", "No Diagnol"},
    {"Unknown2", "Unknown2"},
    {"Armor", "Armor"},
    {"Roof", "Roof"},
    {"Door", "Door"},
    {"StairBack", "StairBack"},
    {"StairRight", "StairRight"},
};

} // namespace

QString TileFlags::flagName(int bit)
{
    return bit >= 0 && bit < FlagCount ? QString::fromLatin1(Flags[bit].name) : QString();
}

QString TileFlags::flagLabel(int bit)
{
    return bit >= 0 && bit < FlagCount ? QString::fromLatin1(Flags[bit].label) : QString();
}

QStringList TileFlags::flagNames(quint32 flags)
{
    QStringList names;
    for (int bit = 0; bit < FlagCount; ++bit) {
        if (flags & (1u << bit))
            names.append(flagName(bit));
    }
    return names;
}
