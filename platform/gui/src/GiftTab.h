#pragma once
#include <cstddef>
#include <cstdint>
#include <deque>
#include <gui/EventId.h>
#include <string>
#include <vector>
#include <gui/ShopData.h>

#include "PlayerTab.h"

namespace kavri3D {
namespace zrk {
namespace gui {

/// The gift form of the player page: a cart of the shop's medal offers bought for another
/// player (any character, the server's own players too), with a message. The receiver is
/// picked from the online list (the players of the hall last seen, the player himself left out) or typed as
/// a character id. "Send" hands the cart, the receiver, the message and the medal total shown
/// ("money": the server refuses a gift that would cost more) to the gift event, which asks
/// the player and buys.
class GiftTab : public PlayerTab {
public:
    static constexpr int kShopListEventId = EventId::BusinessLoad;
    static constexpr int kOnlineEventId = EventId::HallFriendListRefesh;
    static constexpr int kArenaOnlineEventId = EventId::ArenaFriendListRefesh;
    static constexpr int kAttrEventId = EventId::PlayerAttrLoading;
    static constexpr int kGiftEventId = EventId::GiftPay;
    /// Gifts are paid in medals: the only offers the form lists.
    static constexpr int kMedals = 3;
    static constexpr std::size_t kMostLines = 20;
    static constexpr int kMostPieces = 99;
    /// A gift's message, in characters.
    static constexpr std::size_t kMessageLength = 200;

    /// One player the gift may go to.
    struct Receiver {
        std::int32_t pc_id;
        std::string shown; ///< "Anvil (Lv 12)"
    };

    explicit GiftTab(PlayerPage& page);
    ~GiftTab() override;

    std::string name() const override { return "Gift"; }
    std::string title() const override { return "Gift"; }
    void build(CEGUI::Window& pane) override;
    void onSelected() override;
    void onFilled(int eventId, ParamList& params) override;

    // What the player does, as the mouse and the keys do it.
    /// Picks a receiver of the online list (his id goes into the id box); false for no such row.
    bool pickReceiver(int row);
    /// Puts `count` pieces of medal offer `row` into the cart; false when there is no such
    /// offer, the count is out of range or the cart is full.
    bool add(int row, int count);
    /// Takes line `line` (from 0) out of the cart ("Take out", Delete or a double click on the
    /// line); false for no such line.
    bool remove(int line);
    void clearCart();
    /// Sends the cart to the character `receiver` with the message; false (nothing sent, the
    /// status says why) for an empty cart, no receiver, a message too long or no gift event.
    bool send(std::int64_t receiver, const std::string& message);

    const std::vector<Receiver>& receivers() const { return mReceivers; }
    /// The shop's medal offers: each line carries its medal option as the chosen one.
    const std::vector<ShopData>& offers() const { return mOffers; }
    const std::deque<ShopData>& cart() const { return mCart; }
    /// The cart's medals at full price: what the form shows and sends as "money".
    std::int64_t total() const;
    const std::string& status() const { return mStatus; }

    /// The medal offers of shop entries: one line per medal option, other options left out.
    static std::vector<ShopData> medalOffers(const std::vector<ShopData>& entries);

private:
    void readOnline(ParamList& params);
    /// The player's own character, asked of the attribute event while unknown; 0 without one.
    std::int32_t ownId();
    /// Leaves the player himself out of the receivers.
    void dropOwn();
    void showReceivers();
    void showOffers();
    void showCart();
    /// "Take out" while a line is picked, "Empty cart" while the cart holds any.
    void showCartButtons();
    void showStatus();
    /// A whole number typed into a box of the pane; -1 for anything else.
    long long typed(const std::string& box, std::size_t digits) const;

    std::vector<Receiver> mReceivers;
    std::vector<ShopData> mOffers;
    std::deque<ShopData> mCart;
    std::int32_t mOwnId = 0; ///< the player's own character, left out of the receivers
    bool mAskedShop = false;
    std::string mStatus;
    std::string mSentTo; ///< who the gift in flight goes to, for the status line
};

} // namespace gui
} // namespace zrk
} // namespace kavri3D
