#include "shell/panels/ZRKOnlinePalyerListPanel.h"

#include "callbacks/OpenBoxCallbackEvent.h"

#include "events/HallFriendListLoadingEvent.h"
#include "events/HallFriendListMgr.h"
#include "events/HallFriendListRefeshEvent.h"
#include "events/HallPlayerAttrLoadingEvent.h"
#include "events/HallPlayerAttrRefreshEvent.h"

namespace kavri3D {
namespace zrk {
namespace gui {

ZRKOnlinePalyerListPanel::ZRKOnlinePalyerListPanel(core::CEGUIPanelContainer* container) : ZRKPanel(container, kKind) {}

const ZRKPanel::EventTable& ZRKOnlinePalyerListPanel::events() const
{
    // One row per event class as it comes: event<SomeEvent>() or hallEvent<SomeHallEvent>(EventId::Name).
    static const EventTable table = {
        event<HallFriendListMgr>(),
        hallEvent<HallFriendListLoadingEvent>(EventId::HallFriendListLoading),
        hallEvent<HallFriendListRefeshEvent>(EventId::HallFriendListRefesh),
        hallEvent<HallPlayerAttrLoadingEvent>(EventId::HallPlayerAttrLoading),
        hallEvent<HallPlayerAttrRefreshEvent>(EventId::HallPlayerAttrRefresh),
        hallEvent<HallFriendListLoadingEvent>(EventId::ArenaFriendListLoading),
        hallEvent<HallFriendListRefeshEvent>(EventId::ArenaFriendListRefesh),
        hallEvent<HallPlayerAttrLoadingEvent>(EventId::ArenaPlayerAttrLoading),
        hallEvent<HallPlayerAttrRefreshEvent>(EventId::ArenaPlayerAttrRefresh),
        event<OpenBoxCallbackEvent>(),
    };
    return table;
}

} // namespace gui
} // namespace zrk
} // namespace kavri3D
