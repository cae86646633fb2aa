#include "PlayerPage.h"

#include <CEGUI/CEGUI.h>
#include <algorithm>
#include <iterator>
#include <boost/any.hpp>
#include <cstdlib>
#include <gui/BagData.h>
#include <gui/ParamNode.h>
#include <gui/RoleAttr.h>

#include <text/CeguiText.h>
#include "BagPage.h"
#include "EventDispatcher.h"
#include "FriendsTab.h"
#include "GiftTab.h"
#include "GuiLog.h"
#include "ListRows.h"
#include "ParamStore.h"
#include "PointShopTab.h"
#include "QuestsTab.h"
#include "StatsTab.h"
#include "StrengthenTab.h"

namespace kavri3D {
namespace zrk {
namespace gui {

namespace {
const char kAttributes[] = "Attributes";
const float kShopRight = 0.62f;
const char* const kMoneyNames[] = {"", "coins", "coupons", "medals"};
// The tab row under the top line, and the region the tabs' panes (and the shop) fill.
const float kTabRowTop = 0.08f;
const float kTabRowHeight = 0.05f;
const float kTabWidth = 0.115f;
const float kTabGap = 0.005f;
const float kPaneTop = 0.14f;
const float kPaneBottom = 0.91f;

std::string moneyName(int buyType) { return buyType >= 1 && buyType <= 3 ? kMoneyNames[buyType] : "(not sold)"; }
} // namespace

PlayerPage::PlayerPage(const std::string& windowName, const std::string& title, ParamStore& params, ParentSource parent,
                       std::vector<std::string> images, int columns, EventDispatcher& dispatcher,
                       std::function<void()> back, GameSource game)
    : PortraitPage(kKind, windowName, title, params, std::move(parent), std::move(images), columns),
      mDispatcher(dispatcher), mBack(std::move(back)), mGame(std::move(game)), mPreviewTurn(kKind, params, dispatcher)
{
    setFrameArea(0.04f, 0.04f, 0.96f, 0.96f);
    mSelected = kShopTab;
    mShopWidgets = {"ShopList", "ItemId", "Show", "Card",    "Options",   "CountLabel", "Count",
                    "TryOn",    "Add",    "Cart", "TakeOut", "EmptyCart", "Totals",     "Buy"};
    // The tabs beside the shop, in the order of their buttons: addTab(std::make_unique<...>(*this)).
    addTab(std::make_unique<StrengthenTab>(*this));
    addTab(std::make_unique<PointShopTab>(*this, PointShopTab::kGuild));
    addTab(std::make_unique<PointShopTab>(*this, PointShopTab::kArena));
    addTab(std::make_unique<GiftTab>(*this));
    addTab(std::make_unique<FriendsTab>(*this));
    addTab(std::make_unique<QuestsTab>(*this));
    addTab(std::make_unique<StatsTab>(*this));
}

const char PlayerPage::kShopTab[] = "Shop";

void PlayerPage::addTab(std::unique_ptr<PlayerTab> tab)
{
    if (tab && !tab->name().empty() && tab->name() != kShopTab && !this->tab(tab->name()))
        mTabs.push_back(std::move(tab));
}

PlayerTab* PlayerPage::tab(const std::string& name) const
{
    for (const auto& t : mTabs)
        if (t->name() == name)
            return t.get();
    return nullptr;
}

CEGUI::Window* PlayerPage::tabPane(const std::string& name) const { return child("Pane_" + name); }

bool PlayerPage::selectTab(const std::string& name)
{
    PlayerTab* picked = tab(name);
    if (!picked && name != kShopTab)
        return false;
    mSelected = name;
    showSelected();
    try {
        if (picked)
            picked->onSelected();
    } catch (const std::exception& e) {
        guiLog(Severity::Error, "player page: the tab ", name, " could not come to front: ", e.what());
    }
    return true;
}

void PlayerPage::showSelected()
{
    const bool shop = mSelected == kShopTab;
    for (const std::string& name : mShopWidgets)
        if (CEGUI::Window* w = child(name))
            w->setVisible(shop);
    for (const auto& t : mTabs)
        if (CEGUI::Window* pane = tabPane(t->name()))
            pane->setVisible(t->name() == mSelected);
    std::vector<std::string> names{kShopTab};
    for (const auto& t : mTabs)
        names.push_back(t->name());
    for (const std::string& name : names)
        if (CEGUI::Window* button = child("Tab_" + name))
            button->setProperty("NormalTextColour", name == mSelected ? "FFFFFF00" : "FFFFFFFF");
}

void PlayerPage::buildTabs(CEGUI::Window& frame)
{
    mTabConnections.clear();
    std::vector<std::pair<std::string, std::string>> buttons{{kShopTab, kShopTab}};
    for (const auto& t : mTabs)
        buttons.emplace_back(t->name(), t->title());
    float x = 0.02f;
    for (const auto& b : buttons) {
        CEGUI::Window* button = addWidget(frame, "TaharezLook/Button", ("Tab_" + b.first).c_str(), b.second, x,
                                          kTabRowTop, kTabWidth, kTabRowHeight);
        const std::string name = b.first;
        mTabConnections.emplace_back(
            button->subscribeEvent(CEGUI::PushButton::EventClicked, [this, name](const CEGUI::EventArgs&) {
                selectTab(name);
                return true;
            }));
        x += kTabWidth + kTabGap;
    }
    for (const auto& t : mTabs) {
        CEGUI::Window* pane = CEGUI::WindowManager::getSingleton().createWindow("DefaultWindow", "Pane_" + t->name());
        pane->setArea(CEGUI::URect(CEGUI::UDim(0.02f, 0), CEGUI::UDim(kPaneTop, 0), CEGUI::UDim(kShopRight, 0),
                                   CEGUI::UDim(kPaneBottom, 0)));
        frame.addChild(pane);
        t->dropConnections();
        try {
            t->build(*pane);
        } catch (const std::exception& e) {
            guiLog(Severity::Error, "player page: the tab ", t->name(), " could not be made: ", e.what());
        }
    }
}

PlayerPage::~PlayerPage() = default;

std::string PlayerPage::optionText(const ShopPrice& price)
{
    const std::string days = price.s_expire > 0 ? std::to_string(price.s_expire) + " days" : "for ever";
    return days + ": " + std::to_string(price.s_price) + " " + moneyName(price.s_buy_type);
}

CEGUI::Window* PlayerPage::child(const std::string& name) const
{
    CEGUI::Window* frame = mBuilding ? mBuilding : window();
    return frame && frame->isChild(name) ? frame->getChild(name) : nullptr;
}

void PlayerPage::buildContent(CEGUI::Window& frame)
{
    mConnections.clear();
    addWidget(frame, "TaharezLook/StaticText", kAttributes, mText, 0.02f, 0.01f, 0.96f, 0.07f);
    auto* shopList = static_cast<CEGUI::MultiColumnList*>(
        addWidget(frame, "TaharezLook/MultiColumnList", "ShopList", "", 0.02f, 0.15f, 0.28f, 0.35f));
    ListRows::addColumns(*shopList, {{"Item", 0.6f}, {"Offers", 0.35f}});
    shopList->setSelectionMode(CEGUI::MultiColumnList::RowSingle);
    mConnections.emplace_back(
        shopList->subscribeEvent(CEGUI::MultiColumnList::EventSelectionChanged, [this](const CEGUI::EventArgs&) {
            auto* list = static_cast<CEGUI::MultiColumnList*>(child("ShopList"));
            const int row = list ? ListRows::selectedRow(*list) : -1;
            if (row >= 0 && static_cast<std::size_t>(row) < mShopRows.size())
                showItem(mShopRows[static_cast<std::size_t>(row)].i_id);
            return true;
        }));
    addWidget(frame, "TaharezLook/Editbox", "ItemId", "", 0.02f, 0.52f, 0.16f, 0.06f);
    mConnections.emplace_back(addWidget(frame, "TaharezLook/Button", "Show", "Show item", 0.19f, 0.52f, 0.11f, 0.06f)
                                  ->subscribeEvent(CEGUI::PushButton::EventClicked, [this](const CEGUI::EventArgs&) {
                                      CEGUI::Window* id = child("ItemId");
                                      const std::string text = id ? id->getText().c_str() : "";
                                      char* end = nullptr;
                                      const long v = std::strtol(text.c_str(), &end, 10);
                                      if (!text.empty() && end && *end == '\0' && v > 0 && v < 0x7FFFFFFF)
                                          showItem(static_cast<int>(v));
                                      return true;
                                  }));
    addWidget(frame, "TaharezLook/StaticText", "Card", "", 0.32f, 0.15f, 0.30f, 0.08f);
    auto* options = static_cast<CEGUI::Listbox*>(
        addWidget(frame, "TaharezLook/Listbox", "Options", "", 0.32f, 0.24f, 0.30f, 0.16f));
    (void)options;
    addWidget(frame, "TaharezLook/StaticText", "CountLabel", "Pieces", 0.32f, 0.42f, 0.09f, 0.06f);
    addWidget(frame, "TaharezLook/Editbox", "Count", "1", 0.42f, 0.42f, 0.06f, 0.06f);
    mConnections.emplace_back(addWidget(frame, "TaharezLook/Button", "TryOn", "Try on", 0.32f, 0.52f, 0.14f, 0.06f)
                                  ->subscribeEvent(CEGUI::PushButton::EventClicked, [this](const CEGUI::EventArgs&) {
                                      tryOn();
                                      return true;
                                  }));
    mConnections.emplace_back(
        addWidget(frame, "TaharezLook/Button", "Add", "Add to cart", 0.48f, 0.52f, 0.14f, 0.06f)
            ->subscribeEvent(CEGUI::PushButton::EventClicked, [this](const CEGUI::EventArgs&) {
                auto* list = static_cast<CEGUI::Listbox*>(child("Options"));
                CEGUI::ListboxItem* picked = list ? list->getFirstSelectedItem() : nullptr;
                if (choose(picked ? static_cast<int>(list->getItemIndex(picked)) : 0, cardCount()))
                    addToCart();
                return true;
            }));
    auto* cart =
        static_cast<CEGUI::Listbox*>(addWidget(frame, "TaharezLook/Listbox", "Cart", "", 0.02f, 0.61f, 0.44f, 0.22f));
    for (CEGUI::Event::Connection c : ListRows::removableLines(*cart, [this](int line) { removeFromCart(line); }))
        mConnections.emplace_back(c);
    mConnections.emplace_back(
        cart->subscribeEvent(CEGUI::Listbox::EventSelectionChanged, [this](const CEGUI::EventArgs&) {
            showCartChoice();
            return true;
        }));
    mConnections.emplace_back(addWidget(frame, "TaharezLook/Button", "TakeOut", "Take out", 0.48f, 0.61f, 0.14f, 0.06f)
                                  ->subscribeEvent(CEGUI::PushButton::EventClicked, [this](const CEGUI::EventArgs&) {
                                      auto* list = static_cast<CEGUI::Listbox*>(child("Cart"));
                                      removeFromCart(list ? ListRows::selectedLine(*list) : -1);
                                      return true;
                                  }));
    mConnections.emplace_back(
        addWidget(frame, "TaharezLook/Button", "EmptyCart", "Empty cart", 0.48f, 0.68f, 0.14f, 0.06f)
            ->subscribeEvent(CEGUI::PushButton::EventClicked, [this](const CEGUI::EventArgs&) {
                emptyCart();
                return true;
            }));
    addWidget(frame, "TaharezLook/StaticText", "Totals", mTotals, 0.02f, 0.84f, 0.44f, 0.07f);
    mConnections.emplace_back(addWidget(frame, "TaharezLook/Button", "Buy", "Buy", 0.48f, 0.84f, 0.14f, 0.07f)
                                  ->subscribeEvent(CEGUI::PushButton::EventClicked, [this](const CEGUI::EventArgs&) {
                                      buy();
                                      return true;
                                  }));
    mConnections.emplace_back(addWidget(frame, "TaharezLook/Button", "Back", "Back", 0.02f, 0.92f, 0.14f, 0.06f)
                                  ->subscribeEvent(CEGUI::PushButton::EventClicked, [this](const CEGUI::EventArgs&) {
                                      if (mBack)
                                          mBack();
                                      return true;
                                  }));
    CEGUI::WindowManager& wm = CEGUI::WindowManager::getSingleton();
    CEGUI::Window* pictures = wm.createWindow("DefaultWindow", "Pictures");
    pictures->setArea(CEGUI::URect(CEGUI::UDim(kShopRight + 0.02f, 0), CEGUI::UDim(kPaneTop, 0), CEGUI::UDim(0.99f, 0),
                                   CEGUI::UDim(0.98f, 0)));
    frame.addChild(pictures);
    PortraitPage::buildContent(*pictures);
    if (pictures->isChild("Picture_showview"))
        mPreviewTurn.build(*pictures->getChild("Picture_showview"), *pictures, 0.52f, 0.38f, 0.46f, 0.10f);
    mBuilding = &frame;
    buildTabs(frame);
    showCard();
    showCart();
    showSelected();
    mBuilding = nullptr;
}

void PlayerPage::onShown()
{
    const ParamHandle handle = params().handle(kKind);
    mDispatcher.callback(kAttrEventId, handle);
    mDispatcher.callback(kIconEventId, handle);
    if (mDispatcher.find(kShopListEventId))
        mDispatcher.callback(kShopListEventId, handle);
    if (PlayerTab* front = tab(mSelected))
        selectTab(front->name());
}

void PlayerPage::showItem(int itemId)
{
    params().clear(kKind);
    params().set(kKind, ParamNode::integer("i_id", itemId));
    mAskedItem = itemId;
    mDispatcher.callback(kPricesEventId, params().handle(kKind));
}

bool PlayerPage::choose(int index, int count)
{
    if (index < 0 || static_cast<std::size_t>(index) >= mCard.prices.size() || count < 1)
        return false;
    mCard.chosen = index;
    // A wearable is one piece a line; props come in stacks.
    mCard.item.pci_num = kindOf(mCard).empty() ? count : 1;
    return true;
}

int PlayerPage::cardCount() const
{
    CEGUI::Window* count = child("Count");
    const int n = count ? std::atoi(count->getText().c_str()) : 1;
    return n;
}

std::string PlayerPage::kindOf(const ShopData& item) const
{
    if (!mKinds)
        return std::string();
    auto it = mKinds->find(item.isc_id);
    return it == mKinds->end() ? std::string() : BagPage::slotName(it->second.isc_slot);
}

void PlayerPage::tryOn()
{
    if (mCard.i_id == 0)
        return;
    std::map<std::string, std::string> tried;
    for (const ShopData& line : mCart) {
        const std::string kind = kindOf(line);
        if (!kind.empty())
            tried[kind] = std::to_string(line.i_id);
    }
    const std::string kind = kindOf(mCard);
    if (!kind.empty())
        tried[kind] = std::to_string(mCard.i_id);
    const bool weapon = mKinds && mKinds->count(mCard.isc_id) && mKinds->at(mCard.isc_id).ic_name == "weapon";
    params().clear(kKind);
    params().set(kKind, ParamNode("iids", tried, static_cast<std::int32_t>(tried.size()), ParamNode::Record));
    params().set(kKind, ParamNode::boolean("armlock", weapon));
    params().set(kKind, ParamNode::integer("armiid", weapon ? mCard.i_id : 0));
    mDispatcher.callback(kTryOnEventId, params().handle(kKind));
}

bool PlayerPage::addToCart()
{
    if (mCard.i_id == 0 || mCard.prices.empty() || mCard.item.pci_num < 1)
        return false;
    mCart.push_back(mCard);
    showCart();
    return true;
}

bool PlayerPage::removeFromCart(int line)
{
    if (line < 0 || static_cast<std::size_t>(line) >= mCart.size())
        return false;
    mCart.erase(mCart.begin() + line);
    showCart();
    return true;
}

void PlayerPage::emptyCart()
{
    mCart.clear();
    showCart();
}

void PlayerPage::buy()
{
    params().clear(kKind);
    params().set(kKind, ParamNode("carlist", mCart, static_cast<std::int32_t>(mCart.size()), ParamNode::Record));
    mDispatcher.callback(kCheckoutEventId, params().handle(kKind));
}

std::vector<std::string> PlayerPage::optionTexts() const
{
    std::vector<std::string> out;
    for (const ShopPrice& p : mCard.prices)
        out.push_back(optionText(p));
    return out;
}

void PlayerPage::showCard()
{
    if (CEGUI::Window* card = child("Card"))
        card->setText(outsideText(mCard.i_id == 0
                                      ? std::string("Pick an item or type its id")
                                      : (mCard.i_name.empty() ? "Item " + std::to_string(mCard.i_id) : mCard.i_name) +
                                            (mCard.prices.empty() ? "  (not on sale)" : "")));
    if (auto* options = static_cast<CEGUI::Listbox*>(child("Options"))) {
        ListRows::setLines(*options, optionTexts());
        if (options->getItemCount() > 0)
            options->setItemSelectState(static_cast<std::size_t>(0), true);
    }
}

void PlayerPage::showCart()
{
    long long totals[4] = {0, 0, 0, 0};
    std::vector<std::string> lines;
    for (const ShopData& line : mCart) {
        if (line.chosen < 0 || static_cast<std::size_t>(line.chosen) >= line.prices.size())
            continue;
        const ShopPrice& p = line.prices[static_cast<std::size_t>(line.chosen)];
        lines.push_back(line.i_name + " x" + std::to_string(line.item.pci_num) + "  " + optionText(p));
        if (p.s_buy_type >= 1 && p.s_buy_type <= 3)
            totals[p.s_buy_type] += static_cast<long long>(p.s_price) * line.item.pci_num;
    }
    mTotals = "Cart: " + std::to_string(totals[1]) + " coins, " + std::to_string(totals[2]) + " coupons, " +
              std::to_string(totals[3]) + " medals";
    if (auto* cart = static_cast<CEGUI::Listbox*>(child("Cart")))
        ListRows::setLines(*cart, lines);
    if (CEGUI::Window* t = child("Totals"))
        t->setText(outsideText(mTotals));
    showCartChoice();
}

void PlayerPage::showCartChoice()
{
    ListRows::enableCartButtons(static_cast<CEGUI::Listbox*>(child("Cart")), child("TakeOut"), child("EmptyCart"));
}

std::string PlayerPage::caption(const std::string& image) const
{
    if (image == "myself")
        return "You";
    if (image == "showview")
        return "Trying on";
    return image;
}

bool PlayerPage::changedMoney(int eventId, const ParamList& list)
{
    // A claimed quest's fresh list, a function item, a bag box and a rank card; a forge's Go
    // (its flag 2) that went through. (The shop tabs ask after their own purchases.)
    static const int kChanging[] = {EventId::QuestList, EventId::UserFunItem, EventId::BagOpenBox,
                                    EventId::BagUnlockRank};
    static const int kForge[] = {EventId::EquipEnhance, EventId::Refine, EventId::EquipMix, EventId::EquipEnchase};
    if (std::find(std::begin(kChanging), std::end(kChanging), eventId) != std::end(kChanging))
        return true;
    if (std::find(std::begin(kForge), std::end(kForge), eventId) == std::end(kForge))
        return false;
    int flag = 0;
    bool error = false;
    for (const ParamNode* node : list) {
        if (node && node->name == "flag")
            if (const int* f = boost::any_cast<int>(&node->value))
                flag = *f;
        if (node && node->name == "error")
            if (const bool* e = boost::any_cast<bool>(&node->value))
                error = *e;
    }
    return flag == 2 && !error;
}

void PlayerPage::onFilled(int eventId, ParamList& list)
{
    for (const auto& t : mTabs) {
        try {
            t->onFilled(eventId, list);
        } catch (const std::exception& e) {
            guiLog(Severity::Error, "player page: the tab ", t->name(), " could not show event ", eventId, ": ",
                   e.what());
        }
    }
    onShopFilled(eventId, list);
}

std::string PlayerPage::attributeLine(const RoleAttr& role)
{
    return role.pc_nickname + "  Lv " + std::to_string(role.pc_lv) + "  Rank " + std::to_string(role.pc_rank) +
           "  Coins " + std::to_string(role.pc_money1) + "  Coupons " + std::to_string(role.pc_money2) + "  Medals " +
           std::to_string(role.pc_money3);
}

std::string PlayerPage::headerLine(const RoleAttr& role)
{
    // Experience without the view's maximum: the world keeps that figure as seeded while the
    // experience grows past it, and "3330/3000" reads as a fault.
    return "Lv " + std::to_string(role.pc_lv) + "  Exp " + std::to_string(role.pc_exp) + "  Coins " +
           std::to_string(role.pc_money1) + "  Coupons " + std::to_string(role.pc_money2);
}

void PlayerPage::onShopFilled(int eventId, ParamList& list)
{
    if (changedMoney(eventId, list)) {
        // The server changed the money, points or level: the header asks for them again.
        mDispatcher.callback(kAttrEventId, params().handle(kKind));
        return;
    }
    if (eventId == kRefreshEventId) {
        // The refresh id hands out nothing: the attributes are read afresh.
        if (ParamList* attributes = mDispatcher.fillParams(kAttrEventId))
            onFilled(kAttrEventId, *attributes);
        return;
    }
    for (const ParamNode* node : list) {
        if (!node)
            continue;
        if (eventId == kAttrEventId && node->name == "currentRole") {
            if (const auto* role = boost::any_cast<RoleAttr>(&node->value)) {
                mText = attributeLine(*role);
                if (CEGUI::Window* line = child(kAttributes))
                    line->setText(outsideText(mText));
            }
        } else if (eventId == kIconEventId && node->name == "clsmap") {
            if (auto* kinds = boost::any_cast<std::map<int, SubClass>*>(&node->value))
                mKinds = *kinds;
        } else if (eventId == kPricesEventId && node->name == "prices") {
            if (mAskedItem == 0)
                continue;
            if (const auto* card = boost::any_cast<ShopData>(&node->value)) {
                if (card->i_id != mAskedItem)
                    continue;
                mAskedItem = 0;
                mCard = *card;
                mCard.item.pci_num = 1;
                showCard();
            }
        } else if (eventId == kShopListEventId && node->name == "shoplist") {
            if (const auto* rows = boost::any_cast<std::vector<ShopData>>(&node->value)) {
                mShopRows = *rows;
                std::vector<std::vector<std::string>> cells;
                for (const ShopData& r : mShopRows)
                    cells.push_back({r.i_name, std::to_string(r.prices.size())});
                if (auto* shopList = static_cast<CEGUI::MultiColumnList*>(child("ShopList")))
                    ListRows::fill(*shopList, cells);
            }
        } else if (eventId == kCheckoutEventId && node->name == "buyed") {
            if (const auto* bought = boost::any_cast<std::vector<BagData>>(&node->value)) {
                mBought = *bought;
                mCart.clear();
                showCart();
                // The money and the bag changed.
                mDispatcher.callback(kAttrEventId, params().handle(kKind));
                mDispatcher.callback(kBagEventId, params().handle(kKind));
            }
        }
    }
}

} // namespace gui
} // namespace zrk
} // namespace kavri3D
