#include "transport/FileServer.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <filesystem>
#include <fstream>
#include <httplib.h>
#include <list>
#include <memory>
#include <mutex>
#include <poll.h>
#include <random>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <system_error>
#include <thread>
#include <unistd.h>
#include <climits>
#include <vector>
#include <yake/Logger.h>
#include <yake/PlayerFiles.h>

namespace kavri3D {
namespace core {

namespace {
using yake::logging::Severity;

const char kFiles[] = "/files/";
const char kWeb[] = "/web/";

const yake::logging::Channel logLine("fileserver");

std::string folderName(const std::string& folder)
{
    if (folder.empty())
        return folder;
    std::error_code ec;
    std::filesystem::path p = std::filesystem::weakly_canonical(std::filesystem::absolute(folder, ec), ec);
    std::string s = ec ? folder : p.string();
    if (s.back() != '/')
        s += '/';
    return s;
}

const char* contentType(const std::string& file)
{
    const std::string ext = std::filesystem::path(file).extension().string();
    if (ext == ".html" || ext == ".htm")
        return "text/html";
    if (ext == ".xml" || ext == ".imageset" || ext == ".layout")
        return "text/xml";
    if (ext == ".png")
        return "image/png";
    if (ext == ".jpg" || ext == ".jpeg")
        return "image/jpeg";
    if (ext == ".js")
        return "application/javascript";
    if (ext == ".css")
        return "text/css";
    return "application/octet-stream";
}

using Clock = std::chrono::steady_clock;

// Another local account may connect as well: a request line and its headers must come within
// the header deadline, a whole exchange within the request deadline, and no wait on a socket
// lasts longer than a slice, so a stop is seen at once.
const auto kHeaderDeadline = std::chrono::seconds(2);
const auto kRequestDeadline = std::chrono::seconds(30);
const auto kKeepAlive = std::chrono::seconds(1);
const int kSliceMs = 100;
const std::size_t kMaxRequestLine = 8192;
const char kSocketName[] = "files";

const char kRefusal[] = "HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\nConnection: close\r\n\r\n";
const char kBusy[] = "HTTP/1.1 503 Service Unavailable\r\nContent-Length: 0\r\nConnection: close\r\n\r\n";

std::mutex gStrangerMutex;
std::function<bool(int)> gStrangerTest;

/// Whether the connection is another user's: its credentials, as the kernel keeps them for the
/// socket (one look, no scan), or the tests' check.
bool stranger(int sock)
{
    ucred peer{};
    socklen_t length = sizeof peer;
    if (::getsockopt(sock, SOL_SOCKET, SO_PEERCRED, &peer, &length) != 0 || peer.uid != yake::PlayerFiles::player())
        return true;
    std::lock_guard<std::mutex> lock(gStrangerMutex);
    return gStrangerTest && gStrangerTest(sock);
}

/// Whether nobody but root and the player can take away or replace what is in the folder: it
/// is one of theirs, and closed to others or sticky.
bool keptFolder(const struct stat& st)
{
    return S_ISDIR(st.st_mode) && (st.st_uid == 0 || yake::PlayerFiles::isPlayers(st)) &&
           ((st.st_mode & 022) == 0 || (st.st_mode & S_ISVTX) != 0);
}

/// Whether every folder from the root down to `folder` (links resolved) is kept so: a folder
/// above it that another user may write would let him move it away and put his own there.
/// The resolved path, empty when it is not.
std::string keptPath(const char* folder)
{
    char real[PATH_MAX];
    if (!folder || folder[0] != '/' || !::realpath(folder, real))
        return std::string();
    const std::string path = real;
    for (std::size_t end = path.size(); end != std::string::npos && end > 0; end = path.rfind('/', end - 1)) {
        struct stat st {};
        if (::lstat(path.substr(0, end).c_str(), &st) != 0 || !keptFolder(st))
            return std::string();
    }
    struct stat root {};
    return ::lstat("/", &root) == 0 && keptFolder(root) ? path : std::string();
}

/// Where the socket's folder is made: the user's runtime folder when it is kept as above,
/// else the system's temporary folder (sticky: nobody can move ours away).
std::string socketBase()
{
    const std::string runtime = keptPath(std::getenv("XDG_RUNTIME_DIR"));
    // A socket's path is short: the folder's name, ours and the socket's must fit.
    if (!runtime.empty() && runtime.size() < sizeof(sockaddr_un::sun_path) - 24)
        return runtime;
    return "/tmp";
}

/// A word nobody else can guess, new each run: every address of ours begins with it.
std::string makeSecret()
{
    std::random_device random;
    static const char hex[] = "0123456789abcdef";
    std::string secret = "/";
    for (int i = 0; i < 32; ++i)
        secret += hex[random() & 15u];
    return secret;
}

/// Best effort, never blocking: a short answer before a connection is dropped.
void sendAndClose(int sock, const char* reply)
{
    (void)::send(sock, reply, std::strlen(reply), MSG_DONTWAIT | MSG_NOSIGNAL);
    ::shutdown(sock, SHUT_RDWR);
    ::close(sock);
}

/// One connection's socket under deadlines. The request line is checked as soon as it has
/// come: without the run's secret the connection is refused; with it, the secret is taken out
/// so the routes see the plain path ("/files/...", "/web/...").
class GuardedStream : public httplib::Stream {
public:
    GuardedStream(int sock, const std::atomic<bool>& stopping, const std::string& secret)
        : mSock(sock), mStopping(stopping), mSecret(secret)
    {
    }

