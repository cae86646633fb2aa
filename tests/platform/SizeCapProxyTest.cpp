// The web view's proxy: it asks the kernel whose each connection is and drops another user's
// before it counts, serves at most its cap at once, refuses a reply that comes compressed and
// sends the game's own host to the file server's socket. (It is built into the browser's own
// library; its sources are compiled in here.)
#include <atomic>
#include <functional>
#include <grp.h>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <fstream>
#include <mutex>
#include <netinet/tcp.h>
#include <gtest/gtest.h>
#include <httplib.h>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <transport/FileServer.h>
#include <unistd.h>
#include <vector>

#include "LoopbackPeer.h"
#include "SizeCapProxy.h"
#include "support/FramePump.h"
#include "support/LoopbackSocket.h"
#include "support/PlantedServer.h"
#include "support/TestEnv.h"

using webbrowser::SizeCapProxy;

namespace {

/// All the proxy answered on a fresh connection to it, asked through it for `url` by a page
/// that would take a compressed reply.
std::string throughProxy(int port, const std::string& url)
{
    return zrktest::askThroughProxy(port, url, "Accept-Encoding: gzip\r\n");
}

/// Whether the server closed the connection within `ms` without a word.
bool closedAtOnce(int sock, int ms)
{
    pollfd fd{sock, POLLIN, 0};
    if (::poll(&fd, 1, ms) <= 0)
        return false;
    char c;
    return ::recv(sock, &c, 1, MSG_DONTWAIT) == 0;
}

/// Pages on this machine, over HTTP: a plain one, and one that comes compressed whatever it is
/// asked.
struct Pages {
    httplib::Server http;
    std::thread thread;
    int port = 0;
    Pages()
    {
        http.Get("/plain", [](const httplib::Request& req, httplib::Response& res) {
            res.set_content("plain page, asked " + req.get_header_value("Accept-Encoding"), "text/html");
        });
        http.Get("/packed", [](const httplib::Request&, httplib::Response& res) {
            res.set_header("Content-Encoding", "gzip");
            res.set_content(std::string("\x1f\x8b\x08\0\0\0\0\0\0\x03", 10), "text/html");
        });
        port = http.bind_to_any_port("127.0.0.1");
        thread = std::thread([this] { http.listen_after_bind(); }); // the socket listens already
    }
    ~Pages()
    {
        while (!http.is_running())
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        http.stop();
        thread.join();
    }
    std::string url(const std::string& path) const { return "http://127.0.0.1:" + std::to_string(port) + path; }
};

/// A child process (as the user `uid` when it is not -1) that runs `body` once told to go. It is
/// made at once, before the test's own connections are open: a child made while they are keeps
/// copies of them, and they would not close while it lives.
class Child {
public:
    Child(uid_t uid, std::function<int()> body)
    {
        if (::pipe(mGo) != 0)
            return;
        mPid = ::fork();
        if (mPid == 0) {
            char c = 0;
            if ((uid != static_cast<uid_t>(-1) && (::setgroups(0, nullptr) != 0 || ::setresgid(uid, uid, uid) != 0 ||
                                                   ::setresuid(uid, uid, uid) != 0)) ||
                ::read(mGo[0], &c, 1) != 1)
                ::_exit(100);
            ::_exit(body());
        }
    }
    /// Tells it to go and waits for its end: its exit code.
    int run()
    {
        if (mPid <= 0 || ::write(mGo[1], "g", 1) != 1)
            return -1;
        int status = 0;
        ::waitpid(mPid, &status, 0);
        mPid = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    ~Child()
    {
        if (mPid > 0) {
            ::kill(mPid, SIGKILL);
            ::waitpid(mPid, nullptr, 0);
        }
        ::close(mGo[0]);
        ::close(mGo[1]);
    }

private:
    int mGo[2] = {-1, -1};
    pid_t mPid = -1;
};

/// A listening socket of this machine and the connections it takes, for asking LoopbackPeer.
struct Listener {
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    int port = 0;
    Listener()
    {
        sockaddr_in at{};
        at.sin_family = AF_INET;
        at.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof at;
        ::bind(fd, reinterpret_cast<sockaddr*>(&at), sizeof at);
        ::listen(fd, 8);
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&at), &length);
        port = ntohs(at.sin_port);
    }
    ~Listener() { ::close(fd); }
};

