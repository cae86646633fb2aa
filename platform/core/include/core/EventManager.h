#pragma once
#include <boost/shared_ptr.hpp>
#include <boost/signals2.hpp>
#include <deque>
#include <map>
#include <core/RtObjectAttrMap.h>
#include <util/Singleton.h>

namespace kavri3D {
namespace core {

/// A numbered event with named attributes.
class Event {
public:
    explicit Event(int id = 0) : mId(id) {}
    virtual ~Event() = default;
    int getId() const { return mId; }
    RtObjectAttrMap& attrs() { return mAttrs; }
    const RtObjectAttrMap& attrs() const { return mAttrs; }

private:
    int mId;
    RtObjectAttrMap mAttrs;
};
typedef boost::shared_ptr<Event> EventPtr;

/// Queues posted events and hands them to the subscribers of their id (and to the
/// subscribers of every event) once per frame, in the order they were posted.
class EventManager : public Singleton<EventManager> {
public:
    typedef boost::signals2::signal<void(const Event&)> EventSignal;

    void post(EventPtr event);
    /// Delivers at once, without queueing.
    void send(const Event& event);
    boost::signals2::connection subscribe(int id, const EventSignal::slot_type& slot);
    boost::signals2::connection subscribeAll(const EventSignal::slot_type& slot);
    /// Delivers everything queued before the call; events posted meanwhile wait a frame.
    void dispatch();
    std::size_t queued() const { return mQueue.size(); }

private:
    std::deque<EventPtr> mQueue;
    std::map<int, boost::shared_ptr<EventSignal>> mSignals;
    EventSignal mAll;
};

} // namespace core
} // namespace kavri3D

KAVRI_SINGLETON_DECLARE(kavri3D::core::EventManager);
