#include "BagPage.h"

#include <CEGUI/CEGUI.h>
#include <algorithm>
#include <exception>
#include <boost/any.hpp>
#include <gui/ParamNode.h>

#include <text/CeguiText.h>
#include "EventDispatcher.h"
#include "GuiImageset.h"
#include "GuiLog.h"
#include "SmallFont.h"
#include "ListRows.h"
#include "ParamStore.h"

namespace kavri3D {
namespace zrk {
namespace gui {

namespace {
const char kCellPrefix[] = "Cell_";
const char* const kSlotNames[BagPage::kWornSlots] = {"suite",    "hairstyle", "coat",  "back", "hand", "shoes",
                                                     "bracelet", "ring",      "mouth", "eye",  "face", "looks"};
const char kIconName[] = "Icon";
// The page's grid: the player's figure on the left, beside it the worn slots in two columns wide
// enough for their names; on the right a row for each weapon bag and one for the props, the bag
// in five columns below them; the prize-box pictures in a strip at the bottom.
const char kFigure[] = "myself";
const float kFigureLeft = 0.01f, kFigureWidth = 0.16f;
const float kWornLeft = 0.18f, kWornWidth = 0.22f;
const int kWornColumns = 2;
const int kBagColumns = 5;
const float kCellsBottom = 0.66f;
// Two rows of actions, wide enough for their words; the status line (two lines of words) and
// its Yes / No beside it.
const float kActionsTop = 0.675f, kActionsHeight = 0.05f;
const char* const kActions[] = {"Sort", "Mark", "Recycle", "Use", "Renew", "Back"};
const int kActionsPerRow = 3;
const float kNameLabelWidth = 0.11f;
const float kStatusTop = kActionsTop + 2 * (kActionsHeight + 0.005f), kStatusHeight = 0.085f;
const char* const kBuyTypes[] = {"", "coins", "coupons", "medals"};
const float kRight = 0.41f, kRightWidth = 0.58f;
const float kBeltRow = 0.075f; ///< the height of a weapon or props row
const float kBagTop = 0.02f + 4 * kBeltRow + 0.02f;

/// Where the cell of a slot sits in the page's frame.
CEGUI::URect cellArea(int slot)
{
    float x = 0, y = 0, cw = 0, ch = 0;
    if (slot >= 1 && slot <= BagPage::kWornSlots) {
        const int rows = (BagPage::kWornSlots + kWornColumns - 1) / kWornColumns;
        cw = kWornWidth / kWornColumns;
        ch = kCellsBottom / rows;
        x = kWornLeft + cw * static_cast<float>((slot - 1) % kWornColumns);
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
        // The bag proper and the temporary bag turn their pages in the one grid.
        const int rows = (BagPage::kPageCells + kBagColumns - 1) / kBagColumns;
        const int first = slot >= BagPage::kFirstTemporarySlot ? BagPage::kFirstTemporarySlot : BagPage::kFirstBagSlot;
        const int index = (slot - first) % BagPage::kPageCells;
        cw = kRightWidth / kBagColumns;
        ch = (kCellsBottom + 0.02f - kBagTop) / rows;
        x = kRight + cw * static_cast<float>(index % kBagColumns);
        y = kBagTop + ch * static_cast<float>(index / kBagColumns);
    }
    return CEGUI::URect(CEGUI::UDim(x, 0), CEGUI::UDim(y, 0), CEGUI::UDim(x + cw - 0.005f, 0),
                        CEGUI::UDim(y + ch - 0.005f, 0));
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
    : PortraitPage(kKind, windowName, title, params, std::move(parent), std::move(images), columns),
      mDispatcher(dispatcher), mBack(std::move(back)), mImagesets(imagesets)
{
    for (int slot = 1; slot <= kWornSlots; ++slot)
        mCells[slot].slot = slot;
    for (int bag = 0; bag < kWeaponBags; ++bag)
        for (int i = 1; i <= kWeaponCells; ++i)
            mCells[20 + bag * 10 + i].slot = 20 + bag * 10 + i;
    for (int slot = kFirstPropSlot; slot < kFirstPropSlot + kPropCells; ++slot)
        mCells[slot].slot = slot;
    for (int slot = kFirstBagSlot; slot < kFirstBagSlot + kMainSlots; ++slot)
        mCells[slot].slot = slot;
    for (int slot = kFirstTemporarySlot; slot < kFirstTemporarySlot + kTemporarySlots; ++slot)
        mCells[slot].slot = slot;
}

BagPage::~BagPage() = default;

std::string BagPage::caption(const std::string& image) const
{
    // The pictures are named "box1" ... "box8".
    if (image.size() > 3 && image.compare(0, 3, "box") == 0)
        return "Box " + image.substr(3);
    return image;
}

bool BagPage::inGrid(const std::string& image) const { return image != kFigure; }

std::string BagPage::slotName(int slot) { return slot >= 1 && slot <= kWornSlots ? kSlotNames[slot - 1] : ""; }

void BagPage::buildContent(CEGUI::Window& frame)
{
    frame.setArea(
        CEGUI::URect(CEGUI::UDim(0.16f, 0), CEGUI::UDim(0.03f, 0), CEGUI::UDim(0.99f, 0), CEGUI::UDim(0.97f, 0)));
    CEGUI::WindowManager& wm = CEGUI::WindowManager::getSingleton();
    // A new frame: the old cells went with the old one.
    mClickConnections.clear();
    // The weapon and props cells are small: a name there (an item without a picture) is written
    // smaller, to be read whole.
    const CEGUI::String belt = SmallFont::name("the bag's belt");
    for (auto& cell : mCells) {
        const int slot = cell.first;
        CEGUI::Window* w = wm.createWindow("TaharezLook/Button", toCeguiString(kCellPrefix + std::to_string(slot)));
        w->setArea(cellArea(slot));
        if (slot > kWornSlots && slot < kFirstBagSlot && !belt.empty())
            w->setFont(belt);
        w->setUserData(&cell.second);
        // The icon over the button; clicks go through it to the button.
        CEGUI::Window* icon = wm.createWindow("TaharezLook/StaticImage", kIconName);
        // As large as the cell allows at the picture's own proportions, in its middle.
        icon->setSize(CEGUI::USize(CEGUI::UDim(0.8f, 0), CEGUI::UDim(0.8f, 0)));
        icon->setHorizontalAlignment(CEGUI::HA_CENTRE);
        icon->setVerticalAlignment(CEGUI::VA_CENTRE);
        icon->setAspectMode(CEGUI::AM_SHRINK);
        icon->setAspectRatio(1.0f);
        icon->setProperty("FrameEnabled", "False");
        icon->setProperty("BackgroundEnabled", "False");
        icon->setMousePassThroughEnabled(true);
        icon->setVisible(false);
        w->addChild(icon);
        // The name under the icon, in as many lines as it takes; the whole record in the tooltip.
        w->setTextParsingEnabled(false);
        w->setProperty("VertLabelFormatting", "BottomAligned");
        w->setProperty("HorzLabelFormatting", "WordWrapCentreAligned");
        w->setTooltipType("TaharezLook/Tooltip");
        mClickConnections.emplace_back(w->subscribeEvent(CEGUI::PushButton::EventClicked,
                                                         CEGUI::Event::Subscriber(&BagPage::onCellClicked, this)));
        frame.addChild(w);
    }
    addActions(frame);
    // The player's own figure, as the game draws it live, beside what he wears; no frame of
    // its own, so that nothing shows where the game draws no figure.
    addPicture(frame, kFigure,
               CEGUI::URect(CEGUI::UDim(kFigureLeft, 0), CEGUI::UDim(0.02f, 0),
                            CEGUI::UDim(kFigureLeft + kFigureWidth, 0), CEGUI::UDim(kCellsBottom, 0)),
               nullptr)
        ->setProperty("FrameEnabled", "false");
    CEGUI::Window* boxes = wm.createWindow("DefaultWindow", "Boxes");
    boxes->setArea(CEGUI::URect(CEGUI::UDim(0, 0), CEGUI::UDim(kStatusTop + kStatusHeight + 0.005f, 0),
                                CEGUI::UDim(1, 0), CEGUI::UDim(1, 0)));
    frame.addChild(boxes);
    PortraitPage::buildContent(*boxes);
    for (const auto& cell : mCells)
        showCell(cell.first);
    layOutPage();
}

void BagPage::addActions(CEGUI::Window& frame)
{
    const float w = 0.17f;
    int i = 0;
    for (const char* action : kActions) {
        const float x = 0.02f + (w + 0.01f) * static_cast<float>(i % kActionsPerRow);
        const float y = kActionsTop + (kActionsHeight + 0.005f) * static_cast<float>(i / kActionsPerRow);
        CEGUI::Window* button = addWidget(frame, "TaharezLook/Button", action, action, x, y, w, kActionsHeight);
        mClickConnections.emplace_back(button->subscribeEvent(
            CEGUI::PushButton::EventClicked, CEGUI::Event::Subscriber(&BagPage::onActionClicked, this)));
        ++i;
    }
    // What a renaming item takes, under its label.
    const float x = 0.02f + (w + 0.01f) * kActionsPerRow;
    addWidget(frame, "TaharezLook/StaticText", "FunParamLabel", "New name", x, kActionsTop, kNameLabelWidth,
              kActionsHeight)
        ->setProperty("FrameEnabled", "False");
    addWidget(frame, "TaharezLook/Editbox", "FunParam", "", x + kNameLabelWidth, kActionsTop,
              0.98f - x - kNameLabelWidth, kActionsHeight);
    // The grid's pages, on the second row under the bag.
    const float pageY = kActionsTop + kActionsHeight + 0.005f;
    for (const char* turn : {"PrevPage", "NextPage"}) {
        const bool next = turn[0] == 'N';
        CEGUI::Window* button = addWidget(frame, "TaharezLook/Button", turn, next ? ">" : "<", next ? 0.92f : x, pageY,
                                          0.06f, kActionsHeight);
        mClickConnections.emplace_back(
            button->subscribeEvent(CEGUI::PushButton::EventClicked, [this, next](const CEGUI::EventArgs&) {
                showPage(mPage + (next ? 1 : -1));
                return true;
            }));
    }
    addWidget(frame, "TaharezLook/StaticText", "PageLabel", pageText(), x + 0.07f, pageY, 0.92f - x - 0.08f,
              kActionsHeight)
        ->setProperty("HorzFormatting", "CentreAligned");
    CEGUI::Window* status =
        addWidget(frame, "TaharezLook/StaticText", "Status", mStatus, 0.02f, kStatusTop, 0.7f, kStatusHeight);
    status->setProperty("HorzFormatting", "WordWrapLeftAligned");
    status->setTextParsingEnabled(false); // item names and the server's texts, as written
    for (const char* choice : {"Yes", "No"}) {
        const bool yes = choice[0] == 'Y';
        CEGUI::Window* button = addWidget(frame, "TaharezLook/Button", choice, choice, yes ? 0.73f : 0.86f, kStatusTop,
                                          0.12f, kStatusHeight);
        button->setVisible(mAsking);
        mClickConnections.emplace_back(
            button->subscribeEvent(CEGUI::PushButton::EventClicked, [this, yes](const CEGUI::EventArgs&) {
                answer(yes);
                return true;
            }));
    }
    // The offers a renewal may take, under the question while it is asked (over the boxes).
    auto* offers = static_cast<CEGUI::Listbox*>(addWidget(frame, "TaharezLook/Listbox", "RenewOffers", "", 0.02f,
                                                          kStatusTop + kStatusHeight + 0.005f, 0.7f, 0.11f));
    offers->setAlwaysOnTop(true);
    offers->setVisible(mAsking);
    mClickConnections.emplace_back(
        offers->subscribeEvent(CEGUI::Listbox::EventSelectionChanged, [this, offers](const CEGUI::EventArgs&) {
            const int line = ListRows::selectedLine(*offers);
            if (mAsking && line >= 0 && static_cast<std::size_t>(line) < mRenewChoices.size() &&
                mRenewOffer.chosen != mRenewChoices[static_cast<std::size_t>(line)])
                pickRenewal(line);
            return true;
        }));
    // Enter says yes to the question on the status line, Escape no; keys the page's widgets
    // leave unused come up to the frame.
    mClickConnections.emplace_back(
        frame.subscribeEvent(CEGUI::Window::EventKeyDown, [this](const CEGUI::EventArgs& args) {
            const auto key = static_cast<const CEGUI::KeyEventArgs&>(args).scancode;
            const bool enter = key == CEGUI::Key::Return || key == CEGUI::Key::NumpadEnter;
            if (!mAsking || (!enter && key != CEGUI::Key::Escape))
                return false;
            answer(enter);
            return true;
        }));
}

void BagPage::setStatus(const std::string& text, bool asking)
{
    mStatus = text;
    mAsking = asking;
    CEGUI::Window* frame = window();
    if (!frame)
        return;
    if (frame->isChild("Status"))
        frame->getChild("Status")->setText(toCeguiString(text));
    for (const char* choice : {"Yes", "No", "RenewOffers"})
        if (frame->isChild(choice))
            frame->getChild(choice)->setVisible(asking);
}

std::string BagPage::itemText(const BagData& item)
{
    std::string text = item.i_name.empty() ? "item " + std::to_string(item.i_id) : item.i_name;
    if (item.pci_lv > 0)
        text += " +" + std::to_string(item.pci_lv);
    if (item.pci_num > 1)
        text += " x" + std::to_string(item.pci_num);
    return text;
}

void BagPage::leave()
{
    if (mAsking)
        setStatus(std::string());
    tellRoom(false);
    if (mBack)
        mBack();
}

void BagPage::tellRoom(bool busy)
{
    params().clear(kKind);
    params().set(kKind, ParamNode::boolean("busy", busy));
    auto it = mItems.find(mSelected);
    if (busy && it != mItems.end()) {
        mShown = it->second;
        params().set(kKind, ParamNode("demo", &mShown, static_cast<std::int32_t>(sizeof(BagData)), ParamNode::Record));
    }
    mDispatcher.callback(kBusyEventId, params().handle(kKind));
    params().clear(kKind);
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
    else if (name == "Use") {
        armUse();
        setStatus("Click the box, card or item to use.");
    } else if (name == "Renew")
        renewSelected();
    else if (name == "Back")
        leave();
    return true;
}

bool BagPage::renewSelected()
{
    auto it = mItems.find(mSelected);
    if (it == mItems.end()) {
        setStatus("Pick up a timed item first (click it), then press Renew.");
        return false;
    }
    if (it->second.pci_expiry_day <= 0) {
        setStatus(itemText(it->second) + " has no time limit: there is nothing to renew.");
        return false;
    }
    mRenewSlot = mSelected;
    mSelected = 0;
    showCell(mRenewSlot);
    tellRoom(true);
    setStatus("Asking the shop what renewing " + itemText(it->second) + " costs...");
    params().clear(kKind);
    params().set(kKind, ParamNode::integer("i_id", it->second.i_id));
    mDispatcher.callback(kPricesEventId, params().handle(kKind));
    return true;
}

void BagPage::sort()
{
    mSortAsked = true;
    setStatus("Sorting the bag...");
    mDispatcher.callback(kSortEventId, params().handle(kKind));
}

void BagPage::toggleMarking()
{
    setMarking(!mMarking);
    setStatus(mMarking ? "Click the items to recycle, then press Recycle." : std::string());
}

void BagPage::setMarking(bool on)
{
    mMarking = on;
    mUseArmed = false;
    if (CEGUI::Window* frame = window())
        if (frame->isChild("Mark"))
            frame->getChild("Mark")->setText(mMarking ? "Marking" : "Mark");
}

bool BagPage::recycleMarked()
{
    if (mMarked.empty()) {
        setStatus(mMarking ? "Click the items to recycle first, then press Recycle."
                           : "Press Mark and click the items to recycle first.");
        return false;
    }
    setMarking(false); // the marks went with the question
    // The question names what goes.
    std::string names;
    for (int slot : mMarked) {
        auto it = mItems.find(slot);
        if (it != mItems.end())
            names += (names.empty() ? "" : ", ") + itemText(it->second);
    }
    setStatus(std::string());
    mRecycled = mMarked;
    mRecycledNames = names;
    // The coins it pays are told after it, by the money before and after: asked first, the
    // server answers in order.
    mRecycleStep = RecycleCoinsBefore;
    mCoinsBefore = -1;
    mDispatcher.callback(kAttrLoadEventId, params().handle(kKind));
    params().clear(kKind);
    params().set(kKind, ParamNode("slots", mRecycled, static_cast<std::int32_t>(mRecycled.size()), ParamNode::Record));
    params().set(kKind,
                 ParamNode::text("text", "Recycle " + names +
                                             "? They are gone for good; the shop pays their recycle price in coins."));
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
    if (it == mItems.end()) {
        setStatus("That cell holds nothing to use.");
        return false;
    }
    const BagData& item = it->second;
    mUsed = item;
    mUsedParam = param;
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
        guiLog(Severity::Warning, "the item in slot ", slot, " cannot be used");
        setStatus(itemText(item) + " cannot be used: Use opens boxes and uses rank cards and function items.");
        return false;
    }
    return true;
}

int BagPage::mainPages() const { return std::max(1, (mBagSize + kPageCells - 1) / kPageCells); }

int BagPage::temporaryPages() const
{
    return mTemporaryEnd > kFirstTemporarySlot ? (mTemporaryEnd - kFirstTemporarySlot + kPageCells - 1) / kPageCells
                                               : 0;
}

int BagPage::pageCount() const { return mainPages() + temporaryPages(); }

int BagPage::pageOf(int slot) const
{
    if (slot >= kFirstBagSlot && slot < kFirstBagSlot + mBagSize)
        return (slot - kFirstBagSlot) / kPageCells;
    if (slot >= kFirstTemporarySlot && slot < mTemporaryEnd)
        return mainPages() + (slot - kFirstTemporarySlot) / kPageCells;
    return -1;
}

bool BagPage::onShownPage(int slot) const
{
    const bool grid = (slot >= kFirstBagSlot && slot < kFirstBagSlot + kMainSlots) ||
                      (slot >= kFirstTemporarySlot && slot < kFirstTemporarySlot + kTemporarySlots);
    return !grid || pageOf(slot) == mPage;
}

std::string BagPage::pageText() const
{
    if (mPage < mainPages())
        return "Bag " + std::to_string(mPage + 1) + "/" + std::to_string(mainPages());
    return "Temporary bag " + std::to_string(mPage - mainPages() + 1) + "/" + std::to_string(temporaryPages());
}

void BagPage::showPage(int page)
{
    mPage = std::max(0, std::min(page, pageCount() - 1));
    layOutPage();
}

void BagPage::layOutPage()
{
    mPage = std::max(0, std::min(mPage, pageCount() - 1));
    CEGUI::Window* frame = window();
    if (!frame)
        return;
    for (const auto& cell : mCells)
        if (CEGUI::Window* w = cellWindow(cell.first))
            w->setVisible(onShownPage(cell.first));
    if (frame->isChild("PageLabel"))
        frame->getChild("PageLabel")->setText(toCeguiString(pageText()));
    if (frame->isChild("PrevPage"))
        frame->getChild("PrevPage")->setEnabled(mPage > 0);
    if (frame->isChild("NextPage"))
        frame->getChild("NextPage")->setEnabled(mPage + 1 < pageCount());
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
    GuiImageset::load(name, "the bag shows its items' names");
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
        // The name where no image set pictures the item (the placeholder says only "some
        // item"); the tooltip names it always.
        const bool pictured = !image.empty() && image.find(std::string("/") + kPlaceholder) == std::string::npos;
        // A bound item says so in its tooltip: the cell has no room for more than the name.
        text = pictured ? std::string() : itemText(data);
        std::string tip = itemText(data) + (data.pci_bind ? " (bound)" : "");
        if (data.pci_expiry_day > 0)
            tip += ", " + std::to_string(data.pci_expiry_day) + " days";
        w->setTooltipText(outsideText(tip));
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
        if (!image.empty()) {
            const CEGUI::Sizef size = CEGUI::ImageManager::getSingleton().get(toCeguiString(image)).getRenderedSize();
            if (size.d_width > 0 && size.d_height > 0)
                icon->setAspectRatio(size.d_width / size.d_height);
        }
        icon->setVisible(!image.empty());
        // The picked-up item fades until it lands; a marked one until it is recycled or unmarked.
        const bool marked = std::find(mMarked.begin(), mMarked.end(), slot) != mMarked.end();
        icon->setAlpha(slot == mSelected ? 0.5f : marked ? 0.3f : 1.0f);
    }
}

void BagPage::onShown()
{
    // A sort or a move the server refused brings no bag: the bag shown now is not its answer.
    if (mSortAsked)
        setStatus(std::string());
    mSortAsked = false;
    mMoved = Move();
    mDispatcher.callback(kIconEventId, params().handle(kKind));
    mDispatcher.callback(kBagEventId, params().handle(kKind));
    tellRoom(true);
}

void BagPage::onFilled(int eventId, ParamList& list)
{
    for (ParamNode* node : list) {
        if (!node)
            continue;
        if (eventId == kPricesEventId && mRenewSlot && node->name == "prices") {
            if (const auto* offers = boost::any_cast<ShopData>(&node->value))
                askRenewal(*offers);
        } else if (eventId == kIconEventId && node->name == "eqcoll") {
            if (auto* icons = boost::any_cast<std::map<int, std::string>*>(&node->value))
                mIcons = *icons;
        } else if (eventId == kBagEventId && node->name == "bagList") {
            const auto* bag = boost::any_cast<std::vector<BagData>>(&node->value);
            if (!bag)
                continue;
            mItems.clear();
            // The bag proper has a record for each slot the world gives the player, empty ones too.
            int size = 0;
            mTemporaryEnd = 0;
            for (const BagData& item : *bag) {
                const int slot = item.pci_slot;
                if (slot >= kFirstBagSlot && slot < kFirstBagSlot + kMainSlots)
                    size = std::max(size, slot - kFirstBagSlot + 1);
                if (item.i_id != 0 && slot >= kFirstTemporarySlot && slot < kFirstTemporarySlot + kTemporarySlots)
                    mTemporaryEnd = std::max(mTemporaryEnd, slot + 1);
                if (item.i_id != 0)
                    mItems[slot] = item;
            }
            mBagSize = size;
            layOutPage();
            for (auto& cell : mCells)
                cell.second.bind = itemAt(cell.first) ? mItems[cell.first].pci_bind : 0;
            if (mSelected && !itemAt(mSelected))
                mSelected = 0;
            mMarked.erase(std::remove_if(mMarked.begin(), mMarked.end(), [this](int slot) { return !itemAt(slot); }),
                          mMarked.end());
            dress();
            tellAfterBag();
        }
    }
    if (eventId == kAttrLoadEventId && mRecycleStep != RecycleNone)
        tellRecycleCoins(list);
    // A renewal the shop refused (its box says why): the line says nothing was renewed.
    if (eventId == kRenewalEventId && mRenewSent) {
        mRenewSent = false;
        setStatus("Nothing was renewed: " + itemText(mRenewItem) + " stays as it was.");
    }
    // What a box, a rank card or a function item did, or why not.
    if (eventId == kFunItemEventId || eventId == kOpenBoxEventId || eventId == kRankCardEventId) {
        bool error = false;
        std::string msg;
        for (const ParamNode* node : list) {
            if (node && node->name == "error")
                if (const bool* e = boost::any_cast<bool>(&node->value))
                    error = *e;
            if (node && node->name == "msg")
                if (const std::string* m = boost::any_cast<std::string>(&node->value))
                    msg = *m;
        }
        setStatus(!msg.empty() ? msg : error ? "That could not be done." : usedText(eventId));
    }
    for (const auto& cell : mCells)
        showCell(cell.first);
}

std::string BagPage::usedText(int eventId) const
{
    const std::string name = itemText(mUsed);
    if (eventId == kOpenBoxEventId) {
        // One box of a stack is opened at a time.
        BagData one = mUsed;
        one.pci_num = 1;
        const int left = mUsed.pci_num - 1;
        return "Opened 1 " + itemText(one) + (left > 0 ? " (" + std::to_string(left) + " left)." : ".");
    }
    if (eventId == kRankCardEventId)
        return "Used " + name + ": the rank is yours for its days.";
    switch (mUsed.i_target) {
    case 1:
        return "Used " + name + ": your stat points are back to spend.";
    case 2:
        return "Used " + name + ": your bag has grown.";
    case 3:
        return "Used " + name + ": you are now called " + mUsedParam + ".";
    default:
        return "Used " + name + ".";
    }
}

void BagPage::askRenewal(const ShopData& offers)
{
    auto item = mItems.find(mRenewSlot);
    mRenewSlot = 0;
    if (item == mItems.end()) {
        setStatus("The item to renew is no longer in the bag.");
        return;
    }
    // Every timed offer may renew it; the player picks one, the first to begin with.
    mRenewOffer = offers;
    mRenewOffer.chosen = -1;
    mRenewChoices.clear();
    for (std::size_t o = 0; o < mRenewOffer.prices.size(); ++o)
        if (mRenewOffer.prices[o].s_expire > 0)
            mRenewChoices.push_back(static_cast<int>(o));
    if (mRenewChoices.empty()) {
        guiLog(Severity::Warning, "item ", mRenewOffer.i_id, " has no timed offer to renew at");
        setStatus("The shop sells " + itemText(item->second) + " for ever only: it cannot be renewed.");
        return;
    }
    mRenewItem = item->second;
    std::vector<std::string> lines;
    for (int o : mRenewChoices)
        lines.push_back(renewalText(mRenewOffer.prices[static_cast<std::size_t>(o)]));
    if (CEGUI::Window* frame = window())
        if (frame->isChild("RenewOffers"))
            ListRows::setLines(*static_cast<CEGUI::Listbox*>(frame->getChild("RenewOffers")), lines);
    pickRenewal(0);
}

std::string BagPage::renewalText(const ShopPrice& offer) const
{
    const int type = offer.s_buy_type >= 1 && offer.s_buy_type <= 3 ? offer.s_buy_type : 1;
    const long long price = static_cast<long long>(offer.s_price) * std::max(1, mRenewItem.pci_num);
    return std::to_string(offer.s_expire) + " more days at " + std::to_string(price) + " " + kBuyTypes[type];
}

bool BagPage::pickRenewal(int choice)
{
    if (choice < 0 || static_cast<std::size_t>(choice) >= mRenewChoices.size())
        return false;
    mRenewOffer.chosen = mRenewChoices[static_cast<std::size_t>(choice)];
    if (CEGUI::Window* frame = window())
        if (frame->isChild("RenewOffers")) {
            auto* list = static_cast<CEGUI::Listbox*>(frame->getChild("RenewOffers"));
            if (static_cast<std::size_t>(choice) < list->getItemCount() && ListRows::selectedLine(*list) != choice)
                list->setItemSelectState(static_cast<std::size_t>(choice), true);
        }
    const ShopPrice& offer = mRenewOffer.prices[static_cast<std::size_t>(mRenewOffer.chosen)];
    setStatus("Renew " + itemText(mRenewItem) + " for " + renewalText(offer) + "?", true);
    return true;
}

bool BagPage::answer(bool yes)
{
    if (!mAsking || mRenewOffer.chosen < 0 || static_cast<std::size_t>(mRenewOffer.chosen) >= mRenewOffer.prices.size())
        return false;
    if (!yes) {
        setStatus("Nothing was renewed.");
        return true;
    }
    setStatus("Renewing " + itemText(mRenewItem) + "...");
    params().clear(kKind);
    params().set(kKind,
                 ParamNode("prices", mRenewOffer, static_cast<std::int32_t>(sizeof(ShopData)), ParamNode::Record));
    params().set(kKind, ParamNode::integer("pci_slot", mRenewItem.pci_slot));
    params().set(kKind, ParamNode::integer("pci_num", mRenewItem.pci_num));
    mRenewSent = true;
    mDispatcher.callback(kRenewalEventId, params().handle(kKind));
    return true;
}

void BagPage::tellAfterBag()
{
    if (!mRecycled.empty() &&
        std::none_of(mRecycled.begin(), mRecycled.end(), [this](int slot) { return itemAt(slot) != 0; })) {
        mRecycled.clear();
        setStatus("Recycled " + mRecycledNames + ".");
        mRecycleStep = RecycleCoinsAfter;
        mDispatcher.callback(kAttrLoadEventId, params().handle(kKind)); // the coins it paid
    }
    if (mSortAsked) {
        mSortAsked = false;
        setStatus("The bag is sorted.");
    }
    if (mMoved.item != 0) {
        // Worn or taken off: said once the bag shows it.
        const Move moved = mMoved;
        mMoved = Move();
        auto it = mItems.find(moved.to);
        if (it != mItems.end() && it->second.i_id == moved.item) {
            if (moved.to <= kWornSlots)
                setStatus("Wearing " + itemText(it->second) + (it->second.pci_bind ? " (bound to you)." : "."));
            else if (moved.from <= kWornSlots)
                setStatus("Took off " + itemText(it->second) + ".");
        }
    }
    if (!mRenewSent)
        return;
    // The renewal raises the money's refresh, then the bag's: an item whose time changed took it.
    auto it = mItems.find(mRenewItem.pci_slot);
    if (it == mItems.end() || it->second.i_id != mRenewItem.i_id)
        return;
    if (it->second.pci_expiry_day == mRenewItem.pci_expiry_day && it->second.pci_buy_time == mRenewItem.pci_buy_time)
        return;
    mRenewSent = false;
    mDispatcher.callback(kAttrLoadEventId, params().handle(kKind)); // the money it took
    const ShopPrice& offer = mRenewOffer.prices[static_cast<std::size_t>(mRenewOffer.chosen)];
    const int type = offer.s_buy_type >= 1 && offer.s_buy_type <= 3 ? offer.s_buy_type : 1;
    setStatus("Renewed " + itemText(it->second) + ": " + std::to_string(offer.s_expire) + " more days, paid " +
              std::to_string(static_cast<long long>(offer.s_price) * std::max(1, mRenewItem.pci_num)) + " " +
              kBuyTypes[type] + ".");
}

void BagPage::tellRecycleCoins(ParamList& list)
{
    const RoleAttr* role = nullptr;
    for (const ParamNode* node : list)
        if (node && node->name == "currentRole")
            role = boost::any_cast<RoleAttr>(&node->value);
    if (!role)
        return;
    if (mRecycleStep == RecycleCoinsBefore) {
        mCoinsBefore = role->pc_money1;
        return;
    }
    mRecycleStep = RecycleNone;
    if (mCoinsBefore < 0)
        return;
    const long long paid = static_cast<long long>(role->pc_money1) - mCoinsBefore;
    setStatus(mStatus.substr(0, mStatus.size() - (!mStatus.empty() && mStatus.back() == '.' ? 1 : 0)) +
              (paid > 0 ? ": the shop paid " + std::to_string(paid) + " coins." : ": they paid no coins."));
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
    mRecycled.clear(); // a "no" to the recycle, or long past it
    mRecycleStep = RecycleNone;
    mSortAsked = false; // a sort refused brings no bag: the next one is not its
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
        else if (slot >= kFirstBagSlot && slot < kFirstBagSlot + kMainSlots && itemAt(slot))
            mMarked.push_back(slot); // only the bag proper's items are recycled
        showCell(slot);
        return true;
    }
    if (!mSelected) {
        if (itemAt(slot))
            mSelected = slot; // an item is picked up; the next click says where it goes
        showCell(slot);
        tellRoom(true);
        return true;
    }
    const int from = mSelected;
    mSelected = 0;
    showCell(from);
    tellRoom(true);
    if (from == slot)
        return true; // put back
    CEGUI::Window* src = cellWindow(from);
    CEGUI::Window* dst = cellWindow(slot);
    if (!src || !dst) {
        guiLog(Severity::Warning, "the bag has no window for slot ", from, " or ", slot);
        return false;
    }
    mMoved = Move{from, slot, itemAt(from)};
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
