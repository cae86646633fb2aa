#pragma once
#include "events/BaseEvent.h"

namespace kavri3D {
namespace zrk {

/// Hands the GUI the default-appearance document (the looks a new character can choose).
class DefStateEvent : public BaseEvent {
public:
    DefStateEvent(gui::IGuiPage* page, gui::IEventDispatcher* dispatcher);

    gui::ParamList* fillParams() override;
    void callback(gui::ParamHandle) override {}
    int getEventId() override { return gui::EventId::DefState; }
};

} // namespace zrk
} // namespace kavri3D
