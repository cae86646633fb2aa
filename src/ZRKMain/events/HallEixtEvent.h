#pragma once
#include "events/BaseEvent.h"

namespace kavri3D {
namespace zrk {

/// "Leave" in the hall: out of the zone's rooms and back to the area choice (23 and 24).
class HallEixtEvent : public BaseEvent {
public:
    HallEixtEvent(gui::IGuiPage* page, gui::IEventDispatcher* dispatcher, int id);

    gui::ParamList* fillParams() override { return emptyParams(); }
    void callback(gui::ParamHandle params) override;
    int getEventId() override { return givenId(); }
};

} // namespace zrk
} // namespace kavri3D
