#pragma once
// Another process's server put where the game's file server listens, as one who moved the game's
// socket folder away would put his: it takes every connection made to that path and keeps
// whatever is sent to it. The process is forked at once, before the test opens connections of
// its own (a process forked later would keep copies of them open); it listens once told where.
#include <cstring>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include "support/ForkedChild.h"

namespace zrktest {

class PlantedServer {
public:
    PlantedServer()
    {
        if (::pipe(mOrders) != 0 || ::pipe(mReport) != 0)
            return;
        mPid = ::fork();
        if (mPid == 0) {
            ::close(mOrders[1]);
            ::close(mReport[0]);
            ::_exit(serve());
        }
        // Each side keeps its own ends only: a closed end is then seen as the end.
        ::close(mOrders[0]);
        ::close(mReport[1]);
        mOrders[0] = mReport[1] = -1;
    }
    ~PlantedServer() { endForkedChild(mPid, {mOrders[0], mOrders[1], mReport[0], mReport[1]}); }
    PlantedServer(const PlantedServer&) = delete;
    PlantedServer& operator=(const PlantedServer&) = delete;

    /// Listens at `path` (nothing may stand there); false when it could not.
    bool plant(const std::string& path)
    {
        char ok = 0;
        return mPid > 0 && path.size() < 200 && ::write(mOrders[1], path.c_str(), path.size() + 1) > 0 &&
               ::read(mReport[0], &ok, 1) == 1 && ok == 'y';
    }
    /// Ends it: how many connections it took, and all that was sent to it.
    std::string finish(int& connections)
    {
        connections = -1;
        if (mPid <= 0)
            return std::string();
        ::close(mOrders[1]);
        mOrders[1] = -1;
        int count = 0;
        std::string got;
        if (::read(mReport[0], &count, sizeof count) == static_cast<ssize_t>(sizeof count)) {
            connections = count;
            char buffer[4096];
            for (ssize_t n; (n = ::read(mReport[0], buffer, sizeof buffer)) > 0;)
                got.append(buffer, static_cast<std::size_t>(n));
        }
        ::waitpid(mPid, nullptr, 0);
        mPid = -1;
        return got;
    }

private:
    int serve()
    {
        char path[256] = {};
        for (std::size_t n = 0; n < sizeof path - 1; ++n)
            if (::read(mOrders[0], path + n, 1) != 1 || path[n] == '\0')
                break;
        const int listener = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un at{};
        at.sun_family = AF_UNIX;
        const std::size_t length = std::strlen(path);
        if (length < sizeof at.sun_path)
            std::memcpy(at.sun_path, path, length + 1);
        const bool listening = listener >= 0 && length < sizeof at.sun_path &&
                               ::bind(listener, reinterpret_cast<sockaddr*>(&at), sizeof at) == 0 &&
                               ::listen(listener, 16) == 0;
        if (::write(mReport[1], listening ? "y" : "n", 1) != 1 || !listening)
            return 1;
        int count = 0;
        std::string got;
        for (;;) {
            pollfd fds[2] = {{listener, POLLIN, 0}, {mOrders[0], POLLIN, 0}};
            if (::poll(fds, 2, 10000) <= 0 || (fds[0].revents == 0 && fds[1].revents != 0))
                break; // told to end, and every connection made so far taken
            const int sock = ::accept(listener, nullptr, nullptr);
            if (sock < 0)
                continue;
            ++count;
            // What the client sends before it gives up on this server.
            for (;;) {
                pollfd in{sock, POLLIN, 0};
                char buffer[4096];
                const ssize_t n = ::poll(&in, 1, 1000) > 0 ? ::recv(sock, buffer, sizeof buffer, 0) : 0;
                if (n <= 0)
                    break;
                got.append(buffer, static_cast<std::size_t>(n));
            }
            ::close(sock);
        }
        ::unlink(path);
        return ::write(mReport[1], &count, sizeof count) == static_cast<ssize_t>(sizeof count) &&
                       ::write(mReport[1], got.data(), got.size()) == static_cast<ssize_t>(got.size())
                   ? 0
                   : 1;
    }

    pid_t mPid = -1;
    int mOrders[2] = {-1, -1};
    int mReport[2] = {-1, -1};
};

} // namespace zrktest
