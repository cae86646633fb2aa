#include "transport/FileServer.h"

#include <algorithm>
#include <arpa/inet.h>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <httplib.h>
#include <list>
#include <memory>
#include <netinet/in.h>
#include <poll.h>
#include <random>
#include <sys/socket.h>
#include <system_error>
#include <thread>
#include <unistd.h>
#include <yake/Logger.h>

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
const std::size_t kMaxConnections = 64;
const std::size_t kMaxRequestLine = 8192;

const char kRefusal[] = "HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\nConnection: close\r\n\r\n";
const char kBusy[] = "HTTP/1.1 503 Service Unavailable\r\nContent-Length: 0\r\nConnection: close\r\n\r\n";

/// Set on the listening thread while it closes a connection over the cap.
thread_local bool tOverCap = false;

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

void addressOf(int sock, bool peer, std::string& ip, int& port)
{
    sockaddr_in addr{};
    socklen_t len = sizeof addr;
    const int rc = peer ? ::getpeername(sock, reinterpret_cast<sockaddr*>(&addr), &len)
                        : ::getsockname(sock, reinterpret_cast<sockaddr*>(&addr), &len);
    char text[INET_ADDRSTRLEN] = "";
    if (rc == 0 && addr.sin_family == AF_INET && ::inet_ntop(AF_INET, &addr.sin_addr, text, sizeof text)) {
        ip = text;
        port = ntohs(addr.sin_port);
    }
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

    void get_remote_ip_and_port(std::string& ip, int& port) const override { addressOf(mSock, true, ip, port); }
    void get_local_ip_and_port(std::string& ip, int& port) const override { addressOf(mSock, false, ip, port); }
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

/// A thread for each connection, at most `kMaxConnections` at once; the one over that is closed
/// at once. The shut-down waits for every connection, each of which sees the stop within a slice.
class ConnectionThreads : public httplib::TaskQueue {
public:
    ~ConnectionThreads() override { shutdown(); }

    void enqueue(std::function<void()> fn) override
    {
        mWorkers.remove_if([](Worker& worker) {
            if (!*worker.done)
                return false;
            worker.thread.join();
            return true;
        });
        if (mWorkers.size() < kMaxConnections) {
            auto done = std::make_shared<std::atomic<bool>>(false);
            try {
                mWorkers.push_back({std::thread([fn, done] {
                                        fn();
                                        *done = true;
                                    }),
                                    done});
                return;
            } catch (const std::system_error&) {
            }
        }
        tOverCap = true;
        fn();
        tOverCap = false;
    }

    void shutdown() override
    {
        for (Worker& worker : mWorkers)
            worker.thread.join();
        mWorkers.clear();
    }

private:
    struct Worker {
        std::thread thread;
        std::shared_ptr<std::atomic<bool>> done;
    };
    std::list<Worker> mWorkers; // the listening thread's alone
};

/// httplib's server with our own connection handling: the secret, the deadlines, the cap.
class GuardedServer : public httplib::Server {
public:
    GuardedServer()
    {
        new_task_queue = [] { return new ConnectionThreads; };
    }

    std::atomic<bool> stopping{false};
    std::string secret;

    /// A queue of waiting connections as long as the cap: the library's few would drop the
    /// game's own connection while a crowd of others waits to be taken.
    void widenBacklog() { ::listen(svr_sock_, static_cast<int>(kMaxConnections)); }

private:
    bool process_and_close_socket(socket_t sock) override
    {
        if (tOverCap || stopping) {
            sendAndClose(sock, kBusy);
            return false;
        }
        GuardedStream stream(sock, stopping, secret);
        auto start = Clock::now();
        bool ok = false;
        for (std::size_t left = keep_alive_max_count_; left > 0 && !stopping; --left) {
            if (left != keep_alive_max_count_) {
                if (!stream.nextRequestComes())
                    break;
                start = Clock::now();
            }
            stream.beginRequest(start);
            bool closed = false;
            ok = process_request(stream, left == 1, closed, [](httplib::Request&) {});
            if (stream.refused()) {
                sendAndClose(sock, kRefusal);
                return false;
            }
            if (!ok || closed)
                break;
        }
        ::shutdown(sock, SHUT_RDWR);
        ::close(sock);
        return ok;
    }
};

} // namespace

struct FileServer::Impl {
    GuardedServer server;
    std::thread thread;
    std::atomic<bool> loopOver{false}; // the serving loop has returned
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

FileServer::~FileServer() { stop(); }

httplib::Server& FileServer::httpServer() { return mImpl->server; }

bool FileServer::isRunning() const { return mImpl->thread.joinable(); }

std::string FileServer::getAddress() const
{
    return isRunning() ? "http://127.0.0.1:" + std::to_string(mPort) + getPrefix() : std::string();
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
    // This machine only: the game's files are nobody else's business.
    mPort = server.bind_to_any_port("127.0.0.1");
    if (mPort <= 0) {
        logLine(Severity::Error, "the file server cannot listen on 127.0.0.1");
        mPort = 0;
        return false;
    }
    server.widenBacklog();
    // The socket listens already: a client that comes before the loop runs waits in its queue,
    // so the start does not wait for the thread (a few milliseconds of the game's start-up).
    mImpl->loopOver = false;
    mImpl->thread = std::thread([impl = mImpl.get()] {
        impl->server.listen_after_bind();
        impl->loopOver = true;
    });
    logLine(Severity::Trace,
            "serving " + mFilesFolder + " at 127.0.0.1:" + std::to_string(mPort) + mInstallerPath + kFiles);
    return true;
}

void FileServer::stop()
{
    if (!mImpl->thread.joinable())
        return;
    // Stopping before the loop runs would miss it and wait for ever: wait until it runs.
    for (int i = 0; i < 5000 && !mImpl->server.is_running() && !mImpl->loopOver; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    // Every connection sees this within a slice and ends; the loop then waits for them.
    mImpl->server.stopping = true;
    mImpl->server.stop();
    mImpl->thread.join();
    mPort = 0;
}

} // namespace core
} // namespace kavri3D
