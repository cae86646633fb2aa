#pragma once
#include "events/BaseEvent.h"

namespace kavri3D {
namespace zrk {

/// The chat box's room, and whether the player talks in the zone's own room.
class ChatLoadingEvent : public BaseEvent {
public:
    ChatLoadingEvent(gui::IGuiPage* page, gui::IEventDispatcher* dispatcher);

    gui::ParamList* fillParams() override;
    void callback(gui::ParamHandle params) override;
    int getEventId() override { return gui::EventId::ChatLoading; }

private:
    std::string mRoomName;
    int mCanUse = 0;
};

} // namespace zrk
} // namespace kavri3D
