#include "callbacks/ShopItemCallbackEvent.h"

#include <data/ZRKServerRequest.h>

namespace kavri3D {
namespace zrk {

ShopItemCallbackEvent::ShopItemCallbackEvent(gui::IGuiPage* page, gui::IEventDispatcher* dispatcher)
    : BaseEvent(page, dispatcher)
{
}

ShopItemCallbackEvent::~ShopItemCallbackEvent() = default;

void ShopItemCallbackEvent::callback(gui::ParamHandle)
{
    mRequests.track(ZRKServerRequest::queryShopItem(
        mRequests.guard([this](bool error, const std::string& text) { onReply(error, text); })));
}

void ShopItemCallbackEvent::onReply(bool error, const std::string&)
{
    if (!error)
        raiseEvent(getEventId());
}

} // namespace zrk
} // namespace kavri3D
