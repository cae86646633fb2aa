#include "EventDispatcher.h"

#include <algorithm>
#include <exception>

#include "GuiLog.h"

namespace kavri3D {
namespace zrk {
namespace gui {

namespace {
// An event whose fillParams keeps raising ids would never let the frame go on.
const int kMaxFillsPerCall = 256;
} // namespace

EventDispatcher::~EventDispatcher() { shutdown(); }

template <class Call> bool EventDispatcher::enter(int eventId, const char* operation, Call call)
{
    ++mDepth;
    bool ok = false;
    try {
        call();
        ok = true;
    } catch (const std::exception& e) {
        guiLog(Severity::Error, "event ", eventId, " failed in ", operation, ": ", e.what());
    } catch (...) {
        guiLog(Severity::Error, "event ", eventId, " failed in ", operation);
    }
    leave();
    return ok;
}

void EventDispatcher::leave()
{
    if (--mDepth > 0)
        return;
    mRetired.clear();
    if (mDraining)
        return;
    mDraining = true;
    int fills = 0;
    while (!mPending.empty()) {
        int id = mPending.front();
        mPending.pop_front();
        if (++fills > kMaxFillsPerCall) {
            guiLog(Severity::Error, "events keep raising ids; dropped ", mPending.size() + 1, " refills");
            mPending.clear();
            break;
        }
        // An id no event answers is still a signal to the pages (the attribute refresh).
        ParamList* list = find(id) ? fillParams(id) : &mNoValues;
        if (list && mObserver)
            mObserver(id, list);
    }
    mDraining = false;
}

void EventDispatcher::raise(int eventId)
{
    mRaised.push_back(eventId);
    if (mRaiseObserver)
        mRaiseObserver(eventId);
    if (!find(eventId) && !mObserver)
        return;
    // An event that raises its own id while it fills (the question document) has just handed
    // its values out: refilling it would only fill it again, without end.
    if (std::find(mFilling.begin(), mFilling.end(), eventId) != mFilling.end())
        return;
    mPending.push_back(eventId);
    if (mDepth == 0) {
        // Not inside an event: run the refill now, through the same path as a deferred one.
        ++mDepth;
        leave();
    }
}

void EventDispatcher::registerEvent(ICallBackEvent* event)
{
    if (!event)
        return;
    for (const Entry& e : mEvents) {
        if (e.event.get() == event) {
            guiLog(Severity::Warning, "event ", e.id, " registered twice; kept once");
            return;
        }
    }
    std::unique_ptr<ICallBackEvent> owned(event);
    int id = 0;
    if (!enter(0, "getEventId", [&] { id = owned->getEventId(); }))
        return; // ours now, and unusable: deleted here
    mEvents.push_back(Entry{id, std::move(owned)});
}

ICallBackEvent* EventDispatcher::find(int eventId) const
{
    for (const Entry& e : mEvents)
        if (e.id == eventId)
            return e.event.get();
    return nullptr;
}

std::vector<int> EventDispatcher::registeredIds() const
{
    std::vector<int> ids;
    for (const Entry& e : mEvents)
        ids.push_back(e.id);
    return ids;
}

ParamList* EventDispatcher::fillParams(int eventId)
{
    ICallBackEvent* event = find(eventId);
    if (!event)
        return nullptr;
    ParamList* list = nullptr;
    const unsigned shutdowns = mShutdowns;
    mFilling.push_back(eventId);
    const bool filled = enter(eventId, "fillParams", [&] { list = event->fillParams(); });
    mFilling.pop_back();
    if (!filled)
        return nullptr;
    // A shut-down during the call deleted the list with its event.
    return shutdowns == mShutdowns ? list : nullptr;
}

bool EventDispatcher::callback(int eventId, ParamHandle params)
{
    ICallBackEvent* event = find(eventId);
    if (!event)
        return false;
    enter(eventId, "callback", [&] { event->callback(params); });
    return true;
}

void EventDispatcher::shutdown()
{
    ++mShutdowns;
    mPending.clear();
    std::vector<Entry> events;
    events.swap(mEvents);
    for (Entry& e : events) {
        if (mDepth > 0)
            mRetired.push_back(std::move(e.event)); // still running: deleted when its call returns
        else
            e.event.reset();
    }
}

} // namespace gui
} // namespace zrk
} // namespace kavri3D
