#pragma once
#include <string>
#include "callbacks/ShopPayCallbackEvent.h"

namespace kavri3D {
namespace zrk {

/// Buys the medal lines of a cart as a gift for another player, with a message; "money" is the
/// medal total the page showed, and the server refuses a higher price.
class GiftPayCallbackEvent : public ShopPayCallbackEvent {
public:
    GiftPayCallbackEvent(gui::IGuiPage* page, gui::IEventDispatcher* dispatcher);
    ~GiftPayCallbackEvent() override;

    void callback(gui::ParamHandle params) override;
    int getEventId() override { return gui::EventId::GiftPay; }
    /// What the gift costs the giver: its medal lines at the price a member (or not) pays.
    long long medals(const Cart& cart, bool member) const;

protected:
    void refused(const std::string& text) override;

private:
    Cart mCart;
    int mReceiverId = 0;
    std::string mMessage;
    int mMoney = 0;
};

} // namespace zrk
} // namespace kavri3D
