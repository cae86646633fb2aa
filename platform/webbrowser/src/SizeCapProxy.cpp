#include "SizeCapProxy.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <mutex>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sstream>
#include <string>
#include <strings.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <sys/un.h>
#include <unistd.h>
#include <vector>

#include <transport/FileServer.h>

#include "LoopbackPeer.h"

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

std::mutex gStrangerMutex;
std::function<bool(int)> gStrangerTest;

bool namedStranger(int fd)
{
    std::lock_guard<std::mutex> lock(gStrangerMutex);
    return gStrangerTest && gStrangerTest(fd);
}

/// The game's own file server: its Unix socket, never a host on the network.
int connectLocal(const std::string& path, SizeCapProxy::Shared& shared)
{
    sockaddr_un at{};
    at.sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof at.sun_path)
        return -1;
    std::memcpy(at.sun_path, path.c_str(), path.size() + 1);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return -1;
    setTimeouts(fd);
    shared.opened(fd);
    // A server of another process at its path (ours moved away) gets nothing, not the secret.
    if (::connect(fd, reinterpret_cast<sockaddr*>(&at), sizeof at) != 0 || !kavri3D::core::FileServer::servedHere(fd)) {
        shared.closed(fd);
        return -1;
    }
    return fd;
}

int connectTo(const std::string& host, const std::string& port, SizeCapProxy::Shared& shared)
{
    std::string localHost, localSocket;
    {
        std::lock_guard<std::mutex> lock(shared.routeMutex);
        localHost = shared.localHost;
        localSocket = shared.localSocket;
    }
    if (!localHost.empty() && ::strcasecmp(host.c_str(), localHost.c_str()) == 0)
        return port == "80" ? connectLocal(localSocket, shared) : -1;
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
        // Known before it connects: the proxy's end cuts a connect that waits on a quiet host.
        shared.opened(fd);
        if (::connect(fd, a->ai_addr, a->ai_addrlen) != 0) {
            shared.closed(fd);
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
/// cut past the limit. A plain request passes alone: what the page sends past its body is not
/// passed on. Its response's head is read whole first (readReply): one that says its body
/// comes compressed, or cannot be read one way only, is refused, the page gets a 502 instead.
void relay(int client, int upstream, const SizeCapProxy::Request& request, unsigned long long limit,
           SizeCapProxy::Shared& shared)
{
    const bool plain = !request.tunnel;
    std::vector<char> buffer(64 * 1024);
    unsigned long long towardsPage = 0;
    unsigned long long bodyLeft = request.bodyLeft;
    bool clientOpen = true;
    std::string head; // a plain response's heads, held until the final one is whole
    bool headRead = !plain;
    auto refuseReply = [&](SizeCapProxy::Reply reply) {
        if (reply == SizeCapProxy::Reply::Compressed)
            ++shared.compressed;
        refuse(client, "502 Bad Gateway");
    };
    for (;;) {
        pollfd fds[2] = {{client, static_cast<short>(clientOpen ? POLLIN : 0), 0}, {upstream, POLLIN, 0}};
        const int ready = ::poll(fds, 2, SizeCapProxy::kIdleSeconds * 1000);
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0)
            return;
        if (clientOpen && (fds[0].revents & (POLLIN | POLLHUP | POLLERR))) {
            const ssize_t n = ::recv(client, buffer.data(), buffer.size(), 0);
            std::size_t pass = n > 0 ? static_cast<std::size_t>(n) : 0;
            if (plain) {
                pass = static_cast<std::size_t>(std::min<unsigned long long>(pass, bodyLeft));
                bodyLeft -= pass;
            }
            if (n <= 0) {
                clientOpen = false;
                ::shutdown(upstream, SHUT_WR);
            } else if (pass > 0 && !sendAll(upstream, buffer.data(), pass)) {
                return;
            }
        }
        if (fds[1].revents & (POLLIN | POLLHUP | POLLERR)) {
            const ssize_t n = ::recv(upstream, buffer.data(), buffer.size(), 0);
            if (n <= 0) {
                std::string toPage;
                if (!headRead && !shared.isEnding()) {
                    const SizeCapProxy::Reply reply = SizeCapProxy::readReply(head, true, toPage);
                    if (reply == SizeCapProxy::Reply::Ready)
                        sendAll(client, toPage.data(), toPage.size()); // a reply that ended with its head
                    else
                        refuseReply(reply);
                }
                return;
            }
            towardsPage += static_cast<unsigned long long>(n);
            if (towardsPage > limit) {
                ++shared.cut;
                return; // the page gets a broken response, never the whole of it
            }
            if (!headRead) {
                head.append(buffer.data(), static_cast<std::size_t>(n));
                // A head ends only with a line: bytes without one are not read again.
                if (!std::memchr(buffer.data(), '\n', static_cast<std::size_t>(n)) &&
                    head.size() <= SizeCapProxy::kHeaderAllowance)
                    continue;
                std::string toPage;
                const SizeCapProxy::Reply reply = SizeCapProxy::readReply(head, false, toPage);
                if (reply == SizeCapProxy::Reply::More)
                    continue;
                if (reply != SizeCapProxy::Reply::Ready) {
                    refuseReply(reply);
                    return;
                }
                headRead = true;
                if (!sendAll(client, toPage.data(), toPage.size()))
                    return;
                continue;
            }
            if (!sendAll(client, buffer.data(), static_cast<std::size_t>(n)))
                return;
        }
    }
}

/// One page's connection, `client` already known to `shared`: read, sent on, relayed, closed.
void serve(int client, SizeCapProxy::Shared& shared)
{
    setTimeouts(client);
    std::string head;
    char chunk[4096];
    while (head.find("\r\n\r\n") == std::string::npos) {
        if (head.size() > SizeCapProxy::kMaxRequestHead) {
            refuse(client, "431 Request Header Fields Too Large");
            return;
        }
        const ssize_t n = ::recv(client, chunk, sizeof chunk, 0);
        if (n <= 0)
            return;
        head.append(chunk, static_cast<std::size_t>(n));
    }
    SizeCapProxy::Request request;
    const char* refusal = SizeCapProxy::readRequest(head, request);
    int upstream = -1;
    if (!refusal && (upstream = connectTo(request.host, request.port, shared)) < 0)
        refusal = "502 Bad Gateway";
    if (refusal) {
        refuse(client, refusal);
        return;
    }
    if (request.tunnel) {
        const std::string ok = "HTTP/1.1 200 Connection established\r\n\r\n";
        sendAll(client, ok.data(), ok.size());
    }
    const std::string& outgoing = request.outgoing;
    if (sendAll(upstream, outgoing.data(), outgoing.size()))
        relay(client, upstream, request, shared.cap + SizeCapProxy::kHeaderAllowance, shared);
    shared.closed(upstream);
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
    long long length = -1;
    while (std::getline(lines, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.empty())
            continue;
        const std::string::size_type colon = line.find(':');
        std::string name = line.substr(0, colon);
        // "Accept-Encoding : gzip" is the same header to a lenient server.
        name.erase(name.find_last_not_of(" \t") + 1);
        std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return char(std::tolower(c)); });
        // One response a connection, in the bytes the page will hold.
        if (name == "proxy-connection" || name == "connection" || name == "keep-alive" || name == "accept-encoding" ||
            name == "proxy-authorization" || name == "te")
            continue;
        // The body is passed as long as it says, and not a byte more: where it ends must be known.
        if (name == "transfer-encoding") {
            request = Request();
            return "411 Length Required";
        }
        if (name == "content-length") {
            std::string value = colon == std::string::npos ? std::string() : line.substr(colon + 1);
            value.erase(0, value.find_first_not_of(" \t"));
            value.erase(value.find_last_not_of(" \t") + 1);
            const long long said =
                value.empty() || value.size() > 15 || value.find_first_not_of("0123456789") != std::string::npos
                    ? -1
                    : std::stoll(value);
            if (said < 0 || (length >= 0 && said != length)) {
                request = Request();
                return "400 Bad Request";
            }
            length = said;
        }
        outgoing += line + "\r\n";
    }
    const std::size_t body = length < 0 ? 0 : static_cast<std::size_t>(std::min<long long>(length, rest.size()));
    request.bodyLeft = length < 0 ? 0 : static_cast<unsigned long long>(length) - body;
    outgoing += "Accept-Encoding: identity\r\nConnection: close\r\n\r\n" + rest.substr(0, body);
    return nullptr;
}

