#ifndef GROUPPROCESS_H
#define GROUPPROCESS_H

#include <QProcess>

#include <sys/types.h>

// A child process in a process group of its own, or in the group of an
// earlier one, so that one kill reaches every process of a pipeline,
// including whatever its stages start themselves.
class GroupProcess : public QProcess
{
    Q_OBJECT

public:
    using QProcess::QProcess;

    // Starts the program in `group`, or as the leader of a new group when it
    // is 0, and returns the group. The group is set on both sides of the fork
    // so that it exists before the next stage joins it.
    pid_t startInGroup(pid_t group);

    // SIGKILL to every process of the group.
    static void killGroup(pid_t group);

protected:
    void setupChildProcess() override;

private:
    pid_t group = 0;
};

#endif
