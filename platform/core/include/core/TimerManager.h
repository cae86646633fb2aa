#pragma once
#include <functional>
#include <map>

namespace kavri3D {
namespace core {

/// Timers on the yake clock (one shot, or repeating until killed), fired from the frame loop (never from setTimeout
/// itself). Ids are positive; -1 is the conventional "nothing pending" value of callers.
class TimerManager {
public:
    static TimerManager& instance();

    /// A repeating timer fires every period until it is killed (its own callback may kill it).
    int setTimeout(unsigned milliseconds, std::function<void()> callback, bool repeat = false);
    /// false when the id is unknown (already fired or killed).
    bool killTimer(int id);
    bool isPending(int id) const { return mTimers.count(id) > 0; }
    /// Fires every timer that is due at the current clock time, earliest first. A timer set
    /// by a callback fires at the earliest on the next update.
    void update();
    std::size_t pending() const { return mTimers.size(); }
    void clear() { mTimers.clear(); }

private:
    struct Timer {
        double due;
        std::function<void()> callback;
        double period; ///< seconds between calls of a repeating timer; below 0 for one shot
    };
    std::map<int, Timer> mTimers;
    int mNextId = 1;
};

int setTimeout(unsigned milliseconds, std::function<void()> callback, bool repeat = false);
bool killTimer(int id);

} // namespace core
} // namespace kavri3D
