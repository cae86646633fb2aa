#pragma once
#include <cstddef>
#include <functional>
#include <map>
#include <memory>
#include <string>

namespace kavri3D {
namespace core {

/// The download service: its settings (speed limits, parallel clients) and the transfers in
/// flight. A transfer is an HTTP(S) download into a file, run by libcurl's multi interface
/// and driven by `update` once per frame: no thread, never waiting on the network. A job is
/// plain work that lands at the first pump after the frame that started it.
///
/// At most "MAX_CLIENT" transfers run at once; "_LOW_SPEED_LIMIT" bytes a second for
/// "_LOW_SPEED_TIME" seconds ends a stalled one; "_MAX_RECV_SPEED" and "_MAX_SEND_SPEED"
/// (bytes a second, empty: none) pace them.
class TransportService {
public:
    typedef std::function<void()> Work;
    /// After a transfer: whether the file is there, and why not.
    typedef std::function<void(bool ok, const std::string& error)> TransferDone;

    /// The largest file a transfer keeps; a larger one fails.
    static constexpr long long kMaxFileSize = 64ll << 20;
    /// Redirects followed before a transfer fails.
    static constexpr long kMaxRedirects = 5;
    /// The longest a download made at once may hold the frame up.
    static constexpr long kAtOnceMillis = 1000;

    static TransportService& instance();
    TransportService();
    ~TransportService();
    TransportService(const TransportService&) = delete;
    TransportService& operator=(const TransportService&) = delete;

    void setSetting(const std::string& name, const std::string& value) { mSettings[name] = value; }
    std::string getSetting(const std::string& name) const;

    /// Transfers from "http://<host>/..." go to the Unix socket at `socketPath` (the built-in
    /// file server's), never over the network; an empty path forgets the route.
    void setSocketRoute(const std::string& host, const std::string& socketPath);
    /// The routed host and its socket; both empty when there is none.
    const std::string& getRoutedHost() const { return mRoutedHost; }
    const std::string& getRoutedSocket() const { return mRoutedSocket; }

    /// Starts a transfer; its work runs at a later pump. The id (positive) cancels it.
    int startJob(Work work);
    /// Downloads `url` into `file` (through "<file>.part", renamed when whole). `done` runs
    /// once, from a later `update`, unless the transfer is cancelled first. The id cancels it.
    int startTransfer(const std::string& url, const std::string& file, TransferDone done);
    /// The same download, waiting for it (the product manager's "at once"), at most
    /// kAtOnceMillis: a server that stalls holds the game up no longer; false with `error`.
    bool transferNow(const std::string& url, const std::string& file, std::string& error);
    /// False when the job or transfer already landed or was cancelled; its work then never runs.
    bool cancelJob(int id);
    /// Transfers in flight: those running (or landing at the next pump) and those waiting for
    /// a client.
    void getQueuedJobs(std::size_t& active, std::size_t& waiting) const;
    /// Lands the jobs started before this call, oldest first, up to the client limit; starts
    /// waiting transfers while clients are free, moves the running ones on and lands those
    /// finished. A job or transfer started by a landing one waits for the next pump.
    void update();
    /// Forgets every job and transfer without running it.
    void clear();

private:
    struct Transfers;
    std::size_t clientLimit() const;

    std::map<std::string, std::string> mSettings;
    std::string mRoutedHost;
    std::string mRoutedSocket;
    std::map<int, Work> mJobs; // by id, so oldest first
    std::unique_ptr<Transfers> mTransfers;
    int mNextJob = 1;
};

} // namespace core
} // namespace kavri3D
