#include "support/StrangerFlood.h"

#include <arpa/inet.h>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <grp.h>
#include <netinet/in.h>
#include <poll.h>
#include <sched.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "support/ForkedChild.h"
#include "support/LoopbackSocket.h"

namespace zrktest {

namespace {

const uid_t kNobody = 65534;
const std::uint32_t kFlooderAddress = 0x7f000002; // 127.0.0.2
const int kHeld = 200;

using Clock = std::chrono::steady_clock;

/// A connection to the proxy's port from the flooder's own address. Closed, it ends at once
/// (a reset, no waiting state): the churn goes as fast as the machine lets it.
int connectProxy(int port, std::uint32_t from)
{
    const int sock = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in me{}, to{};
    me.sin_family = to.sin_family = AF_INET;
    me.sin_addr.s_addr = htonl(from);
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    to.sin_port = htons(static_cast<std::uint16_t>(port));
    const linger abrupt{1, 0};
    if (sock >= 0)
        ::setsockopt(sock, SOL_SOCKET, SO_LINGER, &abrupt, sizeof abrupt);
    if (sock < 0 || (from != INADDR_LOOPBACK && ::bind(sock, reinterpret_cast<sockaddr*>(&me), sizeof me) != 0) ||
        ::connect(sock, reinterpret_cast<sockaddr*>(&to), sizeof to) != 0) {
        if (sock >= 0)
            ::close(sock);
        return -1;
    }
    return sock;
}

/// Whether the other end still keeps the connection: nothing said, nothing closed.
bool stillOpen(int sock)
{
    pollfd fd{sock, POLLIN, 0};
    return ::poll(&fd, 1, 0) == 0;
}

bool readAll(int fd, void* data, std::size_t size)
{
    auto* p = static_cast<char*>(data);
    while (size > 0) {
        const ssize_t n = ::read(fd, p, size);
        if (n <= 0)
            return false;
        p += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

/// Closes every descriptor of the process but the standard ones and the two kept.
void closeAllBut(int keep, int alsoKeep)
{
    std::vector<int> open;
    if (DIR* fds = ::opendir("/proc/self/fd")) {
        while (dirent* entry = ::readdir(fds)) {
            const int fd = std::atoi(entry->d_name);
            if (fd > 2 && fd != keep && fd != alsoKeep && fd != ::dirfd(fds))
                open.push_back(fd);
        }
        ::closedir(fds);
    }
    for (int fd : open)
        ::close(fd);
}

/// The flood itself, in the child.
StrangerFlood::Result flood(const std::string& fileSocket, int proxyPort, double seconds, bool anotherUser)
{
    StrangerFlood::Result r;
    r.ran = true;
    // One processor: the attack takes that one, not the machine.
    const long processors = ::sysconf(_SC_NPROCESSORS_ONLN);
    cpu_set_t one;
    CPU_ZERO(&one);
    CPU_SET(static_cast<int>(processors > 1 ? processors - 1 : 0), &one);
    ::sched_setaffinity(0, sizeof one, &one);
    const std::uint32_t from = anotherUser ? INADDR_LOOPBACK : kFlooderAddress;
    const auto end = Clock::now() + std::chrono::duration<double>(seconds);
    std::vector<int> files, proxy;
    for (int i = 0; i < kHeld && !fileSocket.empty(); ++i) {
        ++r.fileServerTried;
        const int sock = connectLocal(fileSocket);
        if (sock >= 0)
            files.push_back(sock);
    }
    for (int i = 0; i < kHeld && proxyPort > 0; ++i) {
        const int sock = connectProxy(proxyPort, from);
        if (sock >= 0)
            proxy.push_back(sock);
    }
    r.fileServerReached = static_cast<int>(files.size());
    r.proxyHeld = static_cast<int>(proxy.size());
    std::this_thread::sleep_for(std::chrono::seconds(1));
    for (int sock : files)
        r.fileServerKept += stillOpen(sock) ? 1 : 0;
    for (int sock : proxy)
        r.proxyKept += stillOpen(sock) ? 1 : 0;
    // Then connections churned as fast as they come, the silent ones kept open meanwhile.
    while (Clock::now() < end) {
        if (proxyPort > 0) {
            const int sock = connectProxy(proxyPort, from);
            if (sock >= 0) {
                ::close(sock);
                ++r.proxyChurned;
            }
        }
        if (!fileSocket.empty()) {
            ++r.fileServerTried;
            const int sock = connectLocal(fileSocket);
            if (sock >= 0) {
                ++r.fileServerReached;
                ::close(sock);
            }
        }
    }
    for (int sock : files)
        ::close(sock);
    for (int sock : proxy)
        ::close(sock);
    return r;
}

} // namespace

StrangerFlood::StrangerFlood()
{
    mAnotherUser = ::geteuid() == 0;
    if (::pipe(mOrders) != 0 || ::pipe(mReport) != 0)
        return;
    mPid = ::fork();
    if (mPid != 0)
        return;
    // Nothing of this process but its two pipes: a copy of another's connection kept open here
    // (the web view's own ones, a window system's) would hold it open past its end.
    closeAllBut(mOrders[0], mReport[1]);
    if (mAnotherUser && (::setgroups(0, nullptr) != 0 || ::setresgid(kNobody, kNobody, kNobody) != 0 ||
                         ::setresuid(kNobody, kNobody, kNobody) != 0))
        ::_exit(100);
    std::uint32_t lengths[2] = {0, 0};
    double seconds = 0;
    std::int32_t port = 0;
    if (!readAll(mOrders[0], lengths, sizeof lengths) || lengths[0] > 4096)
        ::_exit(0); // never started
    std::string socket(lengths[0], '\0');
    if (!readAll(mOrders[0], &socket[0], socket.size()) || !readAll(mOrders[0], &port, sizeof port) ||
        !readAll(mOrders[0], &seconds, sizeof seconds))
        ::_exit(0);
    const Result r = flood(socket, port, seconds, mAnotherUser);
    ssize_t written = ::write(mReport[1], &r, sizeof r);
    ::_exit(written == static_cast<ssize_t>(sizeof r) ? 0 : 1);
}

StrangerFlood::~StrangerFlood() { endForkedChild(mPid, {mOrders[0], mOrders[1], mReport[0], mReport[1]}); }

std::function<bool(int fd)> StrangerFlood::fileServerCheck() const
{
    const pid_t flooder = mPid;
    return [flooder](int fd) {
        ucred peer{};
        socklen_t length = sizeof peer;
        return ::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &length) == 0 && peer.pid == flooder;
    };
}

bool StrangerFlood::fromFlooderAddress(int fd)
{
    sockaddr_in peer{};
    socklen_t length = sizeof peer;
    return ::getpeername(fd, reinterpret_cast<sockaddr*>(&peer), &length) == 0 && peer.sin_family == AF_INET &&
           peer.sin_addr.s_addr == htonl(kFlooderAddress);
}

void StrangerFlood::start(const std::string& fileSocket, int proxyPort, double seconds)
{
    if (mPid <= 0)
        return;
    const std::uint32_t lengths[2] = {static_cast<std::uint32_t>(fileSocket.size()), 0};
    const std::int32_t port = proxyPort;
    bool ok = ::write(mOrders[1], lengths, sizeof lengths) == static_cast<ssize_t>(sizeof lengths);
    ok = ok && ::write(mOrders[1], fileSocket.data(), fileSocket.size()) == static_cast<ssize_t>(fileSocket.size());
    ok = ok && ::write(mOrders[1], &port, sizeof port) == static_cast<ssize_t>(sizeof port);
    ok = ok && ::write(mOrders[1], &seconds, sizeof seconds) == static_cast<ssize_t>(sizeof seconds);
    if (!ok)
        std::fprintf(stderr, "the flooder was not told where to go\n");
}

StrangerFlood::Result StrangerFlood::finish()
{
    Result r;
    if (mPid <= 0)
        return r;
    ::close(mOrders[1]); // a flooder never started ends now
    mOrders[1] = -1;
    if (!readAll(mReport[0], &r, sizeof r))
        r = Result();
    ::waitpid(mPid, nullptr, 0);
    mPid = -1;
    return r;
}

} // namespace zrktest