bool SizeCapProxy::compressedReply(const std::string& head)
{
    std::istringstream lines(head.substr(0, head.find("\r\n\r\n")));
    std::string line;
    std::getline(lines, line); // the status line
    while (std::getline(lines, line)) {
        const std::string::size_type colon = line.find(':');
        if (colon == std::string::npos)
            continue;
        std::string name = line.substr(0, colon), value = line.substr(colon + 1);
        name.erase(name.find_last_not_of(" \t") + 1);
        std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return char(std::tolower(c)); });
        std::transform(value.begin(), value.end(), value.begin(),
                       [](unsigned char c) { return char(std::tolower(c)); });
        value.erase(
            std::remove_if(value.begin(), value.end(), [](char c) { return c == ' ' || c == '\t' || c == '\r'; }),
            value.end());
        if (name == "content-encoding" && !value.empty() && value != "identity")
            return true;
        if (name == "transfer-encoding" && !value.empty() && value != "chunked" && value != "identity")
            return true;
    }
    return false;
}

namespace {

std::string lowered(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return text;
}

/// A header name's letters: a token, with no blank, colon or control character in it.
bool tokenName(const std::string& name)
{
    if (name.empty())
        return false;
    for (unsigned char c : name)
        if (c <= 0x20 || c >= 0x7f || std::strchr("()<>@,;:\\\"/[]?={}", c))
            return false;
    return true;
}

/// One head read from `at`: where it ends (past its blank line) and, when it is interim, so.
enum class Head { More, Bad, Interim, Final };

Head readHead(const std::string& received, std::size_t at, std::size_t& end, std::string& rewritten)
{
    rewritten.clear();
    bool first = true;
    bool interim = false;
    for (std::size_t from = at;;) {
        const std::size_t lf = received.find('\n', from);
        if (lf == std::string::npos)
            return Head::More;
        std::string line = received.substr(from, lf - from);
        from = lf + 1;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        // A CR or NUL inside a line is read one way here and another there.
        if (line.find('\r') != std::string::npos || line.find('\0') != std::string::npos)
            return Head::Bad;
        if (first) {
            // "HTTP/1.x NNN reason"
            if (line.size() < 12 || line.compare(0, 7, "HTTP/1.") != 0 || !std::isdigit((unsigned char)line[7]) ||
                line[8] != ' ' || !std::isdigit((unsigned char)line[9]) || !std::isdigit((unsigned char)line[10]) ||
                !std::isdigit((unsigned char)line[11]) || (line.size() > 12 && line[12] != ' '))
                return Head::Bad;
            const int status = std::atoi(line.c_str() + 9);
            // A switch of protocols was never asked for: the page's connection headers do not go on.
            if (status == 101)
                return Head::Bad;
            interim = status >= 100 && status < 200;
            rewritten = line + "\r\n";
            first = false;
            continue;
        }
        if (line.empty()) {
            end = from;
            if (!interim)
                rewritten += "Connection: close\r\n";
            rewritten += "\r\n";
            return interim ? Head::Interim : Head::Final;
        }
        // A folded line, or one that is no "name: value", is read differently by each reader.
        const std::size_t colon = line.find(':');
        if (colon == std::string::npos || !tokenName(line.substr(0, colon)))
            return Head::Bad;
        const std::string name = lowered(line.substr(0, colon));
        if (name == "connection" || name == "proxy-connection" || name == "keep-alive")
            continue;
        rewritten += line + "\r\n";
    }
}

} // namespace

