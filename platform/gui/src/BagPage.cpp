#include "BagPage.h"

#include <CEGUI/CEGUI.h>
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
// The page's grid: worn slots in two columns on the left, the bag in five columns on the right,
// the prize-box pictures in a strip below.
const int kWornColumns = 2;
const int kBagColumns = 5;
const float kCellsBottom = 0.8f;

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
                 std::vector<std::string> images, int columns, EventDispatcher& dispatcher)
    : PortraitPage(kKind, windowName, title, params, std::move(parent), std::move(images), columns), mDispatcher(dispatcher)
{
    for (int slot = 1; slot <= kWornSlots; ++slot)
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
    mClickConnections.reserve(mCells.size());
    const int wornRows = (kWornSlots + kWornColumns - 1) / kWornColumns;
    const int bagRows = (kBagCells + kBagColumns - 1) / kBagColumns;
    for (auto& cell : mCells) {
        const int slot = cell.first;
        const bool worn = slot <= kWornSlots;
        const int index = worn ? slot - 1 : slot - kFirstBagSlot;
        const int columns = worn ? kWornColumns : kBagColumns;
        const float left = worn ? 0.02f : 0.3f, width = worn ? 0.26f : 0.68f;
        const float cw = width / columns, ch = kCellsBottom / (worn ? wornRows : bagRows);
        const float x = left + cw * static_cast<float>(index % columns);
        const float y = 0.02f + ch * static_cast<float>(index / columns);
        CEGUI::Window* w = wm.createWindow("TaharezLook/Button", toCeguiString(kCellPrefix + std::to_string(slot)));
        w->setArea(CEGUI::URect(CEGUI::UDim(x, 0), CEGUI::UDim(y, 0), CEGUI::UDim(x + cw - 0.005f, 0),
                                CEGUI::UDim(y + ch - 0.005f, 0)));
        w->setUserData(&cell.second);
        mClickConnections.emplace_back(
            w->subscribeEvent(CEGUI::PushButton::EventClicked, CEGUI::Event::Subscriber(&BagPage::onCellClicked, this)));
        frame.addChild(w);
    }
    CEGUI::Window* boxes = wm.createWindow("DefaultWindow", "Boxes");
    boxes->setArea(CEGUI::URect(CEGUI::UDim(0, 0), CEGUI::UDim(kCellsBottom + 0.04f, 0), CEGUI::UDim(1, 0), CEGUI::UDim(1, 0)));
    frame.addChild(boxes);
    PortraitPage::buildContent(*boxes);
    for (const auto& cell : mCells)
        showCell(cell.first);
}

CEGUI::Window* BagPage::cellWindow(int slot) const
{
    CEGUI::Window* frame = window();
    const CEGUI::String name = toCeguiString(kCellPrefix + std::to_string(slot));
    return frame && frame->isChild(name) ? frame->getChild(name) : nullptr;
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
    if (item != 0) {
        const BagData& data = mItems[slot];
        // The icon's name stands in for its picture while the icon image sets are not there.
        auto icon = mIcons ? mIcons->find(item) : std::map<int, std::string>::const_iterator();
        text = mIcons && icon != mIcons->end() ? icon->second : data.i_name;
        if (data.pci_bind)
            text += " (b)";
    }
    if (slot == mSelected)
        text = "> " + text;
    w->setText(outsideText(text));
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
        if (eventId == kIconEventId && node->name == "eqcoll") {
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