/// A host of the network that answers its one connection's first request head with `reply`,
/// as written (closing it after, or keeping it open), and keeps all it is sent until the
/// connection ends.
struct RawHost {
    Listener listener;
    std::thread thread;
    std::mutex mutex;
    std::string received;
    bool ended = false;

    RawHost(const std::string& reply, bool closeAfter)
        : thread([this, reply, closeAfter] {
              pollfd wait{listener.fd, POLLIN, 0};
              const int sock = ::poll(&wait, 1, 10000) > 0 ? ::accept(listener.fd, nullptr, nullptr) : -1;
              bool answered = false;
              for (char buffer[4096]; sock >= 0;) {
                  pollfd in{sock, POLLIN, 0};
                  const ssize_t n = ::poll(&in, 1, 10000) > 0 ? ::recv(sock, buffer, sizeof buffer, 0) : 0;
                  if (n <= 0)
                      break;
                  std::lock_guard<std::mutex> lock(mutex);
                  received.append(buffer, static_cast<std::size_t>(n));
                  if (!answered && received.find("\r\n\r\n") != std::string::npos) {
                      answered = true;
                      ::send(sock, reply.data(), reply.size(), MSG_NOSIGNAL);
                      if (closeAfter)
                          break;
                  }
              }
              if (sock >= 0)
                  ::close(sock);
              std::lock_guard<std::mutex> lock(mutex);
              ended = true;
          })
    {
    }
    ~RawHost() { thread.join(); }
    std::string url(const std::string& path) const
    {
        return "http://127.0.0.1:" + std::to_string(listener.port) + path;
    }
    bool hasEnded()
    {
        std::lock_guard<std::mutex> lock(mutex);
        return ended;
    }
    std::string sent()
    {
        std::lock_guard<std::mutex> lock(mutex);
        return received;
    }
};

} // namespace

TEST(SizeCapProxy, TheKernelSaysWhoseEachConnectionIsByThatSocketAlone)
{
    Listener listener;
    webbrowser::LoopbackPeer peers;
    const int own = zrktest::connectLoopback(listener.port);
    const int taken = ::accept(listener.fd, nullptr, nullptr);
    ASSERT_GE(taken, 0);
    EXPECT_EQ(peers.uidOf(taken), static_cast<long>(::geteuid()));
    ::close(own);
    ::close(taken);
    if (::geteuid() == 0) {
        // Another account's connection, for real.
        int ready[2];
        ASSERT_EQ(::pipe(ready), 0);
        const pid_t child = ::fork();
        if (child == 0) {
            if (::setgroups(0, nullptr) != 0 || ::setresgid(65534, 65534, 65534) != 0 ||
                ::setresuid(65534, 65534, 65534) != 0)
                ::_exit(1);
            const int theirs = zrktest::connectLoopback(listener.port);
            char c = theirs >= 0 ? 'y' : 'n';
            (void)!::write(ready[1], &c, 1);
            ::sleep(2); // holds it while it is asked about
            ::_exit(0);
        }
        char c = 0;
        ASSERT_EQ(::read(ready[0], &c, 1), 1);
        ASSERT_EQ(c, 'y');
        const int theirs = ::accept(listener.fd, nullptr, nullptr);
        EXPECT_EQ(peers.uidOf(theirs), 65534);
        ::close(theirs);
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);
        ::close(ready[0]);
        ::close(ready[1]);
    }
    // A peer that connected and closed at once is kept only as a bare record: nobody's to trust,
    // even where that record shows user 0 and the player is root.
    const int gone = zrktest::connectLoopback(listener.port);
    ::close(gone);
    const int left = ::accept(listener.fd, nullptr, nullptr);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(peers.uidOf(left), -1);
    ::close(left);
    // No TCP connection at all: nobody's either.
    int pair[2];
    ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM, 0, pair), 0);
    EXPECT_EQ(peers.uidOf(pair[0]), -1);
    ::close(pair[0]);
    ::close(pair[1]);
}