    void beginRequest(Clock::time_point start)
    {
        mHeaderDeadline = start + kHeaderDeadline;
        mRequestDeadline = start + kRequestDeadline;
        mLineChecked = false;
    }
    bool refused() const { return mRefused; }
    /// Between two requests of one connection: whether the next one begins in time.
    bool nextRequestComes() const { return mPos < mBuffer.size() || waitFor(POLLIN, Clock::now() + kKeepAlive); }

    bool is_readable() const override { return mPos < mBuffer.size() || waitFor(POLLIN, mHeaderDeadline); }
    bool is_writable() const override { return waitFor(POLLOUT, mRequestDeadline); }

    ssize_t read(char* ptr, size_t size) override
    {
        if (!mLineChecked) {
            while (mBuffer.find('\n', mPos) == std::string::npos) {
                if (mBuffer.size() - mPos > kMaxRequestLine || !fill())
                    return -1;
            }
            if (!takeRequestLine()) {
                mRefused = true;
                return -1;
            }
            mLineChecked = true;
        }
        if (mPos == mBuffer.size() && !fill())
            return -1;
        const std::size_t n = std::min(size, mBuffer.size() - mPos);
        std::memcpy(ptr, mBuffer.data() + mPos, n);
        mPos += n;
        return static_cast<ssize_t>(n);
    }

    ssize_t write(const char* ptr, size_t size) override
    {
        if (!waitFor(POLLOUT, mRequestDeadline))
            return -1;
        const ssize_t n = ::send(mSock, ptr, size, MSG_NOSIGNAL | MSG_DONTWAIT);
        return n < 0 && (errno == EAGAIN || errno == EINTR) ? 0 : n;
    }

    // The player's own socket: no addresses to tell.
    void get_remote_ip_and_port(std::string& ip, int& port) const override
    {
        ip = "local";
        port = 0;
    }
    void get_local_ip_and_port(std::string& ip, int& port) const override
    {
        ip = "local";
        port = 0;
    }
    socket_t socket() const override { return mSock; }

private:
    /// Waits in slices until the socket is ready, the deadline has passed or the server stops.
    bool waitFor(short events, Clock::time_point deadline) const
    {
        for (;;) {
            if (mStopping)
                return false;
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
            if (left <= 0)
                return false;
            pollfd fd{mSock, events, 0};
            const int rc = ::poll(&fd, 1, static_cast<int>(std::min<long long>(left, kSliceMs)));
            if (rc > 0)
                return (fd.revents & (events | POLLHUP | POLLERR)) != 0;
            if (rc < 0 && errno != EINTR)
                return false;
        }
    }

