#pragma once
#include <core/ScopedEventConnection.h>
#include <gui/EventId.h>
#include <set>
#include <vector>

#include <gui/MapInfList.h>
#include <gui/Room.h>

#include "GuiPage.h"
#include "HelpButton.h"

namespace kavri3D {
namespace zrk {
namespace gui {

class EventDispatcher;

/// The hall's room list with its chat box and "Leave". When the hall comes up it enters the
/// zone's room, listens to its chat and asks for the rooms, then again every few seconds.
class RoomListPage : public GuiPage {
public:
    static constexpr int kKind = 8;
    static constexpr int kLoadingEventId = EventId::HallRoomListLoading;
    static constexpr int kRefreshEventId = EventId::HallRoomListRefesh;
    static constexpr int kLeaveEventId = EventId::HallEixt;
    static constexpr int kChatLoadingEventId = EventId::ChatLoading;
    static constexpr int kChatListenEventId = EventId::ChatMsgListen;
    static constexpr int kChatSendEventId = EventId::ChatSendMsg;
    static constexpr int kJoinEventId = EventId::RoomJoin;
    static constexpr int kCreateEventId = EventId::RoomCreate;
    static constexpr int kQuickJoinEventId = EventId::FastJoin;
    static constexpr int kMapListEventId = EventId::MapList;
    static constexpr double kRefreshSeconds = 3.0;
    /// The text key of what an empty quick join says.
    static constexpr const char* kNoRoomKey = "msg/quick_join_none";
    /// Chat lines kept in the box, and the characters shown of one.
    static constexpr std::size_t kChatLinesKept = 100;
    static constexpr std::size_t kChatLineShown = 300;
    /// The most letters a room's password holds, and what the form says of a longer one.
    static constexpr std::size_t kPasswordMax = 16;
    static constexpr const char* kPasswordLongKey = "error/password_format";

    RoomListPage(const std::string& windowName, const std::string& title, ParamStore& params, ParentSource parent,
                 EventDispatcher& dispatcher);
    ~RoomListPage() override;

    void onFilled(int eventId, ParamList& params) override;
    /// The hall came up (or went): start or stop the list's refreshes.
    void open(const std::string& playerName, const std::string& nickname, double now);
    void close() { mOpen = false; }
    bool isOpen() const { return mOpen; }
    /// Asks for the rooms again when it is time.
    void onFrame(double now);
    /// Sends a line as the chat box's "Send" does: to the room, or to `to` alone.
    bool say(const std::string& text, const std::string& to);
    /// "Leave": back to the area choice.
    bool leave();
    /// "Join": the room of the selected row (row -1: the selected one), with the password typed.
    bool join(int row, const std::string& password);
    /// The create form's "Create": a room of the mode, title, password, seats and wind, on the
    /// first map the mode plays in the zone.
    bool create(int mode, const std::string& title, const std::string& password, int seats, bool wind);
    /// What the create form's last refusal said; "" when the room was opened.
    const std::string& createNote() const { return mCreateNote; }
    /// The name the hall's list and the create form give a room mode.
    static std::string modeName(int mode);
    /// The modes the create form offers, in its order: the rooms' kinds, then the missions
    /// played alone.
    static std::vector<int> offeredModes();
    /// "Quick join": asks for rooms the player can sit down in at once; they come in the found list.
    bool quickJoin();
    /// A row of the found list joins its room.
    bool joinFound(int row);
    const std::vector<Room>& foundRooms() const { return mFound; }
    /// What the last quick join said beside its button: "" when it found rooms.
    const std::string& quickJoinNote() const { return mQuickJoinNote; }
    /// The rooms as the list shows them, row by row.
    const std::vector<Room>& rooms() const { return mRooms; }

    const std::vector<std::string>& roomTitles() const { return mTitles; }
    const std::vector<std::string>& chatLines() const { return mChat; }
    const std::string& zoneName() const { return mZoneName; }
    /// What a chat line shows: "nickname: text" of a chat line, else the text as it came.
    static std::string chatText(const std::string& line);

protected:
    void buildContent(CEGUI::Window& frame) override;

private:
    bool onLeaveClicked(const CEGUI::EventArgs& args);
    bool onSendClicked(const CEGUI::EventArgs& args);
    bool onJoinClicked(const CEGUI::EventArgs& args);
    bool onCreateClicked(const CEGUI::EventArgs& args);
    bool onPasswordFull(const CEGUI::EventArgs& args);
    /// The create form's password is full: the note under the form says how long one may be.
    void tellPasswordFull();
    bool onQuickJoinClicked(const CEGUI::EventArgs& args);
    bool onFoundClicked(const CEGUI::EventArgs& args);
    void refresh();
    /// The chat hears the zone the page shows (once its name is known).
    void listenToZone();
    bool joinRoom(const Room& room, const std::string& password);
    static void label(CEGUI::Window& frame, const char* name, const char* text, float x, float y, float w);
    static void note(CEGUI::Window& frame, const char* name, float x, float y, float w, float h);

    EventDispatcher& mDispatcher;
    HelpButton mHelp{getKind(), params(), mDispatcher};
    bool mOpen = false;
    double mNextRefresh = 0;
    std::string mPlayerName;
    std::string mNickname;
    std::string mZoneName;
    std::vector<std::string> mTitles;
    std::vector<Room> mRooms;
    std::vector<Room> mFound;
    std::string mQuickJoinNote;
    std::string mCreateNote;
    std::vector<MapInfList> mModeMaps; ///< the maps of the mode last asked for
    std::vector<std::string> mChat;
    /// The player left the zone: its chat is no longer his when the hall opens again. In a room
    /// of the zone he stays in its talk, and the hall shows on coming back what was said meanwhile.
    bool mChatLeft = false;
    core::ScopedEventConnection mLeaveConnection;
    core::ScopedEventConnection mSendConnection;
    core::ScopedEventConnection mEnterConnection;
    core::ScopedEventConnection mJoinConnection;
    core::ScopedEventConnection mCreateConnection;
    core::ScopedEventConnection mPasswordFullConnection;
    core::ScopedEventConnection mQuickJoinConnection;
    core::ScopedEventConnection mFoundConnection;
};

} // namespace gui
} // namespace zrk
} // namespace kavri3D
