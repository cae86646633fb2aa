#pragma once
// The page's one way to the network: an HTTP proxy on 127.0.0.1, for this user's processes
// only, that passes each response on and cuts it once it is larger than the cap, whatever its
// headers say (a declared length, chunks, or none: the page asks for no compression, so the
// bytes are the document's). HTTPS passes through CONNECT tunnels, cut the same way once a
// tunnel has carried more than the cap towards the page.
#include <atomic>
#include <memory>
#include <string>
#include <thread>

namespace webbrowser {

class SizeCapProxy {
public:
    /// Headers of a response, over the cap, before it is cut.
    static constexpr unsigned long long kHeaderAllowance = 64 * 1024;
    /// A request's head at most.
    static constexpr std::size_t kMaxRequestHead = 64 * 1024;
    /// A connection quiet this long is closed.
    static constexpr int kIdleSeconds = 30;

    explicit SizeCapProxy(unsigned long long cap);
    ~SizeCapProxy();
    SizeCapProxy(const SizeCapProxy&) = delete;
    SizeCapProxy& operator=(const SizeCapProxy&) = delete;

    /// Listens on a free port of 127.0.0.1; false when it cannot.
    bool start();
    int port() const { return mPort; }
    /// Responses cut since the last call.
    unsigned takeCutCount() { return mShared->cut.exchange(0); }

    /// Where a page's request goes and what is sent on there.
    struct Request {
        bool tunnel = false; ///< CONNECT: the bytes pass through as they come, after our "200"
        std::string host;
        std::string port;
        std::string outgoing; ///< what goes to the host first: the request as sent on, then what followed its head
    };
    /// Reads the bytes a page sent, through the blank line that ends the request's head and
    /// whatever came after it; nullptr, or the status the page is refused with. A plain request
    /// goes on with one response a connection, uncompressed, so the bytes counted are the
    /// document's.
    static const char* readRequest(const std::string& received, Request& request);

    struct Shared {
        unsigned long long cap = 0;
        std::atomic<unsigned> cut{0};
    };

private:
    void acceptLoop();

    std::shared_ptr<Shared> mShared;
    int mListener = -1;
    int mPort = 0;
    std::thread mAcceptor;
};

} // namespace webbrowser