TEST(SizeCapProxy, AnotherUsersFloodIsDroppedBeforeItCountsAndThePagesRequestsAllGoThrough)
{
    Pages pages;
    SizeCapProxy proxy(8u << 20);
    ASSERT_TRUE(proxy.start());
    std::atomic<bool> over{false};
    // As root the flood comes from another account for real; elsewhere the check names it a
    // stranger by the address it comes from (127.0.0.2; the player's own come from 127.0.0.1).
    const uid_t stranger = ::geteuid() == 0 ? 65534 : static_cast<uid_t>(-1);
    if (stranger == static_cast<uid_t>(-1)) {
        SizeCapProxy::setStrangerTest([](int fd) {
            sockaddr_in peer{};
            socklen_t length = sizeof peer;
            return ::getpeername(fd, reinterpret_cast<sockaddr*>(&peer), &length) == 0 &&
                   peer.sin_addr.s_addr == htonl(0x7f000002);
        });
    }
    Child flooder(stranger, [&] {
        auto connectFrom = [&]() {
            const int sock = ::socket(AF_INET, SOCK_STREAM, 0);
            sockaddr_in from{}, to{};
            from.sin_family = to.sin_family = AF_INET;
            from.sin_addr.s_addr = htonl(stranger == static_cast<uid_t>(-1) ? 0x7f000002 : 0x7f000001);
            to.sin_addr.s_addr = htonl(0x7f000001);
            to.sin_port = htons(static_cast<std::uint16_t>(proxy.port()));
            ::bind(sock, reinterpret_cast<sockaddr*>(&from), sizeof from);
            if (::connect(sock, reinterpret_cast<sockaddr*>(&to), sizeof to) != 0) {
                ::close(sock);
                return -1;
            }
            return sock;
        };
        // Silent connections held open, and others churned, for two seconds.
        std::vector<int> held;
        for (int i = 0; i < 200; ++i)
            held.push_back(connectFrom());
        int closed = 0;
        for (int sock : held)
            closed += sock >= 0 && closedAtOnce(sock, 2000) ? 1 : 0;
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(2);
        while (std::chrono::steady_clock::now() < end) {
            const int sock = connectFrom();
            if (sock >= 0)
                ::close(sock);
        }
        for (int sock : held)
            ::close(sock);
        return closed == 200 ? 0 : 1;
    });
    int flooded = -1;
    std::thread flood([&] {
        flooded = flooder.run();
        over = true;
    });
    // Meanwhile every request of the page goes through.
    int answered = 0, asked = 0;
    while (!over) {
        ++asked;
        answered += throughProxy(proxy.port(), pages.url("/plain")).find("plain page") != std::string::npos ? 1 : 0;
    }
    flood.join();
    SizeCapProxy::setStrangerTest(nullptr);
    EXPECT_EQ(flooded, 0) << "each of the 200 silent connections was closed at once";
    EXPECT_GT(asked, 5);
    EXPECT_EQ(answered, asked);
    const SizeCapProxy::Counts counts = proxy.getCounts();
    EXPECT_GE(counts.strangers, 200u);
    EXPECT_EQ(counts.busy, 0u);
    EXPECT_EQ(counts.served, static_cast<unsigned long>(asked));
}

TEST(SizeCapProxy, ConnectionsOverItsCapAreAnsweredBusyAtOnce)
{
    SizeCapProxy proxy(8u << 20);
    ASSERT_TRUE(proxy.start());
    std::vector<int> held;
    for (unsigned i = 0; i < SizeCapProxy::kMaxConnections; ++i)
        held.push_back(zrktest::connectLoopback(proxy.port()));
    const auto counted = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (proxy.getCounts().served < SizeCapProxy::kMaxConnections && std::chrono::steady_clock::now() < counted)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    const int over = zrktest::connectLoopback(proxy.port());
    std::string answer(64, '\0');
    pollfd fd{over, POLLIN, 0};
    ASSERT_GT(::poll(&fd, 1, 2000), 0);
    answer.resize(static_cast<std::size_t>(std::max<ssize_t>(0, ::recv(over, &answer[0], answer.size(), 0))));
    EXPECT_EQ(answer.compare(0, 12, "HTTP/1.1 503"), 0) << answer;
    EXPECT_EQ(proxy.getCounts().busy, 1u);
    ::close(over);
    for (int sock : held)
        ::close(sock);
}

