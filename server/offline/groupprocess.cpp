#include "server/offline/groupprocess.h"

#include <csignal>
#include <unistd.h>

pid_t GroupProcess::startInGroup(pid_t wanted)
{
    group = wanted;
    start();
    const pid_t pid = pid_t(processId());
    if (pid <= 0)
        return group;
    if (group == 0)
        group = pid;
    ::setpgid(pid, group);
    return group;
}

void GroupProcess::killGroup(pid_t group)
{
    if (group > 0)
        ::kill(-group, SIGKILL);
}

void GroupProcess::setupChildProcess()
{
    ::setpgid(0, group);
}
