// Measures how long the built-in file server takes to stop while 32 slow clients hold
// connections open (each trickling a header line now and then, as another local account
// could), over several rounds: the longest and the mean stop, against a target of one second.
#include <algorithm>
#include <arpa/inet.h>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <netinet/in.h>
#include <string>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>
#include <transport/FileServer.h>
#include <yake/Logger.h>

#include "support/LoopbackSocket.h"

using namespace kavri3D;

namespace {

const int kRounds = 10;
const int kSlowClients = 32;
const double kTargetMs = 1000.0; ///< no stop as long as this

} // namespace

int main()
{
    yake::logging::logger::instance().setEchoToStderr(false);
    char tmpl[] = "/tmp/zrk_bench_fileserver-XXXXXX";
    if (!::mkdtemp(tmpl))
        return 1;
    const std::string root = tmpl;
    std::filesystem::create_directories(root + "/published");
    double longest = 0, total = 0;
    for (int round = 0; round < kRounds; ++round) {
        core::FileServer server;
        if (!server.start("/installer", root + "/published", root + "/web"))
            return 1;
        // Half know the secret and trickle their headers; half ask without it and linger.
        std::vector<int> socks;
        for (int i = 0; i < kSlowClients; ++i) {
            const int sock = zrktest::connectLocal(server.getSocketPath());
            if (sock < 0)
                continue;
            const std::string line =
                "GET " + (i % 2 ? server.getPrefix() : std::string()) + "/installer/files/x HTTP/1.1\r\n";
            ::send(sock, line.data(), line.size(), MSG_NOSIGNAL);
            socks.push_back(sock);
        }
        std::atomic<bool> over{false};
        std::thread trickle([&] {
            while (!over) {
                for (int sock : socks)
                    ::send(sock, "X-A: 1\r\n", 8, MSG_NOSIGNAL);
                std::this_thread::sleep_for(std::chrono::milliseconds(150));
            }
        });
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        const auto start = std::chrono::steady_clock::now();
        server.stop();
        const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
        over = true;
        trickle.join();
        for (int sock : socks)
            ::close(sock);
        longest = std::max(longest, ms);
        total += ms;
    }
    std::error_code ec;
    std::filesystem::remove_all(root, ec);
    std::printf(
        "file server stop with %d slow clients: longest %.1f ms, mean %.1f ms over %d rounds (target < %.0f ms)\n",
        kSlowClients, longest, total / kRounds, kRounds, kTargetMs);
    return longest < kTargetMs ? 0 : 1;
}
