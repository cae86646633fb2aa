#include "transport/TransportService.h"

#include <cstdlib>
#include <exception>
#include <vector>
#include <yake/Logger.h>

namespace kavri3D {
namespace core {

namespace {
// Clients when the setting is missing or not a positive number.
const std::size_t kDefaultClients = 2;
const std::size_t kMostClients = 64;
} // namespace

TransportService& TransportService::instance()
{
    static TransportService theService;
    return theService;
}

std::string TransportService::getSetting(const std::string& name) const
{
    auto it = mSettings.find(name);
    return it == mSettings.end() ? std::string() : it->second;
}

std::size_t TransportService::clientLimit() const
{
    const std::string text = getSetting("MAX_CLIENT");
    char* end = nullptr;
    const long n = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || n <= 0)
        return kDefaultClients;
    return static_cast<std::size_t>(n) < kMostClients ? static_cast<std::size_t>(n) : kMostClients;
}

int TransportService::startJob(Work work)
{
    const int id = mNextJob++;
    if (mNextJob <= 0)
        mNextJob = 1;
    mJobs[id] = std::move(work);
    return id;
}

bool TransportService::cancelJob(int id) { return mJobs.erase(id) > 0; }

void TransportService::getQueuedJobs(std::size_t& active, std::size_t& waiting) const
{
    const std::size_t limit = clientLimit();
    active = mJobs.size() < limit ? mJobs.size() : limit;
    waiting = mJobs.size() - active;
}

void TransportService::update()
{
    // The ids of this pump are fixed first: work that starts or cancels jobs changes the map.
    std::vector<int> due;
    const std::size_t limit = clientLimit();
    for (auto it = mJobs.begin(); it != mJobs.end() && due.size() < limit; ++it)
        due.push_back(it->first);
    for (int id : due) {
        auto it = mJobs.find(id);
        if (it == mJobs.end())
            continue; // cancelled by an earlier job's work
        Work work = std::move(it->second);
        mJobs.erase(it);
        try {
            if (work)
                work();
        } catch (const std::exception& e) {
            yake::logging::logger::instance().log(3, "transport", std::string("transfer failed: ") + e.what());
        }
    }
}

} // namespace core
} // namespace kavri3D
