#include "SizeCapProxy.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sstream>
#include <string>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>
#include <vector>

namespace webbrowser {

namespace {

bool sendAll(int fd, const char* data, std::size_t length)
{
    while (length > 0) {
        const ssize_t n = ::send(fd, data, length, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        length -= static_cast<std::size_t>(n);
    }
    return true;
}

void setTimeouts(int fd)
{
    timeval t{SizeCapProxy::kIdleSeconds, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &t, sizeof t);
    ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &t, sizeof t); // connect() waits no longer either
}

/// The user whose process holds the other end of a loopback connection, from the kernel's
/// table of TCP sockets; -1 when it cannot be told.
long peerUid(int fd)
{
    sockaddr_in local{}, peer{};
    socklen_t ll = sizeof local, pl = sizeof peer;
    if (::getsockname(fd, reinterpret_cast<sockaddr*>(&local), &ll) != 0 ||
        ::getpeername(fd, reinterpret_cast<sockaddr*>(&peer), &pl) != 0)
        return -1;
    char want[64];
    // The table writes the peer's end as its local address: address in host order hex, port.
    std::snprintf(want, sizeof want, "%08X:%04X %08X:%04X", static_cast<unsigned>(peer.sin_addr.s_addr),
                  static_cast<unsigned>(ntohs(peer.sin_port)), static_cast<unsigned>(local.sin_addr.s_addr),
                  static_cast<unsigned>(ntohs(local.sin_port)));
    std::ifstream table("/proc/net/tcp");
    std::string line;
    while (std::getline(table, line)) {
        if (line.find(want) == std::string::npos)
            continue;
        std::istringstream fields(line);
        std::string f;
        for (int i = 0; i < 8 && fields >> f; ++i) {
        }
        return fields && !f.empty() ? std::stol(f) : -1;
    }
    return -1;
}

int connectTo(const std::string& host, const std::string& port)
{
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (host.empty() || ::getaddrinfo(host.c_str(), port.c_str(), &hints, &found) != 0)
        return -1;
    int fd = -1;
    for (addrinfo* a = found; a && fd < 0; a = a->ai_next) {
        fd = ::socket(a->ai_family, a->ai_socktype | SOCK_CLOEXEC, a->ai_protocol);
        if (fd < 0)
            continue;
        setTimeouts(fd);
        if (::connect(fd, a->ai_addr, a->ai_addrlen) != 0) {
            ::close(fd);
            fd = -1;
        }
    }
    ::freeaddrinfo(found);
    return fd;
}

/// Host and port of "host:port", "[v6]:port" or "host" (with the scheme's port).
bool splitHostPort(const std::string& text, const std::string& defaultPort, std::string& host, std::string& port)
{
    port = defaultPort;
    if (!text.empty() && text[0] == '[') {
        const std::string::size_type close = text.find(']');
        if (close == std::string::npos)
            return false;
        host = text.substr(1, close - 1);
        if (close + 1 < text.size()) {
            if (text[close + 1] != ':')
                return false;
            port = text.substr(close + 2);
        }
    } else {
        const std::string::size_type colon = text.rfind(':');
        host = text.substr(0, colon);
        if (colon != std::string::npos)
            port = text.substr(colon + 1);
    }
    return !host.empty() && !port.empty() && port.size() <= 5 &&
           port.find_first_not_of("0123456789") == std::string::npos;
}

void refuse(int client, const char* status)
{
    const std::string reply = std::string("HTTP/1.1 ") + status + "\r\nContent-Length: 0\r\nConnection: close\r\n\r\n";
    sendAll(client, reply.data(), reply.size());
}

/// Passes bytes both ways until either side ends; what flows towards the page is counted and
/// cut past the limit.
void relay(int client, int upstream, unsigned long long limit, SizeCapProxy::Shared& shared)
{
    std::vector<char> buffer(64 * 1024);
    unsigned long long towardsPage = 0;
    bool clientOpen = true;
    for (;;) {
        pollfd fds[2] = {{client, static_cast<short>(clientOpen ? POLLIN : 0), 0}, {upstream, POLLIN, 0}};
        const int ready = ::poll(fds, 2, SizeCapProxy::kIdleSeconds * 1000);
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0)
            return;
        if (clientOpen && (fds[0].revents & (POLLIN | POLLHUP | POLLERR))) {
            const ssize_t n = ::recv(client, buffer.data(), buffer.size(), 0);
            if (n <= 0) {
                clientOpen = false;
                ::shutdown(upstream, SHUT_WR);
            } else if (!sendAll(upstream, buffer.data(), static_cast<std::size_t>(n))) {
                return;
            }
        }
        if (fds[1].revents & (POLLIN | POLLHUP | POLLERR)) {
            const ssize_t n = ::recv(upstream, buffer.data(), buffer.size(), 0);
            if (n <= 0)
                return;
            towardsPage += static_cast<unsigned long long>(n);
            if (towardsPage > limit) {
                ++shared.cut;
                return; // the page gets a broken response, never the whole of it
            }
            if (!sendAll(client, buffer.data(), static_cast<std::size_t>(n)))
                return;
        }
    }
}

void serve(int client, std::shared_ptr<SizeCapProxy::Shared> shared)
{
    setTimeouts(client);
    // Another user's process gets nothing here: the proxy reaches what the player can.
    if (peerUid(client) != static_cast<long>(::getuid())) {
        ::close(client);
        return;
    }
    std::string head;
    char chunk[4096];
    while (head.find("\r\n\r\n") == std::string::npos) {
        if (head.size() > SizeCapProxy::kMaxRequestHead) {
            refuse(client, "431 Request Header Fields Too Large");
            ::close(client);
            return;
        }
        const ssize_t n = ::recv(client, chunk, sizeof chunk, 0);
        if (n <= 0) {
            ::close(client);
            return;
        }
        head.append(chunk, static_cast<std::size_t>(n));
    }
    SizeCapProxy::Request request;
    const char* refusal = SizeCapProxy::readRequest(head, request);
    int upstream = -1;
    if (!refusal && (upstream = connectTo(request.host, request.port)) < 0)
        refusal = "502 Bad Gateway";
    if (refusal) {
        refuse(client, refusal);
        ::close(client);
        return;
    }
    if (request.tunnel) {
        const std::string ok = "HTTP/1.1 200 Connection established\r\n\r\n";
        sendAll(client, ok.data(), ok.size());
    }
    const std::string& outgoing = request.outgoing;
    if (sendAll(upstream, outgoing.data(), outgoing.size()))
        relay(client, upstream, shared->cap + SizeCapProxy::kHeaderAllowance, *shared);
    ::close(upstream);
    ::close(client);
}

} // namespace

