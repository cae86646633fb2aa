#include "support/XvfbServer.h"

#include <cerrno>
#include <csignal>
#include <poll.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace zrktest {

XvfbServer::XvfbServer(int width, int height)
{
    int fds[2];
    if (::pipe(fds) != 0)
        return;
    const std::string screen = std::to_string(width) + "x" + std::to_string(height) + "x24";
    const std::string fd = std::to_string(fds[1]);
    mPid = ::fork();
    if (mPid == 0) {
        ::close(fds[0]);
        // Xvfb picks a free display number and writes it to the pipe once it is ready; it
        // keeps what clients set on the root window when they go (no reset).
        ::execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", screen.c_str(), "-nolisten", "tcp",
                 "-noreset", static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::close(fds[1]);
    if (mPid < 0) {
        ::close(fds[0]);
        return;
    }
    std::string number;
    pollfd p{fds[0], POLLIN, 0};
    char c = 0;
    // A few seconds at most: a server that never answers fails the test, not the run.
    while (::poll(&p, 1, 10000) > 0 && ::read(fds[0], &c, 1) == 1 && c != '\n')
        number += c;
    ::close(fds[0]);
    if (!number.empty())
        mDisplay = ":" + number;
}

XvfbServer::~XvfbServer()
{
    if (mPid <= 0)
        return;
    ::kill(mPid, SIGTERM);
    int status = 0;
    while (::waitpid(mPid, &status, 0) < 0 && errno == EINTR) {
    }
}

} // namespace zrktest
