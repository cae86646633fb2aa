#include "callbacks/PropShopLoadCallbackEvent.h"

#include <data/ShopItemData.h>
#include <data/ZRKServerRequest.h>

#include "callbacks/ShopRecords.h"
#include "services/LogRoutine.h"

namespace kavri3D {
namespace zrk {

namespace {
const int kPropClass = 1;
const int kUnsoldPropKind = 25; ///< props of this kind are never offered in the rooms
} // namespace

PropShopLoadCallbackEvent::PropShopLoadCallbackEvent(gui::IGuiPage* page, gui::IEventDispatcher* dispatcher)
    : BaseEvent(page, dispatcher)
{
}

PropShopLoadCallbackEvent::~PropShopLoadCallbackEvent() = default;

gui::ParamList* PropShopLoadCallbackEvent::fillParams()
{
    clearParams();
    ZRKServer* server = ZRKServerRequest::getServer();
    if (mProps.empty() && server)
        for (const ShopItemData& entry : server->getShop()) {
            if (entry.getSettings().getIntVal("si_sale_type", 0) != 0)
                continue;
            gui::ShopData record;
            ShopRecords::addEntry(record, entry);
            if (record.ic_id == kPropClass && record.isc_id != kUnsoldPropKind)
                mProps.push_back(record);
        }
    addNode("shoplist", mProps, 0, 0);
    return paramList();
}

void PropShopLoadCallbackEvent::callback(gui::ParamHandle)
{
    mRequests.track(ZRKServerRequest::queryShop(
        mRequests.guard([this](bool error, const std::string& text) { onReply(error, text); }), false));
}

void PropShopLoadCallbackEvent::onReply(bool error, const std::string& text)
{
    if (error) {
        log(kLogTrace, "the props shop did not load: " + text);
        return;
    }
    raiseEvent(getEventId());
}

} // namespace zrk
} // namespace kavri3D
