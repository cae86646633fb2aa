#include "shell/panels/ZRKPlayerPanel.h"

#include "callbacks/AddBilityPointCallbackEvent.h"
#include "callbacks/ArmStrongLoadCallbackEvent.h"
#include "callbacks/BusinessLoadCallbackEvent.h"
#include "callbacks/EquipDropCallbackEvent.h"
#include "callbacks/EquipRangeCallbackEvent.h"
#include "callbacks/ArenaShopPayCallbackEvent.h"
#include "callbacks/GiftPayCallbackEvent.h"
#include "callbacks/GuildShopPayCallbackEvent.h"
#include "callbacks/InfFriendCallbackEvent.h"
#include "callbacks/InfPersonalCallbackEvent.h"
#include "callbacks/MyFriendCallbackEvent.h"
#include "callbacks/RosterOperateCallbackEvent.h"
#include "callbacks/MessionLoadCallbackEvent.h"
#include "callbacks/MessionSettingCallbackEvent.h"
#include "callbacks/QuestionLoadedCallbackEvent.h"
#include "callbacks/ShopCheckoutCallbackEvent.h"
#include "callbacks/ShopPricesCallbackEvent.h"
#include "callbacks/ShopRenewalCallbackEvent.h"
#include "callbacks/ShopTryOnCallbackEvent.h"
#include "callbacks/TryRoomRoll3DModelCallbackEvent.h"
#include "events/PlayerAttrLoadingEvent.h"

namespace kavri3D {
namespace zrk {
namespace gui {

ZRKPlayerPanel::ZRKPlayerPanel(core::CEGUIPanelContainer* container) : ZRKPanel(container, kKind) {}

const ZRKPanel::EventTable& ZRKPlayerPanel::events() const
{
    // One row per event class as it comes: event<SomeEvent>() or hallEvent<SomeHallEvent>(EventId::Name).
    static const EventTable table = {
        event<PlayerAttrLoadingEvent>(),          event<MyFriendCallbackEvent>(),
        event<TryRoomRoll3DModelCallbackEvent>(), event<RosterOperateCallbackEvent>(),
        event<InfFriendCallbackEvent>(),          event<InfPersonalCallbackEvent>(),
        event<BusinessLoadCallbackEvent>(),       event<ArmStrongLoadCallbackEvent>(),
        event<ShopTryOnCallbackEvent>(),          event<ShopCheckoutCallbackEvent>(),
        event<GuildShopPayCallbackEvent>(),       event<GiftPayCallbackEvent>(),
        event<ArenaShopPayCallbackEvent>(),       event<EquipRangeCallbackEvent>(),
        event<EquipDropCallbackEvent>(),          event<ShopPricesCallbackEvent>(),
        event<ShopRenewalCallbackEvent>(),        event<AddBilityPointCallbackEvent>(),
        event<MessionLoadCallbackEvent>(),        event<QuestionLoadedCallbackEvent>(),
        event<MessionSettingCallbackEvent>(),
    };
    return table;
}

} // namespace gui
} // namespace zrk
} // namespace kavri3D
