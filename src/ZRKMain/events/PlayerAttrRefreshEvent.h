#pragma once
#include "events/BaseEvent.h"

namespace kavri3D {
namespace zrk {

/// The id other events raise so that the GUI refills the attribute view; it hands out nothing.
class PlayerAttrRefreshEvent : public BaseEvent {
public:
    PlayerAttrRefreshEvent(gui::IGuiPage* page, gui::IEventDispatcher* dispatcher);

    gui::ParamList* fillParams() override { return emptyParams(); }
    void callback(gui::ParamHandle) override {}
    int getEventId() override { return gui::EventId::PlayerAttrRefresh; }
};

} // namespace zrk
} // namespace kavri3D
