#include "RoomListPage.h"

#include <CEGUI/CEGUI.h>
#include <gui/ChannelType.h>
#include <gui/ParamNode.h>
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
// A chat line is read as JSON only up to this size.
const std::size_t kLineParsed = 16384;

std::string modeName(int mode) { return mode >= 0 && mode <= 10 ? kModeNames[mode] : "Mode " + std::to_string(mode); }

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

void RoomListPage::buildContent(CEGUI::Window& frame)
{
    auto* rooms = static_cast<CEGUI::MultiColumnList*>(
        addWidget(frame, "TaharezLook/MultiColumnList", "Rooms", "", 0.02f, 0.02f, 0.96f, 0.36f));
    ListRows::addColumns(
        *rooms,
        {{"Room", 0.34f}, {"Players", 0.14f}, {"Mode", 0.14f}, {"Level", 0.1f}, {"Lock", 0.1f}, {"Battle", 0.14f}});
    rooms->setSelectionMode(CEGUI::MultiColumnList::RowSingle);
    // Joining the selected room (its password typed first), and the create form.
    auto* joinPassword = static_cast<CEGUI::Editbox*>(
        addWidget(frame, "TaharezLook/Editbox", "JoinPassword", "", 0.02f, 0.39f, 0.3f, 0.055f));
    joinPassword->setTextMasked(true);
    joinPassword->setMaxTextLength(16);
    mJoinConnection = addWidget(frame, "TaharezLook/Button", "Join", "Join", 0.34f, 0.39f, 0.14f, 0.055f)
                          ->subscribeEvent(CEGUI::PushButton::EventClicked,
                                           CEGUI::Event::Subscriber(&RoomListPage::onJoinClicked, this));
    addWidget(frame, "TaharezLook/Editbox", "NewTitle", "My room", 0.02f, 0.46f, 0.3f, 0.055f);
    auto* newPassword = static_cast<CEGUI::Editbox*>(
        addWidget(frame, "TaharezLook/Editbox", "NewPassword", "", 0.34f, 0.46f, 0.16f, 0.055f));
    newPassword->setTextMasked(true);
    newPassword->setMaxTextLength(16);
    addWidget(frame, "TaharezLook/Editbox", "NewSeats", "8", 0.52f, 0.46f, 0.08f, 0.055f);
    addWidget(frame, "TaharezLook/Editbox", "NewMode", "1", 0.62f, 0.46f, 0.08f, 0.055f);
    static_cast<CEGUI::ToggleButton*>(
        addWidget(frame, "TaharezLook/Checkbox", "NewWind", "Wind", 0.72f, 0.46f, 0.1f, 0.055f))
        ->setSelected(true);
    mCreateConnection = addWidget(frame, "TaharezLook/Button", "Create", "Create", 0.84f, 0.46f, 0.14f, 0.055f)
                            ->subscribeEvent(CEGUI::PushButton::EventClicked,
                                             CEGUI::Event::Subscriber(&RoomListPage::onCreateClicked, this));
    mQuickJoinConnection = addWidget(frame, "TaharezLook/Button", "QuickJoin", "Quick join", 0.5f, 0.39f, 0.16f, 0.055f)
                               ->subscribeEvent(CEGUI::PushButton::EventClicked,
                                                CEGUI::Event::Subscriber(&RoomListPage::onQuickJoinClicked, this));
    // What a quick join that found nothing tells the player (the found list stays empty).
    auto* note =
        addWidget(frame, "TaharezLook/StaticText", "QuickJoinNote", mQuickJoinNote, 0.68f, 0.39f, 0.30f, 0.055f);
    note->setProperty("HorzFormatting", "WordWrapLeftAligned");
    note->setProperty("FrameEnabled", "false");
    note->setProperty("BackgroundEnabled", "false");
    // The rooms a quick join found: a click on a row joins it.
    auto* found = static_cast<CEGUI::MultiColumnList*>(
        addWidget(frame, "TaharezLook/MultiColumnList", "Found", "", 0.02f, 0.53f, 0.96f, 0.13f));
    ListRows::addColumns(*found, {{"Found room", 0.5f}, {"Players", 0.2f}, {"Level", 0.2f}});
    found->setSelectionMode(CEGUI::MultiColumnList::RowSingle);
    mFoundConnection = found->subscribeEvent(CEGUI::MultiColumnList::EventSelectionChanged,
                                             CEGUI::Event::Subscriber(&RoomListPage::onFoundClicked, this));
    addWidget(frame, "TaharezLook/Listbox", "Chat", "", 0.02f, 0.67f, 0.96f, 0.17f);
    addWidget(frame, "TaharezLook/Editbox", "ChatTo", "", 0.02f, 0.86f, 0.18f, 0.06f);
    addWidget(frame, "TaharezLook/Editbox", "ChatInput", "", 0.22f, 0.86f, 0.56f, 0.06f);
    static_cast<CEGUI::Editbox*>(frame.getChild("ChatInput"))->setMaxTextLength(200);
    // Enter in the chat line sends it, as "Send" does.
    mEnterConnection = frame.getChild("ChatInput")
                           ->subscribeEvent(CEGUI::Editbox::EventTextAccepted,
                                            CEGUI::Event::Subscriber(&RoomListPage::onSendClicked, this));
    mSendConnection = addWidget(frame, "TaharezLook/Button", "Send", "Send", 0.8f, 0.86f, 0.18f, 0.06f)
                          ->subscribeEvent(CEGUI::PushButton::EventClicked,
                                           CEGUI::Event::Subscriber(&RoomListPage::onSendClicked, this));
    mLeaveConnection = addWidget(frame, "TaharezLook/Button", "Leave", "Leave", 0.8f, 0.93f, 0.18f, 0.055f)
                           ->subscribeEvent(CEGUI::PushButton::EventClicked,
                                            CEGUI::Event::Subscriber(&RoomListPage::onLeaveClicked, this));
    mHelp.build(frame);
}

