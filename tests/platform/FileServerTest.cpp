// The built-in file server: this machine only, GET and HEAD only, the published tree under the
// installer path and the web pages under "/web/", and nothing outside them however the path
// is written. And the signatures the manifest compares files by.
#include <arpa/inet.h>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <httplib.h>
#include <mutex>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <thread>
#include <transport/TransportService.h>
#include <unistd.h>
#include <vector>
#include <util/Manifest.h>

#include "support/LoopbackFiles.h"
#include "support/LoopbackSocket.h"
#include "support/TestEnv.h"

using namespace kavri3D::core;

namespace {

/// What the server says before it closes, waiting at most `ms`; "open" while it keeps the
/// connection without a word.
std::string answerWithin(int sock, int ms)
{
    std::string reply;
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    for (;;) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now()).count();
        pollfd fd{sock, POLLIN, 0};
        if (::poll(&fd, 1, left > 0 ? static_cast<int>(left) : 0) <= 0)
            return reply.empty() ? "open" : reply;
        char buffer[512];
        const ssize_t n = ::recv(sock, buffer, sizeof buffer, 0);
        if (n <= 0)
            return reply.empty() ? "closed" : reply;
        reply.append(buffer, static_cast<std::size_t>(n));
    }
}

/// Ends the test run when a stop hangs, instead of hanging the suite.
struct Watchdog {
    std::mutex mutex;
    std::condition_variable cv;
    bool over = false;
    std::thread thread;
    explicit Watchdog(int seconds)
        : thread([this, seconds] {
              std::unique_lock<std::mutex> lock(mutex);
              if (!cv.wait_for(lock, std::chrono::seconds(seconds), [this] { return over; })) {
                  std::fprintf(stderr, "the file server did not stop\n");
                  std::abort();
              }
          })
    {
    }
    ~Watchdog()
    {
        {
            std::lock_guard<std::mutex> lock(mutex);
            over = true;
        }
        cv.notify_all();
        thread.join();
    }
};

struct FileServerFixture : ::testing::Test {
    zrktest::TempDir dir;
    FileServer server;
    std::unique_ptr<httplib::Client> client;

    FileServerFixture()
    {
        zrktest::writeFile(dir.file("pub/res/GUIX1/a.png"), "picture");
        zrktest::writeFile(dir.file("web/index.html"), "<p>hello</p>");
        zrktest::writeFile(dir.file("secret.txt"), "not served");
        std::filesystem::create_symlink(dir.file("secret.txt"), dir.file("pub/res/link.txt"));
        EXPECT_TRUE(server.start("/files/installer/latest", dir.file("pub"), dir.file("web")));
        client.reset(new httplib::Client("127.0.0.1", server.getPort()));
    }
    /// The path as the game asks it: behind the run's secret.
    std::string own(const std::string& path) const { return server.getPrefix() + path; }
    int status(const std::string& path)
    {
        auto res = client->Get(own(path).c_str());
        return res ? res->status : -1;
    }
};

} // namespace

TEST_F(FileServerFixture, ServesThePublishedTreeAndTheWebPagesOnly)
{
    EXPECT_EQ(server.getAddress(), "http://127.0.0.1:" + std::to_string(server.getPort()) + server.getPrefix());
    EXPECT_EQ(server.getPrefix().size(), 33u);
    auto res = client->Get(own("/files/installer/latest/files/res/GUIX1/a.png").c_str());
    ASSERT_TRUE(res);
    EXPECT_EQ(res->status, 200);
    EXPECT_EQ(res->body, "picture");
    EXPECT_EQ(res->get_header_value("Content-Type"), "image/png");
    auto head = client->Head(own("/files/installer/latest/files/res/GUIX1/a.png").c_str());
    ASSERT_TRUE(head);
    EXPECT_EQ(head->status, 200);
    EXPECT_TRUE(head->body.empty());
    EXPECT_EQ(status("/web/index.html"), 200);

    EXPECT_EQ(status("/files/res/GUIX1/a.png"), 404); // without the installer path
    EXPECT_EQ(status("/files/installer/latest/files/res/GUIX1/none.png"), 404);
    EXPECT_EQ(status("/files/installer/latest/files/res/GUIX1"), 404); // a folder
    auto post = client->Post(own("/files/installer/latest/files/res/GUIX1/a.png").c_str(), "x", "text/plain");
    ASSERT_TRUE(post);
    EXPECT_EQ(post->status, 405);
    auto del = client->Delete(own("/files/installer/latest/files/res/GUIX1/a.png").c_str());
    ASSERT_TRUE(del);
    EXPECT_EQ(del->status, 405);
    EXPECT_TRUE(std::filesystem::exists(dir.file("pub/res/GUIX1/a.png")));
}

