// A file server's reply as a download takes it: the input is sent back whole, as it is, to
// the request, over a connection on this machine. Whatever it holds, the download is answered
// exactly once, lands whole under its name or not at all, and leaves no ".part" file.
#include <arpa/inet.h>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <netinet/in.h>
#include <string>
#include <sys/socket.h>
#include <thread>
#include <transport/TransportService.h>
#include <unistd.h>

#include "FuzzSupport.h"

using namespace kavri3D::core;

namespace {

std::mutex gReplyLock;
std::string gReply;

/// Answers every connection with the current reply, then closes it.
int startReplier()
{
    const int listener = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (listener < 0 || ::bind(listener, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
        ::listen(listener, 8) != 0)
        std::abort();
    socklen_t length = sizeof addr;
    ::getsockname(listener, reinterpret_cast<sockaddr*>(&addr), &length);
    std::thread([listener] {
        for (;;) {
            const int peer = ::accept(listener, nullptr, nullptr);
            if (peer < 0)
                continue;
            timeval wait{0, 200000};
            ::setsockopt(peer, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
            std::string request;
            char buffer[4096];
            while (request.find("\r\n\r\n") == std::string::npos) {
                const ssize_t n = ::recv(peer, buffer, sizeof buffer, 0);
                if (n <= 0)
                    break;
                request.append(buffer, static_cast<std::size_t>(n));
            }
            std::string reply;
            {
                std::lock_guard<std::mutex> lock(gReplyLock);
                reply = gReply;
            }
            ::send(peer, reply.data(), reply.size(), MSG_NOSIGNAL);
            ::shutdown(peer, SHUT_RDWR);
            ::close(peer);
        }
    }).detach();
    return ntohs(addr.sin_port);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const bool ready = (zrkfuzz::FuzzSupport::quiet(), true);
    static const int port = startReplier();
    (void)ready;
    {
        std::lock_guard<std::mutex> lock(gReplyLock);
        gReply = zrkfuzz::FuzzSupport::text(data, size);
    }
    TransportService& transport = TransportService::instance();
    transport.setSetting("MAX_CLIENT", "2");
    transport.setSetting("_LOW_SPEED_LIMIT", "1");
    transport.setSetting("_LOW_SPEED_TIME", "1");
    const std::string file = zrkfuzz::FuzzSupport::folder() + "reply.bin";
    std::error_code ec;
    std::filesystem::remove(file, ec);
    int answers = 0;
    bool landed = false;
    // A redirect may lead back here: each step of it gets the same reply, up to the limit.
    const int job = transport.startTransfer("http://127.0.0.1:" + std::to_string(port) + "/files/res/GUIX1/a.png", file,
                                            [&](bool ok, const std::string&) {
                                                ++answers;
                                                landed = ok;
                                            });
    for (int i = 0; i < 10000 && answers == 0; ++i) {
        transport.update();
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    // A redirect to an address that never answers is still trying: called off, it must leave
    // nothing behind and never answer.
    const bool cancelled = answers == 0 && transport.cancelJob(job);
    for (int i = 0; i < 3; ++i)
        transport.update();
    if (answers != (cancelled ? 0 : 1))
        std::abort(); // answered never, twice, or after it was called off
    if (std::filesystem::exists(file + ".part") || landed != std::filesystem::exists(file))
        std::abort(); // half a file left, or a success without its file
    if (landed && std::filesystem::file_size(file) > static_cast<std::uintmax_t>(TransportService::kMaxFileSize))
        std::abort();
    return 0;
}
