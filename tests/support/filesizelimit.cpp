#include "support/filesizelimit.h"

#include <csignal>
#include <sys/resource.h>

FileSizeLimit::FileSizeLimit(quint64 bytes)
{
    rlimit limit{};
    if (getrlimit(RLIMIT_FSIZE, &limit) != 0)
        return;
    previousSoft = limit.rlim_cur;
    previousHard = limit.rlim_max;
    previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    limit.rlim_cur = static_cast<rlim_t>(bytes);
    active = setrlimit(RLIMIT_FSIZE, &limit) == 0;
    if (!active)
        std::signal(SIGXFSZ, previousHandler);
}

FileSizeLimit::~FileSizeLimit()
{
    if (!active)
        return;
    rlimit limit{};
    limit.rlim_cur = static_cast<rlim_t>(previousSoft);
    limit.rlim_max = static_cast<rlim_t>(previousHard);
    setrlimit(RLIMIT_FSIZE, &limit);
    std::signal(SIGXFSZ, previousHandler);
}
