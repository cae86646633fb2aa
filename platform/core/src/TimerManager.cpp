#include "core/TimerManager.h"

#include <algorithm>
#include <vector>
#include <yake/Logger.h>
#include <yake/Time.h>

namespace kavri3D {
namespace core {

TimerManager& TimerManager::instance()
{
    static TimerManager theTimers;
    return theTimers;
}

int TimerManager::setTimeout(unsigned milliseconds, std::function<void()> callback)
{
    int id = mNextId++;
    if (mNextId <= 0)
        mNextId = 1;
    mTimers[id] = Timer{yake::native::getTime() + milliseconds / 1000.0, std::move(callback)};
    return id;
}

bool TimerManager::killTimer(int id) { return mTimers.erase(id) > 0; }

void TimerManager::update()
{
    double now = yake::native::getTime();
    std::vector<std::pair<double, int>> due;
    for (const auto& t : mTimers)
        if (t.second.due <= now)
            due.emplace_back(t.second.due, t.first);
    std::sort(due.begin(), due.end());
    for (const auto& d : due) {
        auto it = mTimers.find(d.second);
        if (it == mTimers.end())
            continue; // killed by an earlier callback
        std::function<void()> cb = std::move(it->second.callback);
        mTimers.erase(it);
        try {
            if (cb)
                cb();
        } catch (const std::exception& e) {
            yake::logging::logger::instance().log(3, "timer", std::string("timer callback failed: ") + e.what());
        }
    }
}

int setTimeout(unsigned milliseconds, std::function<void()> callback)
{
    return TimerManager::instance().setTimeout(milliseconds, std::move(callback));
}

bool killTimer(int id) { return TimerManager::instance().killTimer(id); }

} // namespace core
} // namespace kavri3D
