#include "core/Lifetime.h"

#include <algorithm>
#include "core/TimerManager.h"

namespace kavri3D {
namespace core {

Lifetime::Lifetime() : mToken(std::make_shared<char>(0)) {}

Lifetime::Lifetime(const Lifetime&) : Lifetime() {}

Lifetime::~Lifetime() { end(); }

int Lifetime::setTimeout(unsigned milliseconds, std::function<void()> callback, bool repeat)
{
    if (!mToken)
        return -1;
    // Forget timers already fired so the list does not grow for ever.
    TimerManager& timers = TimerManager::instance();
    mTimers.erase(std::remove_if(mTimers.begin(), mTimers.end(), [&timers](int id) { return !timers.isPending(id); }),
                  mTimers.end());
    const int id = timers.setTimeout(milliseconds, guard(std::move(callback)), repeat);
    mTimers.push_back(id);
    return id;
}

bool Lifetime::killTimer(int& id)
{
    const auto it = std::find(mTimers.begin(), mTimers.end(), id);
    const bool killed = it != mTimers.end() && TimerManager::instance().killTimer(id);
    if (it != mTimers.end())
        mTimers.erase(it);
    id = -1;
    return killed;
}

void Lifetime::end()
{
    mToken.reset();
    for (int id : mTimers)
        TimerManager::instance().killTimer(id);
    mTimers.clear();
}

} // namespace core
} // namespace kavri3D
