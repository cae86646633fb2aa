#pragma once
#include "events/BaseEvent.h"

namespace kavri3D {
namespace zrk {

/// The online list comes up (29, or 33 for the arena's): its action raises its id.
class HallFriendListLoadingEvent : public BaseEvent {
public:
    HallFriendListLoadingEvent(gui::IGuiPage* page, gui::IEventDispatcher* dispatcher, int id);

    gui::ParamList* fillParams() override { return emptyParams(); }
    void callback(gui::ParamHandle) override { raiseEvent(givenId()); }
    int getEventId() override { return givenId(); }
};

} // namespace zrk
} // namespace kavri3D
