#include "tileprop/AnimationPlayer.h"

AnimationPlayer::AnimationPlayer(QObject *parent) : QObject(parent)
{
    timer.setTimerType(Qt::PreciseTimer);
    connect(&timer, &QTimer::timeout, this, &AnimationPlayer::advance);
}

int AnimationPlayer::intervalMs(int units)
{
    return qMax(units, 1) * MillisecondsPerUnit;
}

void AnimationPlayer::play(const QVector<QImage> &newFrames, int intervalUnits)
{
    stop();
    if (newFrames.isEmpty())
        return;
    frames = newFrames;
    current = 0;
    timer.start(intervalMs(intervalUnits));
    Q_EMIT frameShown(frames.first());
}

void AnimationPlayer::stop()
{
    if (!timer.isActive())
        return;
    timer.stop();
    frames.clear();
    current = 0;
    Q_EMIT stopped();
}

void AnimationPlayer::advance()
{
    current = (current + 1) % frames.size();
    Q_EMIT frameShown(frames.at(current));
}
