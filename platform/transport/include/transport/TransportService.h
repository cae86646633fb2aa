#pragma once
#include <cstddef>
#include <functional>
#include <map>
#include <string>

namespace kavri3D {
namespace core {

/// The download service: its settings (speed limits, parallel clients) and the transfers in
/// flight. There is no network here: a transfer is a job that lands (its work runs) at the
/// first pump after the frame that started it, at most "MAX_CLIENT" of them per pump.
class TransportService {
public:
    typedef std::function<void()> Work;

    static TransportService& instance();
    void setSetting(const std::string& name, const std::string& value) { mSettings[name] = value; }
    std::string getSetting(const std::string& name) const;

    /// Starts a transfer; its work runs at a later pump. The id (positive) cancels it.
    int startJob(Work work);
    /// False when the job already landed or was cancelled; its work then never runs.
    bool cancelJob(int id);
    /// Transfers in flight: those landing at the next pump and those waiting for a client.
    void getQueuedJobs(std::size_t& active, std::size_t& waiting) const;
    /// Lands the jobs started before this call, oldest first, up to the client limit. A job
    /// started by a landing job's work waits for the next pump.
    void update();
    /// Forgets every job without running it.
    void clear() { mJobs.clear(); }

private:
    std::size_t clientLimit() const;

    std::map<std::string, std::string> mSettings;
    std::map<int, Work> mJobs; // by id, so oldest first
    int mNextJob = 1;
};

} // namespace core
} // namespace kavri3D