SizeCapProxy::Reply SizeCapProxy::readReply(const std::string& received, bool ended, std::string& toPage)
{
    toPage.clear();
    std::size_t at = 0;
    for (;;) {
        std::size_t end = 0;
        std::string head;
        const Head kind = readHead(received, at, end, head);
        if (kind == Head::Bad)
            return Reply::Refused;
        if (kind == Head::More)
            return ended || received.size() > kHeaderAllowance ? Reply::Refused : Reply::More;
        if (end > kHeaderAllowance)
            return Reply::Refused;
        at = end;
        if (kind == Head::Interim)
            continue; // the final head comes after it
        if (compressedReply(head))
            return Reply::Compressed;
        toPage = head + received.substr(end);
        return Reply::Ready;
    }
}

SizeCapProxy::SizeCapProxy(unsigned long long cap) : mShared(std::make_shared<Shared>()) { mShared->cap = cap; }

void SizeCapProxy::setLocalRoute(const std::string& host, const std::string& socketPath)
{
    std::lock_guard<std::mutex> lock(mShared->routeMutex);
    mShared->localHost = socketPath.empty() ? std::string() : host;
    mShared->localSocket = socketPath;
}

SizeCapProxy::Counts SizeCapProxy::getCounts() const
{
    Counts counts;
    counts.served = mShared->served;
    counts.strangers = mShared->strangers;
    counts.busy = mShared->busy;
    return counts;
}

