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
    // One row per event class as it comes: event<SomeEvent>() or hallEvent<SomeHallEvent>(id).
    static const EventTable table = {
        event<HallFriendListMgr>(),
        hallEvent<HallFriendListLoadingEvent>(29),
        hallEvent<HallFriendListRefeshEvent>(30),
        hallEvent<HallPlayerAttrLoadingEvent>(31),
        hallEvent<HallPlayerAttrRefreshEvent>(32),
        hallEvent<HallFriendListLoadingEvent>(33),
        hallEvent<HallFriendListRefeshEvent>(34),
        hallEvent<HallPlayerAttrLoadingEvent>(35),
        hallEvent<HallPlayerAttrRefreshEvent>(36),
        event<OpenBoxCallbackEvent>(),
    };
    return table;
}

} // namespace gui
} // namespace zrk
} // namespace kavri3D