const char* SizeCapProxy::readRequest(const std::string& received, Request& request)
{
    const std::string::size_type end = received.find("\r\n\r\n");
    if (end == std::string::npos)
        return "400 Bad Request";
    const std::string rest = received.substr(end + 4);
    const std::string head = received.substr(0, end + 2);
    const std::string::size_type lineEnd = head.find("\r\n");
    std::istringstream requestLine(head.substr(0, lineEnd));
    std::string method, target, version;
    requestLine >> method >> target >> version;
    request = Request();
    if (method == "CONNECT") {
        if (!splitHostPort(target, "443", request.host, request.port))
            return "502 Bad Gateway";
        request.tunnel = true;
        request.outgoing = rest;
        return nullptr;
    }
    // "GET http://host:port/path HTTP/1.1" goes out as "GET /path HTTP/1.1".
    if (target.compare(0, 7, "http://") != 0)
        return "400 Bad Request";
    const std::string::size_type slash = target.find('/', 7);
    const std::string authority = target.substr(7, slash == std::string::npos ? std::string::npos : slash - 7);
    const std::string path = slash == std::string::npos ? "/" : target.substr(slash);
    if (!splitHostPort(authority, "80", request.host, request.port))
        return "502 Bad Gateway";
    std::string& outgoing = request.outgoing;
    outgoing = method + " " + path + " " + version + "\r\n";
    std::istringstream lines(head.substr(lineEnd + 2));
    std::string line;
    while (std::getline(lines, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.empty())
            continue;
        std::string name = line.substr(0, line.find(':'));
        // "Accept-Encoding : gzip" is the same header to a lenient server.
        name.erase(name.find_last_not_of(" \t") + 1);
        std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return char(std::tolower(c)); });
        // One response a connection, in the bytes the page will hold.
        if (name == "proxy-connection" || name == "connection" || name == "keep-alive" || name == "accept-encoding" ||
            name == "proxy-authorization" || name == "te")
            continue;
        outgoing += line + "\r\n";
    }
    outgoing += "Accept-Encoding: identity\r\nConnection: close\r\n\r\n" + rest;
    return nullptr;
}

SizeCapProxy::SizeCapProxy(unsigned long long cap) : mShared(std::make_shared<Shared>()) { mShared->cap = cap; }

SizeCapProxy::~SizeCapProxy()
{
    if (mListener >= 0)
        ::shutdown(mListener, SHUT_RDWR);
    if (mAcceptor.joinable())
        mAcceptor.join();
    if (mListener >= 0)
        ::close(mListener);
}

bool SizeCapProxy::start()
{
    mListener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (mListener < 0)
        return false;
    sockaddr_in at{};
    at.sin_family = AF_INET;
    at.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof at;
    if (::bind(mListener, reinterpret_cast<sockaddr*>(&at), sizeof at) != 0 || ::listen(mListener, 64) != 0 ||
        ::getsockname(mListener, reinterpret_cast<sockaddr*>(&at), &length) != 0) {
        ::close(mListener);
        mListener = -1;
        return false;
    }
    mPort = ntohs(at.sin_port);
    mAcceptor = std::thread([this] { acceptLoop(); });
    return true;
}

void SizeCapProxy::acceptLoop()
{
    for (;;) {
        const int client = ::accept4(mListener, nullptr, nullptr, SOCK_CLOEXEC);
        if (client < 0) {
            if (errno == EMFILE || errno == ENFILE)
                std::this_thread::sleep_for(std::chrono::milliseconds(10)); // until a page's connection ends
            if (errno == EINTR || errno == ECONNABORTED || errno == EMFILE || errno == ENFILE)
                continue;
            return; // shut down
        }
        try {
            std::thread(serve, client, mShared).detach();
        } catch (const std::exception&) {
            ::close(client); // no thread to spare: the page's request fails
        }
    }
}

} // namespace webbrowser
