#pragma once

#include <QString>
#include <QStringList>
#include <QtGlobal>

// The 64 flag bits of land and static records, in bit order. Classic records hold the
// lower 32; high-seas records hold all 64.
namespace TileFlags {

enum Flag : quint64 {
    Background = 1ull << 0,
    Weapon = 1ull << 1,
    Transparent = 1ull << 2,
    Translucent = 1ull << 3,
    Wall = 1ull << 4,
    Damaging = 1ull << 5,
    Impassable = 1ull << 6,
    Wet = 1ull << 7,
    Unknown = 1ull << 8,
    Surface = 1ull << 9,
    Bridge = 1ull << 10,
    Generic = 1ull << 11,
    Window = 1ull << 12,
    NoShoot = 1ull << 13,
    PrefixA = 1ull << 14,
    PrefixAn = 1ull << 15,
    Internal = 1ull << 16,
    Foliage = 1ull << 17,
    PartialHue = 1ull << 18,
    Unknown1 = 1ull << 19,
    Map = 1ull << 20,
    Container = 1ull << 21,
    Wearable = 1ull << 22,
    LightSource = 1ull << 23,
    Animated = 1ull << 24,
    Diagnol = 1ull << 25,
    Unknown2 = 1ull << 26,
    Armor = 1ull << 27,
    Roof = 1ull << 28,
    Door = 1ull << 29,
    StairBack = 1ull << 30,
    StairRight = 1ull << 31,
    // Only in high-seas records.
    AlphaBlend = 1ull << 32,
    UseNewArt = 1ull << 33,
    ArtUsed = 1ull << 34,
    NoShadow = 1ull << 36,
    PixelBleed = 1ull << 37,
    PlayAnimOnce = 1ull << 38,
    MultiMovable = 1ull << 40,
};

constexpr int LowerFlagCount = 32;
constexpr int FlagCount = 64;
// The bits a classic record cannot hold.
constexpr quint64 UpperFlags = ~quint64(0) << LowerFlagCount;

// The flag's name ("Background", "AlphaBlend", …; "Bit 35" for a bit without one) for
// bit 0..63; empty for any other bit.
QString flagName(int bit);
// The label of the flag's check box ("Generic/Stackable", "No Shadow", "Bit 35", …).
QString flagLabel(int bit);
// Whether the bit has a name of its own rather than "Bit N".
bool isNamed(int bit);
// Names of the bits set in flags, in bit order.
QStringList flagNames(quint64 flags);
// flags with every bit that differs between from and to set as in to: an edit from
// from to to applied to flags that may have changed meanwhile in other bits.
constexpr quint64 withChangedBits(quint64 flags, quint64 from, quint64 to)
{
    const quint64 changed = from ^ to;
    return (flags & ~changed) | (to & changed);
}

} // namespace TileFlags
