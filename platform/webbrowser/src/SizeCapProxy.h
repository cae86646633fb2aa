#pragma once
// The page's one way to the network: an HTTP proxy on 127.0.0.1, for this user's processes
// only, that passes each response on and cuts it once it is larger than the cap, whatever its
// headers say (a declared length, chunks, or none: the page asks for no compression, so the
// bytes are the document's). HTTPS passes through CONNECT tunnels, cut the same way once a
// tunnel has carried more than the cap towards the page.
#include <atomic>
#include <memory>
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
