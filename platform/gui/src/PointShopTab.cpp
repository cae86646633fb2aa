#include "PointShopTab.h"

#include <CEGUI/CEGUI.h>
#include <boost/any.hpp>
#include <json/json.h>
#include <util/JsonText.h>

#include <text/CeguiText.h>
#include "EventDispatcher.h"
#include "GuiLog.h"
#include "ListRows.h"
#include "ParamStore.h"
#include "PlayerPage.h"

namespace kavri3D {
namespace zrk {
namespace gui {

namespace {
// The content file is small; anything larger is not ours.
const std::size_t kContentLimit = 256 * 1024;
} // namespace

const PointShopTab::Shop PointShopTab::kGuild = {"Guild", "guildshop", EventId::GuildShopPay, "medals",
                                                 "Paid in medals at full price; your guild contribution grows."};
const PointShopTab::Shop PointShopTab::kArena = {"Arena", "arenashop", EventId::ArenaShopPay, "arena points",
                                                 "Paid in the arena points you won."};
const char* const PointShopTab::kContentPath = "res/GUI/guildContent.json";

PointShopTab::PointShopTab(PlayerPage& page, const Shop& shop, std::string contentPath)
    : PlayerTab(page), mShop(shop), mContentPath(std::move(contentPath)), mStatus(shop.note)
{
}

PointShopTab::~PointShopTab() = default;

std::vector<int> PointShopTab::offeredIds(const std::string& path, const std::string& key)
{
    std::vector<int> ids;
    Json::Value doc;
    std::string error;
    if (!core::JsonText::readFile(path, doc, error, kContentLimit)) {
        guiLog(Severity::Error, "the ", key, " list cannot be read from ", path, ": ", error);
        return ids;
    }
    const Json::Value& list = doc.isObject() ? doc[key] : Json::Value::nullSingleton();
    if (!list.isArray()) {
        guiLog(Severity::Warning, path, " has no ", key, " list: that shop offers nothing");
        return ids;
    }
    for (const Json::Value& v : list) {
        if (ids.size() == kMostOffers) {
            guiLog(Severity::Warning, "the ", key, " list is longer than ", kMostOffers,
                   " items: the rest are left out");
            break;
        }
        if (v.isInt() && v.asInt() > 0)
            ids.push_back(v.asInt());
        else
            guiLog(Severity::Warning, "the ", key, " list holds ", v.toStyledString(),
                   " where an item id belongs: left out");
    }
    return ids;
}

void PointShopTab::build(CEGUI::Window& pane)
{
    auto* offers = static_cast<CEGUI::MultiColumnList*>(
        addWidget(pane, "TaharezLook/MultiColumnList", "Offers", "", 0.0f, 0.0f, 1.0f, 0.45f));
    ListRows::addColumns(*offers, {{"Item", 0.55f}, {"Price", 0.4f}});
    offers->setSelectionMode(CEGUI::MultiColumnList::RowSingle);
    keep(offers->subscribeEvent(CEGUI::MultiColumnList::EventSelectionChanged, [this](const CEGUI::EventArgs&) {
        auto* list = static_cast<CEGUI::MultiColumnList*>(child("Offers"));
        const int row = list ? ListRows::selectedRow(*list) : -1;
        if (row >= 0 && row != mPicked)
            pick(row);
        return true;
    }));
    addWidget(pane, "TaharezLook/Listbox", "Options", "", 0.0f, 0.47f, 0.6f, 0.2f);
    addWidget(pane, "TaharezLook/StaticText", "CountLabel", "Pieces", 0.62f, 0.47f, 0.16f, 0.08f);
    addWidget(pane, "TaharezLook/Editbox", "Count", "1", 0.8f, 0.47f, 0.18f, 0.08f);
    keep(
        addWidget(pane, "TaharezLook/Button", "Buy", "Buy", 0.62f, 0.58f, 0.36f, 0.09f)
            ->subscribeEvent(CEGUI::PushButton::EventClicked, [this](const CEGUI::EventArgs&) {
                auto* options = static_cast<CEGUI::Listbox*>(child("Options"));
                CEGUI::ListboxItem* chosen = options ? options->getFirstSelectedItem() : nullptr;
                CEGUI::Window* count = child("Count");
                const std::string typed = count ? count->getText().c_str() : "";
                const bool number =
                    !typed.empty() && typed.size() <= 2 && typed.find_first_not_of("0123456789") == std::string::npos;
                if (!buy(chosen ? static_cast<int>(options->getItemIndex(chosen)) : 0, number ? std::stoi(typed) : 0)) {
                    mStatus = "Pick an item and type 1 to " + std::to_string(kMostPieces) + " pieces.";
                    showStatus();
                }
                return true;
            }));
    auto* status = addWidget(pane, "TaharezLook/StaticText", "Status", "", 0.0f, 0.70f, 1.0f, 0.12f);
    status->setProperty("HorzFormatting", "WordWrapLeftAligned");
    showOffers();
    showStatus();
}

void PointShopTab::onSelected()
{
    if (!mRead) {
        mRead = true;
        mIds = offeredIds(mContentPath, mShop.key);
    }
    // An item asked for but never answered (the reply failed) is asked again.
    mAsking = 0;
    askNext();
}

void PointShopTab::askNext()
{
    if (mAsking != 0 || mNextAsked >= mIds.size())
        return;
    mAsking = mIds[mNextAsked];
    params().clear(PlayerPage::kKind);
    params().set(PlayerPage::kKind, ParamNode::integer("i_id", mAsking));
    if (!dispatcher().callback(kPricesEventId, params().handle(PlayerPage::kKind)))
        mAsking = 0; // no price event here: nothing comes
}

std::string PointShopTab::offerText(const ShopData& offer) const
{
    const std::string name = offer.i_name.empty() ? "Item " + std::to_string(offer.i_id) : offer.i_name;
    if (offer.prices.empty())
        return name + "  (not on sale)";
    const ShopPrice& p = offer.prices.front();
    return name + "  " + (p.s_expire > 0 ? std::to_string(p.s_expire) + " days" : "for ever") + ": " +
           std::to_string(p.s_price) + " " + mShop.paidIn;
}

void PointShopTab::showOffers()
{
    std::vector<std::vector<std::string>> rows;
    for (const ShopData& o : mOffers) {
        const std::string price =
            o.prices.empty() ? "not on sale" : std::to_string(o.prices.front().s_price) + " " + mShop.paidIn;
        rows.push_back({o.i_name.empty() ? "Item " + std::to_string(o.i_id) : o.i_name, price});
    }
    if (auto* list = static_cast<CEGUI::MultiColumnList*>(child("Offers"))) {
        ListRows::fill(*list, rows);
        if (mPicked >= 0 && static_cast<std::size_t>(mPicked) < list->getRowCount())
            list->setItemSelectState(CEGUI::MCLGridRef(static_cast<unsigned>(mPicked), 0), true);
    }
    std::vector<std::string> options;
    if (mPicked >= 0 && static_cast<std::size_t>(mPicked) < mOffers.size())
        for (const ShopPrice& p : mOffers[static_cast<std::size_t>(mPicked)].prices)
            options.push_back((p.s_expire > 0 ? std::to_string(p.s_expire) + " days" : std::string("for ever")) + ": " +
                              std::to_string(p.s_price) + " " + mShop.paidIn);
    if (auto* box = static_cast<CEGUI::Listbox*>(child("Options"))) {
        ListRows::setLines(*box, options);
        if (box->getItemCount() > 0)
            box->setItemSelectState(static_cast<std::size_t>(0), true);
    }
}

void PointShopTab::showStatus()
{
    if (CEGUI::Window* status = child("Status"))
        status->setText(outsideText(mStatus));
}

std::string PointShopTab::boughtText(const std::vector<BagData>& bought)
{
    std::string text;
    for (const BagData& b : bought)
        text += (text.empty() ? "" : ", ") + (b.i_name.empty() ? "item " + std::to_string(b.i_id) : b.i_name) + " x" +
                std::to_string(b.pci_num);
    return text.empty() ? "nothing" : text;
}

bool PointShopTab::pick(int row)
{
    if (row < 0 || static_cast<std::size_t>(row) >= mOffers.size())
        return false;
    mPicked = row;
    showOffers();
    return true;
}

bool PointShopTab::buy(int option, int count)
{
    if (mPicked < 0 || static_cast<std::size_t>(mPicked) >= mOffers.size() || count < 1 || count > kMostPieces)
        return false;
    ShopData line = mOffers[static_cast<std::size_t>(mPicked)];
    if (option < 0 || static_cast<std::size_t>(option) >= line.prices.size())
        return false;
    line.chosen = option;
    line.item.pci_num = count;
    params().clear(PlayerPage::kKind);
    params().set(PlayerPage::kKind,
                 ParamNode(mShop.key, line, static_cast<std::int32_t>(sizeof(ShopData)), ParamNode::Record));
    return dispatcher().callback(mShop.payEventId, params().handle(PlayerPage::kKind));
}

void PointShopTab::onFilled(int eventId, ParamList& list)
{
    for (const ParamNode* node : list) {
        if (!node)
            continue;
        if (eventId == kPricesEventId && node->name == "prices" && mAsking != 0) {
            const auto* record = boost::any_cast<ShopData>(&node->value);
            // The page's own card asks the same event: only our item's record is ours.
            if (!record || record->i_id != mAsking)
                continue;
            mOffers.push_back(*record);
            mAsking = 0;
            ++mNextAsked;
            showOffers();
            askNext();
        } else if (eventId == mShop.payEventId && node->name == "buyed") {
            if (const auto* bought = boost::any_cast<std::vector<BagData>>(&node->value)) {
                mStatus = "Bought: " + boughtText(*bought) + ". " + mShop.note;
                showStatus();
                // The points and the bag changed.
                dispatcher().callback(kAttrEventId, params().handle(PlayerPage::kKind));
                dispatcher().callback(kBagEventId, params().handle(PlayerPage::kKind));
            }
        }
    }
}

} // namespace gui
} // namespace zrk
} // namespace kavri3D
