#pragma once
#include "events/BaseEvent.h"

namespace kavri3D {
namespace zrk {

/// The guide button: starts the guided newbie battle from the area choice or the player hall,
/// and says why not anywhere else.
class ShowHelpEvent : public BaseEvent {
public:
    /// How long the hall's drop-out plays.
    static constexpr float kDropoutSeconds = 10.0f;

    ShowHelpEvent(gui::IGuiPage* page, gui::IEventDispatcher* dispatcher);

    gui::ParamList* fillParams() override { return emptyParams(); }
    void callback(gui::ParamHandle params) override;
    int getEventId() override { return gui::EventId::ShowHelp; }
};

} // namespace zrk
} // namespace kavri3D
