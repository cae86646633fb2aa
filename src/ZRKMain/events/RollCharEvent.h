#pragma once
#include "events/BaseEvent.h"

namespace kavri3D {
namespace zrk {

/// Turns the preview left or right for as long as the GUI holds the flags set.
class RollCharEvent : public BaseEvent {
public:
    RollCharEvent(gui::IGuiPage* page, gui::IEventDispatcher* dispatcher);
    /// The preview asks a dead event no more.
    ~RollCharEvent() override;

    gui::ParamList* fillParams() override { return emptyParams(); }
    void callback(gui::ParamHandle params) override;
    int getEventId() override { return gui::EventId::RollChar; }

    /// The preview's turn handler: whether to turn, and which way.
    void getRollState(bool& rotate, bool& clockwise);

private:
    bool mRotate = false;
    bool mClockwise = false;
};

} // namespace zrk
} // namespace kavri3D
