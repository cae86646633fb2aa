#pragma once
#include "events/BaseEvent.h"

namespace kavri3D {
namespace zrk {

/// The own card of the online list is shown again (32, or 36): its action raises its id.
class HallPlayerAttrRefreshEvent : public BaseEvent {
public:
    HallPlayerAttrRefreshEvent(gui::IGuiPage* page, gui::IEventDispatcher* dispatcher, int id);

    gui::ParamList* fillParams() override { return emptyParams(); }
    void callback(gui::ParamHandle) override { raiseEvent(givenId()); }
    int getEventId() override { return givenId(); }
};

} // namespace zrk
} // namespace kavri3D
