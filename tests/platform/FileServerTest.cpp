// The built-in file server: this machine only, GET and HEAD only, the published tree under the
// installer path and the web pages under "/web/", and nothing outside them however the path
// is written. And the signatures the manifest compares files by.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <map>
#include <mutex>
#include <poll.h>
#include <sstream>
#include <sys/socket.h>
#include <functional>
#include <grp.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <sys/un.h>
#include <cstring>
#include <ctime>
#include <sys/wait.h>
#include <thread>
#include <transport/TransportService.h>
#include <unistd.h>
#include <vector>
#include <util/Manifest.h>
#include <yake/Logger.h>
#include <yake/PlayerFiles.h>

#include "support/ForeignFile.h"
#include "support/LoopbackFiles.h"
#include "support/LoopbackSocket.h"
#include "support/PlantedServer.h"
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

/// One exchange with the server over its socket, as read back: the status, the headers (their
/// names in lower case) and the body.
struct Reply {
    int status = -1;
    std::map<std::string, std::string> headers;
    std::string body;
    std::string header(const std::string& name) const
    {
        auto it = headers.find(name);
        return it == headers.end() ? std::string() : it->second;
    }
};

Reply ask(const FileServer& server, const std::string& method, const std::string& path,
          const std::string& extraHeaders = std::string())
{
    const std::string raw =
        zrktest::exchangeLocal(server.getSocketPath(), method + " " + path + " HTTP/1.1\r\nHost: x\r\n" + extraHeaders +
                                                           "Connection: close\r\n\r\n");
    Reply r;
    const std::size_t end = raw.find("\r\n\r\n");
    if (raw.compare(0, 9, "HTTP/1.1 ") != 0 || end == std::string::npos)
        return r;
    r.status = std::atoi(raw.c_str() + 9);
    r.body = raw.substr(end + 4);
    std::istringstream lines(raw.substr(0, end));
    std::string line;
    std::getline(lines, line);
    while (std::getline(lines, line)) {
        const std::size_t colon = line.find(':');
        if (colon == std::string::npos)
            continue;
        std::string name = line.substr(0, colon);
        std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return char(std::tolower(c)); });
        std::string value = line.substr(colon + 1);
        value.erase(0, value.find_first_not_of(' '));
        if (!value.empty() && value.back() == '\r')
            value.pop_back();
        r.headers[name] = value;
    }
    return r;
}

struct FileServerFixture : ::testing::Test {
    zrktest::TempDir dir;
    FileServer server;

    FileServerFixture()
    {
        zrktest::writeFile(dir.file("pub/res/GUIX1/a.png"), "picture");
        zrktest::writeFile(dir.file("web/index.html"), "<p>hello</p>");
        zrktest::writeFile(dir.file("secret.txt"), "not served");
        std::filesystem::create_symlink(dir.file("secret.txt"), dir.file("pub/res/link.txt"));
        EXPECT_TRUE(server.start("/files/installer/latest", dir.file("pub"), dir.file("web")));
    }
    /// The path as the game asks it: behind the run's secret.
    std::string own(const std::string& path) const { return server.getPrefix() + path; }
    Reply get(const std::string& path, const std::string& headers = std::string())
    {
        return ask(server, "GET", own(path), headers);
    }
    int status(const std::string& path) { return get(path).status; }
};

} // namespace

