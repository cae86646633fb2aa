#include "RoomPage.h"

#include <util/MissionRule.h>
#include <CEGUI/CEGUI.h>

#include <text/CeguiText.h>
#include "EventDispatcher.h"
#include "GuiLog.h"
#include "ListRows.h"
#include "ParamStore.h"
#include "RoomListPage.h"
#include "SmallFont.h"
#include <algorithm>
#include <gui/ChannelType.h>
#include <gui/RoleAttr.h>
#include <util/MissionRule.h>

namespace kavri3D {
namespace zrk {
namespace gui {

namespace {
const char* const kButtons[] = {"Ready", "Start", "Team", "Leave", "Kick", "Lock", "MapPrev", "MapNext", "Props"};
const char* const kButtonTexts[] = {"Ready", "Start", "Team", "Leave", "Kick", "Lock", "Map <", "Map >", "Props"};
const std::size_t kButtonCount = sizeof(kButtons) / sizeof(kButtons[0]);
const int kPropSlots = 10;
const float kSeatsBottom = 0.60f;
const float kLabelMargin = 6.0f; ///< pixels a label keeps clear at its sides

template <class T> const T* valueOf(const ParamList& list, const char* name)
{
    for (const ParamNode* n : list)
        if (n && n->name == name)
            return boost::any_cast<T>(&n->value);
    return nullptr;
}

/// One character off the end of UTF-8 text, all of its bytes.
void dropLastCharacter(std::string& utf8)
{
    while (!utf8.empty() && (static_cast<unsigned char>(utf8.back()) & 0xC0) == 0x80)
        utf8.pop_back();
    if (!utf8.empty())
        utf8.pop_back();
}

/// A seat's picture, line or cell ("Picture_", "Label_", "Cell_"); null when the page has none.
CEGUI::Window* seatPart(CEGUI::Window& seats, const char* part, const std::string& seat)
{
    const CEGUI::String name = CEGUI::String(part) + CEGUI::String(seat.c_str());
    return seats.isChild(name) ? seats.getChild(name) : nullptr;
}

ParamNode recordNode(const std::string& name, const boost::any& value, std::int32_t size)
{
    ParamNode node;
    node.name = name;
    node.value = value;
    node.size = size;
    node.type = ParamNode::Record;
    return node;
}
} // namespace

RoomPage::RoomPage(const std::string& windowName, const std::string& title, ParamStore& params, ParentSource parent,
                   std::vector<std::string> images, int columns, EventDispatcher& dispatcher)
    : PortraitPage(kKind, windowName, title, params, std::move(parent), images, columns), mDispatcher(dispatcher),
      mSeatImages(std::move(images)), mColumns(columns > 0 ? columns : 1), mCards(8)
{
    // Wide enough that a seat's line holds a name with its team and state.
    setFrameArea(0.2f, 0.25f, 0.8f, 0.75f);
}

RoomPage::~RoomPage() { mConnections.clear(); }

void RoomPage::buildContent(CEGUI::Window& frame)
{
    mConnections.clear();
    CEGUI::Window* seats = CEGUI::WindowManager::getSingleton().createWindow("DefaultWindow", "Seats");
    seats->setArea(CEGUI::URect(CEGUI::UDim(0, 0), CEGUI::UDim(0, 0), CEGUI::UDim(1, 0), CEGUI::UDim(kSeatsBottom, 0)));
    // A seat picked stays under the props shown over the seats.
    seats->setRiseOnClickEnabled(false);
    frame.addChild(seats);
    PortraitPage::buildContent(*seats);
    // A seat is picked by a click anywhere in its cell, taken or empty: the cell lies behind the
    // seat's picture and line (a click on the picture picks it too), framed while it is picked.
    const std::size_t count = std::min<std::size_t>(mSeatImages.size(), 8);
    const std::size_t rows = (count + static_cast<std::size_t>(mColumns) - 1) / static_cast<std::size_t>(mColumns);
    const float cw = 1.0f / static_cast<float>(mColumns), ch = 1.0f / static_cast<float>(rows > 0 ? rows : 1);
    for (std::size_t s = 0; s < count; ++s) {
        const std::string& image = mSeatImages[s];
        const float x = cw * static_cast<float>(s % static_cast<std::size_t>(mColumns));
        const float y = ch * static_cast<float>(s / static_cast<std::size_t>(mColumns));
        CEGUI::Window* cell = addWidget(*seats, "TaharezLook/StaticText", ("Cell_" + image).c_str(), "", x, y, cw, ch);
        cell->setProperty("FrameEnabled", "false");
        cell->setProperty("BackgroundEnabled", "false");
        cell->setRiseOnClickEnabled(false); // it stays behind the seat's line when clicked
        cell->moveToBack();
        for (CEGUI::Window* w : {cell, seatPart(*seats, "Picture_", image)})
            if (w) {
                w->setID(static_cast<unsigned>(s));
                mConnections.emplace_back(w->subscribeEvent(CEGUI::Window::EventMouseClick,
                                                            CEGUI::Event::Subscriber(&RoomPage::onSeatClicked, this)));
            }
        if (CEGUI::Window* line = seatPart(*seats, "Label_", image))
            line->setMousePassThroughEnabled(true);
    }
    // The room's title, its map (a mission's stage) and its owner, then the room's chat: the last
    // line heard, and a line to type (Enter or "Say" sends it). Lines tall enough for the
    // letters that reach below the line and brackets.
    const struct {
        const char* name;
        float x, y, w;
    } lines[] = {
        {"RoomTitle", 0.02f, 0.005f, 0.56f}, {"Owner", 0.60f, 0.005f, 0.38f}, {"MapName", 0.02f, 0.065f, 0.96f}};
    for (const auto& line : lines) {
        CEGUI::Window* l =
            addWidget(frame, "TaharezLook/StaticText", line.name, "", line.x, kSeatsBottom + line.y, line.w, 0.06f);
        l->setProperty("FrameEnabled", "false");
        l->setProperty("BackgroundEnabled", "false");
    }
    addWidget(frame, "TaharezLook/StaticText", "ChatHeard", "", 0.02f, kSeatsBottom + 0.125f, 0.96f, 0.06f)
        ->setProperty("FrameEnabled", "false");
    CEGUI::Window* chat =
        addWidget(frame, "TaharezLook/Editbox", "ChatLine", "", 0.02f, kSeatsBottom + 0.19f, 0.80f, 0.055f);
    static_cast<CEGUI::Editbox*>(chat)->setMaxTextLength(kChatMax);
    mConnections.emplace_back(
        chat->subscribeEvent(CEGUI::Editbox::EventTextAccepted, CEGUI::Event::Subscriber(&RoomPage::onSay, this)));
    CEGUI::Window* sayButton =
        addWidget(frame, "TaharezLook/Button", "Say", "Say", 0.83f, kSeatsBottom + 0.19f, 0.15f, 0.055f);
    mConnections.emplace_back(
        sayButton->subscribeEvent(CEGUI::PushButton::EventClicked, CEGUI::Event::Subscriber(&RoomPage::onSay, this)));
    // Two rows of buttons, wide enough for their words between the buttons' caps.
    const std::size_t perRow = (kButtonCount + 1) / 2;
    const float w = 0.96f / static_cast<float>(perRow);
    for (std::size_t b = 0; b < kButtonCount; ++b) {
        const float x = 0.02f + w * static_cast<float>(b % perRow);
        const float y = kSeatsBottom + 0.255f + 0.073f * static_cast<float>(b / perRow);
        CEGUI::Window* button =
            addWidget(frame, "TaharezLook/Button", kButtons[b], kButtonTexts[b], x, y, w - 0.01f, 0.065f);
        button->setID(static_cast<unsigned>(b));
        mConnections.emplace_back(button->subscribeEvent(CEGUI::PushButton::EventClicked,
                                                         CEGUI::Event::Subscriber(&RoomPage::onButton, this)));
    }
    // The props strip (the props bag's ten slots) and the props shop, over the seats when shown.
    CEGUI::Window* props = addWidget(frame, "TaharezLook/StaticText", "PropsPanel", "", 0.02f, 0.02f, 0.96f, 0.82f);
    props->setVisible(false);
    addWidget(*props, "TaharezLook/StaticText", "PropsTitle", "Your props", 0.02f, 0.0f, 0.5f, 0.08f);
    for (int i = 0; i < kPropSlots; ++i)
        addWidget(*props, "TaharezLook/StaticText", ("PropSlot" + std::to_string(i)).c_str(), "",
                  0.02f + 0.49f * static_cast<float>(i % 2), 0.09f + 0.09f * static_cast<float>(i / 2), 0.47f, 0.08f);
    addWidget(*props, "TaharezLook/StaticText", "ShopTitle", "Props shop: a click buys one", 0.02f, 0.545f, 0.6f,
              0.08f);
    for (std::size_t i = 0; i < kPropOffers; ++i) {
        CEGUI::Window* buy = addWidget(*props, "TaharezLook/Button", ("PropBuy" + std::to_string(i)).c_str(), "",
                                       0.02f + 0.49f * static_cast<float>(i % 2),
                                       0.635f + 0.09f * static_cast<float>(i / 2), 0.47f, 0.08f);
        buy->setID(static_cast<unsigned>(i));
        mConnections.emplace_back(buy->subscribeEvent(CEGUI::PushButton::EventClicked,
                                                      CEGUI::Event::Subscriber(&RoomPage::onPropBuyClicked, this)));
    }
    mHelp.build(frame);
    showCards();
    showProps();
}

std::string RoomPage::propSlotText(const BagData& slot)
{
    const std::string at = std::to_string(slot.pci_slot) + ": ";
    if (slot.i_id == 0)
        return at + "-";
    return at + (slot.i_name.empty() ? std::to_string(slot.i_id) : slot.i_name) + " x" + std::to_string(slot.pci_num);
}

void RoomPage::showProps()
{
    CEGUI::Window* frame = window();
    if (!frame || !frame->isChild("PropsPanel"))
        return;
    CEGUI::Window* props = frame->getChild("PropsPanel");
    for (int i = 0; i < kPropSlots; ++i) {
        const std::size_t at = static_cast<std::size_t>(i);
        props->getChild("PropSlot" + std::to_string(i))
            ->setText(outsideText(at < mPropSlots.size() ? propSlotText(mPropSlots[at]) : std::string()));
    }
    for (std::size_t i = 0; i < kPropOffers; ++i) {
        CEGUI::Window* buy = props->getChild("PropBuy" + std::to_string(i));
        buy->setVisible(i < mPropOffers.size());
        if (i < mPropOffers.size()) {
            const ShopData& offer = mPropOffers[i];
            const std::string price = offer.prices.empty() ? std::string()
                                                           : " (" + std::to_string(offer.prices[0].s_price) +
                                                                 (offer.prices[0].s_buy_type == 2   ? " coupons)"
                                                                  : offer.prices[0].s_buy_type == 3 ? " medals)"
                                                                                                    : " coins)");
            buy->setText(outsideText("Buy " + offer.i_name + price));
        }
    }
}

void RoomPage::toggleProps()
{
    CEGUI::Window* frame = window();
    if (frame && frame->isChild("PropsPanel"))
        frame->getChild("PropsPanel")->setVisible(!frame->getChild("PropsPanel")->isVisible());
}

bool RoomPage::propsShown() const
{
    CEGUI::Window* frame = window();
    return frame && frame->isChild("PropsPanel") && frame->getChild("PropsPanel")->isVisible();
}

bool RoomPage::buyProp(std::size_t index)
{
    if (index >= mPropOffers.size())
        return false;
    ParamNode cart;
    cart.name = "prop";
    cart.value = std::vector<ShopData>{mPropOffers[index]};
    cart.type = ParamNode::Record;
    params().set(kKind, cart);
    return call(kPropCheckoutEventId);
}

bool RoomPage::onPropBuyClicked(const CEGUI::EventArgs& args)
{
    try {
        buyProp(static_cast<const CEGUI::WindowEventArgs&>(args).window->getID());
    } catch (const std::exception& e) {
        guiLog(Severity::Error, "buying a prop failed: ", e.what());
    }
    return true;
}

void RoomPage::open(const std::string& playerName, const std::string& zoneName)
{
    mPlayerName = playerName;
    mSelectedSeat = -1;
    mMapIdx = 0;
    params().set(kKind, ParamNode::integer("room_id", mRoomId));
    params().set(kKind, ParamNode::text("room_name", mRoomName));
    params().set(kKind, ParamNode::text("zone_name", zoneName));
    params().set(kKind, ParamNode::integer("room_mode", mMode));
    mDispatcher.callback(kLoadingEventId, params().handle(kKind));
    params().set(kKind, ParamNode::text("uid", playerName));
    mDispatcher.callback(kListenEventId, params().handle(kKind));
    params().set(kKind, ParamNode::integer("mode", mMode));
    mDispatcher.callback(kMapListEventId, params().handle(kKind));
    // The own bag's props (0: the player's own character) and the props shop.
    params().set(kKind, ParamNode::integer("roleid", 0));
    mDispatcher.callback(kPropLoadEventId, params().handle(kKind));
    mDispatcher.callback(kPropShopEventId, params().handle(kKind));
    // The room's chat is heard instead of the hall's while the page is up.
    mLastChat.clear();
    if (CEGUI::Window* frame = window())
        frame->getChild("ChatHeard")->setText("");
    params().set(kKind, ParamNode::boolean("isRemoveListen", true));
    params().set(kKind, ParamNode::text("currentrid", mRoomName));
    params().set(kKind, ParamNode::text("guild_name", ""));
    params().set(kKind, ParamNode::text("cry_name", ""));
    mDispatcher.callback(kChatListenEventId, params().handle(kKind));
}

void RoomPage::onFilled(int raised, ParamList& given)
{
    // The views, seats, maps and creation of the arena's (8) and the missions' (9) rooms are told
    // as the others' are: their ids carry the values of the events that hold them.
    ParamList& list = valuesOf(mDispatcher, raised, given);
    const int eventId = holderOf(raised);
    if (eventId == kLoadingEventId) {
        const int* id = valueOf<int>(list, "room_id");
        const std::string* name = valueOf<std::string>(list, "room_name");
        const int* mode = valueOf<int>(list, "mode_name");
        if (id && name && !name->empty()) {
            mRoomId = *id;
            mRoomName = *name;
        }
        if (mode)
            mMode = *mode;
        return;
    }
    // The room gone: an arena room or a mission's goes back to the hall as a PVP room's does (40),
    // through the same leaving.
    if ((raised == EventId::FixedMapPlayerLeave && mMode == 8) || (raised == EventId::PvePlayerLeave && mMode == 9)) {
        mDispatcher.fillParams(kLeaveEventId);
        return;
    }
    if (eventId == kMapChangeEventId) {
        if (const int* map = valueOf<int>(list, "mapid")) {
            mMapId = *map;
            showCards();
        }
        return;
    }
    if (eventId == kChatListenEventId) {
        for (const ParamNode* n : list)
            if (const std::string* line = n && n->name == "json" ? boost::any_cast<std::string>(&n->value) : nullptr)
                mLastChat = RoomListPage::chatText(*line);
        if (CEGUI::Window* frame = window())
            frame->getChild("ChatHeard")->setText(outsideText(mLastChat));
        return;
    }
    if (eventId == kJoinEventId || eventId == kCreateEventId) {
        // Joining or opening a room tells which (in an arena too): the view asks for it when it
        // opens.
        const bool* entered = valueOf<bool>(list, "isEnter");
        const std::string* name = valueOf<std::string>(list, "room_name");
        const int* id = valueOf<int>(list, "room_id");
        const int* mode = valueOf<int>(list, "mode");
        if ((entered && !*entered) || !name || name->empty())
            return;
        mRoomName = *name;
        mRoomId = id ? *id : -1;
        mMode = mode ? *mode : 1;
        mTitle.clear();
    } else if (eventId == kListenEventId) {
        if (const auto* cards = valueOf<std::vector<PlayerCard>>(list, "players"))
            if (cards->size() == 8)
                mCards = *cards;
        if (const int* own = valueOf<int>(list, "my_pos"))
            mOwnSeat = *own >= 0 && *own < 8 ? *own : 0;
        if (const int* map = valueOf<int>(list, "mapid"))
            mMapId = *map;
        if (const int* mode = valueOf<int>(list, "mode"))
            mMode = *mode;
        if (const unsigned* stage = valueOf<unsigned>(list, "mapidx"))
            mMapIdx = *stage;
        if (const std::string* title = valueOf<std::string>(list, "title"))
            mTitle = *title;
        showCards();
    } else if (eventId == kPropLoadEventId) {
        if (const auto* slots = valueOf<std::vector<BagData>>(list, "bagList"))
            mPropSlots = *slots;
        showProps();
    } else if (eventId == kPropShopEventId) {
        if (const auto* offers = valueOf<std::vector<ShopData>>(list, "shoplist"))
            mPropOffers = *offers;
        showProps();
    } else if (eventId == kPropCheckoutEventId) {
        // What was bought shows in the strip once the bag comes again, what it cost in the title
        // bar once the attributes come again.
        params().set(kKind, ParamNode::integer("roleid", 0));
        call(kPropLoadEventId);
        call(kAttrEventId);
    } else if (eventId == kMapListEventId) {
        if (const auto* maps = valueOf<std::vector<MapInfList>>(list, "maps"))
            mMaps = *maps;
        showCards();
    }
}

std::string RoomPage::cardLine(const PlayerCard& card, int seat)
{
    return cardLine(card, seat, fromCeguiString(card.nickname));
}

std::string RoomPage::cardLine(const PlayerCard& card, int seat, const std::string& nickname)
{
    const std::string team = seat < 4 ? "red" : "blue";
    if (!card.occupied)
        return card.slotOff ? "(shut)" : "(" + team + ", empty)";
    std::string line = nickname + " (" + team + ")";
    if (card.owner)
        line += " owner";
    else if (card.battle)
        line += " ready";
    return line;
}

std::string RoomPage::fittedCardLine(const PlayerCard& card, int seat, const CEGUI::Font* font, float width)
{
    std::string line = cardLine(card, seat);
    const auto fits = [font, width](const std::string& text) {
        return font->getTextExtent(outsideText(text)) <= width;
    };
    if (!font || !card.occupied || fits(line))
        return line;
    // Narrow cells: the nickname is cut; the team and the state stay whole on every card.
    std::string nickname = fromCeguiString(card.nickname);
    while (!nickname.empty()) {
        dropLastCharacter(nickname);
        line = cardLine(card, seat, nickname + "...");
        if (fits(line))
            break;
    }
    return line;
}

void RoomPage::showCards()
{
    CEGUI::Window* frame = window();
    if (!frame)
        return;
    CEGUI::Window* seats = frame->getChild("Seats");
    static const char* const labels[8] = {"Label_red0",  "Label_red1",  "Label_red2",  "Label_red3",
                                          "Label_blue0", "Label_blue1", "Label_blue2", "Label_blue3"};
    // Cells too narrow for a whole line (nickname, team and state) in the GUI's font write every
    // seat's line in the smaller one, so that the team and the state still fit beside a name.
    bool narrow = false;
    for (int s = 0; s < 8 && !narrow; ++s)
        if (seats->isChild(labels[s])) {
            CEGUI::Window* label = seats->getChild(labels[s]);
            label->setFont(static_cast<const CEGUI::Font*>(nullptr));
            const CEGUI::Font* font = label->getFont();
            const std::string whole = cardLine(mCards[static_cast<std::size_t>(s)], s);
            narrow = font && font->getTextExtent(outsideText(whole)) > label->getPixelSize().d_width - kLabelMargin;
        }
    const CEGUI::String small = narrow ? SmallFont::name("the room's seat lines") : CEGUI::String();
    for (int s = 0; s < 8; ++s) {
        const PlayerCard& card = mCards[static_cast<std::size_t>(s)];
        if (seats->isChild(labels[s])) {
            // Seat beside seat: a line wider than its own cell runs into the next one.
            CEGUI::Window* label = seats->getChild(labels[s]);
            if (small.empty())
                label->setFont(static_cast<const CEGUI::Font*>(nullptr));
            else
                label->setFont(small);
            label->setText(
                outsideText(fittedCardLine(card, s, label->getFont(), label->getPixelSize().d_width - kLabelMargin)));
        }
        // A seat's portrait shows its player's figure, or nothing when nobody sits there.
        const std::string picture = std::string("Picture_") + (labels[s] + 6);
        if (seats->isChild(picture))
            seats->getChild(picture)->setVisible(card.occupied);
    }
    for (std::size_t s = 0; s < mSeatImages.size() && s < 8; ++s)
        if (CEGUI::Window* cell = seatPart(*seats, "Cell_", mSeatImages[s]))
            cell->setProperty("FrameEnabled", static_cast<int>(s) == mSelectedSeat ? "true" : "false");
    std::string owner;
    for (std::size_t s = 0; s < mCards.size(); ++s)
        if (mCards[s].owner && mCards[s].occupied)
            owner = "Owner: " + fromCeguiString(mCards[s].nickname);
    const std::pair<const char*, std::string> lines[] = {
        {"RoomTitle", mTitle.empty() ? mRoomName : mTitle}, {"MapName", mapLine()}, {"Owner", owner}};
    for (const auto& line : lines) {
        CEGUI::Window* label = frame->getChild(line.first);
        label->setText(outsideText(fitted(line.second, label->getFont(), label->getPixelSize().d_width)));
    }
    const bool isOwner = mCards[static_cast<std::size_t>(mOwnSeat)].owner;
    for (const char* b : {"Start", "Kick", "Lock", "MapPrev", "MapNext"})
        frame->getChild(b)->setEnabled(isOwner);
    frame->getChild("Ready")->setEnabled(!isOwner);
}

int RoomPage::startFlags(const std::vector<PlayerCard>& cards, int mode)
{
    int teams[2] = {0, 0};
    bool allReady = true;
    for (std::size_t s = 0; s < cards.size() && s < 8; ++s) {
        if (!cards[s].occupied)
            continue;
        ++teams[s < 4 ? 0 : 1];
        allReady = allReady && (cards[s].owner || cards[s].battle);
    }
    // A mission's players fight its crews together: any one side may hold them all.
    if (core::MissionRule::isMission(mode) ? teams[0] + teams[1] == 0 : teams[0] == 0 || teams[1] == 0)
        return 3;
    if (mode >= 1 && mode <= 3 && teams[0] != teams[1])
        return 1;
    return allReady ? 0 : 2;
}

bool RoomPage::call(int eventId) { return mDispatcher.callback(eventId, params().handle(kKind)); }

void RoomPage::tell(const std::string& text)
{
    if (!showWarning(mDispatcher, text))
        guiLog(Severity::Warning, "room page: ", text);
}

bool RoomPage::ready()
{
    params().set(kKind, ParamNode::boolean("isReady", mCards[static_cast<std::size_t>(mOwnSeat)].battle));
    return call(kReadyEventId);
}

bool RoomPage::start()
{
    params().set(kKind, ParamNode::integer("flags", startFlags(mCards, mMode)));
    return call(kStartEventId);
}

bool RoomPage::changeTeam() { return call(kTeamEventId); }

bool RoomPage::leave()
{
    params().set(kKind, ParamNode::text("room_name", mRoomName));
    return call(kLeaveEventId);
}

bool RoomPage::kick()
{
    if (mSelectedSeat < 0 || mSelectedSeat >= 8) {
        tell("Click the seat of the player to put out, then press Kick.");
        return false;
    }
    if (!mCards[static_cast<std::size_t>(mSelectedSeat)].occupied) {
        tell("Nobody sits on that seat: there is nobody to put out.");
        return false;
    }
    params().set(kKind, ParamNode::integer("pos", mSelectedSeat));
    return call(kKickEventId);
}

bool RoomPage::lockSeat()
{
    if (mSelectedSeat < 0 || mSelectedSeat >= 8) {
        tell("Click the seat to shut or open, then press Lock.");
        return false;
    }
    // An open seat is asked shut (true), a shut one open.
    params().set(kKind, ParamNode::boolean("isLock", !mCards[static_cast<std::size_t>(mSelectedSeat)].slotOff));
    params().set(kKind, ParamNode::integer("pos", mSelectedSeat));
    return call(kLockEventId);
}

bool RoomPage::say(const std::string& text)
{
    if (text.empty() || mRoomName.empty())
        return false;
    RoleAttr sender;
    sender.pc_nickname = fromCeguiString(mCards[static_cast<std::size_t>(mOwnSeat)].nickname);
    if (sender.pc_nickname.empty())
        sender.pc_nickname = mPlayerName;
    ParamNode channel;
    channel.name = "channel";
    channel.value = ChannelRoom;
    channel.size = 4;
    channel.type = ParamNode::Integer;
    params().set(kKind, channel);
    params().set(kKind, recordNode("sender", sender, static_cast<std::int32_t>(sizeof(RoleAttr))));
    params().set(kKind, ParamNode::text("uid", mPlayerName));
    params().set(kKind, ParamNode::text("content", text.substr(0, kChatMax)));
    params().set(kKind, ParamNode::text("team", mOwnSeat < 4 ? "0" : "1"));
    return call(kChatSendEventId);
}

bool RoomPage::onSay(const CEGUI::EventArgs&)
{
    try {
        CEGUI::Window* frame = window();
        if (!frame)
            return true;
        CEGUI::Window* line = frame->getChild("ChatLine");
        if (say(fromCeguiString(line->getText())))
            line->setText("");
    } catch (const std::exception& e) {
        guiLog(Severity::Error, "a room chat line was not sent: ", e.what());
    }
    return true;
}

std::string RoomPage::mapLine() const
{
    std::string line = "Map: " + std::to_string(mMapId);
    for (const MapInfList& m : mMaps)
        if (m.mapId == mMapId) {
            line = "Map: " + m.name;
            if (mMode == 9 && !m.spare.empty())
                line += ", stage " + std::to_string(mMapIdx + 1) + " of " + std::to_string(m.spare.size());
        }
    return line;
}

std::string RoomPage::fitted(const std::string& text, const CEGUI::Font* font, float width)
{
    const auto fits = [font, width](const std::string& t) { return font->getTextExtent(outsideText(t)) <= width; };
    if (!font || fits(text))
        return text;
    std::string cut = text;
    while (!cut.empty()) {
        dropLastCharacter(cut);
        if (fits(cut + "..."))
            break;
    }
    return cut + "...";
}

bool RoomPage::changeMap(int step)
{
    // The arrows go through the maps of the room's mode; in a mission through the stages of
    // each map, in order.
    struct Choice {
        std::size_t map;
        unsigned stage;
    };
    std::vector<Choice> choices;
    for (std::size_t m = 0; m < mMaps.size(); ++m) {
        const std::size_t stages = mMode == 9 ? mMaps[m].spare.size() : 0;
        for (std::size_t k = 0; k < std::max<std::size_t>(stages, 1); ++k)
            choices.push_back({m, static_cast<unsigned>(k)});
    }
    if (choices.empty())
        return false;
    int at = 0;
    for (std::size_t i = 0; i < choices.size(); ++i)
        if (mMaps[choices[i].map].mapId == mMapId && (mMode != 9 || choices[i].stage == mMapIdx))
            at = static_cast<int>(i);
    const int count = static_cast<int>(choices.size());
    const Choice& next = choices[static_cast<std::size_t>(((at + step) % count + count) % count)];
    params().set(kKind, recordNode("mapinf", mMaps[next.map], static_cast<std::int32_t>(sizeof(MapInfList))));
    params().set(kKind, ParamNode::integer("mode", mMode));
    ParamNode idx;
    idx.name = "idx";
    idx.value = next.stage;
    idx.size = 4;
    idx.type = ParamNode::Integer;
    params().set(kKind, idx);
    return call(kMapChangeEventId);
}

bool RoomPage::onButton(const CEGUI::EventArgs& args)
{
    try {
        const auto& w = static_cast<const CEGUI::WindowEventArgs&>(args);
        switch (w.window->getID()) {
        case 0:
            ready();
            break;
        case 1:
            start();
            break;
        case 2:
            changeTeam();
            break;
        case 3:
            leave();
            break;
        case 4:
            kick();
            break;
        case 5:
            lockSeat();
            break;
        case 6:
            changeMap(-1);
            break;
        case 7:
            changeMap(1);
            break;
        default:
            toggleProps();
            break;
        }
    } catch (const std::exception& e) {
        guiLog(Severity::Error, "a room button failed: ", e.what());
    }
    return true;
}

void RoomPage::selectSeat(int seat)
{
    mSelectedSeat = seat >= 0 && seat < 8 ? seat : -1;
    showCards();
}

bool RoomPage::onSeatClicked(const CEGUI::EventArgs& args)
{
    try {
        const auto& w = static_cast<const CEGUI::WindowEventArgs&>(args);
        selectSeat(static_cast<int>(w.window->getID()));
    } catch (const std::exception& e) {
        guiLog(Severity::Error, "picking a seat failed: ", e.what());
    }
    return true;
}

} // namespace gui
} // namespace zrk
} // namespace kavri3D
