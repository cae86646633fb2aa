#pragma once
#include <deque>
#include <string>
#include <data/ZRKRequestOwner.h>
#include <gui/ShopData.h>
#include "callbacks/MoneyFall.h"
#include "events/BaseEvent.h"

namespace kavri3D {
namespace core {
struct DialogBoxResult;
}
namespace zrk {

/// Buys the shop cart: sums it into the three money kinds, asks the player to confirm, sends
/// the purchase, shows what it cost and hands the GUI the items bought ("buyed").
class ShopCheckoutCallbackEvent : public BaseEvent {
public:
    typedef std::deque<gui::ShopData> Cart;
    /// The cart's figures: coins, coupons, medals (members' price), medals in full.
    struct Totals {
        long long coins = 0, coupons = 0, medals = 0, fullMedals = 0;
    };

    ShopCheckoutCallbackEvent(gui::IGuiPage* page, gui::IEventDispatcher* dispatcher);
    ~ShopCheckoutCallbackEvent() override;

    gui::ParamList* fillParams() override;
    void callback(gui::ParamHandle params) override;
    int getEventId() override { return gui::EventId::ShopCheckout; }
    /// The box's answer, with the request text the box asked about.
    void onConfirm(core::DialogBoxResult& result, const std::string& text);
    /// The purchase's answer; the cost box shows what the player's money fell by since `before`
    /// (the money held when the purchase went), a refusal the server's text.
    void onReply(bool error, const std::string& text, const MoneyFall& before);

    /// The request text of a cart and its figures (medals at the price `member` pays); false,
    /// logged, when a line has no chosen option, fewer than one piece or an amount or total past
    /// 32 bits.
    bool writeCart(const Cart& cart, bool member, std::string& text, Totals& totals) const;

private:
    Cart mCart;
    ZRKRequestOwner mRequests; ///< last: no reply or box answer reaches a freed event
};

} // namespace zrk
} // namespace kavri3D
