#include "callbacks/ShopCheckoutCallbackEvent.h"

#include <core/DialogBoxResult.h>
#include <core/Frame.h>
#include <data/ZRKParamText.h>
#include <data/ZRKUserRequest.h>
#include <json/json.h>
#include <lan/ZRKLan.h>

#include "callbacks/MoneyFall.h"
#include "callbacks/RefusalBox.h"
#include "callbacks/ShopPricing.h"
#include "callbacks/ShopRecords.h"
#include "services/GameServices.h"
#include "services/LogRoutine.h"

namespace kavri3D {
namespace zrk {

namespace {
const long long kMost = 0x7FFFFFFF;
} // namespace

ShopCheckoutCallbackEvent::ShopCheckoutCallbackEvent(gui::IGuiPage* page, gui::IEventDispatcher* dispatcher)
    : BaseEvent(page, dispatcher)
{
}

ShopCheckoutCallbackEvent::~ShopCheckoutCallbackEvent() = default;

bool ShopCheckoutCallbackEvent::writeCart(const Cart& cart, bool member, std::string& text, Totals& totals) const
{
    Json::Value lines(Json::arrayValue);
    totals = Totals();
    for (const gui::ShopData& line : cart) {
        if (line.chosen < 0 || static_cast<std::size_t>(line.chosen) >= line.prices.size() || line.item.pci_num < 1) {
            log(kLogTrace, "a cart line without its option or pieces: nothing bought");
            return false;
        }
        const gui::ShopPrice& option = line.prices[static_cast<std::size_t>(line.chosen)];
        const long long amount = static_cast<long long>(option.s_price) * line.item.pci_num;
        if (amount < 0 || amount > kMost) {
            log(kLogTrace, "a cart line costs past 32 bits: nothing bought");
            return false;
        }
        Json::Value l(Json::objectValue);
        l["s_id"] = option.s_id;
        l["s_expire"] = option.s_expire;
        l["s_num"] = line.item.pci_num;
        lines.append(l);
        const int a = static_cast<int>(amount);
        if (option.s_buy_type == 1)
            totals.coins += a;
        else if (option.s_buy_type == 2)
            totals.coupons += a;
        else if (option.s_buy_type == 3) {
            totals.medals += discountPrice(a, member);
            totals.fullMedals += a;
        }
        if (totals.coins > kMost || totals.coupons > kMost || totals.fullMedals > kMost) {
            log(kLogTrace, "the cart costs past 32 bits: nothing bought");
            return false;
        }
    }
    text = ZRKParamText::make(lines);
    return true;
}

void ShopCheckoutCallbackEvent::callback(gui::ParamHandle params)
{
    Cart cart;
    if (!readParam("carlist", params, cart))
        return;
    mCart = cart;
    std::string text;
    Totals t;
    // The question shows every player the members' price beside the full one.
    if (!writeCart(mCart, true, text, t))
        return;
    core::Frame* frame = GameServices::frame();
    if (!frame) {
        log(kLogTrace, "no frame to ask before buying: nothing bought");
        return;
    }
    const std::string question =
        isBlueDrillEnabled()
            ? formatMsg(ZRKLan::getMsg("msg/shopping_completed_request_const"),
                        {std::to_string(t.coins), std::to_string(t.coupons), std::to_string(t.medals),
                         std::to_string(t.fullMedals)})
            : formatMsg(ZRKLan::getMsg("msg/shopping_completed_request_const_nq"),
                        {std::to_string(t.coins), std::to_string(t.coupons), std::to_string(t.medals)});
    frame->messageBox2("warning/title", question,
                       mRequests.guard([this, text](core::DialogBoxResult& result) { onConfirm(result, text); }),
                       core::Frame::kQuestionBox);
}

void ShopCheckoutCallbackEvent::onConfirm(core::DialogBoxResult& result, const std::string& text)
{
    if (result.button != 0)
        return;
    const MoneyFall before = MoneyFall::held();
    mRequests.track(ZRKUserRequest::shopCheckout(
        text,
        mRequests.guard([this, before](bool error, const std::string& reply) { onReply(error, reply, before); })));
}

void ShopCheckoutCallbackEvent::onReply(bool error, const std::string& text, const MoneyFall& before)
{
    if (error) {
        // Nothing was bought: the cart stays, and the player reads why.
        log(kLogTrace, "the purchase failed: " + text);
        RefusalBox::show(text);
        return;
    }
    // What the player was charged: the answer brought his money as the server now holds it.
    const MoneyFall paid = MoneyFall::since(before);
    const std::string cost =
        formatMsg(ZRKLan::getMsg(isBlueDrillEnabled() ? "msg/shopping_cost" : "msg/shopping_cost_nq"),
                  {std::to_string(paid[MoneyFall::Coins]), std::to_string(paid[MoneyFall::Coupons]),
                   std::to_string(paid[MoneyFall::Medals])});
    if (core::Frame* frame = GameServices::frame())
        frame->messageBoxText(ZRKLan::getMsg("warning/title"), cost, core::Frame::kNoticeBox);
    raiseEvent(getEventId());
}

gui::ParamList* ShopCheckoutCallbackEvent::fillParams()
{
    clearParams();
    addNode("buyed", ShopRecords::buyedList(), 0, 0);
    return paramList();
}

} // namespace zrk
} // namespace kavri3D
