#pragma once
#include <string>
#include "events/BaseEvent.h"

namespace kavri3D {
namespace zrk {

/// A choice on the creation screen: dresses the preview in the chosen look and parts, and
/// plays a chosen action with its effect. The mood and idle action change with the sex only.
class ChangeCharStateEvent : public BaseEvent {
public:
    ChangeCharStateEvent(gui::IGuiPage* page, gui::IEventDispatcher* dispatcher);

    gui::ParamList* fillParams() override { return emptyParams(); }
    void callback(gui::ParamHandle params) override;
    int getEventId() override { return gui::EventId::ChangeCharState; }

private:
    std::string mLastLook;
};

} // namespace zrk
} // namespace kavri3D
