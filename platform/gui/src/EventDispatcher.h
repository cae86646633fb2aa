#pragma once
#include <deque>
#include <functional>
#include <memory>
#include <vector>
#include <gui/ICallBackEvent.h>
#include <gui/IEventDispatcher.h>

namespace kavri3D {
namespace zrk {
namespace gui {

/// Holds the game's registered events and calls them as the GUI would: fillParams after their
/// id is raised, callback when the player acts.
///
/// One event is never entered twice at once: ids raised while the GUI is inside an event's call
/// are recorded at once and their fillParams run when that call has returned. Events retired by
/// a shut-down in the middle of a call are deleted once the call has returned. An event that
/// raises its own id from its fillParams is not filled again for it. Whatever an event throws
/// is logged and stops there.
class EventDispatcher : public IEventDispatcher {
public:
    /// Told of each list an event handed out after a raise (the pages show some of it), and of
    /// each raised id no event answers, with an empty list.
    typedef std::function<void(int eventId, ParamList* params)> FillObserver;

    /// Told of every id raised (the pages act on some that no event answers).
    typedef std::function<void(int eventId)> RaiseObserver;

    EventDispatcher() = default;
    ~EventDispatcher() override;
    EventDispatcher(const EventDispatcher&) = delete;
    EventDispatcher& operator=(const EventDispatcher&) = delete;

    void raise(int eventId) override;
    void registerEvent(ICallBackEvent* event) override;

    /// The first registered event answering the id, null when none.
    ICallBackEvent* find(int eventId) const;
    std::vector<int> registeredIds() const;
    /// The event's fillParams; null without the event or when it failed.
    ParamList* fillParams(int eventId);
    /// The event's callback with the action's values; false without the event.
    bool callback(int eventId, ParamHandle params);

    const std::vector<int>& raisedIds() const { return mRaised; }
    void clearRaised() { mRaised.clear(); }
    void setFillObserver(FillObserver observer) { mObserver = std::move(observer); }
    void setRaiseObserver(RaiseObserver observer) { mRaiseObserver = std::move(observer); }
    /// Deletes every registered event (the game's session still exists at this point).
    void shutdown();

private:
    struct Entry {
        int id;
        std::unique_ptr<ICallBackEvent> event;
    };
    /// Runs one call into an event; false when it threw.
    template <class Call> bool enter(int eventId, const char* operation, Call call);
    void leave();

    std::vector<Entry> mEvents;
    std::vector<std::unique_ptr<ICallBackEvent>> mRetired;
    std::vector<int> mRaised;
    std::deque<int> mPending;
    std::vector<int> mFilling; ///< the ids whose fillParams runs now, innermost last
    FillObserver mObserver;
    ParamList mNoValues; ///< what the pages see of an id no event answers
    RaiseObserver mRaiseObserver;
    int mDepth = 0;
    bool mDraining = false;
    unsigned mShutdowns = 0;
};

} // namespace gui
} // namespace zrk
} // namespace kavri3D
