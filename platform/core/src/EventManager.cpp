#include "core/EventManager.h"

#include <algorithm>
#include <boost/make_shared.hpp>
#include <yake/Logger.h>

KAVRI_SINGLETON_DEFINE(kavri3D::core::EventManager);

namespace kavri3D {

namespace {
using yake::logging::Severity;
const yake::logging::Channel logLine("events");
} // namespace
namespace core {

void EventManager::post(EventPtr event)
{
    if (event)
        mQueue.push_back(event);
}

void EventManager::send(const Event& event)
{
    try {
        auto handlers = mHandlers.find(event.getId());
        if (handlers != mHandlers.end()) {
            // A copy: a handler may add or remove handlers while it runs.
            std::vector<boost::weak_ptr<IEventHandler>> pass = handlers->second;
            for (const auto& weak : pass) {
                boost::shared_ptr<IEventHandler> h = weak.lock();
                if (!h)
                    continue;
                try {
                    h->handle(event);
                } catch (const std::exception& e) {
                    logLine(Severity::Error,
                            h->getName() + " failed on event " + std::to_string(event.getId()) + ": " + e.what());
                }
            }
        }
        auto it = mSignals.find(event.getId());
        if (it != mSignals.end()) {
            boost::shared_ptr<EventSignal> sig = it->second; // survives unsubscribe inside a slot
            (*sig)(event);
        }
        mAll(event);
    } catch (const std::exception& e) {
        logLine(Severity::Error, "handler of event " + std::to_string(event.getId()) + " failed: " + e.what());
    }
}

boost::signals2::connection EventManager::subscribe(int id, const EventSignal::slot_type& slot)
{
    boost::shared_ptr<EventSignal>& sig = mSignals[id];
    if (!sig)
        sig = boost::make_shared<EventSignal>();
    return sig->connect(slot);
}

void EventManager::addEventHandler(int type, const boost::shared_ptr<IEventHandler>& handler)
{
    if (!handler)
        return;
    std::vector<boost::weak_ptr<IEventHandler>>& list = mHandlers[type];
    for (const auto& weak : list)
        if (weak.lock() == handler)
            return;
    list.push_back(handler);
}

void EventManager::removeEventHandler(int type, const boost::shared_ptr<IEventHandler>& handler)
{
    auto it = mHandlers.find(type);
    if (it == mHandlers.end())
        return;
    auto& list = it->second;
    list.erase(
        std::remove_if(list.begin(), list.end(),
                       [&](const boost::weak_ptr<IEventHandler>& w) { return w.expired() || w.lock() == handler; }),
        list.end());
    if (list.empty())
        mHandlers.erase(it);
}

void EventManager::removeEventHandler(const boost::shared_ptr<IEventHandler>& handler)
{
    std::vector<int> types;
    for (const auto& entry : mHandlers)
        types.push_back(entry.first);
    for (int type : types)
        removeEventHandler(type, handler);
}

std::size_t EventManager::handlerCount(int type) const
{
    auto it = mHandlers.find(type);
    if (it == mHandlers.end())
        return 0;
    std::size_t n = 0;
    for (const auto& weak : it->second)
        n += weak.expired() ? 0 : 1;
    return n;
}

boost::signals2::connection EventManager::subscribeAll(const EventSignal::slot_type& slot)
{
    return mAll.connect(slot);
}

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
