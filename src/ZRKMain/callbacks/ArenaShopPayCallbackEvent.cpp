#include "callbacks/ArenaShopPayCallbackEvent.h"

#include <data/ZRKUserRequest.h>
#include <lan/ZRKLan.h>

namespace kavri3D {
namespace zrk {

ArenaShopPayCallbackEvent::ArenaShopPayCallbackEvent(gui::IGuiPage* page, gui::IEventDispatcher* dispatcher)
    : ShopPayCallbackEvent(page, dispatcher)
{
}

ArenaShopPayCallbackEvent::~ArenaShopPayCallbackEvent() = default;

void ArenaShopPayCallbackEvent::callback(gui::ParamHandle params)
{
    std::string text;
    long long amount = 0;
    if (!readItem("arenashop", params, mItem, text, amount))
        return;
    ask(text, [](const std::string& t, ZRKReply done) { return ZRKUserRequest::arenashoppay(t, done); },
        [amount]() { return formatMsg(ZRKLan::getMsg("msg/shopping_cost3"), {std::to_string(amount)}); });
}

} // namespace zrk
} // namespace kavri3D
