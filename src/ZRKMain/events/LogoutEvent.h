#pragma once
#include "events/BaseEvent.h"

namespace kavri3D {
namespace zrk {

/// The log-out button of the area choice: the same confirmation as quitting.
class LogoutEvent : public BaseEvent {
public:
    LogoutEvent(gui::IGuiPage* page, gui::IEventDispatcher* dispatcher);

    gui::ParamList* fillParams() override;
    void callback(gui::ParamHandle params) override;
    int getEventId() override { return gui::EventId::Logout; }
};

} // namespace zrk
} // namespace kavri3D
