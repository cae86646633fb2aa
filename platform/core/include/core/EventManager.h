#pragma once
#include <boost/shared_ptr.hpp>
#include <boost/signals2.hpp>
#include <boost/weak_ptr.hpp>
#include <deque>
#include <map>
#include <vector>
#include <core/IEventHandler.h>
#include <core/RtObjectAttrMap.h>
#include <util/Singleton.h>
#include <util/XmlConfigHelper.h>

namespace kavri3D {
namespace core {

/// A numbered event with named attributes (typed values) and a parameter set (texts).
class Event {
public:
    explicit Event(int id = 0) : mId(id) {}
    virtual ~Event() = default;
    int getId() const { return mId; }
    /// The event's number (the same as getId).
    int getType() const { return mId; }
    RtObjectAttrMap& attrs() { return mAttrs; }
    const RtObjectAttrMap& attrs() const { return mAttrs; }
    XmlConfigHelper& getParams() { return mParams; }
    const XmlConfigHelper& getParams() const { return mParams; }

private:
    int mId;
    RtObjectAttrMap mAttrs;
    XmlConfigHelper mParams;
};
typedef boost::shared_ptr<Event> EventPtr;

/// Queues posted events and hands them to the handlers and subscribers of their id (and to
/// the subscribers of every event) once per frame, in the order they were posted. Handlers
/// are held weakly: one that is gone is skipped and forgotten.
class EventManager : public Singleton<EventManager> {
public:
    typedef boost::signals2::signal<void(const Event&)> EventSignal;

    void post(EventPtr event);
    /// Delivers at once, without queueing.
    void send(const Event& event);
    boost::signals2::connection subscribe(int id, const EventSignal::slot_type& slot);
    boost::signals2::connection subscribeAll(const EventSignal::slot_type& slot);
    /// The handler gets every event of the type, after the handlers added before it.
    void addEventHandler(int type, const boost::shared_ptr<IEventHandler>& handler);
    /// Removes the handler from the type, or from every type.
    void removeEventHandler(int type, const boost::shared_ptr<IEventHandler>& handler);
    void removeEventHandler(const boost::shared_ptr<IEventHandler>& handler);
    std::size_t handlerCount(int type) const;
    /// Delivers everything queued before the call; events posted meanwhile wait a frame.
    void dispatch();
    std::size_t queued() const { return mQueue.size(); }

private:
    std::deque<EventPtr> mQueue;
    std::map<int, boost::shared_ptr<EventSignal>> mSignals;
    std::map<int, std::vector<boost::weak_ptr<IEventHandler>>> mHandlers;
    EventSignal mAll;
};

} // namespace core
} // namespace kavri3D

KAVRI_SINGLETON_DECLARE(kavri3D::core::EventManager);
