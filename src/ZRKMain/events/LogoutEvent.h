#pragma once
#include "events/BaseEvent.h"

namespace kavri3D {
namespace zrk {

/// The log-out button of the area choice: an online player is taken back to the log-in
/// screen, logged out; without a session online it asks whether to quit, as quitting does.
class LogoutEvent : public BaseEvent {
public:
    LogoutEvent(gui::IGuiPage* page, gui::IEventDispatcher* dispatcher);

    gui::ParamList* fillParams() override;
    void callback(gui::ParamHandle params) override;
    int getEventId() override { return 7; }
};

} // namespace zrk
} // namespace kavri3D
