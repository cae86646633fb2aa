#pragma once
#include "events/BaseEvent.h"

namespace kavri3D {
namespace zrk {

/// The guide button: starts the player's next lesson of the guided newbie battle from the area
/// choice or the player hall, says why not anywhere else, and says so when he has done them all.
class ShowHelpEvent : public BaseEvent {
public:
    /// How long the hall's drop-out plays.
    static constexpr float kDropoutSeconds = 10.0f;
    /// The tutorial's lessons: a newbie task of this or more has done them all.
    static constexpr int kLessons = 5;

    ShowHelpEvent(gui::IGuiPage* page, gui::IEventDispatcher* dispatcher);

    gui::ParamList* fillParams() override { return emptyParams(); }
    void callback(gui::ParamHandle params) override;
    int getEventId() override { return gui::EventId::ShowHelp; }
};

} // namespace zrk
} // namespace kavri3D