TEST(SizeCapProxy, AReplySentCompressedIsRefusedAndThePageAskedForNone)
{
    Pages pages;
    SizeCapProxy proxy(8u << 20);
    ASSERT_TRUE(proxy.start());
    const std::string plain = throughProxy(proxy.port(), pages.url("/plain"));
    EXPECT_NE(plain.find("plain page, asked identity"), std::string::npos) << plain;
    EXPECT_EQ(proxy.takeCompressedCount(), 0u);
    const std::string packed = throughProxy(proxy.port(), pages.url("/packed"));
    EXPECT_EQ(packed.compare(0, 12, "HTTP/1.1 502"), 0) << packed;
    EXPECT_EQ(proxy.takeCompressedCount(), 1u);
    EXPECT_EQ(proxy.takeCutCount(), 0u);

    EXPECT_TRUE(SizeCapProxy::compressedReply("HTTP/1.1 200 OK\r\ncontent-encoding : GZIP\r\n\r\n"));
    EXPECT_TRUE(SizeCapProxy::compressedReply("HTTP/1.1 200 OK\r\nTransfer-Encoding: gzip, chunked\r\n\r\n"));
    EXPECT_FALSE(SizeCapProxy::compressedReply("HTTP/1.1 200 OK\r\nContent-Encoding: identity\r\n\r\n"));
    EXPECT_FALSE(SizeCapProxy::compressedReply("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n"));
}

TEST(SizeCapProxy, TheGamesOwnHostIsItsFileServersSocketAndNoMachineOfTheNetwork)
{
    zrktest::PlantedServer planted; // made before any connection of the test's own
    zrktest::TempDir dir;
    zrktest::writeFile(dir.file("web/news.html"), "<p>news</p>");
    kavri3D::core::FileServer files;
    ASSERT_TRUE(files.start("/inst", dir.file("pub"), dir.file("web")));
    SizeCapProxy proxy(8u << 20);
    ASSERT_TRUE(proxy.start());
    const std::string page = files.getAddress() + "/web/news.html";
    EXPECT_EQ(throughProxy(proxy.port(), page).compare(0, 12, "HTTP/1.1 502"), 0); // no route yet: nowhere
    proxy.setLocalRoute(kavri3D::core::FileServer::kHost, files.getSocketPath());
    const std::string reply = throughProxy(proxy.port(), page);
    EXPECT_EQ(reply.compare(0, 12, "HTTP/1.1 200"), 0) << reply;
    EXPECT_NE(reply.find("<p>news</p>"), std::string::npos);
    // Only plain HTTP on its port: no tunnel to it, no other port of it.
    const std::string other = "http://zrk-files.invalid:8080" + files.getPrefix() + "/web/news.html";
    EXPECT_EQ(throughProxy(proxy.port(), other).compare(0, 12, "HTTP/1.1 502"), 0);
    // Its socket moved away and another process's server put at the same path: the page gets a
    // 502, that server nothing, not the secret.
    ASSERT_EQ(::unlink(files.getSocketPath().c_str()), 0);
    ASSERT_TRUE(planted.plant(files.getSocketPath()));
    EXPECT_EQ(throughProxy(proxy.port(), page).compare(0, 12, "HTTP/1.1 502"), 0);
    int connections = 0;
    EXPECT_EQ(planted.finish(connections), "");
    EXPECT_EQ(connections, 1);
}

TEST(SizeCapProxy, ItsEndClosesEveryPagesConnectionAndWaitsForTheirThreads)
{
    Listener silent; // a host that takes the request and never answers
    int page = -1, upstream = -1;
    {
        SizeCapProxy proxy(8u << 20);
        ASSERT_TRUE(proxy.start());
        page = zrktest::connectLoopback(proxy.port());
        const std::string request =
            "GET http://127.0.0.1:" + std::to_string(silent.port) + "/slow HTTP/1.1\r\nHost: x\r\n\r\n";
        ::send(page, request.data(), request.size(), MSG_NOSIGNAL);
        pollfd fd{silent.fd, POLLIN, 0};
        ASSERT_GT(::poll(&fd, 1, 5000), 0);
        upstream = ::accept(silent.fd, nullptr, nullptr);
        ASSERT_GE(upstream, 0);
        char asked[4096];
        pollfd sent{upstream, POLLIN, 0};
        ASSERT_GT(::poll(&sent, 1, 5000), 0);
        ASSERT_GT(::recv(upstream, asked, sizeof asked, 0), 0);
        // The page's thread now waits on both sockets, for as long as the host keeps quiet.
    }
    // The proxy is gone and its threads with it: both ends see their connection end at once.
    EXPECT_TRUE(closedAtOnce(page, 1000));
    EXPECT_TRUE(closedAtOnce(upstream, 1000));
    ::close(page);
    ::close(upstream);
}

