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
    const std::string question = formatMsg(ZRKLan::getMsg("msg/arenashop_confirm"),
                                           {mItem.i_name, std::to_string(mItem.item.pci_num), std::to_string(amount)});
    ask(
        text, question, [](const std::string& t, ZRKReply done) { return ZRKUserRequest::arenashoppay(t, done); },
        [](const MoneyFall& paid) {
            return formatMsg(ZRKLan::getMsg("msg/shopping_cost3"), {std::to_string(paid[MoneyFall::ArenaPoints])});
        });
}

} // namespace zrk
} // namespace kavri3D
