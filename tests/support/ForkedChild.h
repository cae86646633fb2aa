#pragma once
// The end of a helper process a test or benchmark forked (a flooder, a planted server): killed
// if it still runs, waited for, and the pipe ends kept for it closed.
#include <initializer_list>
#include <signal.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

namespace zrktest {

inline void endForkedChild(pid_t& pid, std::initializer_list<int> pipeEnds)
{
    if (pid > 0) {
        ::kill(pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);
    }
    pid = -1;
    for (int fd : pipeEnds)
        if (fd >= 0)
            ::close(fd);
}

} // namespace zrktest
