#include "shell/panels/ZRKRoomListPanel.h"

#include "callbacks/PropShopLoadCallbackEvent.h"
#include "events/ChatLoadingEvent.h"
#include "events/ChatMsgListenEvent.h"
#include "events/ChatSendMsgEvent.h"
#include "events/HallEixtEvent.h"
#include "events/HallRoomListLoadingEvent.h"
#include "events/HallRoomListRefeshEvent.h"
#include "events/MapListEvent.h"
#include "events/RoomCreateEvent.h"
#include "events/RoomJoinEvent.h"

namespace kavri3D {
namespace zrk {
namespace gui {

ZRKRoomListPanel::ZRKRoomListPanel(core::CEGUIPanelContainer* container) : ZRKPanel(container, kKind) {}

const ZRKPanel::EventTable& ZRKRoomListPanel::events() const
{
    // One row per event class as it comes: event<SomeEvent>() or hallEvent<SomeHallEvent>(EventId::Name).
    static const EventTable table = {
        hallEvent<HallRoomListLoadingEvent>(EventId::HallRoomListLoading),
        hallEvent<HallRoomListRefeshEvent>(EventId::HallRoomListRefesh),
        event<RoomJoinEvent>(),
        event<RoomCreateEvent>(),
        hallEvent<HallEixtEvent>(EventId::HallEixt),
        hallEvent<HallEixtEvent>(EventId::HallEixtSecond),
        event<ChatLoadingEvent>(),
        event<ChatSendMsgEvent>(),
        event<ChatMsgListenEvent>(),
        event<MapListEvent>(),
        event<PropShopLoadCallbackEvent>(),
    };
    return table;
}

} // namespace gui
} // namespace zrk
} // namespace kavri3D