TEST_F(FileServerFixture, NothingOutsideItsFoldersHoweverThePathIsWritten)
{
    for (const char* path :
         {"/files/installer/latest/files/../secret.txt", "/files/installer/latest/files/%2e%2e/secret.txt",
          "/files/installer/latest/files/%2E%2E/%2e%2e/secret.txt",
          "/files/installer/latest/files/res/..%2f..%2fsecret.txt", "/web/../secret.txt", "/web/%2e%2e/secret.txt",
          "/files/installer/latest/files/res/link.txt", "/files/installer/latest/files//etc/passwd",
          "/files/installer/latest/files/res\\..\\..\\secret.txt"}) {
        auto res = client->Get(own(path).c_str());
        if (res) {
            EXPECT_NE(res->body, "not served") << path;
        }
        EXPECT_EQ(server.fileFor(path), "") << path;
    }
    // The same asked without any client's tidying of the path.
    const int sock = zrktest::connectLoopback(server.getPort());
    ASSERT_GE(sock, 0);
    const std::string request = "GET " + own("/files/installer/latest/files/../../secret.txt") +
                                " HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n";
    ASSERT_EQ(::send(sock, request.data(), request.size(), 0), static_cast<ssize_t>(request.size()));
    std::string reply;
    char buffer[4096];
    for (ssize_t n; (n = ::recv(sock, buffer, sizeof buffer, 0)) > 0;)
        reply.append(buffer, static_cast<std::size_t>(n));
    ::close(sock);
    EXPECT_EQ(reply.find("not served"), std::string::npos);
}

TEST_F(FileServerFixture, ListensOnThisMachineOnlyAndStopsCleanly)
{
    // The socket's own address, as the kernel has it: 127.0.0.1, never a wildcard.
    const std::string ss = "ss -ltnH 2>/dev/null | awk '{print $4}' | grep ':" + std::to_string(server.getPort()) +
                           "$' > " + dir.file("listen.txt");
    if (std::system(ss.c_str()) == 0) {
        EXPECT_EQ(zrktest::readFile(dir.file("listen.txt")), "127.0.0.1:" + std::to_string(server.getPort()) + "\n");
    }
    server.stop();
    EXPECT_FALSE(server.isRunning());
    EXPECT_EQ(server.getAddress(), "");
    EXPECT_EQ(status("/web/index.html"), -1);
}

TEST(FileServer, StartReturnsAtOnceAndAStopRightAfterStillEndsTheLoop)
{
    // The start does not wait for the serving thread: a client at once is queued, not refused,
    // and a stop before the loop has run still ends it (the test would hang otherwise).
    zrktest::TempDir dir;
    zrktest::writeFile(dir.file("pub/a.txt"), "a");
    for (int round = 0; round < 20; ++round) {
        FileServer server;
        ASSERT_TRUE(server.start("/inst", dir.file("pub"), dir.file("web")));
        if (round % 2 == 0) {
            httplib::Client client("127.0.0.1", server.getPort());
            auto res = client.Get((server.getPrefix() + "/inst/files/a.txt").c_str());
            ASSERT_TRUE(res);
            EXPECT_EQ(res->status, 200);
            EXPECT_EQ(res->body, "a");
        }
        server.stop();
        EXPECT_FALSE(server.isRunning());
    }
}

