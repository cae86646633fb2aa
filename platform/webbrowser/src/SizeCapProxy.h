#pragma once
// The page's one way to the network: an HTTP proxy on 127.0.0.1 that passes each response on
// and cuts it once it is larger than the cap, whatever its headers say (a declared length,
// chunks, or none). The page asks for no compression, so the bytes counted are the document's;
// a plain response that comes compressed all the same is refused, since what it would grow to
// is no longer what is counted. Each connection carries the page's first request only, and its
// response is read whole before any of it passes: interim (1xx) heads are skipped, the final
// head goes to the page saying "Connection: close", and a head that could be read more than
// one way (folded lines, no end, over its limit) is refused. HTTPS passes through CONNECT
// tunnels, cut the same way once a tunnel has carried more than the cap towards the page (what
// is inside is the web process's to decode, under its memory limit).
//
// WebKit takes a proxy by URI only, so it stays on TCP, where any account of the machine can
// connect: each connection is asked whose it is first (one look at that socket, LoopbackPeer)
// and another user's is closed before it counts; at most kMaxConnections (one thread each) are
// served at once. It listens with the longest queue the system allows, so that connections
// churned by another user do not crowd the page's own out of it (one who holds more than the
// queue can still delay a page). The game's own pages (its file server's host) are fetched
// from the file server's Unix socket, once it is known to be this process's own.
#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <unordered_set>

namespace webbrowser {

class SizeCapProxy {
public:
    /// Headers of a response, over the cap, before it is cut.
    static constexpr unsigned long long kHeaderAllowance = 64 * 1024;
    /// A request's head at most.
    static constexpr std::size_t kMaxRequestHead = 64 * 1024;
    /// A connection quiet this long is closed.
    static constexpr int kIdleSeconds = 30;
    /// Connections (and threads) served at once; one more is answered 503 and closed.
    static constexpr unsigned kMaxConnections = 64;

    explicit SizeCapProxy(unsigned long long cap);
    ~SizeCapProxy();
    SizeCapProxy(const SizeCapProxy&) = delete;
    SizeCapProxy& operator=(const SizeCapProxy&) = delete;

    /// Requests for "http://<host>/..." go to the Unix socket at `socketPath` from now on (each
    /// game's file server has a socket of its own); an empty path: none do.
    void setLocalRoute(const std::string& host, const std::string& socketPath);
    /// Listens on a free port of 127.0.0.1; false when it cannot.
    bool start();
    int port() const { return mPort; }
    /// Responses cut since the last call.
    unsigned takeCutCount() { return mShared->cut.exchange(0); }
    /// Compressed responses refused since the last call.
    unsigned takeCompressedCount() { return mShared->compressed.exchange(0); }

    /// What became of the connections since the start.
    struct Counts {
        unsigned long served = 0;    ///< taken and served
        unsigned long strangers = 0; ///< another user's, closed before they counted
        unsigned long busy = 0;      ///< over the cap, answered 503
    };
    Counts getCounts() const;

    /// Tests: also drop the connection on `fd` as a stranger's when this says so (where a test
    /// cannot run its client as another user). Empty: the peer's user alone decides.
    static void setStrangerTest(std::function<bool(int fd)> test);

    /// Where a page's request goes and what is sent on there.
    struct Request {
        bool tunnel = false; ///< CONNECT: the bytes pass through as they come, after our "200"
        std::string host;
        std::string port;
        std::string outgoing; ///< what goes to the host first: the request as sent on, then what followed its head
        /// A plain request's body still to come after `outgoing`; whatever the page sends past
        /// it (a second request) is not passed on.
        unsigned long long bodyLeft = 0;
    };
    /// Reads the bytes a page sent, through the blank line that ends the request's head and
    /// whatever came after it; nullptr, or the status the page is refused with. A plain request
    /// goes on alone (its body as long as it says, nothing after it) with one response a
    /// connection, uncompressed, so the bytes counted are the document's.
    static const char* readRequest(const std::string& received, Request& request);
    /// Whether a response's head (through its blank line) says its body comes compressed (a
    /// Content-Encoding, or a Transfer-Encoding other than chunked).
    static bool compressedReply(const std::string& head);

    /// What the bytes a host has sent back so far come to.
    enum class Reply {
        More,       ///< the final head has not ended yet
        Ready,      ///< `toPage` holds it, rewritten, and what came after it
        Refused,    ///< no head that reads one way only: the page gets a 502
        Compressed, ///< the body comes compressed: the page gets a 502
    };
    /// Reads a plain request's response from its first byte (`ended`: the host has closed):
    /// interim (1xx) heads are skipped and the next one read; the final head (lines ended by
    /// CRLF or a bare LF) goes to the page with CRLF and "Connection: close" in place of any
    /// connection headers, followed by what came after it. Refused: a folded line, a line that
    /// is no header, a stray CR or NUL, a switch of protocols, heads together over
    /// kHeaderAllowance, or an end before the head's.
    static Reply readReply(const std::string& received, bool ended, std::string& toPage);

    struct Shared {
        unsigned long long cap = 0;
        std::mutex routeMutex; ///< guards the route, read by every connection's thread
        std::string localHost;
        std::string localSocket;
        std::atomic<unsigned> cut{0};
        std::atomic<unsigned> compressed{0};
        std::atomic<unsigned> active{0};
        std::atomic<unsigned long> served{0}, strangers{0}, busy{0};

        /// A page's socket (towards the page or its host) is known while it is open, so the
        /// proxy's end can wake whatever waits on it; opened after the end, it is shut at once.
        void opened(int fd);
        /// Forgets and closes it.
        void closed(int fd);
        /// A connection's thread is done with it.
        void finished();
        /// The proxy's end: every open socket is shut down, then every connection's thread is
        /// waited for (a name being looked up ends first).
        void endAll();
        /// The proxy is ending: a host's connection that closes now was cut by it, not by the
        /// host, and the page is owed no answer for it.
        bool isEnding();

    private:
        std::mutex openMutex;
        std::condition_variable allFinished;
        std::unordered_set<int> open;
        bool ending = false;
    };

private:
    void acceptLoop();

    std::shared_ptr<Shared> mShared;
    int mListener = -1;
    int mPort = 0;
    std::thread mAcceptor;
};

} // namespace webbrowser
