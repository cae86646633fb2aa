#include "shell/panels/ZRKAreaPanel.h"

#include "events/AreaGoEvent.h"
#include "events/AreaLoadingEvent.h"
#include "events/AreaRandomMembersEvent.h"
#include "events/LogoutEvent.h"
#include "callbacks/EquipEnchaseCallbackEvent.h"
#include "callbacks/EquipEnhanceCallbackEvent.h"
#include "callbacks/EquipMixCallbackEvent.h"
#include "callbacks/EvtBagOpenBoxCallback.h"
#include "callbacks/EvtBagUnlockRankCallback.h"
#include "callbacks/EvtGuildInviteCallback.h"
#include "callbacks/EvtUserFunItemCallback.h"
#include "callbacks/EvtTileConfigCallback.h"
#include "callbacks/EvthtmlViewCallback.h"
#include "callbacks/MessionRewardCallbackEvent.h"
#include "callbacks/RefineCallbackEvent.h"

namespace kavri3D {
namespace zrk {
namespace gui {

ZRKAreaPanel::ZRKAreaPanel(core::CEGUIPanelContainer* container) : ZRKPanel(container, kKind) {}

const ZRKPanel::EventTable& ZRKAreaPanel::events() const
{
    // One row per event class as it comes: event<SomeEvent>() or hallEvent<SomeHallEvent>(EventId::Name).
    static const EventTable table = {
        event<AreaLoadingEvent>(),           event<AreaGoEvent>(),
        event<AreaRandomMembersEvent>(),     event<LogoutEvent>(),
        event<MessionRewardCallbackEvent>(), event<EquipEnhanceCallbackEvent>(),
        event<RefineCallbackEvent>(),        event<EquipMixCallbackEvent>(),
        event<EquipEnchaseCallbackEvent>(),  event<EvtUserFunItemCallback>(),
        event<EvtGuildInviteCallback>(),     event<EvtBagOpenBoxCallback>(),
        event<EvtBagUnlockRankCallback>(),   event<EvthtmlViewCallback>(),
        event<EvtTileConfigCallback>(),
    };
    return table;
}

} // namespace gui
} // namespace zrk
} // namespace kavri3D
