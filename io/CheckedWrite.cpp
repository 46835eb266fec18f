#include "io/CheckedWrite.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileDevice>
#include <QFileInfo>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <memory>
#include <fcntl.h>
#ifdef Q_OS_WIN
#include <io.h>
#else
#include <unistd.h>
#endif

namespace {

bool fail(QString *error, const QString &why)
{
    if (error)
        *error = why;
    return false;
}

QString systemReason()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

// A name beside path that no other writer uses: hidden, unique in this process and
// among processes.
QString temporaryPath(const QString &path)
{
    static std::atomic<quint64> counter{0};
    static const qint64 process = QCoreApplication::applicationPid();
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    return QStringLiteral("%1.%2.%3-%4.part")
        .arg(path.left(slash + 1), path.mid(slash + 1))
        .arg(process)
        .arg(counter++);
}

bool renameOver(const QString &from, const QString &to, QString *error)
{
    if (::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0)
        return true;
    const QString why = systemReason();
    QFile::remove(from);
    return fail(error, why);
}

#ifdef O_TMPFILE
// Linux: the file is written with no name at all and linked under path once whole (under
// a temporary name first, then renamed, when path is there). False with *tried false
// where the file system or a missing /proc does not allow it.
bool writeUnnamed(const QString &path, QByteArrayView bytes, bool *tried, QString *error)
{
    *tried = false;
    const int fd = ::open(
        QFile::encodeName(QFileInfo(path).path()).constData(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
    if (fd < 0)
        return false;
    const std::unique_ptr<int, void (*)(int *)> closer(new int(fd), [](int *owned) {
        ::close(*owned);
        delete owned;
    });
    *tried = true;
    // Written straight to the descriptor: a file device would ask the system about the
    // file several times more, which counts over thousands of small files.
    const char *data = bytes.data();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, data, size_t(left));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            return fail(error, written < 0 ? systemReason() : QStringLiteral("nothing could be written"));
        }
        data += written;
        left -= written;
    }
    const QByteArray self = "/proc/self/fd/" + QByteArray::number(fd);
    const auto linkAs = [&self](const QString &name) {
        return ::linkat(AT_FDCWD, self.constData(), AT_FDCWD, QFile::encodeName(name).constData(),
                   AT_SYMLINK_FOLLOW)
            == 0;
    };
    if (linkAs(path))
        return true;
    for (int attempt = 0; attempt < 100 && errno == EEXIST; ++attempt) {
        const QString temporary = temporaryPath(path);
        if (linkAs(temporary))
            return renameOver(temporary, path, error);
    }
    if (errno == ENOENT) {
        *tried = false;
        return false;
    }
    return fail(error, systemReason());
}
#endif

} // namespace

bool CheckedWrite::writeAll(QFileDevice &file, QByteArrayView bytes)
{
    const char *data = bytes.data();
    qint64 left = bytes.size();
    while (left > 0) {
        const qint64 written = file.write(data, left);
        if (written <= 0)
            return false;
        data += written;
        left -= written;
    }
    return true;
}

bool CheckedWrite::syncToDisk(QFileDevice &file, QString *error)
{
    if (!file.flush()) {
        *error = file.errorString();
        return false;
    }
#ifdef Q_OS_WIN
    const bool synced = _commit(file.handle()) == 0;
#else
    const bool synced = ::fsync(file.handle()) == 0;
#endif
    if (!synced)
        *error = QString::fromLocal8Bit(std::strerror(errno));
    return synced;
}

bool CheckedWrite::writeWholeFile(const QString &path, QByteArrayView bytes, QString *error)
{
#ifdef O_TMPFILE
    bool tried = false;
    const bool written = writeUnnamed(path, bytes, &tried, error);
    if (tried)
        return written;
#endif
    QFile file;
    // A name left by someone else is never written into: another one is taken.
    for (int attempt = 0; attempt < 100 && !file.isOpen(); ++attempt) {
        file.setFileName(temporaryPath(path));
        if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered)
            && !QFileInfo::exists(file.fileName()))
            return fail(error, file.errorString());
    }
    if (!file.isOpen())
        return fail(error, QStringLiteral("no temporary name beside it is free"));
    if (!writeAll(file, bytes)) {
        const QString why = file.errorString();
        file.remove();
        return fail(error, why);
    }
    file.close();
    if (file.error() != QFileDevice::NoError) {
        const QString why = file.errorString();
        file.remove();
        return fail(error, why);
    }
    return renameOver(file.fileName(), path, error);
}

bool CheckedWrite::syncDirectory(const QString &directory)
{
#ifdef Q_OS_WIN
    Q_UNUSED(directory);
    return true;
#else
    const int fd = ::open(QFile::encodeName(directory).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool synced = ::fsync(fd) == 0;
    ::close(fd);
    return synced;
#endif
}

bool CheckedWrite::syncFileSystem(const QString &directory, QString *error)
{
#ifdef Q_OS_WIN
    Q_UNUSED(directory);
    Q_UNUSED(error);
    return true;
#else
    const int fd = ::open(QFile::encodeName(directory).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return fail(error, systemReason());
#ifdef Q_OS_LINUX
    const bool synced = ::syncfs(fd) == 0;
#else
    ::sync();
    const bool synced = ::fsync(fd) == 0;
#endif
    const QString why = synced ? QString() : systemReason();
    ::close(fd);
    return synced || fail(error, why);
#endif
}
