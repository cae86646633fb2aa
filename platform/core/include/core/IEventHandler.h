#pragma once
#include <string>

namespace kavri3D {
namespace core {

class Event;

/// Receives the events of the types it was added for (EventManager::addEventHandler).
class IEventHandler {
public:
    virtual ~IEventHandler() = default;
    virtual std::string getName() const = 0;
    /// True when the handler used the event.
    virtual bool handle(const Event& event) = 0;
};

} // namespace core
} // namespace kavri3D
