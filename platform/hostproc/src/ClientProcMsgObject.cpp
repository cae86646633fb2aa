// The hosting platform's helper: one Unix stream socket to the launcher, read by a thread of
// its own that cuts the stream into messages.
#include <hostproc/ClientProcMsg.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <mutex>
#include <string>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>
#include <vector>

#define HOSTPROC_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

std::uint32_t readU32(const unsigned char* p)
{
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 | std::uint32_t(p[3]) << 24;
}

class ClientProcMsgObject final : public IClientProcMsgObject {
public:
    ~ClientProcMsgObject()
    {
        // The reader goes first: it may be inside the game's handler.
        if (mFd >= 0)
            ::shutdown(mFd, SHUT_RDWR);
        if (mReader.joinable())
            mReader.join();
        if (mFd >= 0)
            ::close(mFd);
    }

    int initialize() override { return 1; }

    int connect(const char* param) override
    {
        if (mFd >= 0 || !param)
            return 0;
        const std::string path = param;
        sockaddr_un address{};
        // Only an absolute path to a socket that fits the address.
        if (path.empty() || path[0] != '/' || path.size() >= sizeof(address.sun_path))
            return 0;
        struct stat st {};
        if (::stat(path.c_str(), &st) != 0 || !S_ISSOCK(st.st_mode))
            return 0;
        const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (fd < 0)
            return 0;
        address.sun_family = AF_UNIX;
        std::memcpy(address.sun_path, path.c_str(), path.size());
        if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0) {
            ::close(fd);
            return 0;
        }
        mFd = fd;
        mConnected = true;
        mReader = std::thread([this] { readLoop(); });
        return 1;
    }

    int isConnected() override { return mConnected ? 1 : 0; }

    int send(int length, const void* message) override
    {
        if (!mConnected || length < 0 || (length > 0 && !message))
            return 0;
        const char* p = static_cast<const char*>(message);
        std::size_t left = static_cast<std::size_t>(length);
        std::lock_guard<std::mutex> lock(mSendMutex);
        mSent.emplace_back(p, p + left);
        while (left > 0) {
            // The launcher may be gone: that must not raise SIGPIPE in the game.
            const ssize_t n = ::send(mFd, p, left, MSG_NOSIGNAL);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0) {
                mConnected = false;
                return 0;
            }
            p += n;
            left -= static_cast<std::size_t>(n);
        }
        return 1;
    }

    void setEventHandler(IClientProcMsgEventHandler* handler) override { mHandler = handler; }

    /// Hands one message to the game, on the calling thread.
    void deliver(const unsigned char* bytes, std::uint32_t length)
    {
        if (mHandler)
            mHandler->onMessage(this, length, bytes);
    }

    int sentCount()
    {
        std::lock_guard<std::mutex> lock(mSendMutex);
        return static_cast<int>(mSent.size());
    }

    int sent(int index, void* out, int capacity)
    {
        std::lock_guard<std::mutex> lock(mSendMutex);
        if (index < 0 || index >= static_cast<int>(mSent.size()))
            return -1;
        const std::vector<char>& m = mSent[static_cast<std::size_t>(index)];
        if (out && capacity > 0)
            std::memcpy(out, m.data(), std::min<std::size_t>(m.size(), static_cast<std::size_t>(capacity)));
        return static_cast<int>(m.size());
    }

private:
    bool readAll(unsigned char* out, std::size_t length)
    {
        while (length > 0) {
            const ssize_t n = ::recv(mFd, out, length, 0);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                return false;
            out += n;
            length -= static_cast<std::size_t>(n);
        }
        return true;
    }

    bool skip(std::uint64_t length)
    {
        unsigned char sink[4096];
        while (length > 0) {
            const std::size_t part = static_cast<std::size_t>(std::min<std::uint64_t>(length, sizeof sink));
            if (!readAll(sink, part))
                return false;
            length -= part;
        }
        return true;
    }

    void readLoop()
    {
        // One buffer for the whole run: the largest message there may be.
        std::vector<unsigned char> message(hostproc::kHeaderSize + hostproc::kMaxData);
        for (;;) {
            if (!readAll(message.data(), hostproc::kHeaderSize))
                break;
            const std::uint32_t length = readU32(message.data() + 4);
            if (length > hostproc::kMaxData) {
                // Too long to keep: the game sees the header alone (and refuses it); the data
                // is read past so the next message starts where it should.
                deliver(message.data(), hostproc::kHeaderSize);
                if (!skip(length))
                    break;
                continue;
            }
            if (!readAll(message.data() + hostproc::kHeaderSize, length))
                break;
            deliver(message.data(), hostproc::kHeaderSize + length);
        }
        mConnected = false;
    }

    int mFd = -1;
    std::atomic<bool> mConnected{false};
    IClientProcMsgEventHandler* mHandler = nullptr;
    std::thread mReader;
    std::mutex mSendMutex;
    std::vector<std::vector<char>> mSent;
};

ClientProcMsgObject* own(IClientProcMsgObject* object) { return static_cast<ClientProcMsgObject*>(object); }

} // namespace

HOSTPROC_EXPORT IClientProcMsgObject* CreateClientProcMsgObject() { return new ClientProcMsgObject; }

#ifndef HOSTPROC_WITHOUT_RELEASE
HOSTPROC_EXPORT void ReleaseClientProcMsgObject(IClientProcMsgObject* object) { delete own(object); }
#endif

HOSTPROC_EXPORT void HostProcInject(IClientProcMsgObject* object, const void* bytes, std::uint32_t length)
{
    if (object)
        own(object)->deliver(static_cast<const unsigned char*>(bytes), length);
}

HOSTPROC_EXPORT int HostProcSentCount(IClientProcMsgObject* object) { return object ? own(object)->sentCount() : 0; }

HOSTPROC_EXPORT int HostProcSent(IClientProcMsgObject* object, int index, void* out, int capacity)
{
    return object ? own(object)->sent(index, out, capacity) : -1;
}