void RoomListPage::open(const std::string& playerName, const std::string& nickname, double now)
{
    mOpen = true;
    mPlayerName = playerName;
    mNickname = nickname.empty() ? playerName : nickname;
    mChat.clear();
    mQuickJoinNote.clear();
    if (CEGUI::Window* frame = window()) {
        static_cast<CEGUI::Listbox*>(frame->getChild("Chat"))->resetList();
        frame->getChild("QuickJoinNote")->setText("");
    }
    // Into the zone's room first: its loading tells the zone's name.
    mDispatcher.callback(kLoadingEventId, params().handle(kKind));
    params().set(kKind, ParamNode::boolean("isRemoveListen", true));
    params().set(kKind, ParamNode::text("currentrid", mZoneName));
    params().set(kKind, ParamNode::text("guild_name", ""));
    params().set(kKind, ParamNode::text("cry_name", mZoneName.empty() ? "" : mZoneName + "_cry"));
    mDispatcher.callback(kChatListenEventId, params().handle(kKind));
    params().set(kKind, ParamNode::integer("canuse", 1));
    params().set(kKind, ParamNode::text("room_name", mZoneName));
    mDispatcher.callback(kChatLoadingEventId, params().handle(kKind));
    refresh();
    mNextRefresh = now + kRefreshSeconds;
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

void RoomListPage::onFilled(int eventId, ParamList& list)
{
    CEGUI::Window* frame = window();
    if (eventId == kLoadingEventId) {
        for (const ParamNode* n : list)
            if (const std::string* zone =
                    n && n->name == "zone_name" ? boost::any_cast<std::string>(&n->value) : nullptr)
                mZoneName = *zone;
        if (frame)
            frame->setText(outsideText("Rooms of " + mZoneName));
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
        for (const ParamNode* n : list)
            if (const auto* found =
                    n && n->name == "room_lst" ? boost::any_cast<std::vector<Room>>(&n->value) : nullptr)
                for (const Room& room : *found) {
                    mFound.push_back(room);
                    rows.push_back({fromCeguiString(room.title),
                                    std::to_string(room.members) + " / " + std::to_string(room.seats),
                                    std::to_string(room.lv)});
                }
        mQuickJoinNote = mFound.empty() ? ZRKLan::getMsg(kNoRoomKey) : std::string();
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
    return mDispatcher.callback(kLeaveEventId, params().handle(kKind));
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

bool RoomListPage::create(int mode, const std::string& title, const std::string& password, const std::string& place,
                          int seats, bool wind)
{
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

namespace {
/// A small whole number typed into a box; the fallback for anything else.
int typedNumber(const std::string& text, int fallback)
{
    if (text.empty() || text.size() > 6 || text.find_first_not_of("0123456789") != std::string::npos)
        return fallback;
    return std::stoi(text);
}
} // namespace

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
            create(typedNumber(fromCeguiString(frame->getChild("NewMode")->getText()), 1),
                   fromCeguiString(frame->getChild("NewTitle")->getText()), fromCeguiString(password->getText()), "1",
                   typedNumber(fromCeguiString(frame->getChild("NewSeats")->getText()), 8),
                   static_cast<CEGUI::ToggleButton*>(frame->getChild("NewWind"))->isSelected());
            password->setText("");
        }
    } catch (const std::exception& e) {
        guiLog(Severity::Error, "creating a room failed: ", e.what());
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
