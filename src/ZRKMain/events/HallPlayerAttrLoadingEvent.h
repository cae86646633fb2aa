#pragma once
#include "events/BaseEvent.h"

namespace kavri3D {
namespace zrk {

/// The online list's own character: "myrole" dressed in the default state (31, or 35).
class HallPlayerAttrLoadingEvent : public BaseEvent {
public:
    HallPlayerAttrLoadingEvent(gui::IGuiPage* page, gui::IEventDispatcher* dispatcher, int id);

    gui::ParamList* fillParams() override { return emptyParams(); }
    void callback(gui::ParamHandle params) override;
    int getEventId() override { return givenId(); }
};

} // namespace zrk
} // namespace kavri3D
