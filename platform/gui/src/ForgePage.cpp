#include "ForgePage.h"

#include <CEGUI/CEGUI.h>
#include <algorithm>
#include <boost/any.hpp>
#include <cmath>
#include <cstdio>
#include <gui/ParamNode.h>

#include <text/CeguiText.h>
#include "BagPage.h"
#include "EventDispatcher.h"
#include "GuiLog.h"
#include "ListRows.h"
#include "ParamStore.h"

namespace kavri3D {
namespace zrk {
namespace gui {

namespace {
const char* const kTabNames[ForgePage::Tabs] = {"Enhance", "Refine", "Mix", "Enchase"};
const int kEventIds[ForgePage::Tabs] = {EventId::EquipEnhance, EventId::Refine, EventId::EquipMix,
                                        EventId::EquipEnchase};
// What each place of a tab takes ("" for a place the tab does not use).
const char* const kPlaceNames[ForgePage::Tabs][ForgePage::kPlaces] = {
    {"Item", "Stone", "Stone", "Stone", "Luck", "Safety"},
    {"Metal", "Metal", "Metal", "Luck", "", ""},
    {"Item", "Second", "Luck", "", "", ""},
    {"Item", "Gem 1", "Gem 2", "Gem 3", "Gem 4", "Gem 5"},
};
const char* const kMixTypes[] = {"", "strength", "luck", "dexterity", "vitality", "all four"};
const int kMixKinds = 5;
const int kBagColumns = 4;
// The item classes the forge works with: weapons, outfits and the strengthening items.
const int kForgeClasses[] = {2, 3, 4};
// Where the list's cells stand: under the title row, four columns of five.
const float kCellsLeft = 0.02f, kCellsTop = 0.16f, kCellsWidth = 0.58f, kCellsHeight = 0.56f;

std::string percent(float rate)
{
    char text[16];
    std::snprintf(text, sizeof text, "%.0f%%", std::isfinite(rate) ? rate * 100.0f : 0.0f);
    return text;
}

template <class T> T valueOf(const ParamList& list, const std::string& name, T def = T())
{
    for (const ParamNode* n : list)
        if (n && n->name == name)
            if (const T* v = boost::any_cast<T>(&n->value))
                return *v;
    return def;
}

bool has(const ParamList& list, const std::string& name)
{
    for (const ParamNode* n : list)
        if (n && n->name == name)
            return true;
    return false;
}
} // namespace

ForgePage::ForgePage(const std::string& windowName, const std::string& title, ParamStore& params, ParentSource parent,
                     EventDispatcher& dispatcher, std::function<void()> back, GameSource game)
    : GuiPage(kKind, windowName, title, params, std::move(parent)), mDispatcher(dispatcher), mBack(std::move(back)),
      mGame(std::move(game))
{
    setFrameArea(0.1f, 0.08f, 0.9f, 0.92f);
    for (auto& tab : mPlaced)
        tab.fill(-1);
}

ForgePage::~ForgePage() = default;

CEGUI::Window* ForgePage::child(const std::string& name) const
{
    CEGUI::Window* frame = window();
    const CEGUI::String n = toCeguiString(name);
    return frame && frame->isChild(n) ? frame->getChild(n) : nullptr;
}

void ForgePage::buildContent(CEGUI::Window& frame)
{
    // A new frame: the old windows went with the old one.
    mConnections.clear();
    auto connect = [this](CEGUI::Window* w, const CEGUI::String& event,
                          bool (ForgePage::*handler)(const CEGUI::EventArgs&)) {
        mConnections.emplace_back(w->subscribeEvent(event, CEGUI::Event::Subscriber(handler, this)));
    };
    for (int t = 0; t < Tabs; ++t) {
        CEGUI::Window* w = addWidget(frame, "TaharezLook/Button", ("Tab" + std::to_string(t)).c_str(), kTabNames[t],
                                     0.02f + 0.16f * static_cast<float>(t), 0.02f, 0.15f, 0.06f);
        w->setID(static_cast<unsigned>(t));
        w->setTextParsingEnabled(false);
        mConnections.emplace_back(w->subscribeEvent(CEGUI::PushButton::EventClicked, [this](const CEGUI::EventArgs& a) {
            const auto& e = static_cast<const CEGUI::WindowEventArgs&>(a);
            selectTab(static_cast<Tab>(e.window->getID()));
            return true;
        }));
    }
    addWidget(frame, "TaharezLook/StaticText", "BagTitle", "Bag (drag onto the forge)", 0.02f, 0.1f, 0.36f, 0.05f);
    for (const char* turn : {"PrevPage", "NextPage"}) {
        const bool next = turn[0] == 'N';
        CEGUI::Window* w =
            addWidget(frame, "TaharezLook/Button", turn, next ? ">" : "<", next ? 0.55f : 0.39f, 0.1f, 0.05f, 0.05f);
        mConnections.emplace_back(
            w->subscribeEvent(CEGUI::PushButton::EventClicked, [this, next](const CEGUI::EventArgs&) {
                showPage(mPage + (next ? 1 : -1));
                return true;
            }));
    }
    addWidget(frame, "TaharezLook/StaticText", "PageLabel", "", 0.44f, 0.1f, 0.11f, 0.05f)
        ->setProperty("HorzFormatting", "CentreAligned");
    // A cell for every slot of the bag; those listed stand on their page's places (showCells).
    for (int slot = kFirstBagSlot; slot < kFirstBagSlot + kBagSlots; ++slot) {
        CEGUI::Window* w = addWidget(frame, "TaharezLook/Button", ("Cell_" + std::to_string(slot)).c_str(), "",
                                     kCellsLeft, kCellsTop, 0.1f, 0.1f);
        w->setID(static_cast<unsigned>(slot));
        w->setTextParsingEnabled(false); // item names are shown as written, never as markup
        w->setProperty("HorzLabelFormatting", "WordWrapCentreAligned"); // a long name takes two lines
        connect(w, CEGUI::Window::EventMouseButtonDown, &ForgePage::onCellDown);
        connect(w, CEGUI::Window::EventMouseButtonUp, &ForgePage::onCellUp);
    }
    for (int p = 0; p < kPlaces; ++p) {
        CEGUI::Window* w = addWidget(frame, "TaharezLook/Button", ("Place" + std::to_string(p)).c_str(), "", 0.62f,
                                     0.16f + 0.075f * static_cast<float>(p), 0.36f, 0.068f);
        w->setID(static_cast<unsigned>(p));
        w->setTextParsingEnabled(false);
        w->setProperty("HorzLabelFormatting", "WordWrapCentreAligned");
        connect(w, CEGUI::PushButton::EventClicked, &ForgePage::onPlaceClicked);
    }
    CEGUI::Window* type = addWidget(frame, "TaharezLook/Button", "MixType", "", 0.62f, 0.62f, 0.36f, 0.06f);
    mConnections.emplace_back(type->subscribeEvent(CEGUI::PushButton::EventClicked, [this](const CEGUI::EventArgs&) {
        mMixType = mMixType % kMixKinds + 1;
        showTab();
        return true;
    }));
    const std::pair<const char*, std::function<void()>> buttons[] = {
        {"Preview", [this] { preview(); }}, {"Go", [this] { go(); }}, {"Back", [this] {
                                                                           if (mBack)
                                                                               mBack();
                                                                       }}};
    for (int b = 0; b < 3; ++b) {
        CEGUI::Window* w = addWidget(frame, "TaharezLook/Button", buttons[b].first, buttons[b].first,
                                     0.62f + 0.12f * static_cast<float>(b), 0.7f, 0.115f, 0.06f);
        std::function<void()> act = buttons[b].second;
        mConnections.emplace_back(w->subscribeEvent(CEGUI::PushButton::EventClicked, [act](const CEGUI::EventArgs&) {
            try {
                act();
            } catch (const std::exception& e) {
                guiLog(Severity::Error, "the forge's button failed: ", e.what());
            }
            return true;
        }));
    }
    CEGUI::Window* result = addWidget(frame, "TaharezLook/StaticText", "Result", "", 0.02f, 0.78f, 0.96f, 0.2f);
    result->setProperty("HorzFormatting", "WordWrapLeftAligned");
    result->setProperty("VertFormatting", "TopAligned");
    result->setTextParsingEnabled(false); // the server's texts, as written
    showTab();
    showCells();
}

void ForgePage::onShown()
{
    // The bag as the game knows it now, at once: the list of the last visit is out of date
    // (a purchase since, a bag grown) until the fresh one asked for below comes back.
    if (mDispatcher.find(kBagEventId))
        if (ParamList* now = mDispatcher.fillParams(kBagEventId))
            onFilled(kBagEventId, *now);
    mDispatcher.callback(kIconEventId, params().handle(kKind));
    mDispatcher.callback(kBagEventId, params().handle(kKind));
}

void ForgePage::selectTab(Tab tab)
{
    if (tab < 0 || tab >= Tabs)
        return;
    mTab = tab;
    mPreviewText.clear();
    mDoneText.clear();
    mStatus.clear();
    mMade.clear();
    piecesChanged();
    showTab();
}

std::string ForgePage::cellText(int slot) const
{
    auto it = mItems.find(slot);
    return it == mItems.end() ? std::string() : BagPage::itemText(it->second);
}

int ForgePage::pageCount() const
{
    return std::max(1, static_cast<int>((mListed.size() + kPageCells - 1) / kPageCells));
}

void ForgePage::showPage(int page)
{
    mPage = std::max(0, std::min(page, pageCount() - 1));
    showCells();
}

bool ForgePage::onShownPage(int slot) const
{
    auto at = std::find(mListed.begin(), mListed.end(), slot);
    return at != mListed.end() && (at - mListed.begin()) / kPageCells == mPage;
}

void ForgePage::showCells()
{
    mPage = std::max(0, std::min(mPage, pageCount() - 1));
    const int rows = kPageCells / kBagColumns;
    const float cw = kCellsWidth / kBagColumns, ch = kCellsHeight / rows;
    for (int slot = kFirstBagSlot; slot < kFirstBagSlot + kBagSlots; ++slot) {
        CEGUI::Window* w = child("Cell_" + std::to_string(slot));
        if (!w)
            continue;
        auto at = std::find(mListed.begin(), mListed.end(), slot);
        const int index = static_cast<int>(at - mListed.begin());
        const bool shown = at != mListed.end() && index / kPageCells == mPage;
        w->setVisible(shown);
        w->setText(toCeguiString(shown ? (slot == mHeld ? "> " : "") + cellText(slot) : std::string()));
        if (!shown)
            continue;
        const int place = index % kPageCells;
        const float x = kCellsLeft + cw * static_cast<float>(place % kBagColumns);
        const float y = kCellsTop + ch * static_cast<float>(place / kBagColumns);
        w->setArea(CEGUI::URect(CEGUI::UDim(x, 0), CEGUI::UDim(y, 0), CEGUI::UDim(x + cw - 0.005f, 0),
                                CEGUI::UDim(y + ch - 0.005f, 0)));
    }
    if (CEGUI::Window* label = child("PageLabel"))
        label->setText(toCeguiString(std::to_string(mPage + 1) + "/" + std::to_string(pageCount())));
    if (CEGUI::Window* prev = child("PrevPage"))
        prev->setEnabled(mPage > 0);
    if (CEGUI::Window* next = child("NextPage"))
        next->setEnabled(mPage + 1 < pageCount());
}

std::vector<int> ForgePage::holes() const
{
    // The server gives a holed item one entry of its "attr_x" per hole: the gem set, or 0.
    const int item = mPlaced[Enchase][0];
    auto it = item > 0 ? mItems.find(item) : mItems.end();
    std::vector<int> out;
    if (it == mItems.end())
        return out;
    const std::string& text = it->second.attr_x;
    std::size_t from = 0;
    while (!text.empty() && from <= text.size() && out.size() < static_cast<std::size_t>(kGemPlaces)) {
        const std::size_t comma = std::min(text.find(',', from), text.size());
        const std::string part = text.substr(from, comma - from);
        const bool digits =
            !part.empty() && part.size() <= 9 && part.find_first_not_of("0123456789") == std::string::npos;
        out.push_back(digits ? std::stoi(part) : 0);
        from = comma + 1;
    }
    return out;
}

std::string ForgePage::gemName(int itemId) const
{
    if (IGuiWrapper* game = mGame ? mGame() : nullptr) {
        const BagData record = game->getItemRecord(itemId);
        if (!record.i_name.empty())
            return record.i_name;
    }
    for (const auto& held : mItems)
        if (held.second.i_id == itemId && !held.second.i_name.empty())
            return held.second.i_name;
    return "gem " + std::to_string(itemId);
}

void ForgePage::showTab()
{
    for (int t = 0; t < Tabs; ++t)
        if (CEGUI::Window* w = child("Tab" + std::to_string(t)))
            w->setText(toCeguiString(t == mTab ? std::string("[") + kTabNames[t] + "]" : kTabNames[t]));
    // The enchase tab has a gem place for each hole of its item, a set gem shown in its own.
    const std::vector<int> gems = mTab == Enchase ? holes() : std::vector<int>();
    for (int p = 0; p < kPlaces; ++p) {
        CEGUI::Window* w = child("Place" + std::to_string(p));
        if (!w)
            continue;
        const char* name = kPlaceNames[mTab][p];
        const bool hole = mTab == Enchase && p > 0;
        w->setVisible(*name != '\0' && (!hole || p <= static_cast<int>(gems.size())));
        const int slot = mPlaced[mTab][static_cast<std::size_t>(p)];
        std::string what = slot > 0 ? cellText(slot) : std::string("-");
        if (hole && p <= static_cast<int>(gems.size()) && gems[static_cast<std::size_t>(p - 1)] > 0)
            what = gemName(gems[static_cast<std::size_t>(p - 1)]) + " (set)";
        w->setText(toCeguiString(std::string(name) + ": " + what));
    }
    if (CEGUI::Window* type = child("MixType")) {
        type->setVisible(mTab == Mix);
        type->setText(toCeguiString("Mix type " + std::to_string(mMixType) + ": " + kMixTypes[mMixType]));
    }
    if (CEGUI::Window* result = child("Result"))
        result->setText(toCeguiString(mResult));
}

void ForgePage::compose()
{
    mResult.clear();
    for (const std::string* part : {&mPreviewText, &mDoneText, &mStatus})
        if (!part->empty())
            mResult += (mResult.empty() ? "" : "\n") + *part;
}

std::string ForgePage::missing() const
{
    const auto& p = mPlaced[mTab];
    auto filled = [&p](int from, int to) {
        int n = 0;
        for (int i = from; i <= to; ++i)
            n += p[static_cast<std::size_t>(i)] > 0;
        return n;
    };
    switch (mTab) {
    case Enhance:
        if (p[0] <= 0)
            return "Put the item to enhance on the Item place.";
        if (filled(1, 3) == 0)
            return "Put at least one enhancement stone on a Stone place.";
        break;
    case Refine:
        if (filled(0, 2) < 3)
            return "Put three metals of one grade on the Metal places (a stack dropped fills one place: drop it again "
                   "for the next).";
        break;
    case Mix:
        if (p[0] <= 0)
            return "Put the item to mix on the Item place.";
        if (p[1] <= 0)
            return "Put the item to mix into it on the Second place.";
        break;
    case Enchase: {
        if (p[0] <= 0)
            return "Put the item to enchase on the Item place.";
        const std::vector<int> gems = holes();
        if (gems.empty())
            return "The item has no holes for gems.";
        if (std::find(gems.begin(), gems.end(), 0) == gems.end())
            return "Every hole of the item holds a gem already.";
        if (filled(1, static_cast<int>(gems.size())) == 0)
            return "Put at least one gem on an empty Gem place.";
        break;
    }
    case Tabs:
        break;
    }
    return std::string();
}

void ForgePage::piecesChanged()
{
    // A price asked for other pieces is no price of these.
    mPreviewText.clear();
    const std::string lack = missing();
    if (!lack.empty()) {
        mStatus = lack;
        compose();
        showTab();
        return;
    }
    if (mWaiting) {
        mPreviewWanted = true; // asked once the answer out is in
        compose();
        showTab();
        return;
    }
    send(1);
}

bool ForgePage::place(int slot, int where)
{
    if (where < 0 || where >= kPlaces || *kPlaceNames[mTab][where] == '\0' || !mItems.count(slot))
        return false;
    if (mTab == Enchase && where > 0) {
        // A gem goes into a hole the item has and that holds none.
        const std::vector<int> gems = holes();
        if (where > static_cast<int>(gems.size()))
            return false;
        if (const int set = gems[static_cast<std::size_t>(where - 1)]) {
            mStatus = "That hole holds " + gemName(set) + " already: pick an empty one.";
            compose();
            showTab();
            return false;
        }
    }
    auto& places = mPlaced[mTab];
    if (places[static_cast<std::size_t>(where)] == slot)
        return true;
    // A stack stands on as many places of a tab as it has pieces; one more moves its first.
    const int pieces = std::max(1, mItems.at(slot).pci_num);
    int on = 0;
    for (int p : places)
        on += p == slot;
    if (on >= pieces)
        for (int& p : places)
            if (p == slot) {
                p = -1;
                break;
            }
    places[static_cast<std::size_t>(where)] = slot;
    if (mTab == Enchase && where == 0)
        fitGemPlaces();
    piecesChanged();
    showTab();
    return true;
}

void ForgePage::fitGemPlaces()
{
    const std::vector<int> gems = holes();
    auto& places = mPlaced[Enchase];
    for (int p = 1; p < kPlaces; ++p)
        if (p > static_cast<int>(gems.size()) || gems[static_cast<std::size_t>(p - 1)] != 0)
            places[static_cast<std::size_t>(p)] = -1;
}

bool ForgePage::send(int flags)
{
    const std::string lack = missing();
    if (!lack.empty() || mWaiting) {
        if (!lack.empty())
            mStatus = lack;
        else if (flags == 1)
            mPreviewWanted = true;
        else
            mStatus = "Wait for the forge's answer before going again.";
        compose();
        showTab();
        return false;
    }
    const ParamHandle handle = params().handle(kKind);
    params().clear(kKind);
    const auto& p = mPlaced[mTab];
    auto slotOr = [](int slot, int none) { return slot > 0 ? slot : none; };
    auto set = [this](const ParamNode& n) { params().set(kKind, n); };
    auto slots = [](std::vector<int> in) {
        std::vector<int> out;
        for (int s : in)
            if (s > 0)
                out.push_back(s);
        return out;
    };
    set(ParamNode::integer("flags", flags));
    switch (mTab) {
    case Enhance:
        set(ParamNode("stones", slots({p[1], p[2], p[3]}), 0, ParamNode::Record));
        set(ParamNode::integer("prosym", slotOr(p[5], -1)));
        set(ParamNode::integer("luksym", slotOr(p[4], -1)));
        set(ParamNode::integer("pciid", slotOr(p[0], 0)));
        break;
    case Refine:
        set(ParamNode("stones", slots({p[0], p[1], p[2]}), 0, ParamNode::Record));
        set(ParamNode::integer("luk_slot", slotOr(p[3], -1)));
        break;
    case Mix:
        // Go asks the player first.
        if (flags == 2)
            set(ParamNode::integer("flags", 3));
        set(ParamNode::integer("equip_slot", slotOr(p[0], 0)));
        set(ParamNode::integer("mix_type", mMixType));
        set(ParamNode::integer("op_slot", slotOr(p[1], 0)));
        set(ParamNode::integer("luk_slot", slotOr(p[2], -1)));
        break;
    case Enchase:
        set(ParamNode::integer("equip_slot", slotOr(p[0], 0)));
        set(ParamNode(
            "stones",
            std::vector<int>{slotOr(p[1], 0), slotOr(p[2], 0), slotOr(p[3], 0), slotOr(p[4], 0), slotOr(p[5], 0)}, 0,
            ParamNode::Record));
        break;
    case Tabs:
        return false;
    }
    if (flags == 1)
        mPreviewText.clear();
    else
        mDoneText.clear();
    mStatus = flags == 1 ? "Asking the forge..." : mTab == Mix ? "Answer the question to mix." : "Working...";
    compose();
    showTab();
    // Held until the answer: a second Go (a double click) or a preview would cross it. A mix's
    // Go asks first, and a "no" brings no answer: the question box holds the page meanwhile.
    const int id = kEventIds[mTab];
    if (!(mTab == Mix && flags == 2))
        mWaiting = id;
    const bool sent = mDispatcher.callback(id, handle);
    if (!sent && mWaiting == id)
        mWaiting = 0;
    if (sent && mTab == Mix && flags == 2)
        watchMixBox();
    return sent;
}

void ForgePage::watchMixBox()
{
    // The game asks its question in a box of its own that holds the screen; the page hears how
    // it closes: its first button (or Enter) is the yes, which sends the mix, anything else
    // sends nothing and brings no answer.
    mMixBoxConnections.clear();
    mMixBox = nullptr;
    mMixYes = false;
    mMixAnswered = false;
    CEGUI::System* system = CEGUI::System::getSingletonPtr();
    CEGUI::Window* box = system ? system->getDefaultGUIContext().getModalWindow() : nullptr;
    if (!box) {
        mStatus.clear(); // nothing was asked (the forge was busy): nothing to wait for
        compose();
        showTab();
        return;
    }
    mMixBox = box;
    auto yes = [this] {
        mMixYes = true;
        // The mix went out with the yes; its answer may already have come (a refusal at once).
        if (!mMixAnswered) {
            mWaiting = kEventIds[Mix];
            mStatus = "Mixing...";
            compose();
            showTab();
        }
    };
    if (box->isChild("Button0"))
        mMixBoxConnections.emplace_back(
            box->getChild("Button0")->subscribeEvent(CEGUI::PushButton::EventClicked, [yes](const CEGUI::EventArgs&) {
                yes();
                return false;
            }));
    mMixBoxConnections.emplace_back(box->subscribeEvent(CEGUI::Window::EventKeyDown, [yes](const CEGUI::EventArgs& a) {
        const auto key = static_cast<const CEGUI::KeyEventArgs&>(a).scancode;
        if (key == CEGUI::Key::Return || key == CEGUI::Key::NumpadEnter)
            yes();
        return false;
    }));
    mMixBoxConnections.emplace_back(
        box->subscribeEvent(CEGUI::Window::EventDestructionStarted, [this](const CEGUI::EventArgs&) {
            onMixBoxClosed();
            return false;
        }));
}

void ForgePage::onMixBoxClosed()
{
    // Inside the box's own destruction: its subscriptions end with it.
    for (core::ScopedEventConnection& c : mMixBoxConnections)
        c.release();
    mMixBoxConnections.clear();
    mMixBox = nullptr;
    if (mMixYes)
        return;
    mStatus = "Nothing was mixed.";
    compose();
    showTab();
}

std::string ForgePage::doneText(int value) const
{
    switch (mTab) {
    case Enhance:
        return "The item is now at +" + std::to_string(value) + ".";
    case Refine:
        return value != 0 ? "Made: " + (mMade.empty() ? std::string("a metal of the next grade") : mMade) + "."
                          : std::string();
    case Mix:
        return "The item has been mixed " + std::to_string(value) + (value == 1 ? " time." : " times.");
    case Enchase:
        return "Gems set in the item: " + std::to_string(value) + ".";
    case Tabs:
        break;
    }
    return std::string();
}

void ForgePage::showResult(int eventId, ParamList& list)
{
    if (eventId == mWaiting)
        mWaiting = 0;
    if (eventId == kEventIds[Mix] && mMixBox)
        mMixAnswered = true;
    const int flag = valueOf<int>(list, "flag");
    const bool error = valueOf<bool>(list, "error");
    const std::string msg = valueOf<std::string>(list, "msg");
    // An answer for a tab no longer shown is not shown; a change that waited for it is asked now.
    if (eventId != kEventIds[mTab]) {
        if (mPreviewWanted) {
            mPreviewWanted = false;
            piecesChanged();
        }
        return;
    }
    std::string text;
    if (flag == 1 && !error) {
        text = std::string(valueOf<bool>(list, "can") ? "Can be done" : "Cannot be done") + ", cost " +
               std::to_string(valueOf<int>(list, "money")) + " coins";
        if (has(list, "rate1"))
            text += ". Chances: gain " + percent(valueOf<float>(list, "rate1")) + ", no change " +
                    percent(valueOf<float>(list, "rate2")) + ", loss " + percent(valueOf<float>(list, "rate3"));
        if (has(list, "desc")) {
            mMade = valueOf<std::string>(list, "desc");
            if (!mMade.empty())
                text += ". Makes: " + mMade;
        }
        if (has(list, "ecf") && !valueOf<std::string>(list, "ecf").empty())
            text += ". Adds: " + valueOf<std::string>(list, "ecf");
        text += ".";
    } else if (flag == 2 && !error) {
        text = doneText(valueOf<int>(list, "val"));
    }
    if (!msg.empty())
        text += (text.empty() ? "" : "\n") + msg;
    if (error && text.empty())
        text = "The forge did not do it.";
    // The preview stays in sight above what the forge did.
    if (flag == 2)
        mDoneText = text;
    else
        mPreviewText = text;
    mStatus.clear();
    compose();
    showTab();
    if (flag == 2) {
        // The bag as the forge left it, then the price of the next Go. Go stays held until that
        // bag is in: its places still show what the forge has just used up.
        mPreviewAfterBag = true;
        if (mWaiting == 0)
            mWaiting = kBagEventId;
        if (!mDispatcher.callback(kBagEventId, params().handle(kKind)) && mWaiting == kBagEventId)
            mWaiting = 0;
    } else if (mPreviewWanted) {
        mPreviewWanted = false;
        piecesChanged();
    }
}

void ForgePage::onFilled(int eventId, ParamList& list)
{
    if (eventId == kIconEventId) {
        for (const ParamNode* n : list)
            if (n && n->name == "eqcoll")
                if (auto* icons = boost::any_cast<std::map<int, std::string>*>(&n->value))
                    mIcons = *icons;
        return;
    }
    if (eventId == kBagEventId) {
        for (const ParamNode* n : list) {
            const auto* bag = n && n->name == "bagList" ? boost::any_cast<std::vector<BagData>>(&n->value) : nullptr;
            if (!bag)
                continue;
            const std::map<int, BagData> before = std::move(mItems);
            mItems.clear();
            mListed.clear();
            for (const BagData& item : *bag) {
                if (item.i_id == 0 || item.pci_slot < kFirstBagSlot || item.pci_slot >= kFirstBagSlot + kBagSlots)
                    continue;
                mItems[item.pci_slot] = item;
                if (std::find(std::begin(kForgeClasses), std::end(kForgeClasses), item.ic_id) !=
                    std::end(kForgeClasses))
                    mListed.push_back(item.pci_slot);
            }
            std::sort(mListed.begin(), mListed.end());
            // What left the bag leaves its place too (also when another item took its slot, as
            // a refine's ingot takes its metals'), and a stack keeps no more places than pieces.
            const auto gone = [&before, this](int slot) {
                auto was = before.find(slot);
                return !mItems.count(slot) || (was != before.end() && was->second.i_id != mItems.at(slot).i_id);
            };
            for (auto& tab : mPlaced) {
                std::map<int, int> on;
                for (int& p : tab)
                    if (p > 0 && (gone(p) || ++on[p] > std::max(1, mItems.at(p).pci_num)))
                        p = -1;
            }
            if (mHeld && gone(mHeld))
                mHeld = 0;
            fitGemPlaces(); // a hole filled by the last enchase takes no other gem
        }
        if (mWaiting == kBagEventId)
            mWaiting = 0; // the Go's outcome and the bag after it are both shown
        showCells();
        showTab();
        if (mPreviewAfterBag) {
            mPreviewAfterBag = false;
            mPreviewWanted = false;
            piecesChanged();
        }
        return;
    }
    for (int t = 0; t < Tabs; ++t)
        if (eventId == kEventIds[t])
            showResult(eventId, list);
}

bool ForgePage::onCellDown(const CEGUI::EventArgs& args)
{
    const auto& e = static_cast<const CEGUI::MouseEventArgs&>(args);
    const int slot = static_cast<int>(e.window->getID());
    mHeld = std::count(mListed.begin(), mListed.end(), slot) ? slot : 0; // picked up; let go over a place, or click one
    showCells();
    return true;
}

bool ForgePage::onCellUp(const CEGUI::EventArgs& args)
{
    const auto& e = static_cast<const CEGUI::MouseEventArgs&>(args);
    CEGUI::Window* frame = window();
    if (!mHeld || !frame)
        return true;
    // The cell holds the mouse from the press on: the place under the pointer is looked up.
    CEGUI::Window* under = frame->getTargetChildAtPosition(e.position);
    for (int p = 0; p < kPlaces; ++p)
        if (under && under == child("Place" + std::to_string(p))) {
            place(mHeld, p);
            mHeld = 0;
            showCells();
        }
    return true;
}

bool ForgePage::onPlaceClicked(const CEGUI::EventArgs& args)
{
    const auto& e = static_cast<const CEGUI::WindowEventArgs&>(args);
    const int where = static_cast<int>(e.window->getID());
    if (mHeld) {
        place(mHeld, where);
        mHeld = 0;
        showCells();
    } else if (mPlaced[mTab][static_cast<std::size_t>(where)] > 0) {
        mPlaced[mTab][static_cast<std::size_t>(where)] = -1; // a click on a filled place empties it
        piecesChanged();
        showTab();
    }
    return true;
}

} // namespace gui
} // namespace zrk
} // namespace kavri3D