// What a host answers is read whole before any of it reaches the page: the shapes in which a
// compressed body once slipped past the check, and a kept-alive connection the page must not
// read a second response from.
TEST(SizeCapProxy, EachResponseHeadIsReadWholeAndReadOneWayBeforeAnyOfItPasses)
{
    SizeCapProxy proxy(8u << 20);
    ASSERT_TRUE(proxy.start());
    const std::string gzip("\x1f\x8b\x08\0\0\0\0\0\0\x03", 10);
    auto through = [&](const std::string& reply, bool closeAfter) {
        RawHost host(reply, closeAfter);
        return throughProxy(proxy.port(), host.url("/page"));
    };
    const struct {
        const char* what;
        std::string reply;
        bool closeAfter;
    } packed[] = {
        {"an interim head first",
         "HTTP/1.1 100 Continue\r\n\r\nHTTP/1.1 200 OK\r\nContent-Encoding: gzip\r\nContent-Length: 10\r\n\r\n" + gzip,
         false},
        {"a folded encoding", "HTTP/1.1 200 OK\r\nContent-Length: 10\r\nContent-Encoding:\r\n gzip\r\n\r\n" + gzip,
         false},
        {"a head of bare LFs ended by the close", "HTTP/1.1 200 OK\nContent-Encoding: gzip\n\n" + gzip, true},
    };
    for (const auto& shape : packed) {
        const std::string page = through(shape.reply, shape.closeAfter);
        EXPECT_EQ(page.compare(0, 12, "HTTP/1.1 502"), 0) << shape.what << ": " << page;
        EXPECT_EQ(page.find(gzip), std::string::npos) << shape.what;
    }
    EXPECT_EQ(proxy.takeCompressedCount(), 2u); // the folded one is refused as unreadable

    // Plain replies in those shapes pass, each with one head in CRLF lines that ends the connection.
    const std::string interim =
        through("HTTP/1.1 100 Continue\r\n\r\nHTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\nplain", true);
    EXPECT_EQ(interim, "HTTP/1.1 200 OK\r\nContent-Length: 5\r\nConnection: close\r\n\r\nplain");
    const std::string bare = through("HTTP/1.1 200 OK\nContent-Type: text/html\n\nplain", true);
    EXPECT_EQ(bare, "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nConnection: close\r\n\r\nplain");
    const std::string second = through("HTTP/1.1 200 OK\r\nContent-Length: 2\r\nConnection: keep-alive\r\n"
                                       "Keep-Alive: timeout=5\r\n\r\nhi"
                                       "HTTP/1.1 200 OK\r\nContent-Encoding: gzip\r\n\r\n" +
                                           gzip,
                                       true);
    EXPECT_EQ(second.compare(0, 59, "HTTP/1.1 200 OK\r\nContent-Length: 2\r\nConnection: close\r\n\r\nhi"), 0)
        << second;
    EXPECT_EQ(second.find("keep-alive"), std::string::npos);

    // A head past its limit, one cut by the close, a line that is no header, a CR or NUL inside
    // a line, a switch of protocols nobody asked for, no status line: none is read.
    for (const std::string& reply :
         {"HTTP/1.1 200 OK\r\nX-Pad: " + std::string(SizeCapProxy::kHeaderAllowance, 'x') + "\r\n\r\n",
          std::string("HTTP/1.1 200 OK\r\nContent-Type: text/html\r\n"),
          std::string("HTTP/1.1 200 OK\r\nno header\r\n\r\nx"),
          std::string("HTTP/1.1 200 OK\r\nContent-Encoding : gzip\r\n\r\nx"),
          std::string("HTTP/1.1 200 OK\r\nX-A: 1\r\n Content-Encoding: gzip\r\n\r\nx"),
          std::string("HTTP/1.1 200 OK\r\nX-A: 1\rContent-Encoding: gzip\r\n\r\nx"),
          std::string("HTTP/1.1 200 OK\r\nX-A: 1\0\r\n\r\nx", 29),
          std::string("HTTP/1.1 101 Switching Protocols\r\nUpgrade: h2c\r\n\r\nHTTP/1.1 200 OK\r\n\r\nx"),
          std::string("x\r\n\r\nx")})
        EXPECT_EQ(through(reply, true).compare(0, 12, "HTTP/1.1 502"), 0) << reply.substr(0, 60);
    EXPECT_EQ(proxy.takeCutCount(), 0u);
}

