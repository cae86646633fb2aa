#pragma once
#include "events/BaseEvent.h"
#include <string>

namespace kavri3D {
namespace zrk {

/// Opens the room view: takes the room's identity from the GUI, leaves the
/// zone's chat room and raises the view's id for the room's mode.
class RoomLoadingEvent : public BaseEvent {
public:
    RoomLoadingEvent(gui::IGuiPage* page, gui::IEventDispatcher* dispatcher);

    gui::ParamList* fillParams() override;
    void callback(gui::ParamHandle params) override;
    int getEventId() override { return gui::EventId::RoomLoading; }

private:
    int mRoomId = -1;
    std::string mRoomName;
    int mRoomMode = 0;
};

} // namespace zrk
} // namespace kavri3D
