#pragma once

#include <QString>
#include <QStringList>
#include <QtGlobal>

// The 32 flag bits shared by land and static records, in bit order.
namespace TileFlags {

enum Flag : quint32 {
    Background = 1u << 0,
    Weapon = 1u << 1,
    Transparent = 1u << 2,
    Translucent = 1u << 3,
    Wall = 1u << 4,
    Damaging = 1u << 5,
    Impassable = 1u << 6,
    Wet = 1u << 7,
    Unknown = 1u << 8,
    Surface = 1u << 9,
    Bridge = 1u << 10,
    Generic = 1u << 11,
    Window = 1u << 12,
    NoShoot = 1u << 13,
    PrefixA = 1u << 14,
    PrefixAn = 1u << 15,
    Internal = 1u << 16,
    Foliage = 1u << 17,
    PartialHue = 1u << 18,
    Unknown1 = 1u << 19,
    Map = 1u << 20,
    Container = 1u << 21,
    Wearable = 1u << 22,
    LightSource = 1u << 23,
    Animated = 1u << 24,
    Diagnol = 1u << 25,
    Unknown2 = 1u << 26,
    Armor = 1u << 27,
    Roof = 1u << 28,
    Door = 1u << 29,
    StairBack = 1u << 30,
    StairRight = 1u << 31,
};

constexpr int FlagCount = 32;

// The flag's name ("Background", "Weapon", …) for bit 0..31.
QString flagName(int bit);
// The label of the flag's check box ("Generic/Stackable", "No Shoot", …).
QString flagLabel(int bit);
// Names of the bits set in flags, in bit order.
QStringList flagNames(quint32 flags);

} // namespace TileFlags
