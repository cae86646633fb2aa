#pragma once
// A plain TCP connection to a port of this machine, or a connection to a Unix socket, as any
// local program (or another account's) could open it: for tests and benchmarks that play such
// a client by hand.
#include <arpa/inet.h>
#include <cstdint>
#include <cstring>
#include <netinet/in.h>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace zrktest {

/// A socket connected to 127.0.0.1:`port`; -1 when the connection is refused.
inline int connectLoopback(int port)
{
    const int sock = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(static_cast<std::uint16_t>(port));
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (sock < 0 || ::connect(sock, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
        if (sock >= 0)
            ::close(sock);
        return -1;
    }
    return sock;
}

/// A socket connected to the Unix socket at `path`; -1 when the connection is refused (or the
/// path's folder may not be entered).
inline int connectLocal(const std::string& path)
{
    const int sock = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::strncpy(addr.sun_path, path.c_str(), sizeof addr.sun_path - 1);
    if (sock < 0 || path.size() >= sizeof addr.sun_path ||
        ::connect(sock, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
        if (sock >= 0)
            ::close(sock);
        return -1;
    }
    return sock;
}

/// Sends `request` whole on a new connection to the Unix socket and gives back all the server
/// answered until it closed (empty when it could not connect).
inline std::string exchangeLocal(const std::string& path, const std::string& request)
{
    const int sock = connectLocal(path);
    if (sock < 0)
        return std::string();
    for (std::size_t sent = 0; sent < request.size();) {
        const ssize_t n = ::send(sock, request.data() + sent, request.size() - sent, MSG_NOSIGNAL);
        if (n <= 0)
            break;
        sent += static_cast<std::size_t>(n);
    }
    std::string reply;
    char buffer[16384];
    for (ssize_t n; (n = ::recv(sock, buffer, sizeof buffer, 0)) > 0;)
        reply.append(buffer, static_cast<std::size_t>(n));
    ::close(sock);
    return reply;
}

/// Asks the HTTP proxy at 127.0.0.1:`port` for `url` on a new connection (the page's
/// `extraHeaders` with it) and gives back all it answered until it closed the connection, or
/// until it kept quiet `quietMs`; "<no connection>" when it could not connect.
inline std::string askThroughProxy(int port, const std::string& url, const std::string& extraHeaders = std::string(),
                                   int quietMs = 5000)
{
    const int sock = connectLoopback(port);
    if (sock < 0)
        return "<no connection>";
    const std::string request = "GET " + url + " HTTP/1.1\r\nHost: x\r\n" + extraHeaders + "\r\n";
    ::send(sock, request.data(), request.size(), MSG_NOSIGNAL);
    std::string reply;
    char buffer[16384];
    for (;;) {
        pollfd fd{sock, POLLIN, 0};
        if (::poll(&fd, 1, quietMs) <= 0)
            break;
        const ssize_t n = ::recv(sock, buffer, sizeof buffer, 0);
        if (n <= 0)
            break;
        reply.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(sock);
    return reply;
}

} // namespace zrktest
