#pragma once

#include <QImage>
#include <QObject>
#include <QTimer>
#include <QVector>

// Shows frames in turn, over and over, each for the same interval, until stopped.
// Frame intervals count tenths of a second, as animdata.mul's small interval numbers
// read in the game's own pace.
class AnimationPlayer : public QObject
{
    Q_OBJECT

public:
    static constexpr int MillisecondsPerUnit = 100;

    explicit AnimationPlayer(QObject *parent = nullptr);

    // The milliseconds one frame is shown for an interval of units; an interval below
    // one unit (0 or negative in a damaged file) counts as one.
    static int intervalMs(int units);

    // Shows frames[0] at once, then each following frame after the interval, wrapping
    // around. Nothing is played without frames.
    void play(const QVector<QImage> &frames, int intervalUnits);
    void stop();
    bool isPlaying() const { return timer.isActive(); }

Q_SIGNALS:
    // The frame to show now (null: a frame without an image).
    void frameShown(const QImage &frame);
    void stopped();

private:
    void advance();

    QTimer timer;
    QVector<QImage> frames;
    int current = 0;
};
