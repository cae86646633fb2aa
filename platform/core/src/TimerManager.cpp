#include "core/TimerManager.h"

#include <algorithm>
#include <vector>
#include <yake/Logger.h>
#include <yake/Time.h>

namespace kavri3D {

namespace {
using yake::logging::Severity;
const yake::logging::Channel logLine("timer");
} // namespace
namespace core {

TimerManager& TimerManager::instance()
{
    static TimerManager theTimers;
    return theTimers;
}

int TimerManager::setTimeout(unsigned milliseconds, std::function<void()> callback, bool repeat)
{
    int id = mNextId++;
    if (mNextId <= 0)
        mNextId = 1;
    const double period = milliseconds / 1000.0;
    mTimers[id] = Timer{yake::native::getTime() + period, std::move(callback), repeat ? period : -1.0};
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
        const bool repeat = it->second.period >= 0.0;
        if (repeat)
            // The next time from the last due one; a clock that jumped far ahead gives one call,
            // not a burst.
            it->second.due = std::max(it->second.due + it->second.period, now);
        else
            mTimers.erase(it);
        try {
            if (cb)
                cb();
        } catch (const std::exception& e) {
            logLine(Severity::Error, std::string("timer callback failed: ") + e.what());
        }
        if (repeat) {
            // Still there unless the callback killed it.
            auto again = mTimers.find(d.second);
            if (again != mTimers.end())
                again->second.callback = std::move(cb);
        }
    }
}

int setTimeout(unsigned milliseconds, std::function<void()> callback, bool repeat)
{
    return TimerManager::instance().setTimeout(milliseconds, std::move(callback), repeat);
}

bool killTimer(int id) { return TimerManager::instance().killTimer(id); }

} // namespace core
} // namespace kavri3D
