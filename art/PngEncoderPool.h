#pragma once

#include <QByteArray>
#include <QImage>
#include <QMutex>
#include <QString>
#include <QThread>
#include <QWaitCondition>
#include <deque>
#include <memory>
#include <vector>

// Threads of its own that encode images to PNG in memory, in the order they finish. The
// caller puts images in while there is room and takes the encoded ones out, so that it
// can decode and write files while every core encodes. The threads are the pool's own
// rather than the application's shared ones, which the caller may need meanwhile (to
// paint a progress dialog) and which must never wait on it.
class PngEncoderPool
{
public:
    struct Encoded
    {
        // As given to put.
        QString key;
        QByteArray png;
        // Why the image could not be encoded; png is then empty.
        QString error;
    };

    explicit PngEncoderPool(int threads = QThread::idealThreadCount());
    // Images not taken yet are dropped; an image being encoded is finished first.
    ~PngEncoderPool();

    // Whether put may be called: the images in the pool, waiting, being encoded or
    // encoded and not taken, are few enough that memory stays small and a cancel is heard
    // at once, and enough that no thread waits.
    bool hasRoom() const;
    void put(const QString &key, QImage image);
    // Waits for an encoded image; false when the pool holds none.
    bool take(Encoded *encoded);
    // Images put and not yet taken.
    int pending() const;

private:
    struct Job
    {
        QString key;
        QImage image;
    };

    void work();
    static Encoded encode(Job job);

    mutable QMutex mutex;
    QWaitCondition jobAdded;
    QWaitCondition jobDone;
    std::deque<Job> jobs;
    std::deque<Encoded> done;
    int encoding = 0;
    // The threads that started.
    int running = 0;
    bool stopping = false;
    const int capacity;
    std::vector<std::unique_ptr<QThread>> threads;
};
