#include "shell/panels/ZRKRoomPanel.h"

#include "callbacks/FastJoinCallbackEvent.h"
#include "callbacks/PropCheckoutCallbackEvent.h"
#include "callbacks/PropLoadCallbackEvent.h"
#include "events/BattleSendMsgEvent.h"
#include "events/ChangeMapEvent.h"
#include "events/ChangeTeamEvent.h"
#include "events/PlayerLeaveEvent.h"
#include "events/PlayerReadyEvent.h"
#include "events/PlayerStartEvent.h"
#include "events/PositionLockEvent.h"
#include "events/RoomListenEvent.h"
#include "events/RoomLoadingEvent.h"
#include "events/TickPlayerEvent.h"

namespace kavri3D {
namespace zrk {
namespace gui {

ZRKRoomPanel::ZRKRoomPanel(core::CEGUIPanelContainer* container) : ZRKPanel(container, kKind) {}

const ZRKPanel::EventTable& ZRKRoomPanel::events() const
{
    // One row per event class as it comes: event<SomeEvent>() or hallEvent<SomeHallEvent>(EventId::Name).
    static const EventTable table = {
        event<RoomListenEvent>(),       event<PlayerLeaveEvent>(),          event<RoomLoadingEvent>(),
        event<ChangeTeamEvent>(),       event<TickPlayerEvent>(),           event<PlayerReadyEvent>(),
        event<PlayerStartEvent>(),      event<PositionLockEvent>(),         event<ChangeMapEvent>(),
        event<BattleSendMsgEvent>(),    event<PropCheckoutCallbackEvent>(), event<PropLoadCallbackEvent>(),
        event<FastJoinCallbackEvent>(),
    };
    return table;
}

} // namespace gui
} // namespace zrk
} // namespace kavri3D
