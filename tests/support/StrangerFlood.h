#pragma once
// Another local user's attack on the game's transfers, for tests and benchmarks: a process of
// its own that reaches for the file server's socket and floods the web view's proxy with
// silent connections held open and connections churned, pinned to one processor. It runs as
// another account (nobody) where this process may become one; elsewhere as this user, and the
// game's checks are told through their seams to count it a stranger (the file server by its
// process id, the proxy by the address it comes from, 127.0.0.2).
#include <functional>
#include <string>
#include <sys/types.h>

namespace zrktest {

class StrangerFlood {
public:
    /// What the flooder met.
    struct Result {
        bool ran = false;
        int fileServerTried = 0;   ///< connections it asked of the file server's socket
        int fileServerReached = 0; ///< of those, how many the socket let it make at all
        int fileServerKept = 0;    ///< of those, how many the server had not closed a second later
        int proxyHeld = 0;         ///< silent connections to the proxy it made
        int proxyKept = 0;         ///< of those, how many the proxy had not closed a second later
        long proxyChurned = 0;     ///< connections it opened and closed as fast as it could
    };

    /// Forks the flooder now, before the game opens any connection of its own (a process forked
    /// later would keep copies of them open); it waits for start().
    StrangerFlood();
    ~StrangerFlood();
    StrangerFlood(const StrangerFlood&) = delete;
    StrangerFlood& operator=(const StrangerFlood&) = delete;

    bool asAnotherUser() const { return mAnotherUser; }
    pid_t pid() const { return mPid; }
    /// The file server's check for where the flooder is this user: its connections by process.
    std::function<bool(int fd)> fileServerCheck() const;
    /// The proxy's check: a connection from 127.0.0.2.
    static bool fromFlooderAddress(int fd);

    /// Floods the file server's socket and the proxy's port (0: none) for `seconds`.
    void start(const std::string& fileSocket, int proxyPort, double seconds);
    /// Waits for the flood's end.
    Result finish();

private:
    pid_t mPid = -1;
    bool mAnotherUser = false;
    int mOrders[2] = {-1, -1};
    int mReport[2] = {-1, -1};
};

} // namespace zrktest
