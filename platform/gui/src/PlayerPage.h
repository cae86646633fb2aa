#pragma once
#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>
#include <gui/ShopData.h>
#include <gui/SubClass.h>
#include "PortraitPage.h"

namespace kavri3D {
namespace zrk {
namespace gui {

class EventDispatcher;

/// The player page: the portraits (the player and the preview), a line with the current
/// character's nickname, level, rank and money, and the shop. The shop lists the entries of the
/// shop list when that event is there; a row or a typed item id shows the item's card with its
/// options; "Try on" dresses the preview, "Add" puts the item into the cart, "Buy" buys the
/// cart, after which the money and the bag are asked for afresh.
class PlayerPage : public PortraitPage {
public:
    static constexpr int kKind = 7;
    static constexpr int kAttrEventId = 16;
    static constexpr int kRefreshEventId = 17;
    static constexpr int kIconEventId = 11;
    static constexpr int kBagEventId = 8;
    static constexpr int kShopListEventId = 73;
    static constexpr int kPricesEventId = 78;
    static constexpr int kTryOnEventId = 80;
    static constexpr int kCheckoutEventId = 81;

    PlayerPage(const std::string& windowName, const std::string& title, ParamStore& params, ParentSource parent,
               std::vector<std::string> images, int columns, EventDispatcher& dispatcher, std::function<void()> back);
    ~PlayerPage() override;

    void onFilled(int eventId, ParamList& params) override;
    /// The screen came up: it asks for the attributes, the item kinds and the shop list.
    void onShown();
    /// The attribute line as shown ("" before the first fill).
    const std::string& attributeText() const { return mText; }

    // What the player does, as the mouse does it.
    /// Shows the card of an item (its options come with the price event's answer).
    void showItem(int itemId);
    /// Picks option `index` of the card and the pieces wanted; false when there is no such option.
    bool choose(int index, int count);
    void tryOn();
    bool addToCart();
    void buy();

    const ShopData& card() const { return mCard; }
    const std::deque<ShopData>& cart() const { return mCart; }
    /// The card's options as shown ("30 days: 300 coins").
    std::vector<std::string> optionTexts() const;
    /// The cart's totals as shown.
    const std::string& totalsText() const { return mTotals; }
    /// The items of the last purchase, as the checkout handed them.
    const std::vector<BagData>& bought() const { return mBought; }

    /// One option as the card shows it.
    static std::string optionText(const ShopPrice& price);

protected:
    void buildContent(CEGUI::Window& frame) override;

private:
    CEGUI::Window* child(const std::string& name) const;
    void showCard();
    void showCart();
    int cardCount() const;
    /// The equipment kind the item is worn as ("coat"...); "" for none.
    std::string kindOf(const ShopData& item) const;

    EventDispatcher& mDispatcher;
    std::function<void()> mBack;
    std::string mText;
    ShopData mCard;
    bool mAskedPrices = false;
    std::deque<ShopData> mCart;
    std::string mTotals;
    std::vector<BagData> mBought;
    std::vector<ShopData> mShopRows; ///< the shop list's entries, when that event is there
    const std::map<int, SubClass>* mKinds = nullptr; ///< the item kinds by sub-class, read in place
    std::vector<CEGUI::Event::ScopedConnection> mConnections;
    CEGUI::Window* mBuilding = nullptr; ///< the frame while its content is made
};

} // namespace gui
} // namespace zrk
} // namespace kavri3D
