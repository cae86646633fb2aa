#include "RoomListPage.h"

#include <CEGUI/CEGUI.h>
#include <gui/ChannelType.h>
#include <gui/ParamNode.h>
#include <gui/MapInfList.h>
#include <gui/Room.h>
#include <json/json.h>
#include <lan/ZRKLan.h>
#include <util/JsonText.h>

#include <text/CeguiText.h>
#include "EventDispatcher.h"
#include "GuiLog.h"
#include "ListRows.h"
#include "ParamStore.h"

namespace kavri3D {
namespace zrk {
namespace gui {

namespace {
const char* const kModeNames[] = {"Free",   "Team",   "Duel",  "Melee",   "Mode 4", "Mode 5",
                                  "Mode 6", "Mode 7", "Arena", "Mission", "Mode 10"};
// The kinds of room the create form offers (each has its room view and its way back to the
// hall), the missions a player plays alone (no room: the battle loads at once), and the room
// sizes.
const int kOfferedModes[] = {1, 2, 3, 8, 9};
const int kAloneModes[] = {1003, 1004, 2001};
const int kOfferedSeats[] = {2, 4, 6, 8};
const unsigned kModeGroup = 1;
const unsigned kSeatsGroup = 2;
const float kRowHeight = 0.055f;
// A room's title as the server keeps it, at most.
const std::size_t kTitleMax = 64;
// A chat line is read as JSON only up to this size.
const std::size_t kLineParsed = 16384;

/// The id of the radio button chosen in a group of the frame; `fallback` when none is.
int chosen(CEGUI::Window* frame, unsigned group, int fallback)
{
    if (!frame)
        return fallback;
    for (std::size_t i = 0; i < frame->getChildCount(); ++i)
        if (auto* radio = dynamic_cast<CEGUI::RadioButton*>(frame->getChildAtIdx(i)))
            if (radio->getGroupID() == group && radio->isSelected())
                return static_cast<int>(radio->getID());
    return fallback;
}

std::string quoted(const std::string& value)
{
    Json::StreamWriterBuilder writer;
    writer["indentation"] = "";
    writer["emitUTF8"] = true;
    return Json::writeString(writer, Json::Value(value));
}
} // namespace

RoomListPage::RoomListPage(const std::string& windowName, const std::string& title, ParamStore& params,
                           ParentSource parent, EventDispatcher& dispatcher)
    : GuiPage(kKind, windowName, title, params, std::move(parent)), mDispatcher(dispatcher)
{
    setFrameArea(0.02f, 0.04f, 0.68f, 0.96f);
}

RoomListPage::~RoomListPage() = default;

std::string RoomListPage::modeName(int mode)
{
    // The missions played alone: the fort's first and third, and the raid on its own place.
    if (mode == 1003)
        return "Fort, stage 1";
    if (mode == 1004)
        return "Fort, stage 3";
    if (mode == 2001)
        return "Fort Raid";
    return mode >= 0 && mode <= 10 ? kModeNames[mode] : "Mode " + std::to_string(mode);
}

std::vector<int> RoomListPage::offeredModes()
{
    std::vector<int> modes(std::begin(kOfferedModes), std::end(kOfferedModes));
    modes.insert(modes.end(), std::begin(kAloneModes), std::end(kAloneModes));
    return modes;
}

void RoomListPage::buildContent(CEGUI::Window& frame)
{
    auto* rooms = static_cast<CEGUI::MultiColumnList*>(
        addWidget(frame, "TaharezLook/MultiColumnList", "Rooms", "", 0.02f, 0.02f, 0.96f, 0.30f));
    ListRows::addColumns(
        *rooms,
        {{"Room", 0.34f}, {"Players", 0.14f}, {"Mode", 0.14f}, {"Level", 0.1f}, {"Lock", 0.1f}, {"Battle", 0.14f}});
    rooms->setSelectionMode(CEGUI::MultiColumnList::RowSingle);
    // Joining the selected room (its password typed first) and the quick join.
    label(frame, "JoinPasswordLabel", "Password", 0.02f, 0.335f, 0.12f);
    auto* joinPassword = static_cast<CEGUI::Editbox*>(
        addWidget(frame, "TaharezLook/Editbox", "JoinPassword", "", 0.14f, 0.335f, 0.18f, kRowHeight));
    joinPassword->setTextMasked(true);
    joinPassword->setMaxTextLength(kPasswordMax);
    mJoinConnection = addWidget(frame, "TaharezLook/Button", "Join", "Join", 0.34f, 0.335f, 0.14f, kRowHeight)
                          ->subscribeEvent(CEGUI::PushButton::EventClicked,
                                           CEGUI::Event::Subscriber(&RoomListPage::onJoinClicked, this));
    mQuickJoinConnection =
        addWidget(frame, "TaharezLook/Button", "QuickJoin", "Quick join", 0.5f, 0.335f, 0.16f, kRowHeight)
            ->subscribeEvent(CEGUI::PushButton::EventClicked,
                             CEGUI::Event::Subscriber(&RoomListPage::onQuickJoinClicked, this));
    // What a quick join that found nothing, or was refused, tells the player (the found list stays empty).
    note(frame, "QuickJoinNote", 0.68f, 0.335f, 0.30f, kRowHeight);
    // The create form: the room's kinds and sizes to choose from, its title, password and wind.
    label(frame, "ModeLabel", "Mode", 0.02f, 0.405f, 0.08f);
    float x = 0.10f;
    for (const int mode : kOfferedModes) {
        const std::string name = modeName(mode);
        auto* choice = static_cast<CEGUI::RadioButton*>(addWidget(frame, "TaharezLook/RadioButton",
                                                                  ("Mode" + std::to_string(mode)).c_str(), name, x,
                                                                  0.405f, 0.11f, kRowHeight));
        choice->setGroupID(kModeGroup);
        choice->setID(static_cast<unsigned>(mode));
        choice->setSelected(mode == kOfferedModes[0]);
        x += 0.11f;
    }
    label(frame, "SeatsLabel", "Seats", 0.66f, 0.405f, 0.08f);
    x = 0.74f;
    for (const int seats : kOfferedSeats) {
        auto* choice = static_cast<CEGUI::RadioButton*>(addWidget(frame, "TaharezLook/RadioButton",
                                                                  ("Seats" + std::to_string(seats)).c_str(),
                                                                  std::to_string(seats), x, 0.405f, 0.06f, kRowHeight));
        choice->setGroupID(kSeatsGroup);
        choice->setID(static_cast<unsigned>(seats));
        choice->setSelected(seats == kOfferedSeats[3]);
        x += 0.06f;
    }
    // Alone: a mission without a room, in the same choice as the kinds above.
    label(frame, "AloneLabel", "Alone", 0.02f, 0.465f, 0.08f);
    x = 0.10f;
    for (const int mode : kAloneModes) {
        auto* choice = static_cast<CEGUI::RadioButton*>(addWidget(frame, "TaharezLook/RadioButton",
                                                                  ("Mode" + std::to_string(mode)).c_str(),
                                                                  modeName(mode), x, 0.465f, 0.17f, kRowHeight));
        choice->setGroupID(kModeGroup);
        choice->setID(static_cast<unsigned>(mode));
        x += 0.17f;
    }
    label(frame, "TitleLabel", "Title", 0.02f, 0.525f, 0.08f);
    static_cast<CEGUI::Editbox*>(
        addWidget(frame, "TaharezLook/Editbox", "NewTitle", "My room", 0.10f, 0.525f, 0.26f, kRowHeight))
        ->setMaxTextLength(kTitleMax);
    label(frame, "NewPasswordLabel", "Password", 0.38f, 0.525f, 0.12f);
    auto* newPassword = static_cast<CEGUI::Editbox*>(
        addWidget(frame, "TaharezLook/Editbox", "NewPassword", "", 0.50f, 0.525f, 0.16f, kRowHeight));
    newPassword->setTextMasked(true);
    newPassword->setMaxTextLength(kPasswordMax);
    // A letter past the most a password holds is not taken: the form says why under it.
    mPasswordFullConnection = newPassword->subscribeEvent(
        CEGUI::Editbox::EventEditboxFull, CEGUI::Event::Subscriber(&RoomListPage::onPasswordFull, this));
    static_cast<CEGUI::ToggleButton*>(
        addWidget(frame, "TaharezLook/Checkbox", "NewWind", "Wind", 0.68f, 0.525f, 0.12f, kRowHeight))
        ->setSelected(true);
    mCreateConnection = addWidget(frame, "TaharezLook/Button", "Create", "Create", 0.82f, 0.525f, 0.16f, kRowHeight)
                            ->subscribeEvent(CEGUI::PushButton::EventClicked,
                                             CEGUI::Event::Subscriber(&RoomListPage::onCreateClicked, this));
    // Why the server did not open the room.
    note(frame, "CreateNote", 0.02f, 0.585f, 0.96f, kRowHeight);
    // The rooms a quick join found: a click on a row joins it.
    auto* found = static_cast<CEGUI::MultiColumnList*>(
        addWidget(frame, "TaharezLook/MultiColumnList", "Found", "", 0.02f, 0.645f, 0.96f, 0.09f));
    ListRows::addColumns(*found, {{"Found room", 0.5f}, {"Players", 0.2f}, {"Level", 0.2f}});
    found->setSelectionMode(CEGUI::MultiColumnList::RowSingle);
    mFoundConnection = found->subscribeEvent(CEGUI::MultiColumnList::EventSelectionChanged,
                                             CEGUI::Event::Subscriber(&RoomListPage::onFoundClicked, this));
    addWidget(frame, "TaharezLook/Listbox", "Chat", "", 0.02f, 0.745f, 0.96f, 0.11f);
    addWidget(frame, "TaharezLook/Editbox", "ChatTo", "", 0.02f, 0.865f, 0.18f, 0.06f);
    addWidget(frame, "TaharezLook/Editbox", "ChatInput", "", 0.22f, 0.865f, 0.56f, 0.06f);
    static_cast<CEGUI::Editbox*>(frame.getChild("ChatInput"))->setMaxTextLength(200);
    // Enter in the chat line sends it, as "Send" does.
    mEnterConnection = frame.getChild("ChatInput")
                           ->subscribeEvent(CEGUI::Editbox::EventTextAccepted,
                                            CEGUI::Event::Subscriber(&RoomListPage::onSendClicked, this));
    mSendConnection = addWidget(frame, "TaharezLook/Button", "Send", "Send", 0.8f, 0.865f, 0.18f, 0.06f)
                          ->subscribeEvent(CEGUI::PushButton::EventClicked,
                                           CEGUI::Event::Subscriber(&RoomListPage::onSendClicked, this));
    mLeaveConnection = addWidget(frame, "TaharezLook/Button", "Leave", "Leave", 0.8f, 0.935f, 0.18f, kRowHeight)
                           ->subscribeEvent(CEGUI::PushButton::EventClicked,
                                            CEGUI::Event::Subscriber(&RoomListPage::onLeaveClicked, this));
    mHelp.build(frame);
}

void RoomListPage::label(CEGUI::Window& frame, const char* name, const char* text, float x, float y, float w)
{
    CEGUI::Window* l = addWidget(frame, "TaharezLook/StaticText", name, text, x, y, w, kRowHeight);
    l->setProperty("FrameEnabled", "false");
    l->setProperty("BackgroundEnabled", "false");
}

void RoomListPage::note(CEGUI::Window& frame, const char* name, float x, float y, float w, float h)
{
    CEGUI::Window* n = addWidget(frame, "TaharezLook/StaticText", name, "", x, y, w, h);
    n->setProperty("HorzFormatting", "WordWrapLeftAligned");
    n->setProperty("FrameEnabled", "false");
    n->setProperty("BackgroundEnabled", "false");
}

void RoomListPage::open(const std::string& playerName, const std::string& nickname, double now)
{
    mOpen = true;
    // The zone's talk goes on while the player is in one of its rooms and is heard then: coming
    // back he reads it on. Another player, or one who left the zone, starts afresh (entering
    // the zone tells its last lines again).
    const bool freshChat = mChatLeft || playerName != mPlayerName;
    mChatLeft = false;
    mPlayerName = playerName;
    mNickname = nickname.empty() ? playerName : nickname;
    // What the hall found when the player last left it is not what it holds now.
    mQuickJoinNote.clear();
    mCreateNote.clear();
    mFound.clear();
    if (freshChat)
        mChat.clear();
    if (CEGUI::Window* frame = window()) {
        if (freshChat)
            static_cast<CEGUI::Listbox*>(frame->getChild("Chat"))->resetList();
        ListRows::fill(*static_cast<CEGUI::MultiColumnList*>(frame->getChild("Found")), {});
        frame->getChild("QuickJoinNote")->setText("");
        frame->getChild("CreateNote")->setText("");
    }
    // Into the zone's room first: its loading tells the zone's name (in an arena once the
    // arena has answered), and the chat listens to that zone then.
    mDispatcher.callback(kLoadingEventId, params().handle(kKind));
    refresh();
    mNextRefresh = now + kRefreshSeconds;
}

void RoomListPage::listenToZone()
{
    if (!mOpen || mZoneName.empty())
        return;
    params().set(kKind, ParamNode::boolean("isRemoveListen", true));
    params().set(kKind, ParamNode::text("currentrid", mZoneName));
    params().set(kKind, ParamNode::text("guild_name", ""));
    params().set(kKind, ParamNode::text("cry_name", mZoneName + "_cry"));
    mDispatcher.callback(kChatListenEventId, params().handle(kKind));
    params().set(kKind, ParamNode::integer("canuse", 1));
    params().set(kKind, ParamNode::text("room_name", mZoneName));
    mDispatcher.callback(kChatLoadingEventId, params().handle(kKind));
}

void RoomListPage::onFrame(double now)
{
    if (!mOpen || now < mNextRefresh)
        return;
    mNextRefresh = now + kRefreshSeconds;
    refresh();
}

void RoomListPage::refresh()
{
    params().set(kKind, ParamNode::boolean("queryArena", false));
    mDispatcher.callback(kRefreshEventId, params().handle(kKind));
}

std::string RoomListPage::chatText(const std::string& line)
{
    std::string shown = line;
    if (line.size() <= kLineParsed && !line.empty() && line[0] == '{') {
        Json::Value v;
        std::string error;
        if (core::JsonText::parse(line, v, error) && v.isObject() && v["Sender"].isObject() &&
            v["Sender"]["uname"].isString() && v["Content"].isString())
            shown = v["Sender"]["uname"].asString() + ": " + v["Content"].asString();
    }
    if (shown.size() > kChatLineShown) {
        std::size_t cut = kChatLineShown;
        while (cut > 0 && (static_cast<unsigned char>(shown[cut]) & 0xC0) == 0x80)
            --cut; // never in the middle of a character
        shown = shown.substr(0, cut) + "...";
    }
    return shown;
}

void RoomListPage::onFilled(int raised, ParamList& given)
{
    // An arena's creation (22) and a mission's maps (94) are told as the others' (21, 62).
    ParamList& list = valuesOf(mDispatcher, raised, given);
    const int eventId = holderOf(raised);
    CEGUI::Window* frame = window();
    if (eventId == kLoadingEventId) {
        for (const ParamNode* n : list)
            if (const std::string* zone =
                    n && n->name == "zone_name" ? boost::any_cast<std::string>(&n->value) : nullptr) {
                if (*zone != mZoneName && !mZoneName.empty()) {
                    // Another zone's hall: the last one's talk is not said here.
                    mChat.clear();
                    if (frame)
                        static_cast<CEGUI::Listbox*>(frame->getChild("Chat"))->resetList();
                }
                mZoneName = *zone;
            }
        // The zone's name stays in the title bar beside the player's money.
        setTitle("Rooms of " + mZoneName);
        listenToZone();
    } else if (eventId == kCreateEventId) {
        // A room the server would not open (or let in) says why; one it opened says nothing.
        const std::string* refusal = nullptr;
        for (const ParamNode* n : list)
            if (n && n->name == "room_error")
                refusal = boost::any_cast<std::string>(&n->value);
        mCreateNote = refusal ? (refusal->empty() ? ZRKLan::getMsg("error/unknow_wrong") : *refusal) : std::string();
        if (frame)
            frame->getChild("CreateNote")->setText(outsideText(mCreateNote));
    } else if (eventId == kMapListEventId) {
        for (const ParamNode* n : list)
            if (const auto* maps =
                    n && n->name == "maps" ? boost::any_cast<std::vector<MapInfList>>(&n->value) : nullptr)
                mModeMaps = *maps;
    } else if (eventId == kRefreshEventId) {
        mTitles.clear();
        mRooms.clear();
        std::vector<std::vector<std::string>> rows;
        for (const ParamNode* n : list) {
            const Room* room = n ? boost::any_cast<Room>(&n->value) : nullptr;
            if (!room)
                continue;
            mTitles.push_back(fromCeguiString(room->title));
            mRooms.push_back(*room);
            rows.push_back({mTitles.back(), std::to_string(room->members) + " / " + std::to_string(room->seats),
                            modeName(room->mode), std::to_string(room->lv), room->password ? "locked" : "",
                            room->fight ? "fighting" : "waiting"});
        }
        if (frame)
            ListRows::fill(*static_cast<CEGUI::MultiColumnList*>(frame->getChild("Rooms")), rows);
    } else if (eventId == kQuickJoinEventId) {
        mFound.clear();
        std::vector<std::vector<std::string>> rows;
        const std::string* refusal = nullptr;
        for (const ParamNode* n : list) {
            if (n && n->name == "room_error")
                refusal = boost::any_cast<std::string>(&n->value);
            if (const auto* found =
                    n && n->name == "room_lst" ? boost::any_cast<std::vector<Room>>(&n->value) : nullptr)
                for (const Room& room : *found) {
                    mFound.push_back(room);
                    rows.push_back({fromCeguiString(room.title),
                                    std::to_string(room.members) + " / " + std::to_string(room.seats),
                                    std::to_string(room.lv)});
                }
        }
        // A refused quick match says why; one that found nothing says so.
        mQuickJoinNote = refusal && !refusal->empty() ? *refusal
                         : mFound.empty()             ? ZRKLan::getMsg(kNoRoomKey)
                                                      : std::string();
        if (frame) {
            ListRows::fill(*static_cast<CEGUI::MultiColumnList*>(frame->getChild("Found")), rows);
            frame->getChild("QuickJoinNote")->setText(outsideText(mQuickJoinNote));
        }
    } else if (eventId == kChatListenEventId) {
        for (const ParamNode* n : list)
            if (const std::string* line = n && n->name == "json" ? boost::any_cast<std::string>(&n->value) : nullptr) {
                mChat.push_back(chatText(*line));
                if (mChat.size() > kChatLinesKept)
                    mChat.erase(mChat.begin());
                if (frame)
                    ListRows::appendLine(*static_cast<CEGUI::Listbox*>(frame->getChild("Chat")), mChat.back(),
                                         kChatLinesKept);
            }
    }
}

bool RoomListPage::say(const std::string& text, const std::string& to)
{
    if (text.empty() || mZoneName.empty())
        return false;
    const std::string line = "{\"Channel\":\"1\",\"Sender\":{\"uid\":" + quoted(mPlayerName) +
                             ",\"uname\":" + quoted(mNickname) + "},\"team\":\"0\",\"Content\":" + quoted(text) + "}";
    ParamNode channel;
    channel.name = "channel";
    channel.value = to.empty() ? ChannelRoom : ChannelPrivate;
    channel.size = 4;
    channel.type = ParamNode::Integer;
    params().set(kKind, channel);
    params().set(kKind, ParamNode::text("string", line));
    params().set(kKind, ParamNode::text("rid", mZoneName));
    params().set(kKind, ParamNode::text("toUid", to));
    const bool sent = mDispatcher.callback(kChatSendEventId, params().handle(kKind));
    // A private line comes back from no room: the box shows it as sent.
    if (sent && !to.empty()) {
        mChat.push_back("to " + to + ": " + text);
        if (CEGUI::Window* frame = window())
            ListRows::appendLine(*static_cast<CEGUI::Listbox*>(frame->getChild("Chat")), mChat.back(), kChatLinesKept);
    }
    return sent;
}

bool RoomListPage::leave()
{
    if (mZoneName.empty())
        return false;
    params().set(kKind, ParamNode::text("zone_name", mZoneName));
    params().set(kKind, ParamNode::text("cry_name", mZoneName + "_cry"));
    params().set(kKind, ParamNode::text("guild_name", ""));
    const bool left = mDispatcher.callback(kLeaveEventId, params().handle(kKind));
    mChatLeft = mChatLeft || left;
    return left;
}

bool RoomListPage::join(int row, const std::string& password)
{
    CEGUI::Window* frame = window();
    if (row < 0 && frame)
        row = ListRows::selectedRow(*static_cast<CEGUI::MultiColumnList*>(frame->getChild("Rooms")));
    if (row < 0 || static_cast<std::size_t>(row) >= mRooms.size())
        return false;
    return joinRoom(mRooms[static_cast<std::size_t>(row)], password);
}

bool RoomListPage::quickJoin() { return mDispatcher.callback(kQuickJoinEventId, params().handle(kKind)); }

bool RoomListPage::joinFound(int row)
{
    if (row < 0 || static_cast<std::size_t>(row) >= mFound.size())
        return false;
    return joinRoom(mFound[static_cast<std::size_t>(row)], std::string());
}

bool RoomListPage::joinRoom(const Room& chosen, const std::string& password)
{
    ParamNode room;
    room.name = "room";
    room.value = chosen;
    room.size = static_cast<std::int32_t>(sizeof(Room));
    room.type = ParamNode::Record;
    params().set(kKind, room);
    params().set(kKind, ParamNode::text("room_pwd", password));
    const bool sent = mDispatcher.callback(kJoinEventId, params().handle(kKind));
    params().set(kKind, ParamNode::text("room_pwd", "")); // the page keeps no password
    return sent;
}

bool RoomListPage::create(int mode, const std::string& title, const std::string& password, int seats, bool wind)
{
    // The room opens on the first map its kind plays in the zone (a mission's is the map of its
    // stages); without one the server says why.
    mModeMaps.clear();
    params().set(kKind, ParamNode::integer("mode", mode));
    mDispatcher.callback(kMapListEventId, params().handle(kKind));
    const std::string place = mModeMaps.empty() ? std::string("default") : std::to_string(mModeMaps.front().mapId);
    params().set(kKind, ParamNode::integer("mode", mode));
    params().set(kKind, ParamNode::text("title", title));
    params().set(kKind, ParamNode::text("password", password));
    params().set(kKind, ParamNode::text("place", place));
    params().set(kKind, ParamNode::integer("mebMax", seats));
    params().set(kKind, ParamNode::boolean("wind", wind));
    const bool sent = mDispatcher.callback(kCreateEventId, params().handle(kKind));
    params().set(kKind, ParamNode::text("password", ""));
    return sent;
}

bool RoomListPage::onQuickJoinClicked(const CEGUI::EventArgs&)
{
    try {
        quickJoin();
    } catch (const std::exception& e) {
        guiLog(Severity::Error, "a quick join failed: ", e.what());
    }
    return true;
}

bool RoomListPage::onFoundClicked(const CEGUI::EventArgs&)
{
    try {
        if (CEGUI::Window* frame = window())
            joinFound(ListRows::selectedRow(*static_cast<CEGUI::MultiColumnList*>(frame->getChild("Found"))));
    } catch (const std::exception& e) {
        guiLog(Severity::Error, "joining a found room failed: ", e.what());
    }
    return true;
}

bool RoomListPage::onJoinClicked(const CEGUI::EventArgs&)
{
    try {
        if (CEGUI::Window* frame = window()) {
            CEGUI::Window* password = frame->getChild("JoinPassword");
            join(-1, fromCeguiString(password->getText()));
            password->setText("");
        }
    } catch (const std::exception& e) {
        guiLog(Severity::Error, "joining a room failed: ", e.what());
    }
    return true;
}

bool RoomListPage::onCreateClicked(const CEGUI::EventArgs&)
{
    try {
        if (CEGUI::Window* frame = window()) {
            CEGUI::Window* password = frame->getChild("NewPassword");
            create(chosen(frame, kModeGroup, kOfferedModes[0]), fromCeguiString(frame->getChild("NewTitle")->getText()),
                   fromCeguiString(password->getText()), chosen(frame, kSeatsGroup, kOfferedSeats[3]),
                   static_cast<CEGUI::ToggleButton*>(frame->getChild("NewWind"))->isSelected());
            password->setText("");
        }
    } catch (const std::exception& e) {
        guiLog(Severity::Error, "creating a room failed: ", e.what());
    }
    return true;
}

void RoomListPage::tellPasswordFull()
{
    mCreateNote = ZRKLan::getMsg(kPasswordLongKey);
    if (CEGUI::Window* frame = window())
        frame->getChild("CreateNote")->setText(outsideText(mCreateNote));
}

bool RoomListPage::onPasswordFull(const CEGUI::EventArgs&)
{
    try {
        tellPasswordFull();
    } catch (const std::exception& e) {
        guiLog(Severity::Error, "the password's note failed: ", e.what());
    }
    return true;
}

bool RoomListPage::onSendClicked(const CEGUI::EventArgs&)
{
    try {
        CEGUI::Window* frame = window();
        if (!frame)
            return true;
        CEGUI::Window* input = frame->getChild("ChatInput");
        if (say(fromCeguiString(input->getText()), fromCeguiString(frame->getChild("ChatTo")->getText())))
            input->setText("");
    } catch (const std::exception& e) {
        guiLog(Severity::Error, "sending a chat line failed: ", e.what());
    }
    return true;
}

bool RoomListPage::onLeaveClicked(const CEGUI::EventArgs&)
{
    try {
        leave();
    } catch (const std::exception& e) {
        guiLog(Severity::Error, "leaving the hall failed: ", e.what());
    }
    return true;
}

} // namespace gui
} // namespace zrk
} // namespace kavri3D