TEST_F(FileServerFixture, ServesThePublishedTreeAndTheWebPagesOnly)
{
    EXPECT_EQ(server.getAddress(), std::string("http://zrk-files.invalid") + server.getPrefix());
    EXPECT_EQ(server.getPrefix().size(), 33u);
    Reply res = get("/files/installer/latest/files/res/GUIX1/a.png");
    EXPECT_EQ(res.status, 200);
    EXPECT_EQ(res.body, "picture");
    EXPECT_EQ(res.header("content-type"), "image/png");
    Reply head = ask(server, "HEAD", own("/files/installer/latest/files/res/GUIX1/a.png"));
    EXPECT_EQ(head.status, 200);
    EXPECT_TRUE(head.body.empty());
    EXPECT_EQ(status("/web/index.html"), 200);

    EXPECT_EQ(status("/files/res/GUIX1/a.png"), 404); // without the installer path
    EXPECT_EQ(status("/files/installer/latest/files/res/GUIX1/none.png"), 404);
    EXPECT_EQ(status("/files/installer/latest/files/res/GUIX1"), 404); // a folder
    EXPECT_EQ(ask(server, "POST", own("/files/installer/latest/files/res/GUIX1/a.png"),
                  "Content-Length: 1\r\nContent-Type: text/plain\r\n")
                  .status,
              405);
    EXPECT_EQ(ask(server, "DELETE", own("/files/installer/latest/files/res/GUIX1/a.png")).status, 405);
    EXPECT_TRUE(std::filesystem::exists(dir.file("pub/res/GUIX1/a.png")));
}

TEST_F(FileServerFixture, ARangeInsideTheFileIsServedAndOnePastItsEndAnswers416)
{
    const std::string file = "/files/installer/latest/files/res/GUIX1/a.png"; // "picture", 7 bytes
    Reply part = get(file, "Range: bytes=2-4\r\n");
    EXPECT_EQ(part.status, 206);
    EXPECT_EQ(part.body, "ctu");
    EXPECT_EQ(part.header("content-range"), "bytes 2-4/7");
    Reply tail = get(file, "Range: bytes=5-100\r\n"); // an end past the file ends at it
    EXPECT_EQ(tail.status, 206);
    EXPECT_EQ(tail.body, "re");
    Reply last = get(file, "Range: bytes=-3\r\n");
    EXPECT_EQ(last.status, 206);
    EXPECT_EQ(last.body, "ure");
    for (const char* past : {"bytes=7-", "bytes=7-9", "bytes=100-200"}) {
        Reply r = get(file, std::string("Range: ") + past + "\r\n");
        EXPECT_EQ(r.status, 416) << past;
        EXPECT_EQ(r.header("content-range"), "bytes */7") << past;
        EXPECT_TRUE(r.body.empty()) << past;
    }
}

TEST_F(FileServerFixture, NothingOutsideItsFoldersHoweverThePathIsWritten)
{
    for (const char* path :
         {"/files/installer/latest/files/../secret.txt", "/files/installer/latest/files/%2e%2e/secret.txt",
          "/files/installer/latest/files/%2E%2E/%2e%2e/secret.txt",
          "/files/installer/latest/files/res/..%2f..%2fsecret.txt", "/web/../secret.txt", "/web/%2e%2e/secret.txt",
          "/files/installer/latest/files/res/link.txt", "/files/installer/latest/files//etc/passwd",
          "/files/installer/latest/files/res\\..\\..\\secret.txt", "/files/installer/latest/files/../../secret.txt"}) {
        EXPECT_NE(get(path).body, "not served") << path; // asked as written, no client tidies it
        EXPECT_EQ(server.fileFor(path), "") << path;
    }
}

