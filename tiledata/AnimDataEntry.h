#pragma once

#include <QByteArray>
#include <array>

// One 68-byte entry of animdata.mul; all fields are signed bytes.
struct AnimDataEntry
{
    static constexpr int FrameSlots = 64;
    static constexpr int Size = 68;

    std::array<qint8, FrameSlots> frameOffsets{};
    qint8 animUnknown = 0;
    qint8 frameCount = 0;
    qint8 frameInterval = 0;
    qint8 frameStart = 0;

    // Short input is read as if zero-filled.
    static AnimDataEntry fromBytes(const QByteArray &bytes);
    QByteArray toBytes() const;

    bool operator==(const AnimDataEntry &other) const;
};
