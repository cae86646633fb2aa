#include "BagPage.h"

#include <CEGUI/CEGUI.h>
#include <algorithm>
#include <exception>
#include <boost/any.hpp>
#include <gui/ParamNode.h>

#include <gui/CeguiText.h>
#include "EventDispatcher.h"
#include "GuiLog.h"
#include "ParamStore.h"

namespace kavri3D {
namespace zrk {
namespace gui {

namespace {
const char kCellPrefix[] = "Cell_";
const char* const kSlotNames[BagPage::kWornSlots] = {"suite", "hairstyle", "coat", "back",  "hand", "shoes",
                                                      "bracelet", "ring", "mouth", "eye", "face", "looks"};
const char kIconName[] = "Icon";
// The page's grid: worn slots in two columns on the left; on the right a row for each weapon
// bag and one for the props, the bag in five columns below them; the prize-box pictures in a
// strip at the bottom.
const int kWornColumns = 2;
const int kBagColumns = 5;
const float kCellsBottom = 0.76f;
const float kActionsTop = 0.78f, kActionsHeight = 0.055f;
const char* const kActions[] = {"Sort", "Mark", "Recycle", "Use", "Renew", "Back"};
const float kRight = 0.3f, kRightWidth = 0.68f;
const float kBeltRow = 0.075f; ///< the height of a weapon or props row
const float kBagTop = 0.02f + 4 * kBeltRow + 0.02f;

/// Where the cell of a slot sits in the page's frame.
CEGUI::URect cellArea(int slot)
{
    float x = 0, y = 0, cw = 0, ch = 0;
    if (slot >= 1 && slot <= BagPage::kWornSlots) {
        const int rows = (BagPage::kWornSlots + kWornColumns - 1) / kWornColumns;
        cw = 0.26f / kWornColumns;
        ch = kCellsBottom / rows;
        x = 0.02f + cw * static_cast<float>((slot - 1) % kWornColumns);
        y = 0.02f + ch * static_cast<float>((slot - 1) / kWornColumns);
    } else if (slot > 20 && slot < BagPage::kFirstPropSlot + BagPage::kPropCells) {
        // Weapon bags on rows 0-2 (a slot's tens), the props on row 3.
        const bool props = slot >= BagPage::kFirstPropSlot;
        const int row = props ? 3 : slot / 10 - 2;
        const int index = props ? slot - BagPage::kFirstPropSlot : slot % 10 - 1;
        cw = kRightWidth / BagPage::kPropCells;
        ch = kBeltRow;
        x = kRight + cw * static_cast<float>(index);
        y = 0.02f + ch * static_cast<float>(row);
    } else {
        const int rows = (BagPage::kBagCells + kBagColumns - 1) / kBagColumns;
        const int index = slot - BagPage::kFirstBagSlot;
        cw = kRightWidth / kBagColumns;
        ch = (kCellsBottom + 0.02f - kBagTop) / rows;
        x = kRight + cw * static_cast<float>(index % kBagColumns);
        y = kBagTop + ch * static_cast<float>(index / kBagColumns);
    }
    return CEGUI::URect(CEGUI::UDim(x, 0), CEGUI::UDim(y, 0), CEGUI::UDim(x + cw - 0.005f, 0), CEGUI::UDim(y + ch - 0.005f, 0));
}

ParamNode windowNode(const std::string& name, CEGUI::Window* window)
{
    ParamNode n;
    n.name = name;
    n.value = window;
    n.size = 4; // a pointer of the 32-bit GUI
    n.type = ParamNode::Record;
    return n;
}
} // namespace

BagPage::BagPage(const std::string& windowName, const std::string& title, ParamStore& params, ParentSource parent,
                 std::vector<std::string> images, int columns, EventDispatcher& dispatcher,
                 const std::vector<std::string>& imagesets, std::function<void()> back)
    : PortraitPage(kKind, windowName, title, params, std::move(parent), std::move(images), columns), mDispatcher(dispatcher),
      mBack(std::move(back)), mImagesets(imagesets)
{
    for (int slot = 1; slot <= kWornSlots; ++slot)
        mCells[slot].slot = slot;
    for (int bag = 0; bag < kWeaponBags; ++bag)
        for (int i = 1; i <= kWeaponCells; ++i)
            mCells[20 + bag * 10 + i].slot = 20 + bag * 10 + i;
    for (int slot = kFirstPropSlot; slot < kFirstPropSlot + kPropCells; ++slot)
        mCells[slot].slot = slot;
    for (int slot = kFirstBagSlot; slot < kFirstBagSlot + kBagCells; ++slot)
        mCells[slot].slot = slot;
}

BagPage::~BagPage() = default;

std::string BagPage::slotName(int slot) { return slot >= 1 && slot <= kWornSlots ? kSlotNames[slot - 1] : ""; }

void BagPage::buildContent(CEGUI::Window& frame)
{
    // Beside the character, not over it.
    frame.setArea(CEGUI::URect(CEGUI::UDim(0.6f, 0), CEGUI::UDim(0.1f, 0), CEGUI::UDim(0.98f, 0), CEGUI::UDim(0.9f, 0)));
    CEGUI::WindowManager& wm = CEGUI::WindowManager::getSingleton();
    // A new frame: the old cells went with the old one. Room for all, so that no connection is
    // copied (a copy that goes disconnects).
    mClickConnections.clear();
    mClickConnections.reserve(mCells.size() + sizeof(kActions) / sizeof(kActions[0]));
    for (auto& cell : mCells) {
        const int slot = cell.first;
        CEGUI::Window* w = wm.createWindow("TaharezLook/Button", toCeguiString(kCellPrefix + std::to_string(slot)));
        w->setArea(cellArea(slot));
        w->setUserData(&cell.second);
        // The icon over the button; clicks go through it to the button.
        CEGUI::Window* icon = wm.createWindow("TaharezLook/StaticImage", kIconName);
        icon->setArea(CEGUI::URect(CEGUI::UDim(0.1f, 0), CEGUI::UDim(0.1f, 0), CEGUI::UDim(0.9f, 0), CEGUI::UDim(0.9f, 0)));
        icon->setProperty("FrameEnabled", "False");
        icon->setProperty("BackgroundEnabled", "False");
        icon->setMousePassThroughEnabled(true);
        icon->setVisible(false);
        w->addChild(icon);
        mClickConnections.emplace_back(
            w->subscribeEvent(CEGUI::PushButton::EventClicked, CEGUI::Event::Subscriber(&BagPage::onCellClicked, this)));
        frame.addChild(w);
    }
    addActions(frame);
    CEGUI::Window* boxes = wm.createWindow("DefaultWindow", "Boxes");
    boxes->setArea(CEGUI::URect(CEGUI::UDim(0, 0), CEGUI::UDim(kActionsTop + kActionsHeight + 0.01f, 0), CEGUI::UDim(1, 0),
                                CEGUI::UDim(1, 0)));
    frame.addChild(boxes);
    PortraitPage::buildContent(*boxes);
    for (const auto& cell : mCells)
        showCell(cell.first);
}

void BagPage::addActions(CEGUI::Window& frame)
{
    const float w = 0.12f;
    float x = 0.02f;
    for (const char* action : kActions) {
        CEGUI::Window* button = addWidget(frame, "TaharezLook/Button", action, action, x, kActionsTop, w, kActionsHeight);
        mClickConnections.emplace_back(
            button->subscribeEvent(CEGUI::PushButton::EventClicked, CEGUI::Event::Subscriber(&BagPage::onActionClicked, this)));
        x += w + 0.01f;
    }
    // What a renaming item takes.
    addWidget(frame, "TaharezLook/Editbox", "FunParam", "", x, kActionsTop, 0.98f - x, kActionsHeight);
}

bool BagPage::onActionClicked(const CEGUI::EventArgs& args)
{
    const auto& e = static_cast<const CEGUI::WindowEventArgs&>(args);
    const std::string name = e.window ? fromCeguiString(e.window->getName()) : std::string();
    if (name == "Sort")
        sort();
    else if (name == "Mark")
        toggleMarking();
    else if (name == "Recycle")
        recycleMarked();
    else if (name == "Use")
        armUse();
    else if (name == "Renew")
        renewSelected();
    else if (name == "Back" && mBack)
        mBack();
    return true;
}

bool BagPage::renewSelected()
{
    auto it = mItems.find(mSelected);
    if (it == mItems.end() || it->second.pci_expiry_day <= 0)
        return false;
    mRenewSlot = mSelected;
    mSelected = 0;
    showCell(mRenewSlot);
    params().clear(kKind);
    params().set(kKind, ParamNode::integer("i_id", it->second.i_id));
    mDispatcher.callback(kPricesEventId, params().handle(kKind));
    return true;
}

void BagPage::sort() { mDispatcher.callback(kSortEventId, params().handle(kKind)); }

void BagPage::toggleMarking()
{
    mMarking = !mMarking;
    mUseArmed = false;
    if (CEGUI::Window* frame = window())
        if (frame->isChild("Mark"))
            frame->getChild("Mark")->setText(mMarking ? "Marking" : "Mark");
}

bool BagPage::recycleMarked()
{
    if (mMarked.empty())
        return false;
    params().set(kKind, ParamNode("slots", mMarked, static_cast<std::int32_t>(mMarked.size()), ParamNode::Record));
    mDispatcher.callback(kRecycleEventId, params().handle(kKind));
    const std::vector<int> marked = std::move(mMarked);
    mMarked.clear();
    for (int slot : marked)
        showCell(slot);
    return true;
}

bool BagPage::useSlot(int slot, const std::string& param)
{
    mUseArmed = false;
    auto it = mItems.find(slot);
    if (it == mItems.end())
        return false;
    const BagData& item = it->second;
    params().set(kKind, ParamNode::integer("slot", slot));
    if (item.isc_id == kBoxClass) {
        mDispatcher.callback(kOpenBoxEventId, params().handle(kKind));
    } else if (item.isc_id == kRankCardClass) {
        params().set(kKind, ParamNode::integer("i_id", item.i_id));
        mDispatcher.callback(kRankCardEventId, params().handle(kKind));
    } else if (item.isc_id == kFunctionClass) {
        params().set(kKind, ParamNode::integer("fun_type", item.i_target));
        params().set(kKind, ParamNode::text("fun_param", param));
        mDispatcher.callback(kFunItemEventId, params().handle(kKind));
    } else {
        guiLog(4, "the item in slot ", slot, " cannot be used");
        return false;
    }
    return true;
}

CEGUI::Window* BagPage::cellWindow(int slot) const
{
    CEGUI::Window* frame = window();
    const CEGUI::String name = toCeguiString(kCellPrefix + std::to_string(slot));
    return frame && frame->isChild(name) ? frame->getChild(name) : nullptr;
}

void BagPage::loadImageset(const std::string& name)
{
    if (name.empty() || std::find(mTriedImagesets.begin(), mTriedImagesets.end(), name) != mTriedImagesets.end())
        return;
    mTriedImagesets.push_back(name);
    // A set loaded already (the scheme's) made a texture of its name.
    CEGUI::System* system = CEGUI::System::getSingletonPtr();
    if (!system || system->getRenderer()->isTextureDefined(toCeguiString(name)))
        return;
    // The GUI's own sets are with the scheme's; the game's beside its other GUI files.
    std::string why;
    for (const char* group : {"", "General"}) {
        try {
            CEGUI::ImageManager::getSingleton().loadImageset(toCeguiString(name + ".imageset"), group);
            return;
        } catch (const std::exception& e) {
            why = e.what(); // not in this group (the renderer's own file look-up throws its own kind)
        }
    }
    guiLog(3, "the image set ", name, " cannot be loaded, the bag shows its items' names: ", why);
}

std::string BagPage::iconImage(int item)
{
    std::string icon;
    if (mIcons) {
        auto it = mIcons->find(item);
        if (it != mIcons->end())
            icon = it->second;
    }
    CEGUI::ImageManager& images = CEGUI::ImageManager::getSingleton();
    std::string placeholder;
    for (const std::string& set : mImagesets) {
        loadImageset(set);
        if (!icon.empty() && images.isDefined(toCeguiString(set + "/" + icon)))
            return set + "/" + icon;
        if (placeholder.empty() && images.isDefined(toCeguiString(set + "/" + kPlaceholder)))
            placeholder = set + "/" + kPlaceholder;
    }
    return placeholder;
}

int BagPage::itemAt(int slot) const
{
    auto it = mItems.find(slot);
    return it == mItems.end() ? 0 : it->second.i_id;
}

void BagPage::showCell(int slot)
{
    CEGUI::Window* w = cellWindow(slot);
    if (!w)
        return;
    const int item = itemAt(slot);
    std::string text = slot <= kWornSlots ? slotName(slot) : std::string();
    std::string image;
    if (item != 0) {
        const BagData& data = mItems[slot];
        image = iconImage(item);
        // The name where no image set can picture the item; the tooltip names it always.
        text = image.empty() ? data.i_name : std::string();
        if (data.pci_bind)
            text += " (b)";
        w->setTooltipText(outsideText(data.i_name + (data.pci_bind ? " (b)" : "")));
    } else {
        w->setTooltipText("");
    }
    if (slot == mSelected)
        text = "> " + text;
    if (std::find(mMarked.begin(), mMarked.end(), slot) != mMarked.end())
        text = "x " + text;
    w->setText(outsideText(text));
    if (w->isChild(kIconName)) {
        CEGUI::Window* icon = w->getChild(kIconName);
        icon->setProperty("Image", toCeguiString(image));
        icon->setVisible(!image.empty());
        // The picked-up item fades until it lands; a marked one until it is recycled or unmarked.
        const bool marked = std::find(mMarked.begin(), mMarked.end(), slot) != mMarked.end();
        icon->setAlpha(slot == mSelected ? 0.5f : marked ? 0.3f : 1.0f);
    }
}

void BagPage::onShown()
{
    mDispatcher.callback(kIconEventId, params().handle(kKind));
    mDispatcher.callback(kBagEventId, params().handle(kKind));
}

void BagPage::onFilled(int eventId, ParamList& list)
{
    for (ParamNode* node : list) {
        if (!node)
            continue;
        if (eventId == kPricesEventId && mRenewSlot && node->name == "prices") {
            const auto* offers = boost::any_cast<ShopData>(&node->value);
            auto item = mItems.find(mRenewSlot);
            mRenewSlot = 0;
            if (!offers || item == mItems.end())
                continue;
            ShopData record = *offers;
            record.chosen = -1;
            for (std::size_t o = 0; o < record.prices.size() && record.chosen < 0; ++o)
                if (record.prices[o].s_expire > 0)
                    record.chosen = static_cast<std::int32_t>(o);
            if (record.chosen < 0) {
                guiLog(4, "item ", record.i_id, " has no timed offer to renew at");
                continue;
            }
            params().clear(kKind);
            params().set(kKind, ParamNode("prices", record, static_cast<std::int32_t>(sizeof(ShopData)), ParamNode::Record));
            params().set(kKind, ParamNode::integer("pci_slot", item->second.pci_slot));
            params().set(kKind, ParamNode::integer("pci_num", item->second.pci_num));
            mDispatcher.callback(kRenewalEventId, params().handle(kKind));
        } else if (eventId == kIconEventId && node->name == "eqcoll") {
            if (auto* icons = boost::any_cast<std::map<int, std::string>*>(&node->value))
                mIcons = *icons;
        } else if (eventId == kBagEventId && node->name == "bagList") {
            const auto* bag = boost::any_cast<std::vector<BagData>>(&node->value);
            if (!bag)
                continue;
            mItems.clear();
            for (const BagData& item : *bag)
                if (item.i_id != 0)
                    mItems[item.pci_slot] = item;
            for (auto& cell : mCells)
                cell.second.bind = itemAt(cell.first) ? mItems[cell.first].pci_bind : 0;
            if (mSelected && !itemAt(mSelected))
                mSelected = 0;
            mMarked.erase(std::remove_if(mMarked.begin(), mMarked.end(), [this](int slot) { return !itemAt(slot); }),
                          mMarked.end());
            dress();
        }
    }
    for (const auto& cell : mCells)
        showCell(cell.first);
}

void BagPage::dress()
{
    mOutfit.clear();
    for (int slot = 1; slot <= kWornSlots; ++slot)
        if (int item = itemAt(slot))
            mOutfit.push_back(BlockData{slotName(slot), item});
    mOutfitList.clear();
    for (BlockData& block : mOutfit)
        mOutfitList.push_back(&block);
    ParamNode n;
    n.name = "equlst";
    n.value = mOutfitList;
    n.size = static_cast<std::int32_t>(mOutfitList.size());
    n.type = ParamNode::Record;
    params().set(kKind, n);
    mDispatcher.callback(kOutfitEventId, params().handle(kKind));
}

bool BagPage::clickSlot(int slot)
{
    if (!mCells.count(slot))
        return false;
    if (mUseArmed) {
        std::string param;
        if (CEGUI::Window* frame = window())
            if (frame->isChild("FunParam"))
                param = fromCeguiString(frame->getChild("FunParam")->getText());
        useSlot(slot, param);
        return true;
    }
    if (mMarking) {
        auto marked = std::find(mMarked.begin(), mMarked.end(), slot);
        if (marked != mMarked.end())
            mMarked.erase(marked);
        else if (slot >= kFirstBagSlot && itemAt(slot))
            mMarked.push_back(slot); // only the bag proper's items are recycled
        showCell(slot);
        return true;
    }
    if (!mSelected) {
        if (itemAt(slot))
            mSelected = slot; // an item is picked up; the next click says where it goes
        showCell(slot);
        return true;
    }
    const int from = mSelected;
    mSelected = 0;
    showCell(from);
    if (from == slot)
        return true; // put back
    CEGUI::Window* src = cellWindow(from);
    CEGUI::Window* dst = cellWindow(slot);
    if (!src || !dst) {
        guiLog(4, "the bag has no window for slot ", from, " or ", slot);
        return false;
    }
    params().set(kKind, windowNode("src", src));
    params().set(kKind, windowNode("dst", dst));
    mDispatcher.callback(kExchangeEventId, params().handle(kKind));
    return true;
}

bool BagPage::onCellClicked(const CEGUI::EventArgs& args)
{
    const auto& e = static_cast<const CEGUI::WindowEventArgs&>(args);
    const auto* cell = e.window ? static_cast<const BagCell*>(e.window->getUserData()) : nullptr;
    if (cell)
        clickSlot(cell->slot);
    return true;
}

} // namespace gui
} // namespace zrk
} // namespace kavri3D
