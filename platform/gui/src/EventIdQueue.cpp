#include "EventIdQueue.h"

#include <algorithm>
#include <cmath>

#include "EventDispatcher.h"

namespace kavri3D {
namespace zrk {
namespace gui {

namespace {
// Times from the frame loop or a caller may be negative or not numbers; they count as none.
double seconds(float value) { return std::isfinite(value) && value > 0.0f ? value : 0.0; }
} // namespace

int EventIdQueue::next(float dt)
{
    if (mDue.empty() && !mAdvanced) {
        mAdvanced = true;
        mNow += seconds(dt);
        std::stable_sort(mWaiting.begin(), mWaiting.end(), [](const Waiting& a, const Waiting& b) {
            return a.due < b.due || (a.due == b.due && a.order < b.order);
        });
        auto firstLater =
            std::find_if(mWaiting.begin(), mWaiting.end(), [this](const Waiting& w) { return w.due > mNow; });
        for (auto it = mWaiting.begin(); it != firstLater; ++it)
            mDue.push_back(it->id);
        mWaiting.erase(mWaiting.begin(), firstLater);
    }
    if (mDue.empty()) {
        mAdvanced = false; // the frame's drain is over; the next call starts the next frame
        return 0;
    }
    int id = mDue.front();
    mDue.pop_front();
    return id;
}

void EventIdQueue::handle(int eventId)
{
    mHandled.push_back(eventId);
    mDispatcher.raise(eventId);
}

void EventIdQueue::push(int eventId, float delay)
{
    if (eventId == 0)
        return; // 0 is how next() says nothing is due
    mWaiting.push_back(Waiting{mNow + seconds(delay), mOrder++, eventId});
}

void EventIdQueue::clear()
{
    mWaiting.clear();
    mDue.clear();
    mAdvanced = false;
}

} // namespace gui
} // namespace zrk
} // namespace kavri3D