TEST_F(FileServerFixture, ListensOnlyOnASocketInAFolderOnlyThePlayerMayEnterAndStopsCleanly)
{
    const std::string socket = server.getSocketPath();
    struct stat st {};
    ASSERT_EQ(::lstat(socket.c_str(), &st), 0);
    EXPECT_TRUE(S_ISSOCK(st.st_mode));
    const std::string folder = std::filesystem::path(socket).parent_path().string();
    ASSERT_EQ(::lstat(folder.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0700u);
    EXPECT_EQ(st.st_uid, ::geteuid());
    // No port of the machine: nothing this process listens on over TCP.
    const std::string ss =
        "ss -ltnpH 2>/dev/null | grep -c 'pid=" + std::to_string(::getpid()) + ",' > " + dir.file("listen.txt");
    if (std::system(ss.c_str()) >= 0 && std::filesystem::exists(dir.file("listen.txt"))) {
        EXPECT_EQ(zrktest::readFile(dir.file("listen.txt")), "0\n");
    }
    server.stop();
    EXPECT_FALSE(server.isRunning());
    EXPECT_EQ(server.getAddress(), "");
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(socket)));
    EXPECT_FALSE(std::filesystem::exists(folder));
    EXPECT_EQ(zrktest::connectLocal(socket), -1);

    // A run killed before its stop leaves its folder: the next start clears it away, once it is
    // a minute old and nobody listens there; a younger one may be another game's being made.
    const std::string base = std::filesystem::path(folder).parent_path().string();
    for (const char* name : {"zrk-Killed", "zrk-Young1"}) {
        std::filesystem::create_directory(base + "/" + name);
        const int dead = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un at{};
        at.sun_family = AF_UNIX;
        std::strncpy(at.sun_path, (base + "/" + name + "/files").c_str(), sizeof at.sun_path - 1);
        ASSERT_EQ(::bind(dead, reinterpret_cast<sockaddr*>(&at), sizeof at), 0);
        ::close(dead); // bound, never listening: what a killed run leaves
    }
    const timeval old[2] = {{std::time(nullptr) - 120, 0}, {std::time(nullptr) - 120, 0}};
    ::utimes((base + "/zrk-Killed").c_str(), old);
    ASSERT_TRUE(server.start("/files/installer/latest", dir.file("pub"), dir.file("web")));
    EXPECT_FALSE(std::filesystem::exists(base + "/zrk-Killed"));
    EXPECT_TRUE(std::filesystem::exists(base + "/zrk-Young1"));
    std::filesystem::remove_all(base + "/zrk-Young1");
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
            Reply res = ask(server, "GET", server.getPrefix() + "/inst/files/a.txt");
            EXPECT_EQ(res.status, 200);
            EXPECT_EQ(res.body, "a");
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
    const std::string socket = server.getSocketPath();

    // 32 connections at once: silent ones, ones that ask without the secret and then trickle
    // headers, and ones that know the secret but trickle their headers a line at a time.
    std::vector<int> silent, foreign, trickling;
    for (int i = 0; i < 32; ++i) {
        const int sock = zrktest::connectLocal(socket);
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
    transport.setSocketRoute(FileServer::kHost, socket);
    std::string error;
    const auto asked = std::chrono::steady_clock::now();
    EXPECT_TRUE(transport.transferNow(server.getAddress() + "/inst/files/res/a.png", dir.file("got.png"), error))
        << error;
    EXPECT_LT(std::chrono::steady_clock::now() - asked, std::chrono::seconds(2));
    EXPECT_EQ(zrktest::readFile(dir.file("got.png")), "picture");
    transport.setSocketRoute(FileServer::kHost, "");

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
        const int sock = zrktest::connectLocal(socket);
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

namespace {

/// Runs `body` in a child process (as the user `uid` when it is not -1) and gives its exit code.
int inChild(uid_t uid, const std::function<int()>& body)
{
    const pid_t child = ::fork();
    if (child == 0) {
        if (uid != static_cast<uid_t>(-1) &&
            (::setgroups(0, nullptr) != 0 || ::setresgid(uid, uid, uid) != 0 || ::setresuid(uid, uid, uid) != 0))
            ::_exit(100);
        ::_exit(body());
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace

TEST(FileServer, AnotherUsersConnectionsAreDroppedBeforeTheyCount)
{
    Watchdog watchdog(60);
    zrktest::TempDir dir;
    zrktest::writeFile(dir.file("pub/a.txt"), "a");
    FileServer server;
    ASSERT_TRUE(server.start("/inst", dir.file("pub"), dir.file("web")));
    const std::string socket = server.getSocketPath();
    // Another account cannot even reach the socket: its folder is the player's alone.
    if (::geteuid() == 0) {
        EXPECT_EQ(inChild(65534, [&] { return zrktest::connectLocal(socket) < 0 && errno == EACCES ? 0 : 1; }), 0);
    }
    // One that could (root, or whom the check names: here every other process) is dropped at
    // once, however many connections it holds open: the player's own still get every slot.
    const pid_t self = ::getpid();
    FileServer::setStrangerTest([self](int fd) {
        ucred peer{};
        socklen_t length = sizeof peer;
        return ::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &length) != 0 || peer.pid != self;
    });
    const int held = inChild(static_cast<uid_t>(-1), [&] {
        int closedAtOnce = 0;
        std::vector<int> socks;
        for (int i = 0; i < 2 * static_cast<int>(FileServer::kMaxConnections); ++i)
            socks.push_back(zrktest::connectLocal(socket));
        for (int sock : socks)
            closedAtOnce += sock >= 0 && answerWithin(sock, 1000) == "closed" ? 1 : 0;
        for (int sock : socks)
            ::close(sock);
        return closedAtOnce == 2 * static_cast<int>(FileServer::kMaxConnections) ? 0 : 1;
    });
    EXPECT_EQ(held, 0);
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(ask(server, "GET", server.getPrefix() + "/inst/files/a.txt").status, 200);
    FileServer::setStrangerTest(nullptr);
    const FileServer::Counts counts = server.getCounts();
    EXPECT_EQ(counts.strangers, 2 * FileServer::kMaxConnections);
    EXPECT_EQ(counts.busy, 0u);
    EXPECT_EQ(counts.served, 10u);
}

TEST(FileServer, AConnectionOfAnotherUserIsToldByItsCredentials)
{
    Watchdog watchdog(60);
    zrktest::TempDir dir;
    zrktest::writeFile(dir.file("pub/a.txt"), "a");
    ::chmod(dir.path().c_str(), 0711); // the runtime folder lets another account through
    zrktest::ScopedEnv runtime("XDG_RUNTIME_DIR", dir.path());
    FileServer server;
    ASSERT_TRUE(server.start("/inst", dir.file("pub"), dir.file("web")));
    const std::string socket = server.getSocketPath();
    const std::string own = server.getPrefix() + "/inst/files/a.txt";
    unsigned long strangers = 0;
    if (::geteuid() == 0) {
        // The way opened to another account for real (the folder and the socket are the
        // player's alone otherwise): its connection is closed before it counts.
        ::chmod(std::filesystem::path(socket).parent_path().c_str(), 0711);
        ::chmod(socket.c_str(), 0777);
        EXPECT_EQ(inChild(65534,
                          [&] {
                              const int sock = zrktest::connectLocal(socket);
                              return sock >= 0 && answerWithin(sock, 2000) == "closed" ? 0 : 1;
                          }),
                  0);
        EXPECT_EQ(server.getCounts().strangers, ++strangers);
    }
    // Whoever runs the test: where the player is someone else, this process is the stranger.
    yake::PlayerFiles::setPlayerForTest(::geteuid() + 1);
    const int sock = zrktest::connectLocal(socket);
    EXPECT_EQ(answerWithin(sock, 2000), "closed");
    ::close(sock);
    yake::PlayerFiles::setPlayerForTest(static_cast<uid_t>(-1));
    EXPECT_EQ(server.getCounts().strangers, ++strangers);
    EXPECT_EQ(server.getCounts().served, 0u);
    EXPECT_EQ(ask(server, "GET", own).status, 200);
}

TEST(FileServer, EveryStartHasASecretOfItsOwn)
{
    zrktest::TempDir dir;
    std::vector<std::string> secrets;
    FileServer other;
    ASSERT_TRUE(other.start("/inst", dir.file("pub"), dir.file("web")));
    secrets.push_back(other.getPrefix());
    for (int run = 0; run < 3; ++run) {
        FileServer server;
        ASSERT_TRUE(server.start("/inst", dir.file("pub"), dir.file("web")));
        secrets.push_back(server.getPrefix());
    }
    for (std::size_t i = 0; i < secrets.size(); ++i) {
        EXPECT_EQ(secrets[i].size(), 33u);
        EXPECT_EQ(secrets[i].find_first_not_of("0123456789abcdef", 1), std::string::npos) << secrets[i];
        for (std::size_t j = 0; j < i; ++j)
            EXPECT_NE(secrets[i], secrets[j]);
    }
}

TEST(FileServer, ItsSocketGoesWhereNoOtherUserCanMoveItsFolderAway)
{
    Watchdog watchdog(60);
    zrktest::TempDir dir;
    zrktest::writeFile(dir.file("pub/a.txt"), "a");
    // The folder a server started with this runtime folder makes its socket folder in; every
    // download through it succeeds wherever that is.
    auto baseWith = [&](const std::string& runtime, bool download) {
        zrktest::ScopedEnv env("XDG_RUNTIME_DIR", runtime);
        FileServer server;
        if (!server.start("/inst", dir.file("pub"), dir.file("web")))
            return std::string("<not started>");
        if (download) {
            TransportService& transport = TransportService::instance();
            transport.setSocketRoute(FileServer::kHost, server.getSocketPath());
            std::string error;
            std::filesystem::remove(dir.file("got.txt"));
            EXPECT_TRUE(transport.transferNow(server.getAddress() + "/inst/files/a.txt", dir.file("got.txt"), error))
                << error;
            EXPECT_EQ(zrktest::readFile(dir.file("got.txt")), "a");
            transport.setSocketRoute(FileServer::kHost, "");
        }
        return std::filesystem::path(server.getSocketPath()).parent_path().parent_path().string();
    };
    const std::string real = std::filesystem::canonical(dir.path()).string();
    std::filesystem::create_directories(dir.file("own"));
    ::chmod(dir.file("own").c_str(), 0700);
    EXPECT_EQ(baseWith(dir.file("own"), true), real + "/own");
    // In a folder any user may write, he could move it away and put his own in its place.
    std::filesystem::create_directories(dir.file("open/run"));
    ::chmod(dir.file("open/run").c_str(), 0700);
    ::chmod(dir.file("open").c_str(), 0777);
    EXPECT_EQ(baseWith(dir.file("open/run"), true), "/tmp");
    // Sticky, as /tmp is: nobody may move another's folder out of it.
    ::chmod(dir.file("open").c_str(), 01777);
    EXPECT_EQ(baseWith(dir.file("open/run"), true), real + "/open/run");
    // A link to the player's own folder counts for where it leads, wherever the link lies.
    ::chmod(dir.file("open").c_str(), 0777);
    std::filesystem::create_directory_symlink(dir.file("own"), dir.file("open/link"));
    EXPECT_EQ(baseWith(dir.file("open/link"), true), real + "/own");
    // A folder of another user above it: as root for real, elsewhere the player is named another.
    if (::geteuid() == 0) {
        std::filesystem::create_directories(dir.file("theirs/run"));
        ::chmod(dir.file("theirs").c_str(), 0755);
        ::chmod(dir.file("theirs/run").c_str(), 0700);
        ASSERT_EQ(::chown(dir.file("theirs").c_str(), 65534, 65534), 0);
        EXPECT_EQ(baseWith(dir.file("theirs/run"), true), "/tmp");
    } else {
        // Root's folders are trusted as the player's own: only where the test is not root does
        // naming the player another make its folders somebody else's.
        yake::PlayerFiles::setPlayerForTest(::geteuid() + 1);
        EXPECT_EQ(baseWith(dir.file("own"), false), "/tmp");
        yake::PlayerFiles::setPlayerForTest(static_cast<uid_t>(-1));
    }
}

TEST(FileServer, AServerOfAnotherProcessAtItsSocketIsToldNothingNotEvenTheSecret)
{
    Watchdog watchdog(60);
    zrktest::PlantedServer planted; // made before any connection of the test's own
    zrktest::TempDir dir;
    zrktest::writeFile(dir.file("pub/a.txt"), "a");
    FileServer server;
    ASSERT_TRUE(server.start("/inst", dir.file("pub"), dir.file("web")));
    const std::string socket = server.getSocketPath();
    // Its socket moved away, another's put at the same path.
    ASSERT_EQ(::unlink(socket.c_str()), 0);
    ASSERT_TRUE(planted.plant(socket));
    TransportService& transport = TransportService::instance();
    transport.setSocketRoute(FileServer::kHost, socket);
    yake::logging::logger& log = yake::logging::logger::instance();
    log.enableAllSeverities();
    log.startCapture();
    const std::string url = server.getAddress() + "/inst/files/a.txt";
    std::string error;
    EXPECT_FALSE(transport.transferNow(url, dir.file("now.txt"), error));
    EXPECT_NE(error.find("held by another process"), std::string::npos) << error;
    bool landed = false, ok = true;
    transport.startTransfer(url, dir.file("later.txt"), [&](bool good, const std::string&) {
        landed = true;
        ok = good;
    });
    EXPECT_TRUE(zrktest::pumpUntil([&] { return landed; }));
    EXPECT_FALSE(ok);
    std::size_t told = 0;
    for (const yake::logging::LogRecord& line : log.captured())
        told += line.channel == "transport" && line.text.find("held by another process") != std::string::npos;
    log.stopCapture();
    EXPECT_EQ(told, 1u) << "the failed download says why";
    transport.setSocketRoute(FileServer::kHost, "");
    int connections = 0;
    const std::string got = planted.finish(connections);
    EXPECT_EQ(connections, 2) << "both transfers reached it";
    EXPECT_EQ(got, "") << "it was sent: " << got;
    for (const char* file : {"now.txt", "later.txt", "now.txt.part", "later.txt.part"})
        EXPECT_FALSE(std::filesystem::exists(dir.file(file))) << file;
}

TEST(FileServer, AKilledRunsFolderOfAnotherUserIsLeftWhereItIs)
{
    zrktest::TempDir dir;
    zrktest::ScopedEnv runtime("XDG_RUNTIME_DIR", dir.path()); // a folder of the test's own to sweep
    FileServer server;
    ASSERT_TRUE(server.start("/inst", dir.file("pub"), dir.file("web")));
    const std::string base = std::filesystem::path(server.getSocketPath()).parent_path().parent_path().string();
    server.stop();
    // What a killed run of another user left: old enough to sweep, nobody listening there.
    const std::string theirs = base + "/zrk-Theirs";
    std::filesystem::create_directory(theirs);
    const int dead = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un at{};
    at.sun_family = AF_UNIX;
    std::strncpy(at.sun_path, (theirs + "/files").c_str(), sizeof at.sun_path - 1);
    ASSERT_EQ(::bind(dead, reinterpret_cast<sockaddr*>(&at), sizeof at), 0);
    ::close(dead);
    {
        zrktest::ForeignFile foreign(theirs);
        const timeval old[2] = {{std::time(nullptr) - 120, 0}, {std::time(nullptr) - 120, 0}};
        ::utimes(theirs.c_str(), old);
        ASSERT_TRUE(server.start("/inst", dir.file("pub"), dir.file("web")));
        EXPECT_TRUE(std::filesystem::exists(theirs + "/files"));
        server.stop();
    }
    std::filesystem::remove_all(theirs);
}

TEST(FileServer, ConnectionsOverTheCapAreClosedAtOnce)
{
    Watchdog watchdog(60);
    zrktest::TempDir dir;
    FileServer server;
    ASSERT_TRUE(server.start("/inst", dir.file("pub"), dir.file("web")));
    std::vector<int> socks;
    for (int i = 0; i < 72; ++i)
        socks.push_back(zrktest::connectLocal(server.getSocketPath()));
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

    // Entities are written out; comments, declarations and other elements are passed over;
    // what is no XML (an end tag that does not close, a second root) is no manifest.
    ASSERT_TRUE(manifest.read("<?xml version=\"1.0\"?><!-- the build's --><manifest><note/>"
                              "<folder path='/files/a&amp;b'><file name=\"&#x41;&#66;&lt;\" sig='s'/>"
                              "<other><file name='deeper'/></other></folder></manifest>\n"));
    ASSERT_EQ(manifest.getFolders().size(), 1u);
    ASSERT_EQ(manifest.getFolders()[0].items.size(), 1u);
    EXPECT_EQ(manifest.getFolders()[0].items[0].path, "/files/a&b/AB<");
    for (const char* broken : {"<manifest><folder></manifest>", "<manifest/><manifest/>", "<files/>",
                               "<manifest><folder path=\"x\"/>", "<manifest a=b/>", "text<manifest/>"})
        EXPECT_FALSE(manifest.read(broken)) << broken;
}
