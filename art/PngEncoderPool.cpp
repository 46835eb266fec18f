#include "art/PngEncoderPool.h"

#include <QBuffer>
#include <QImageWriter>

PngEncoderPool::PngEncoderPool(int threads) : capacity(qMax(1, threads) * 8)
{
    for (int i = 0; i < qMax(1, threads); ++i) {
        this->threads.emplace_back(QThread::create([this] { work(); }));
        this->threads.back()->start();
        running += this->threads.back()->isRunning() ? 1 : 0;
    }
}

PngEncoderPool::~PngEncoderPool()
{
    {
        QMutexLocker lock(&mutex);
        stopping = true;
        jobs.clear();
        jobAdded.wakeAll();
    }
    for (const auto &thread : threads)
        thread->wait();
}

bool PngEncoderPool::hasRoom() const
{
    QMutexLocker lock(&mutex);
    return int(jobs.size() + done.size()) + encoding < capacity;
}

void PngEncoderPool::put(const QString &key, QImage image)
{
    QMutexLocker lock(&mutex);
    jobs.push_back(Job{key, std::move(image)});
    jobAdded.wakeOne();
}

bool PngEncoderPool::take(Encoded *encoded)
{
    QMutexLocker lock(&mutex);
    while (done.empty() && (!jobs.empty() || encoding > 0)) {
        // With no thread of its own (the system would not start one), the caller encodes.
        if (running == 0) {
            Job job = std::move(jobs.front());
            jobs.pop_front();
            done.push_back(encode(std::move(job)));
            continue;
        }
        jobDone.wait(&mutex);
    }
    if (done.empty())
        return false;
    *encoded = std::move(done.front());
    done.pop_front();
    return true;
}

int PngEncoderPool::pending() const
{
    QMutexLocker lock(&mutex);
    return int(jobs.size() + done.size()) + encoding;
}

void PngEncoderPool::work()
{
    QMutexLocker lock(&mutex);
    while (true) {
        while (jobs.empty() && !stopping)
            jobAdded.wait(&mutex);
        if (stopping)
            return;
        Job job = std::move(jobs.front());
        jobs.pop_front();
        ++encoding;
        lock.unlock();
        Encoded encoded = encode(std::move(job));
        lock.relock();
        --encoding;
        done.push_back(std::move(encoded));
        jobDone.wakeOne();
    }
}

PngEncoderPool::Encoded PngEncoderPool::encode(Job job)
{
    Encoded encoded;
    encoded.key = job.key;
    QBuffer buffer(&encoded.png);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "png");
    if (!writer.write(job.image)) {
        encoded.error = writer.errorString();
        encoded.png.clear();
    }
    return encoded;
}