    bool fill()
    {
        if (mPos == mBuffer.size()) {
            mBuffer.clear();
            mPos = 0;
        }
        if (!waitFor(POLLIN, mHeaderDeadline))
            return false;
        char chunk[4096];
        const ssize_t n = ::recv(mSock, chunk, sizeof chunk, MSG_DONTWAIT);
        if (n < 0 && (errno == EAGAIN || errno == EINTR))
            return true; // woken for nothing: the caller looks again
        if (n <= 0)
            return false;
        mBuffer.append(chunk, static_cast<std::size_t>(n));
        return true;
    }

    bool takeRequestLine() { return FileServer::takePrefix(mBuffer, mPos, mSecret); }

    int mSock;
    const std::atomic<bool>& mStopping;
    const std::string& mSecret;
    std::string mBuffer;
    std::size_t mPos = 0;
    bool mLineChecked = false;
    bool mRefused = false;
    Clock::time_point mHeaderDeadline = Clock::now() + kHeaderDeadline;
    Clock::time_point mRequestDeadline = Clock::now() + kRequestDeadline;
};

/// httplib's request handling over our own connections: the secret, the deadlines.
class GuardedServer : public httplib::Server {
public:
    std::atomic<bool> stopping{false};
    std::string secret;

    /// The library writes a reply only while it has a listening socket: it is told ours, and
    /// that it has none once the stop begins (a reply under way then ends).
    void listensOn(int listener) { svr_sock_ = listener; }

    /// Serves one connection until it ends, the deadlines pass or the server stops; closes it.
    void serve(int sock)
    {
        GuardedStream stream(sock, stopping, secret);
        auto start = Clock::now();
        for (std::size_t left = keep_alive_max_count_; left > 0 && !stopping; --left) {
            if (left != keep_alive_max_count_) {
                if (!stream.nextRequestComes())
                    break;
                start = Clock::now();
            }
            stream.beginRequest(start);
            bool closed = false;
            const bool ok = process_request(stream, left == 1, closed, [](httplib::Request&) {});
            if (stream.refused()) {
                sendAndClose(sock, kRefusal);
                return;
            }
            if (!ok || closed)
                break;
        }
        ::shutdown(sock, SHUT_RDWR);
        ::close(sock);
    }
};

/// The listening socket's thread: takes each connection, drops a stranger's before it counts,
/// refuses one over the cap, and gives each other one a thread of its own.
class Acceptor {
public:
    Acceptor(GuardedServer& server, int listener) : mServer(server), mListener(listener) {}

    void run()
    {
        while (!mServer.stopping) {
            pollfd fd{mListener, POLLIN, 0};
            if (::poll(&fd, 1, kSliceMs) <= 0)
                continue;
            const int sock = ::accept4(mListener, nullptr, nullptr, SOCK_CLOEXEC);
            if (sock < 0) {
                if (errno == EMFILE || errno == ENFILE)
                    std::this_thread::sleep_for(std::chrono::milliseconds(10)); // until a connection ends
                continue;
            }
            // Counted before the close: whoever sees his connection closed sees it counted.
            if (stranger(sock)) {
                ++strangers;
                ::close(sock);
                continue;
            }
            reap();
            if (mWorkers.size() >= FileServer::kMaxConnections || !startWorker(sock)) {
                ++busy;
                sendAndClose(sock, kBusy);
                continue;
            }
            ++served;
        }
        for (Worker& worker : mWorkers)
            worker.thread.join();
        mWorkers.clear();
    }

    std::atomic<unsigned long> served{0}, strangers{0}, busy{0};

private:
    struct Worker {
        std::thread thread;
        std::shared_ptr<std::atomic<bool>> done;
    };

