#pragma once
#include <cstdint>
#include <deque>
#include <vector>
#include <gui/IGuiAnimator.h>

namespace kavri3D {
namespace zrk {
namespace gui {

class EventDispatcher;

/// Event ids the GUI holds back for a while (a screen that refreshes after its effect ends).
/// The room drains it every frame: calls `next(dt)` until it gives 0. Time advances once per
/// frame, at the first call; the ids due by then come out one per call, in due order (ids
/// due together in the order they were queued).
class EventIdQueue : public IEventIdQueue {
public:
    explicit EventIdQueue(EventDispatcher& dispatcher) : mDispatcher(dispatcher) {}

    int next(float dt) override;
    /// Records the id and raises it on the dispatcher.
    void handle(int eventId) override;
    void push(int eventId, float delay) override;

    const std::vector<int>& handledIds() const { return mHandled; }
    void clear();

private:
    struct Waiting {
        double due;
        std::uint64_t order;
        int id;
    };

    EventDispatcher& mDispatcher;
    std::vector<Waiting> mWaiting;
    std::deque<int> mDue;
    std::vector<int> mHandled;
    double mNow = 0.0;
    std::uint64_t mOrder = 0;
    bool mAdvanced = false;
};

} // namespace gui
} // namespace zrk
} // namespace kavri3D
