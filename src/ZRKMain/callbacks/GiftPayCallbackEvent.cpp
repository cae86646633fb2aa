#include "callbacks/GiftPayCallbackEvent.h"

#include <data/ZRKBlueDrill.h>
#include <data/ZRKUserRequest.h>
#include <lan/ZRKLan.h>

#include "callbacks/ShopPricing.h"
#include "services/LogRoutine.h"

namespace kavri3D {
namespace zrk {

namespace {
const int kMedals = 3;
} // namespace

GiftPayCallbackEvent::GiftPayCallbackEvent(gui::IGuiPage* page, gui::IEventDispatcher* dispatcher)
    : ShopPayCallbackEvent(page, dispatcher)
{
}

GiftPayCallbackEvent::~GiftPayCallbackEvent() = default;

long long GiftPayCallbackEvent::medals(const Cart& cart, bool member) const
{
    long long sum = 0;
    for (const gui::ShopData& line : cart) {
        long long amount = 0;
        if (amountOf(line, amount) && line.prices[static_cast<std::size_t>(line.chosen)].s_buy_type == kMedals)
            sum += discountPrice(static_cast<int>(amount), member);
    }
    return sum;
}

void GiftPayCallbackEvent::callback(gui::ParamHandle params)
{
    Cart cart;
    int receiver = 0, money = 0;
    std::string message;
    if (!readParam("carlist", params, cart) || !readParam("rpc_id", params, receiver) ||
        !readParam("msg", params, message) || !readParam("money", params, money))
        return;
    mCart = cart;
    mReceiverId = receiver;
    mMessage = message;
    mMoney = money;
    std::string text;
    if (!writeLines(mCart, text))
        return;
    const bool member = ZRKBlueDrill::isMember(ZRKUserRequest::getPc_id().getIntVal("pc_blue_drill", 0));
    const std::string question = formatMsg(ZRKLan::getMsg("msg/gift_confirm"), {std::to_string(medals(cart, member))});
    ask(
        text, question,
        [receiver, message, money](const std::string& t, ZRKReply done) {
            return ZRKUserRequest::giftCheckout(receiver, message, money, t, done);
        },
        [](const MoneyFall& paid) {
            return formatMsg(ZRKLan::getMsg("msg/shopping_cost2"), {std::to_string(paid[MoneyFall::Medals])});
        });
}

void GiftPayCallbackEvent::refused(const std::string& text)
{
    log(kLogTrace, text);
    ShopPayCallbackEvent::refused(text);
}

} // namespace zrk
} // namespace kavri3D