void SizeCapProxy::setStrangerTest(std::function<bool(int fd)> test)
{
    std::lock_guard<std::mutex> lock(gStrangerMutex);
    gStrangerTest = std::move(test);
}

void SizeCapProxy::Shared::opened(int fd)
{
    std::lock_guard<std::mutex> lock(openMutex);
    open.insert(fd);
    if (ending)
        ::shutdown(fd, SHUT_RDWR);
}

void SizeCapProxy::Shared::closed(int fd)
{
    {
        std::lock_guard<std::mutex> lock(openMutex);
        open.erase(fd);
    }
    ::close(fd);
}

void SizeCapProxy::Shared::finished()
{
    std::lock_guard<std::mutex> lock(openMutex);
    --active;
    allFinished.notify_all();
}

bool SizeCapProxy::Shared::isEnding()
{
    std::lock_guard<std::mutex> lock(openMutex);
    return ending;
}

void SizeCapProxy::Shared::endAll()
{
    std::unique_lock<std::mutex> lock(openMutex);
    ending = true;
    // Shut down, not closed: the number stays the thread's until it lets it go.
    for (int fd : open)
        ::shutdown(fd, SHUT_RDWR);
    allFinished.wait(lock, [this] { return active == 0; });
}

SizeCapProxy::~SizeCapProxy()
{
    if (mListener >= 0)
        ::shutdown(mListener, SHUT_RDWR);
    if (mAcceptor.joinable())
        mAcceptor.join();
    if (mListener >= 0)
        ::close(mListener);
    // No page's connection outlives the proxy: each is cut and its thread waited for.
    mShared->endAll();
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
    // The longest queue the system allows (the kernel cuts what is asked to its limit): another
    // user's churned connections then rarely fill it, and the page's own never wait for a
    // second try of their connection.
    if (::bind(mListener, reinterpret_cast<sockaddr*>(&at), sizeof at) != 0 ||
        ::listen(mListener, std::numeric_limits<int>::max()) != 0 ||
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
    LoopbackPeer peers;
    const long player = static_cast<long>(::geteuid());
    for (;;) {
        const int client = ::accept4(mListener, nullptr, nullptr, SOCK_CLOEXEC);
        if (client < 0) {
            if (errno == EMFILE || errno == ENFILE)
                std::this_thread::sleep_for(std::chrono::milliseconds(10)); // until a page's connection ends
            if (errno == EINTR || errno == ECONNABORTED || errno == EMFILE || errno == ENFILE)
                continue;
            return; // shut down
        }
        // Another user's process gets nothing here, not even a slot: the proxy reaches what the
        // player can. One question about this socket decides.
        if (peers.uidOf(client) != player || namedStranger(client)) {
            ::close(client);
            ++mShared->strangers;
            continue;
        }
        if (mShared->active >= kMaxConnections) {
            ++mShared->busy;
            refuse(client, "503 Service Unavailable");
            ::close(client);
            continue;
        }
        ++mShared->active;
        mShared->opened(client);
        try {
            // Detached, but never beyond the proxy: its end waits until each has finished.
            std::thread(
                [client](std::shared_ptr<Shared> shared) {
                    serve(client, *shared);
                    shared->closed(client);
                    shared->finished();
                },
                mShared)
                .detach();
            ++mShared->served;
        } catch (const std::exception&) {
            mShared->closed(client); // no thread to spare: the page's request fails
            mShared->finished();
        }
    }
}

} // namespace webbrowser
