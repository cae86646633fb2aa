#include "callbacks/GuildShopPayCallbackEvent.h"

#include <data/ZRKUserRequest.h>
#include <lan/ZRKLan.h>

#include "services/LogRoutine.h"

namespace kavri3D {
namespace zrk {

namespace {
const int kClassPricedApart = 5;
} // namespace

GuildShopPayCallbackEvent::GuildShopPayCallbackEvent(gui::IGuiPage* page, gui::IEventDispatcher* dispatcher)
    : ShopPayCallbackEvent(page, dispatcher)
{
}

GuildShopPayCallbackEvent::~GuildShopPayCallbackEvent() = default;

long long GuildShopPayCallbackEvent::contribution(const gui::ShopData& item, long long amount)
{
    return item.ic_id == kClassPricedApart ? 100 : static_cast<long long>(static_cast<double>(amount) * 0.15);
}

void GuildShopPayCallbackEvent::callback(gui::ParamHandle params)
{
    std::string text;
    long long amount = 0;
    if (!readItem("guildshop", params, mItem, text, amount))
        return;
    // Medals at full price whatever money the option names.
    const long long credit = contribution(mItem, amount);
    const std::string question = formatMsg(ZRKLan::getMsg("msg/guildshop_confirm"),
                                           {mItem.i_name, std::to_string(mItem.item.pci_num), std::to_string(amount)});
    ask(
        text, question, [](const std::string& t, ZRKReply done) { return ZRKUserRequest::guildshoppay(t, done); },
        [credit](const MoneyFall& paid) {
            return formatMsg(ZRKLan::getMsg("msg/shopping_cost1"),
                             {"0", "0", std::to_string(paid[MoneyFall::Medals]), std::to_string(credit)});
        });
}

void GuildShopPayCallbackEvent::refused(const std::string& text)
{
    log(kLogTrace, "the guild purchase failed: " + text);
    ShopPayCallbackEvent::refused(text);
}

} // namespace zrk
} // namespace kavri3D
