#pragma once
// A plain TCP connection to a port of this machine, as any local program (or another
// account's) could open it: for tests and benchmarks that play such a client by hand.
#include <arpa/inet.h>
#include <cstdint>
#include <netinet/in.h>
#include <sys/socket.h>
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

} // namespace zrktest