    void reap()
    {
        mWorkers.remove_if([](Worker& worker) {
            if (!*worker.done)
                return false;
            worker.thread.join();
            return true;
        });
    }

    bool startWorker(int sock)
    {
        auto done = std::make_shared<std::atomic<bool>>(false);
        try {
            mWorkers.push_back({std::thread([this, sock, done] {
                                    mServer.serve(sock);
                                    *done = true;
                                }),
                                done});
            return true;
        } catch (const std::system_error&) {
            return false; // no thread to spare: the connection is answered busy
        }
    }

    GuardedServer& mServer;
    int mListener;
    std::list<Worker> mWorkers; // this thread's alone
};

/// Folders of earlier runs that ended without their stop (killed): the player's own, holding a
/// socket nobody listens on any more. Removed so they do not pile up.
void sweepEarlierFolders(const std::string& base)
{
    DIR* folder = ::opendir(base.c_str());
    if (!folder)
        return;
    std::vector<std::string> stale;
    while (dirent* entry = ::readdir(folder)) {
        const std::string name = entry->d_name;
        if (name.size() != 10 || name.compare(0, 4, "zrk-") != 0)
            continue;
        const std::string path = base + "/" + name;
        struct stat st {};
        // A minute old at least: another game of the player may be making its own right now.
        if (::lstat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || !yake::PlayerFiles::isPlayers(st) ||
            std::time(nullptr) - st.st_mtime < 60)
            continue;
        const std::string socket = path + "/" + kSocketName;
        sockaddr_un at{};
        at.sun_family = AF_UNIX;
        if (socket.size() >= sizeof at.sun_path)
            continue;
        std::memcpy(at.sun_path, socket.c_str(), socket.size() + 1);
        const int probe = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        const bool dead = probe >= 0 && ::connect(probe, reinterpret_cast<sockaddr*>(&at), sizeof at) != 0 &&
                          (errno == ECONNREFUSED || errno == ENOENT);
        if (probe >= 0)
            ::close(probe);
        if (dead)
            stale.push_back(path);
    }
    ::closedir(folder);
    for (const std::string& path : stale) {
        ::unlink((path + "/" + kSocketName).c_str());
        ::rmdir(path.c_str()); // only when nothing else is in it
    }
}

} // namespace

struct FileServer::Impl {
    GuardedServer server;
    std::unique_ptr<Acceptor> acceptor;
    std::thread thread;
    int listener = -1;
    std::string folder; ///< the socket's private folder
    std::string socket;
};

FileServer::FileServer() : mImpl(new Impl) {}

bool FileServer::isPlainPath(const std::string& path)
{
    if (path.empty() || path.front() == '/' || path.find('\\') != std::string::npos ||
        path.find('\0') != std::string::npos)
        return false;
    std::size_t start = 0;
    for (;;) {
        const std::size_t slash = path.find('/', start);
        const std::size_t len = (slash == std::string::npos ? path.size() : slash) - start;
        if (len == 0 || (len == 1 && path[start] == '.') || (len == 2 && path.compare(start, 2, "..") == 0))
            return false;
        if (slash == std::string::npos)
            return true;
        start = slash + 1;
    }
}

bool FileServer::takePrefix(std::string& head, std::size_t from, const std::string& prefix)
{
    const std::size_t target = head.find(' ', from);
    const std::size_t end = head.find('\n', from);
    if (end == std::string::npos || target > end || head.compare(target + 1, prefix.size(), prefix) != 0 ||
        target + 1 + prefix.size() >= end || head[target + 1 + prefix.size()] != '/')
        return false;
    head.erase(target + 1, prefix.size());
    return true;
}

bool FileServer::servedHere(int fd)
{
    ucred peer{};
    socklen_t length = sizeof peer;
    return ::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &length) == 0 && peer.pid == ::getpid();
}

FileServer::~FileServer() { stop(); }

httplib::Server& FileServer::httpServer() { return mImpl->server; }

bool FileServer::isRunning() const { return mImpl->thread.joinable(); }

std::string FileServer::getAddress() const
{
    return isRunning() ? std::string("http://") + kHost + getPrefix() : std::string();
}

std::string FileServer::getSocketPath() const { return isRunning() ? mImpl->socket : std::string(); }

FileServer::Counts FileServer::getCounts() const
{
    Counts counts;
    if (const Acceptor* a = mImpl->acceptor.get()) {
        counts.served = a->served;
        counts.strangers = a->strangers;
        counts.busy = a->busy;
    }
    return counts;
}

void FileServer::setStrangerTest(std::function<bool(int fd)> test)
{
    std::lock_guard<std::mutex> lock(gStrangerMutex);
    gStrangerTest = std::move(test);
}

std::string FileServer::getPrefix() const { return isRunning() ? mImpl->server.secret : std::string(); }

std::string FileServer::fileFor(const std::string& path) const
{
    std::string folder, rest;
    const std::string files = mInstallerPath + kFiles;
    if (path.compare(0, files.size(), files) == 0) {
        folder = mFilesFolder;
        rest = path.substr(files.size());
    } else if (path.compare(0, sizeof kWeb - 1, kWeb) == 0) {
        folder = mWebFolder;
        rest = path.substr(sizeof kWeb - 1);
    }
    // The path arrives decoded: a "%" left over was encoded twice, and no published name has one.
    if (folder.empty() || !isPlainPath(rest) || rest.find('%') != std::string::npos)
        return std::string();
    // A link may still lead out of the folder: what it resolves to must lie inside.
    std::error_code ec;
    const std::string file = folder + rest;
    const std::string real = std::filesystem::weakly_canonical(file, ec).string();
    if (ec || real.compare(0, folder.size(), folder) != 0)
        return std::string();
    return file;
}

namespace {

/// The ranges a request asks for, each within the file (an end past it ends at it); false when
/// none of them begins inside the file (the answer is then 416).
bool fitRanges(httplib::Ranges& ranges, std::size_t size)
{
    httplib::Ranges fitting;
    const auto last = static_cast<ssize_t>(size) - 1;
    for (std::pair<ssize_t, ssize_t> r : ranges) {
        if (r.first < 0) { // "-N": the last N bytes
            if (r.second <= 0 || size == 0)
                continue;
            r.first = std::max<ssize_t>(0, static_cast<ssize_t>(size) - r.second);
            r.second = last;
        } else if (r.first > last) {
            continue;
        } else if (r.second < 0 || r.second > last) {
            r.second = last;
        }
        fitting.push_back(r);
    }
    ranges.swap(fitting);
    return !ranges.empty();
}

} // namespace

bool FileServer::start(const std::string& installerPath, const std::string& filesFolder, const std::string& webFolder)
{
    stop();
    mInstallerPath = installerPath;
    while (!mInstallerPath.empty() && mInstallerPath.back() == '/')
        mInstallerPath.pop_back();
    mFilesFolder = folderName(filesFolder);
    mWebFolder = folderName(webFolder);
    GuardedServer& server = mImpl->server;
    server.stopping = false;
    server.secret = makeSecret();
    server.set_pre_routing_handler([](const httplib::Request& req, httplib::Response& res) {
        if (req.method == "GET" || req.method == "HEAD")
            return httplib::Server::HandlerResponse::Unhandled;
        res.status = 405;
        res.set_header("Allow", "GET, HEAD");
        return httplib::Server::HandlerResponse::Handled;
    });
    server.Get(".*", [this](const httplib::Request& req, httplib::Response& res) {
        const std::string file = fileFor(req.path);
        std::error_code ec;
        if (file.empty() || !std::filesystem::is_regular_file(file, ec)) {
            res.status = 404;
            return;
        }
        const auto size = std::filesystem::file_size(file, ec);
        if (ec) {
            res.status = 404;
            return;
        }
        // A range past the end is no part of the file: 416, never an empty 206. The request is
        // the connection's own, not shared: the ranges are fitted to the file in place.
        if (!req.ranges.empty() && !fitRanges(const_cast<httplib::Request&>(req).ranges, size)) {
            res.status = 416;
            res.set_header("Content-Range", "bytes */" + std::to_string(size));
            return;
        }
        auto in = std::make_shared<std::ifstream>(file, std::ios::binary);
        if (!*in) {
            res.status = 403;
            return;
        }
        res.set_content_provider(static_cast<std::size_t>(size), contentType(file),
                                 [in](std::size_t offset, std::size_t length, httplib::DataSink& sink) {
                                     char buffer[64 * 1024];
                                     in->seekg(static_cast<std::streamoff>(offset));
                                     const std::size_t n = length < sizeof buffer ? length : sizeof buffer;
                                     in->read(buffer, static_cast<std::streamsize>(n));
                                     const std::streamsize got = in->gcount();
                                     if (got <= 0)
                                         return false; // the file shrank under us: the reply ends short
                                     return sink.write(buffer, static_cast<std::size_t>(got));
                                 });
    });
    server.set_keep_alive_timeout(std::chrono::duration_cast<std::chrono::seconds>(kKeepAlive).count());
    server.set_read_timeout(std::chrono::milliseconds(kSliceMs));

    // The player's alone: a socket in a folder only he may enter, never a port of the machine.
    sweepEarlierFolders(socketBase());
    std::string folder = socketBase() + "/zrk-XXXXXX";
    if (!::mkdtemp(&folder[0]) || ::chmod(folder.c_str(), 0700) != 0) {
        logLine(Severity::Error, "the file server cannot make its folder in " + socketBase());
        return false;
    }
    const std::string path = folder + "/" + kSocketName;
    sockaddr_un at{};
    at.sun_family = AF_UNIX;
    std::memcpy(at.sun_path, path.c_str(), std::min(path.size() + 1, sizeof at.sun_path - 1));
    const int listener = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    // A queue of waiting connections as long as the cap: the game's own never waits behind others.
    if (listener < 0 || path.size() >= sizeof at.sun_path ||
        ::bind(listener, reinterpret_cast<sockaddr*>(&at), sizeof at) != 0 ||
        ::listen(listener, static_cast<int>(kMaxConnections)) != 0) {
        logLine(Severity::Error, "the file server cannot listen on " + path + ": " + std::strerror(errno));
        if (listener >= 0)
            ::close(listener);
        ::unlink(path.c_str());
        ::rmdir(folder.c_str());
        return false;
    }
    mImpl->listener = listener;
    server.listensOn(listener);
    mImpl->folder = folder;
    mImpl->socket = path;
    // The secret never reaches the log, whatever line would carry an address.
    yake::logging::logger::instance().hide(server.secret.substr(1));
    mImpl->acceptor.reset(new Acceptor(server, listener));
    // The socket listens already: a client that comes before the loop runs waits in its queue,
    // so the start does not wait for the thread (a few milliseconds of the game's start-up).
    mImpl->thread = std::thread([acceptor = mImpl->acceptor.get()] { acceptor->run(); });
    logLine(Severity::Trace, "serving " + mFilesFolder + " at " + path + " as " + kHost + mInstallerPath + kFiles);
    return true;
}

void FileServer::stop()
{
    if (!mImpl->thread.joinable())
        return;
    // Every connection sees this within a slice and ends; the acceptor then waits for them.
    mImpl->server.stopping = true;
    mImpl->server.listensOn(INVALID_SOCKET);
    ::shutdown(mImpl->listener, SHUT_RDWR); // wakes the acceptor's wait at once
    mImpl->thread.join();
    ::close(mImpl->listener);
    mImpl->listener = -1;
    ::unlink(mImpl->socket.c_str());
    ::rmdir(mImpl->folder.c_str());
    yake::logging::logger::instance().reveal(mImpl->server.secret.substr(1));
}

} // namespace core
} // namespace kavri3D