TEST(SizeCapProxy, OnlyThePagesFirstRequestOfAConnectionGoesOn)
{
    SizeCapProxy proxy(8u << 20);
    ASSERT_TRUE(proxy.start());
    RawHost host("HTTP/1.1 200 OK\r\nContent-Length: 5\r\nConnection: keep-alive\r\n\r\nfirst", false);
    // A page that would keep the connection: a form's body, then a second request, for the
    // game's own host, behind it.
    const int page = zrktest::connectLoopback(proxy.port());
    const std::string asked = "POST " + host.url("/form") +
                              " HTTP/1.1\r\nHost: x\r\nConnection: keep-alive\r\nContent-Length: 3\r\n\r\na=1"
                              "GET http://zrk-files.invalid/0123456789abcdef0123456789abcdef/files/a HTTP/1.1\r\n"
                              "Host: zrk-files.invalid\r\n\r\n";
    ::send(page, asked.data(), asked.size(), MSG_NOSIGNAL);
    std::string reply;
    for (char buffer[4096]; reply.find("first") == std::string::npos;) {
        pollfd in{page, POLLIN, 0};
        const ssize_t n = ::poll(&in, 1, 5000) > 0 ? ::recv(page, buffer, sizeof buffer, 0) : 0;
        if (n <= 0)
            break;
        reply.append(buffer, static_cast<std::size_t>(n));
    }
    EXPECT_EQ(reply, "HTTP/1.1 200 OK\r\nContent-Length: 5\r\nConnection: close\r\n\r\nfirst");
    // Another one after the answer: not passed on either.
    const std::string more = "GET http://zrk-files.invalid/x HTTP/1.1\r\nHost: zrk-files.invalid\r\n\r\n";
    ::send(page, more.data(), more.size(), MSG_NOSIGNAL);
    ::shutdown(page, SHUT_WR); // the page is done: the host sees its end
    zrktest::FramePump pump([] {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        return true;
    });
    ASSERT_TRUE(pump.untilSeconds([&] { return host.hasEnded(); }, 10, "the host's connection to end"));
    ::close(page);
    const std::string sent = host.sent();
    EXPECT_EQ(sent.find("POST /form HTTP/1.1\r\n"), 0u) << sent;
    EXPECT_EQ(sent.substr(sent.size() - 7), "\r\n\r\na=1");
    EXPECT_EQ(sent.find("zrk-files"), std::string::npos) << sent;
    EXPECT_EQ(sent.find("GET"), std::string::npos) << sent;

    // A body whose end the proxy cannot tell is refused before anything goes on.
    SizeCapProxy::Request request;
    EXPECT_STREQ(SizeCapProxy::readRequest("POST http://h/ HTTP/1.1\r\nTransfer-Encoding: chunked\r\n\r\n", request),
                 "411 Length Required");
    EXPECT_STREQ(
        SizeCapProxy::readRequest("POST http://h/ HTTP/1.1\r\nContent-Length: 3\r\nContent-Length: 4\r\n\r\n", request),
        "400 Bad Request");
    EXPECT_EQ(SizeCapProxy::readRequest("POST http://h/ HTTP/1.1\r\nContent-Length: 9\r\n\r\nabc", request), nullptr);
    EXPECT_EQ(request.bodyLeft, 6u);
}

TEST(SizeCapProxy, ItListensWithTheLongestQueueTheSystemAllows)
{
    SizeCapProxy proxy(8u << 20);
    ASSERT_TRUE(proxy.start());
    unsigned most = 0;
    std::ifstream("/proc/sys/net/core/somaxconn") >> most;
    ASSERT_GT(most, 0u);
    // The proxy's listening socket among this process's: the kernel tells its queue's length.
    unsigned queue = 0;
    DIR* fds = ::opendir("/proc/self/fd");
    ASSERT_NE(fds, nullptr);
    while (dirent* entry = ::readdir(fds)) {
        const int fd = std::atoi(entry->d_name);
        sockaddr_in at{};
        socklen_t length = sizeof at;
        int listening = 0;
        socklen_t flag = sizeof listening;
        tcp_info info{};
        socklen_t infoLength = sizeof info;
        if (fd > 2 && ::getsockname(fd, reinterpret_cast<sockaddr*>(&at), &length) == 0 && at.sin_family == AF_INET &&
            ntohs(at.sin_port) == proxy.port() && ::getsockopt(fd, SOL_SOCKET, SO_ACCEPTCONN, &listening, &flag) == 0 &&
            listening && ::getsockopt(fd, IPPROTO_TCP, TCP_INFO, &info, &infoLength) == 0)
            queue = info.tcpi_sacked; // a listening socket's longest queue
    }
    ::closedir(fds);
    EXPECT_EQ(queue, most);
}
