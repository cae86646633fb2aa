#pragma once
#include <core/ScopedEventConnection.h>
#include <deque>
#include <functional>
#include <gui/EventId.h>
#include <map>
#include <memory>
#include <string>
#include <vector>
#include <gui/IGuiWrapper.h>
#include <gui/RoleAttr.h>
#include <gui/ShopData.h>
#include <gui/SubClass.h>
#include "PlayerTab.h"
#include "PortraitPage.h"
#include "PreviewTurn.h"

namespace kavri3D {
namespace zrk {
namespace gui {

class EventDispatcher;

/// The player page: the portraits (the player and the preview), a line with the current
/// character's nickname, level, rank and money, and the shop. The shop lists the entries of the
/// shop list when that event is there; a row or a typed item id shows the item's card with its
/// options; "Try on" dresses the preview, "Add" puts the item into the cart, "Take out" (or
/// Delete, or a double click on the line) takes a line out again and "Empty cart" all of them;
/// "Buy" buys the cart, after which the money and the bag are asked for afresh.
///
/// A row of tab buttons under the top line brings the shop or one of the other tabs to front
/// (each a `PlayerTab` in a pane of its own); the portraits and "Back" stay whatever is in front.
/// The preview turns under a drag, or by itself as its boxes say.
class PlayerPage : public PortraitPage {
public:
    static constexpr int kKind = 7;
    static constexpr int kAttrEventId = EventId::PlayerAttrLoading;
    static constexpr int kRefreshEventId = EventId::PlayerAttrRefresh;
    static constexpr int kIconEventId = EventId::EqIconLoading;
    static constexpr int kBagEventId = EventId::PackageLoading;
    static constexpr int kShopListEventId = EventId::BusinessLoad;
    static constexpr int kPricesEventId = EventId::ShopPrices;
    static constexpr int kTryOnEventId = EventId::ShopTryOn;
    static constexpr int kCheckoutEventId = EventId::ShopCheckout;

    /// What the game hands the GUI on request (null before the game gave it).
    typedef std::function<IGuiWrapper*()> GameSource;

    PlayerPage(const std::string& windowName, const std::string& title, ParamStore& params, ParentSource parent,
               std::vector<std::string> images, int columns, EventDispatcher& dispatcher, std::function<void()> back,
               GameSource game);
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
    /// Takes line `line` (from 0) out of the cart; false for no such line.
    bool removeFromCart(int line);
    void emptyCart();
    /// Buys the cart as it stands; a refused or cancelled purchase leaves it as it was.
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
    /// The player's own line: nickname, level, rank and the three moneys.
    static std::string attributeLine(const RoleAttr& role);
    /// The short line a title bar has room for: level, experience and the two moneys.
    static std::string headerLine(const RoleAttr& role);

    /// The shop's own tab name.
    static const char kShopTab[];
    /// Brings a tab to front by name ("Shop" or a tab's name); false when there is none.
    bool selectTab(const std::string& name);
    /// The name of the tab in front.
    const std::string& selectedTab() const { return mSelected; }
    /// A tab by name; null for the shop or an unknown name.
    PlayerTab* tab(const std::string& name) const;
    /// The pane of a tab when the page's window exists; null otherwise.
    CEGUI::Window* tabPane(const std::string& name) const;

    // What the tabs use.
    EventDispatcher& dispatcher() { return mDispatcher; }
    ParamStore& store() { return params(); }
    /// The game's answers on request; null before the game gave the GUI its source.
    IGuiWrapper* game() const { return mGame ? mGame() : nullptr; }
    static CEGUI::Window* placeWidget(CEGUI::Window& parent, const char* type, const char* name,
                                      const std::string& text, float x, float y, float w, float h)
    {
        return addWidget(parent, type, name, text, x, y, w, h);
    }

protected:
    /// "You" under the player's portrait, "Trying on" under the try-on model.
    std::string caption(const std::string& image) const override;
    void buildContent(CEGUI::Window& frame) override;

private:
    CEGUI::Window* child(const std::string& name) const;
    void addTab(std::unique_ptr<PlayerTab> tab);
    /// Makes the tab row and the tabs' panes in the fresh frame.
    void buildTabs(CEGUI::Window& frame);
    /// Shows the pane (or the shop's widgets) of the tab in front, hides the others.
    void showSelected();
    void onShopFilled(int eventId, ParamList& params);
    /// True for an event after which the server holds other money, points or a level.
    static bool changedMoney(int eventId, const ParamList& list);
    void showCard();
    void showCart();
    /// Enables "Take out" while a line is picked and "Empty cart" while the cart holds any.
    void showCartChoice();
    int cardCount() const;
    /// The equipment kind the item is worn as ("coat"...); "" for none.
    std::string kindOf(const ShopData& item) const;

    EventDispatcher& mDispatcher;
    std::function<void()> mBack;
    GameSource mGame;
    std::string mText;
    ShopData mCard;
    int mAskedItem = 0; ///< the item whose card the page waits for; 0 when none (a tab may ask 78 too)
    std::deque<ShopData> mCart;
    std::string mTotals;
    std::vector<BagData> mBought;
    std::vector<ShopData> mShopRows;                 ///< the shop list's entries, when that event is there
    const std::map<int, SubClass>* mKinds = nullptr; ///< the item kinds by sub-class, read in place
    std::vector<core::ScopedEventConnection> mConnections;
    CEGUI::Window* mBuilding = nullptr;            ///< the frame while its content is made
    std::vector<std::unique_ptr<PlayerTab>> mTabs; ///< in the order of their buttons, after the shop's
    std::vector<std::string> mShopWidgets;         ///< the shop's widgets, shown while the shop is in front
    std::string mSelected;
    std::vector<core::ScopedEventConnection> mTabConnections;
    PreviewTurn mPreviewTurn; ///< the preview's drag and its turning boxes
};

} // namespace gui
} // namespace zrk
} // namespace kavri3D
