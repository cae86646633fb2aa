#include "FuzzFileServer.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <transport/FileServer.h>
#include <unistd.h>

#include "FuzzSupport.h"

namespace zrkfuzz {

namespace {

void put(const std::string& path, const char* text) { std::ofstream(path, std::ios::binary) << text; }

/// Connects, also when the fuzzer's timer signal comes in the middle (the connection goes on).
bool connected(int sock, const sockaddr_un& at)
{
    if (::connect(sock, reinterpret_cast<const sockaddr*>(&at), sizeof at) == 0)
        return true;
    if (errno != EINTR)
        return false;
    pollfd fd{sock, POLLOUT, 0};
    while (::poll(&fd, 1, 5000) < 0)
        if (errno != EINTR)
            return false;
    int error = 0;
    socklen_t length = sizeof error;
    if (::getsockopt(sock, SOL_SOCKET, SO_ERROR, &error, &length) != 0 || error != 0) {
        errno = error;
        return false;
    }
    return true;
}

} // namespace

kavri3D::core::FileServer& FuzzFileServer::instance()
{
    static kavri3D::core::FileServer* server = [] {
        const std::string root = FuzzSupport::folder();
        std::error_code ec;
        std::filesystem::create_directories(root + "pub/res", ec);
        std::filesystem::create_directories(root + "web", ec);
        std::filesystem::create_symlink("../..", root + "pub/res/up", ec);
        put(root + "pub/res/inside.txt", kInsideText);
        put(root + "web/page.html", kWebText);
        put(root + "outside.txt", kOutsideText);
        auto* s = new kavri3D::core::FileServer; // serves for the whole run
        if (!s->start(kInstallerPath, root + "pub", root + "web"))
            std::abort();
        return s;
    }();
    return *server;
}

std::string FuzzFileServer::exchange(const std::string& bytes)
{
    const int sock = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un at{};
    at.sun_family = AF_UNIX;
    const std::string path = instance().getSocketPath();
    std::strncpy(at.sun_path, path.c_str(), sizeof at.sun_path - 1);
    if (sock < 0 || !connected(sock, at)) {
        std::fprintf(stderr, "the file server took no connection: %s\n", std::strerror(errno));
        std::abort(); // the server of this machine must take a lone client
    }
    // Whatever the server does with the request, it may close early: what it said still counts.
    for (std::size_t sent = 0; sent < bytes.size();) {
        const ssize_t n = ::send(sock, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n <= 0)
            break;
        sent += static_cast<std::size_t>(n);
    }
    ::shutdown(sock, SHUT_WR);
    std::string reply;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    for (;;) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        pollfd fd{sock, POLLIN, 0};
        if (left.count() <= 0 || ::poll(&fd, 1, static_cast<int>(left.count())) == 0) {
            std::fprintf(stderr, "the file server kept a finished client waiting\n");
            std::abort();
        }
        char chunk[4096];
        const ssize_t n = ::recv(sock, chunk, sizeof chunk, 0);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        reply.append(chunk, static_cast<std::size_t>(n));
    }
    ::close(sock);
    return reply;
}

} // namespace zrkfuzz
