#include "GiftTab.h"

#include <CEGUI/CEGUI.h>
#include <boost/any.hpp>
#include <climits>
#include <gui/BagData.h>
#include <gui/RoleAttr.h>

#include <text/CeguiText.h>
#include "EventDispatcher.h"
#include "GuiLog.h"
#include "ListRows.h"
#include "ParamStore.h"
#include "PlayerPage.h"
#include "PointShopTab.h"

namespace kavri3D {
namespace zrk {
namespace gui {

namespace {
std::string itemName(const ShopData& line)
{
    return line.i_name.empty() ? "Item " + std::to_string(line.i_id) : line.i_name;
}

const ShopPrice& chosenPrice(const ShopData& line) { return line.prices[static_cast<std::size_t>(line.chosen)]; }

std::string lasting(const ShopPrice& p) { return p.s_expire > 0 ? std::to_string(p.s_expire) + " days" : "for ever"; }

/// Characters (not bytes) of UTF-8 text.
std::size_t characters(const std::string& utf8)
{
    std::size_t n = 0;
    for (unsigned char c : utf8)
        n += (c & 0xC0) != 0x80;
    return n;
}
} // namespace

GiftTab::GiftTab(PlayerPage& page) : PlayerTab(page), mStatus("Pick medal offers, a receiver and send them as a gift.")
{
}

GiftTab::~GiftTab() = default;

std::vector<ShopData> GiftTab::medalOffers(const std::vector<ShopData>& entries)
{
    std::vector<ShopData> out;
    for (const ShopData& entry : entries)
        for (std::size_t i = 0; i < entry.prices.size(); ++i)
            if (entry.prices[i].s_buy_type == kMedals && entry.prices[i].s_price > 0) {
                out.push_back(entry);
                out.back().chosen = static_cast<std::int32_t>(i);
                out.back().item.pci_num = 1;
            }
    return out;
}

void GiftTab::build(CEGUI::Window& pane)
{
    auto* receivers =
        static_cast<CEGUI::Listbox*>(addWidget(pane, "TaharezLook/Listbox", "Receivers", "", 0.0f, 0.0f, 0.45f, 0.3f));
    keep(receivers->subscribeEvent(CEGUI::Listbox::EventSelectionChanged, [this](const CEGUI::EventArgs&) {
        auto* list = static_cast<CEGUI::Listbox*>(child("Receivers"));
        CEGUI::ListboxItem* picked = list ? list->getFirstSelectedItem() : nullptr;
        if (picked)
            pickReceiver(static_cast<int>(list->getItemIndex(picked)));
        return true;
    }));
    addWidget(pane, "TaharezLook/StaticText", "ReceiverLabel", "To (id)", 0.47f, 0.0f, 0.17f, 0.07f);
    static_cast<CEGUI::Editbox*>(addWidget(pane, "TaharezLook/Editbox", "ReceiverId", "", 0.65f, 0.0f, 0.33f, 0.07f))
        ->setMaxTextLength(10);
    addWidget(pane, "TaharezLook/StaticText", "MessageLabel", "Message", 0.47f, 0.09f, 0.17f, 0.07f);
    static_cast<CEGUI::Editbox*>(addWidget(pane, "TaharezLook/Editbox", "Message", "", 0.65f, 0.09f, 0.33f, 0.07f))
        ->setMaxTextLength(kMessageLength);
    auto* offers = static_cast<CEGUI::MultiColumnList*>(
        addWidget(pane, "TaharezLook/MultiColumnList", "Offers", "", 0.0f, 0.32f, 0.6f, 0.3f));
    ListRows::addColumns(*offers, {{"Item", 0.45f}, {"Lasts", 0.25f}, {"Medals", 0.25f}});
    offers->setSelectionMode(CEGUI::MultiColumnList::RowSingle);
    addWidget(pane, "TaharezLook/StaticText", "CountLabel", "Pieces", 0.62f, 0.32f, 0.16f, 0.08f);
    addWidget(pane, "TaharezLook/Editbox", "Count", "1", 0.8f, 0.32f, 0.18f, 0.08f);
    keep(addWidget(pane, "TaharezLook/Button", "Add", "Add to gift", 0.62f, 0.42f, 0.36f, 0.08f)
             ->subscribeEvent(CEGUI::PushButton::EventClicked, [this](const CEGUI::EventArgs&) {
                 auto* list = static_cast<CEGUI::MultiColumnList*>(child("Offers"));
                 const long long count = typed("Count", 2);
                 if (!add(list ? ListRows::selectedRow(*list) : -1, count > 0 ? static_cast<int>(count) : 0)) {
                     mStatus = "Pick a medal offer and type 1 to " + std::to_string(kMostPieces) + " pieces (at most " +
                               std::to_string(kMostLines) + " lines).";
                     showStatus();
                 }
                 return true;
             }));
    keep(addWidget(pane, "TaharezLook/Button", "TakeOut", "Take out", 0.62f, 0.52f, 0.17f, 0.08f)
             ->subscribeEvent(CEGUI::PushButton::EventClicked, [this](const CEGUI::EventArgs&) {
                 auto* list = static_cast<CEGUI::Listbox*>(child("Cart"));
                 remove(list ? ListRows::selectedLine(*list) : -1);
                 return true;
             }));
    keep(addWidget(pane, "TaharezLook/Button", "ClearCart", "Empty cart", 0.81f, 0.52f, 0.17f, 0.08f)
             ->subscribeEvent(CEGUI::PushButton::EventClicked, [this](const CEGUI::EventArgs&) {
                 clearCart();
                 return true;
             }));
    auto* cart =
        static_cast<CEGUI::Listbox*>(addWidget(pane, "TaharezLook/Listbox", "Cart", "", 0.0f, 0.64f, 0.6f, 0.17f));
    for (CEGUI::Event::Connection c : ListRows::removableLines(*cart, [this](int line) { remove(line); }))
        keep(c);
    keep(cart->subscribeEvent(CEGUI::Listbox::EventSelectionChanged, [this](const CEGUI::EventArgs&) {
        showCartButtons();
        return true;
    }));
    addWidget(pane, "TaharezLook/StaticText", "Total", "", 0.62f, 0.64f, 0.36f, 0.07f);
    keep(addWidget(pane, "TaharezLook/Button", "Send", "Send gift", 0.62f, 0.73f, 0.36f, 0.08f)
             ->subscribeEvent(CEGUI::PushButton::EventClicked, [this](const CEGUI::EventArgs&) {
                 CEGUI::Window* message = child("Message");
                 send(typed("ReceiverId", 10), message ? fromCeguiString(message->getText()) : std::string());
                 return true;
             }));
    auto* status = addWidget(pane, "TaharezLook/StaticText", "Status", "", 0.0f, 0.83f, 1.0f, 0.12f);
    status->setProperty("HorzFormatting", "WordWrapLeftAligned");
    showReceivers();
    showOffers();
    showCart();
    showStatus();
}

void GiftTab::onSelected()
{
    // The players of the hall as the game last listed them (bots among them).
    if (dispatcher().find(kOnlineEventId))
        if (ParamList* online = dispatcher().fillParams(kOnlineEventId))
            readOnline(*online);
    // The page asks for the shop list when it comes up; without it there is nothing to give.
    if (mOffers.empty() && !mAskedShop && dispatcher().find(kShopListEventId)) {
        mAskedShop = true;
        dispatcher().callback(kShopListEventId, params().handle(PlayerPage::kKind));
    }
}

void GiftTab::readOnline(ParamList& list)
{
    const std::vector<RoleAttr>* roles = nullptr;
    for (const ParamNode* n : list)
        if (n && n->name == "roles")
            roles = boost::any_cast<std::vector<RoleAttr>>(&n->value);
    if (!roles)
        return;
    const std::int32_t own = ownId();
    std::vector<Receiver> seen;
    for (const RoleAttr& r : *roles) {
        if (r.pc_id <= 0 || r.pc_id == own)
            continue;
        const std::string name = r.pc_nickname.empty() ? r.member_name : r.pc_nickname;
        seen.push_back({r.pc_id, name + " (Lv " + std::to_string(r.pc_lv) + ")"});
    }
    // Out of the hall the game's list holds the player alone: the players last seen stay.
    if (!seen.empty())
        mReceivers = std::move(seen);
    dropOwn();
}

std::int32_t GiftTab::ownId()
{
    // The hall lists its players before the player page has asked for the player's own record.
    if (mOwnId == 0 && dispatcher().find(kAttrEventId))
        if (ParamList* attributes = dispatcher().fillParams(kAttrEventId))
            for (const ParamNode* n : *attributes)
                if (const auto* role = n && n->name == "currentRole" ? boost::any_cast<RoleAttr>(&n->value) : nullptr)
                    mOwnId = role->pc_id;
    return mOwnId;
}

void GiftTab::dropOwn()
{
    for (auto it = mReceivers.begin(); it != mReceivers.end();)
        it = it->pc_id == mOwnId ? mReceivers.erase(it) : it + 1;
    showReceivers();
}

void GiftTab::onFilled(int eventId, ParamList& list)
{
    if (eventId == kOnlineEventId || eventId == kArenaOnlineEventId) {
        readOnline(list);
        return;
    }
    for (const ParamNode* node : list) {
        if (!node)
            continue;
        if (eventId == kAttrEventId && node->name == "currentRole") {
            if (const auto* role = boost::any_cast<RoleAttr>(&node->value)) {
                mOwnId = role->pc_id;
                dropOwn();
            }
        } else if (eventId == kShopListEventId && node->name == "shoplist") {
            if (const auto* entries = boost::any_cast<std::vector<ShopData>>(&node->value)) {
                mOffers = medalOffers(*entries);
                showOffers();
            }
        } else if (eventId == kGiftEventId && node->name == "buyed") {
            if (const auto* bought = boost::any_cast<std::vector<BagData>>(&node->value)) {
                mStatus = "Sent to " + mSentTo + ": " + PointShopTab::boughtText(*bought) + ".";
                mCart.clear();
                showCart();
                showStatus();
                dispatcher().callback(kAttrEventId, params().handle(PlayerPage::kKind)); // the medals changed
            }
        }
    }
}

bool GiftTab::pickReceiver(int row)
{
    if (row < 0 || static_cast<std::size_t>(row) >= mReceivers.size())
        return false;
    if (CEGUI::Window* id = child("ReceiverId"))
        id->setText(std::to_string(mReceivers[static_cast<std::size_t>(row)].pc_id));
    return true;
}

bool GiftTab::add(int row, int count)
{
    if (row < 0 || static_cast<std::size_t>(row) >= mOffers.size() || count < 1 || count > kMostPieces ||
        mCart.size() >= kMostLines)
        return false;
    mCart.push_back(mOffers[static_cast<std::size_t>(row)]);
    mCart.back().item.pci_num = count;
    showCart();
    return true;
}

bool GiftTab::remove(int line)
{
    if (line < 0 || static_cast<std::size_t>(line) >= mCart.size())
        return false;
    mCart.erase(mCart.begin() + line);
    showCart();
    return true;
}

void GiftTab::clearCart()
{
    mCart.clear();
    showCart();
}

std::int64_t GiftTab::total() const
{
    std::int64_t sum = 0;
    for (const ShopData& line : mCart)
        sum += static_cast<std::int64_t>(chosenPrice(line).s_price) * line.item.pci_num;
    return sum;
}

bool GiftTab::send(std::int64_t receiver, const std::string& message)
{
    const std::int64_t money = total();
    std::string refusal;
    if (mCart.empty())
        refusal = "The gift cart is empty.";
    else if (receiver <= 0 || receiver > INT_MAX)
        refusal = "Pick a receiver from the list or type his character id.";
    else if (characters(message) > kMessageLength)
        refusal = "The message may hold at most " + std::to_string(kMessageLength) + " characters.";
    else if (money > INT_MAX)
        refusal = "The gift costs too many medals.";
    if (!refusal.empty()) {
        mStatus = refusal;
        showStatus();
        return false;
    }
    mSentTo = "character " + std::to_string(receiver);
    for (const Receiver& r : mReceivers)
        if (r.pc_id == receiver)
            mSentTo = r.shown;
    params().clear(PlayerPage::kKind);
    params().set(PlayerPage::kKind,
                 ParamNode("carlist", mCart, static_cast<std::int32_t>(mCart.size()), ParamNode::Record));
    params().set(PlayerPage::kKind, ParamNode::integer("rpc_id", static_cast<int>(receiver)));
    params().set(PlayerPage::kKind, ParamNode::text("msg", message));
    params().set(PlayerPage::kKind, ParamNode::integer("money", static_cast<int>(money)));
    if (!dispatcher().callback(kGiftEventId, params().handle(PlayerPage::kKind))) {
        mStatus = "Gifts cannot be sent from here.";
        showStatus();
        return false;
    }
    return true;
}

long long GiftTab::typed(const std::string& box, std::size_t digits) const
{
    CEGUI::Window* w = child(box);
    const std::string text = w ? fromCeguiString(w->getText()) : std::string();
    if (text.empty() || text.size() > digits || text.find_first_not_of("0123456789") != std::string::npos)
        return -1;
    return std::stoll(text);
}

void GiftTab::showReceivers()
{
    std::vector<std::string> lines;
    for (const Receiver& r : mReceivers)
        lines.push_back(r.shown);
    if (auto* list = static_cast<CEGUI::Listbox*>(child("Receivers")))
        ListRows::setLines(*list, lines);
}

void GiftTab::showOffers()
{
    std::vector<std::vector<std::string>> rows;
    for (const ShopData& o : mOffers)
        rows.push_back({itemName(o), lasting(chosenPrice(o)), std::to_string(chosenPrice(o).s_price)});
    if (auto* list = static_cast<CEGUI::MultiColumnList*>(child("Offers")))
        ListRows::fill(*list, rows);
}

void GiftTab::showCart()
{
    std::vector<std::string> lines;
    for (const ShopData& line : mCart)
        lines.push_back(itemName(line) + " x" + std::to_string(line.item.pci_num) + "  " + lasting(chosenPrice(line)) +
                        ": " + std::to_string(chosenPrice(line).s_price) + " medals");
    if (auto* cart = static_cast<CEGUI::Listbox*>(child("Cart")))
        ListRows::setLines(*cart, lines);
    if (CEGUI::Window* t = child("Total"))
        t->setText(outsideText("Total: " + std::to_string(total()) + " medals"));
    showCartButtons();
}

void GiftTab::showCartButtons()
{
    ListRows::enableCartButtons(static_cast<CEGUI::Listbox*>(child("Cart")), child("TakeOut"), child("ClearCart"));
}

void GiftTab::showStatus()
{
    if (CEGUI::Window* status = child("Status"))
        status->setText(outsideText(mStatus));
}

} // namespace gui
} // namespace zrk
} // namespace kavri3D
