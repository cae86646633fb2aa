#include "core/EventManager.h"

#include <boost/make_shared.hpp>
#include <yake/Logger.h>

KAVRI_SINGLETON_DEFINE(kavri3D::core::EventManager);

namespace kavri3D {
namespace core {

void EventManager::post(EventPtr event)
{
    if (event)
        mQueue.push_back(event);
}

void EventManager::send(const Event& event)
{
    try {
        auto it = mSignals.find(event.getId());
        if (it != mSignals.end()) {
            boost::shared_ptr<EventSignal> sig = it->second; // survives unsubscribe inside a slot
            (*sig)(event);
        }
        mAll(event);
    } catch (const std::exception& e) {
        yake::logging::logger::instance().log(3, "events",
            "handler of event " + std::to_string(event.getId()) + " failed: " + e.what());
    }
}

boost::signals2::connection EventManager::subscribe(int id, const EventSignal::slot_type& slot)
{
    boost::shared_ptr<EventSignal>& sig = mSignals[id];
    if (!sig)
        sig = boost::make_shared<EventSignal>();
    return sig->connect(slot);
}

boost::signals2::connection EventManager::subscribeAll(const EventSignal::slot_type& slot) { return mAll.connect(slot); }

void EventManager::dispatch()
{
    std::size_t n = mQueue.size();
    for (std::size_t i = 0; i < n && !mQueue.empty(); ++i) {
        EventPtr e = mQueue.front();
        mQueue.pop_front();
        send(*e);
    }
}

} // namespace core
} // namespace kavri3D
