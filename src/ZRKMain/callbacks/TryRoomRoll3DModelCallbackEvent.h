#pragma once
#include <boost/shared_ptr.hpp>
#include "events/BaseEvent.h"

namespace kavri3D {
namespace zrk {

/// Turns the preview character: a drag hands in an angle ("mouse_span", degrees) and the named
/// role (default "showview") turns about the vertical axis at once; without an angle the call
/// stores whether, and which way, "showview" turns by itself every frame.
class TryRoomRoll3DModelCallbackEvent : public BaseEvent {
public:
    TryRoomRoll3DModelCallbackEvent(gui::IGuiPage* page, gui::IEventDispatcher* dispatcher);
    ~TryRoomRoll3DModelCallbackEvent() override;

    gui::ParamList* fillParams() override;
    void callback(gui::ParamHandle params) override;
    int getEventId() override { return gui::EventId::TryRoomRoll3DModel; }
    /// What the preview asks each frame: the two stored switches.
    virtual void onQueryTurn(bool& turn, bool& clockwise);

    bool turns() const { return mTurn; }
    bool clockwise() const { return mClockwise; }

private:
    void turnRole(const gui::ParamNode& span, gui::ParamHandle params);

    bool mTurn = false;
    bool mClockwise = false;
    /// The role's handler holds it weakly: once the event is gone the preview stands still.
    boost::shared_ptr<TryRoomRoll3DModelCallbackEvent*> mSelf;
};

} // namespace zrk
} // namespace kavri3D
