#include "FileSizeLimit.h"

#include <csignal>
#include <sys/resource.h>

FileSizeLimit::FileSizeLimit(qint64 limit)
{
    previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit current{};
    getrlimit(RLIMIT_FSIZE, &current);
    previousSoft = qint64(current.rlim_cur);
    current.rlim_cur = rlim_t(limit);
    setrlimit(RLIMIT_FSIZE, &current);
}

FileSizeLimit::~FileSizeLimit()
{
    rlimit current{};
    getrlimit(RLIMIT_FSIZE, &current);
    current.rlim_cur = rlim_t(previousSoft);
    setrlimit(RLIMIT_FSIZE, &current);
    std::signal(SIGXFSZ, previousHandler);
}