TEST(FileServer, SlowClientsOfAnotherAccountHoldUpNeitherTheGamesDownloadsNorTheStop)
{
    Watchdog watchdog(60);
    zrktest::TempDir dir;
    zrktest::writeFile(dir.file("pub/res/a.png"), "picture");
    FileServer server;
    ASSERT_TRUE(server.start("/inst", dir.file("pub"), dir.file("web")));
    const int port = server.getPort();

    // 32 connections at once: silent ones, ones that ask without the secret and then trickle
    // headers, and ones that know the secret but trickle their headers a line at a time.
    std::vector<int> silent, foreign, trickling;
    for (int i = 0; i < 32; ++i) {
        const int sock = zrktest::connectLoopback(port);
        ASSERT_GE(sock, 0);
        if (i % 3 == 0) {
            silent.push_back(sock);
        } else if (i % 3 == 1) {
            const std::string line = "GET /inst/files/res/a.png HTTP/1.1\r\nX-A: 1\r\n";
            ::send(sock, line.data(), line.size(), MSG_NOSIGNAL);
            foreign.push_back(sock);
        } else {
            const std::string line = "GET " + server.getPrefix() + "/inst/files/res/a.png HTTP/1.1\r\n";
            ::send(sock, line.data(), line.size(), MSG_NOSIGNAL);
            trickling.push_back(sock);
        }
    }
    std::atomic<bool> over{false};
    std::thread trickle([&] {
        while (!over) {
            for (int sock : trickling)
                ::send(sock, "X-B: 1\r\n", 8, MSG_NOSIGNAL);
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
        }
    });

    // The game's own download goes through at once.
    TransportService& transport = TransportService::instance();
    std::string error;
    const auto asked = std::chrono::steady_clock::now();
    EXPECT_TRUE(transport.transferNow(server.getAddress() + "/inst/files/res/a.png", dir.file("got.png"), error))
        << error;
    EXPECT_LT(std::chrono::steady_clock::now() - asked, std::chrono::seconds(2));
    EXPECT_EQ(zrktest::readFile(dir.file("got.png")), "picture");

    // A request without the secret is refused on its first line.
    for (int sock : foreign)
        EXPECT_EQ(answerWithin(sock, 1000).compare(0, 12, "HTTP/1.1 404"), 0);
    // Headers that never end, or never begin, lose the connection at the header deadline.
    for (int sock : trickling)
        EXPECT_NE(answerWithin(sock, 3000), "open");
    for (int sock : silent)
        EXPECT_NE(answerWithin(sock, 3000), "open");

    // New slow ones again, and the stop does not wait for them.
    std::vector<int> held;
    for (int i = 0; i < 32; ++i) {
        const int sock = zrktest::connectLoopback(port);
        const std::string part = "GET " + server.getPrefix() + "/inst/fi";
        ::send(sock, part.data(), part.size(), MSG_NOSIGNAL);
        held.push_back(sock);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    const auto stopping = std::chrono::steady_clock::now();
    server.stop();
    EXPECT_LT(std::chrono::steady_clock::now() - stopping, std::chrono::seconds(1));
    over = true;
    trickle.join();
    for (const std::vector<int>* socks : {&silent, &foreign, &trickling, &held})
        for (int sock : *socks)
            ::close(sock);
}

TEST(FileServer, ConnectionsOverTheCapAreClosedAtOnce)
{
    Watchdog watchdog(60);
    zrktest::TempDir dir;
    FileServer server;
    ASSERT_TRUE(server.start("/inst", dir.file("pub"), dir.file("web")));
    std::vector<int> socks;
    for (int i = 0; i < 72; ++i)
        socks.push_back(zrktest::connectLoopback(server.getPort()));
    // Well within the first ones' header deadline: only the cap can have closed any.
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    int busy = 0, open = 0;
    for (int sock : socks) {
        const std::string answer = answerWithin(sock, 0);
        busy += answer.compare(0, 12, "HTTP/1.1 503") == 0 ? 1 : 0;
        open += answer == "open" ? 1 : 0;
    }
    EXPECT_EQ(busy, 8);
    EXPECT_EQ(open, 64);
    server.stop();
    for (int sock : socks)
        ::close(sock);
}

TEST(Manifest, SignaturesAreTheSha1OfTheContentComparedLetterCaseAside)
{
    zrktest::TempDir dir;
    zrktest::writeFile(dir.file("abc"), "abc");
    zrktest::writeFile(dir.file("empty"), "");
    FileItem item;
    ASSERT_TRUE(item.init(dir.file("abc")));
    EXPECT_EQ(item.signature, "a9993e364706816aba3e25717850c26c9cd0d89d");
    EXPECT_TRUE(FileItem::sameSignature(item.signature, "A9993E364706816ABA3E25717850C26C9CD0D89D"));
    ASSERT_TRUE(item.init(dir.file("empty")));
    EXPECT_EQ(item.signature, "da39a3ee5e6b4b0d3255bfef95601890afd80709");
    EXPECT_FALSE(item.init(dir.file("missing")));
    EXPECT_EQ(item.signature, "da39a3ee5e6b4b0d3255bfef95601890afd80709"); // unchanged

    Manifest manifest;
    ASSERT_TRUE(
        manifest.read("<manifest><folder path=\"/files/res/GUIX1\"><file name=\"Lobby.PNG\" sig=\"1\"/>"
                      "<file name=\"lobby.png\" sig=\"2\"/><file name=\"b.png\" sig=\"3\"/></folder></manifest>"));
    const FileIndex index = buildIndex(manifest.getFolders().front().items);
    ASSERT_EQ(index.size(), 2u);
    EXPECT_EQ(index.at("lobby.png").signature, "2"); // the later one
    EXPECT_EQ(index.at("b.png").path, "/files/res/GUIX1/b.png");
}
