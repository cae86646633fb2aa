#pragma once
#include <cstddef>
#include <gui/EventId.h>
#include <string>
#include <vector>
#include <gui/BagData.h>
#include <gui/ShopData.h>

#include "PlayerTab.h"

namespace kavri3D {
namespace zrk {
namespace gui {

/// A shop of the player page paid in points instead of money: the guild's (medals at full
/// price, the buyer's guild contribution grows) or the arena's (arena points). It offers the
/// items res/GUI/guildContent.json lists under its key, each with its options as the price
/// event hands them out (asked one item at a time: that event answers for its last item only).
/// "Buy" hands the picked option and the pieces to the shop's pay event, which asks the player
/// and buys; the money and the bag are asked for afresh after a purchase.
class PointShopTab : public PlayerTab {
public:
    /// What tells the two shops apart.
    struct Shop {
        const char* name;   ///< the tab's name and button text
        const char* key;    ///< the list in the content file and the pay event's parameter
        int payEventId;     ///< EventId::GuildShopPay or EventId::ArenaShopPay
        const char* paidIn; ///< what its prices are paid in, as the rows say it
        const char* note;   ///< the line under the list
    };
    static const Shop kGuild;
    static const Shop kArena;
    static const char* const kContentPath;
    static constexpr int kPricesEventId = EventId::ShopPrices;
    static constexpr int kAttrEventId = EventId::PlayerAttrLoading;
    static constexpr int kBagEventId = EventId::PackageLoading;
    /// Items a shop offers at most, and the pieces of one purchase.
    static constexpr std::size_t kMostOffers = 40;
    static constexpr int kMostPieces = 99;

    PointShopTab(PlayerPage& page, const Shop& shop, std::string contentPath = kContentPath);
    ~PointShopTab() override;

    std::string name() const override { return mShop.name; }
    std::string title() const override { return mShop.name; }
    void build(CEGUI::Window& pane) override;
    void onSelected() override;
    void onFilled(int eventId, ParamList& params) override;

    // What the player does, as the mouse does it.
    /// Picks an offer's row; false when there is no such row.
    bool pick(int row);
    /// Buys option `option` of the picked offer, `count` pieces; false (nothing sent) when
    /// there is no such option, the count is out of range or the pay event is not there.
    bool buy(int option, int count);

    /// The offers as their records came, in the content file's order.
    const std::vector<ShopData>& offers() const { return mOffers; }
    /// One offer's row as the list shows it ("Guild Tonic  for ever: 100 medals").
    std::string offerText(const ShopData& offer) const;
    /// The line under the list: the shop's note, or what the last purchase brought.
    const std::string& status() const { return mStatus; }
    /// What a purchase brought, as the status line says it ("Guild Tonic x1, ...").
    static std::string boughtText(const std::vector<BagData>& bought);
    /// The item ids under `key` in the content file: whole numbers above 0, at most kMostOffers;
    /// empty (logged) when the file cannot be read or the list is not there.
    static std::vector<int> offeredIds(const std::string& path, const std::string& key);

private:
    /// Asks the price event for the next item not yet known.
    void askNext();
    void showOffers();
    void showStatus();

    const Shop& mShop;
    const std::string mContentPath;
    bool mRead = false;
    std::vector<int> mIds;      ///< the items offered, as the file lists them
    std::size_t mNextAsked = 0; ///< index into mIds of the next item to ask for
    int mAsking = 0;            ///< the item whose record is awaited; 0 none
    std::vector<ShopData> mOffers;
    int mPicked = -1;
    std::string mStatus;
};

} // namespace gui
} // namespace zrk
} // namespace kavri3D
