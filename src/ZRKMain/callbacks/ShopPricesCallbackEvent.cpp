#include "callbacks/ShopPricesCallbackEvent.h"

#include <data/ZRKServer.h>
#include <data/ZRKServerRequest.h>
#include <gui/ShopData.h>

#include "callbacks/ShopRecords.h"
#include "services/LogRoutine.h"

namespace kavri3D {
namespace zrk {

ShopPricesCallbackEvent::ShopPricesCallbackEvent(gui::IGuiPage* page, gui::IEventDispatcher* dispatcher)
    : BaseEvent(page, dispatcher)
{
}

ShopPricesCallbackEvent::~ShopPricesCallbackEvent() = default;

void ShopPricesCallbackEvent::callback(gui::ParamHandle params)
{
    int itemId = 0;
    if (!readParam("i_id", params, itemId))
        return;
    mItemId = itemId;
    mRequests.track(ZRKServerRequest::queryShop(
        mRequests.guard([this](bool error, const std::string& text) { handleShop(error, text); }), false));
}

void ShopPricesCallbackEvent::handleShop(bool error, const std::string& text)
{
    if (error) {
        writeLog(kLogError, "cb", "ShopPricesCallbackEvent::handleShop encounter " + text);
        return;
    }
    raiseEvent(getEventId());
}

gui::ParamList* ShopPricesCallbackEvent::fillParams()
{
    clearParams();
    gui::ShopData record;
    record.s_id = record.i_id = mItemId;
    if (ZRKServer* server = getZRKServer())
        for (const ShopItemData& entry : server->getShop())
            if (entry.getSettings().getIntVal("i_id", 0) == mItemId)
                ShopRecords::addEntry(record, entry);
    addNode("prices", record, 0, 0);
    return paramList();
}

} // namespace zrk
} // namespace kavri3D
