#pragma once
#include "events/BaseEvent.h"

namespace kavri3D {
namespace zrk {

/// The guide button: starts the guided newbie battle from the area choice or the player hall,
/// and says why not anywhere else.
class ShowHelpEvent : public BaseEvent {
public:
    ShowHelpEvent(gui::IGuiPage* page, gui::IEventDispatcher* dispatcher);

    gui::ParamList* fillParams() override { return emptyParams(); }
    void callback(gui::ParamHandle params) override;
    int getEventId() override { return 85; }
};

} // namespace zrk
} // namespace kavri3D
