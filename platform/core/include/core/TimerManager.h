#pragma once
#include <functional>
#include <map>

namespace kavri3D {
namespace core {

/// One-shot timers on the yake clock, fired from the frame loop (never from setTimeout
/// itself). Ids are positive; -1 is the conventional "nothing pending" value of callers.
class TimerManager {
public:
    static TimerManager& instance();

    int setTimeout(unsigned milliseconds, std::function<void()> callback);
    /// false when the id is unknown (already fired or killed).
    bool killTimer(int id);
    /// Fires every timer that is due at the current clock time, earliest first. A timer set
    /// by a callback fires at the earliest on the next update.
    void update();
    std::size_t pending() const { return mTimers.size(); }
    void clear() { mTimers.clear(); }

private:
    struct Timer {
        double due;
        std::function<void()> callback;
    };
    std::map<int, Timer> mTimers;
    int mNextId = 1;
};

int setTimeout(unsigned milliseconds, std::function<void()> callback);
bool killTimer(int id);

} // namespace core
} // namespace kavri3D
