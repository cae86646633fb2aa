#pragma once
#include <gui/ShopData.h>
#include "callbacks/ShopPayCallbackEvent.h"

namespace kavri3D {
namespace zrk {

/// Buys one item of the guild shop (paid in medals at full price; the buyer's guild is credited).
class GuildShopPayCallbackEvent : public ShopPayCallbackEvent {
public:
    GuildShopPayCallbackEvent(gui::IGuiPage* page, gui::IEventDispatcher* dispatcher);
    ~GuildShopPayCallbackEvent() override;

    void callback(gui::ParamHandle params) override;
    int getEventId() override { return gui::EventId::GuildShopPay; }
    /// What the guild credits the buyer: 100 for the class priced apart, else 15 in a hundred
    /// of the amount, truncated.
    static long long contribution(const gui::ShopData& item, long long amount);

protected:
    void refused(const std::string& text) override;

private:
    gui::ShopData mItem; ///< the item of the last request
};

} // namespace zrk
} // namespace kavri3D
