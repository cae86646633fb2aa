#pragma once
#include <boost/function.hpp>
#include <deque>
#include <json/json.h>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>
#include "data/ZRKMessage.h"
#include "data/ZRKNotice.h"

namespace kavri3D {
namespace zrk {

class ZRKLobbyBattles;

/// What the server holds for one run only: who is online, the zones' halls and the rooms with
/// their members, seats and battle values. Every change is told to the players concerned as
/// notices, in the order it happens. Its battles are a part of their own (ZRKLobbyBattles).
class ZRKLobby {
public:
    /// Hands a notice to one player (the server finds the connection; its own players have none).
    typedef boost::function<void(const std::string& player, const ZRKMessage& notice)> Sink;
    /// What the other players see of a player: {"info": ..., "settings": ...}; null for none.
    typedef boost::function<Json::Value(const std::string& player)> CardSource;

    static constexpr int kSeats = 8; ///< 0-3 red, 4-7 blue
    /// The team of a seat: 0 red, 1 blue.
    static int teamOf(int seat) { return seat < kSeats / 2 ? 0 : 1; }
    struct Room {
        int id = 0;
        std::string name;
        /// Given to addRoom in the clear; the room keeps only its key (ZRKPasswords::roomKey).
        std::string password;
        std::string moderator;
        bool hall = false;                ///< a zone's hall: members and chat, no seats
        bool standing = false;            ///< stays when the last member leaves
        bool cry = false;                 ///< a zone's cry room: a hall that is no zone of its own
        std::string zone;                 ///< the zone a game room was opened in
        Json::Value params;               ///< "title", "mode", "place", "max", "lv", ...
        Json::Value state;                ///< "state": 1 waiting, 0 starting, 2 fighting
        std::vector<std::string> members; ///< in order of entering
        std::string seats[kSeats];
        bool open[kSeats] = {true, true, true, true, true, true, true, true};
        std::map<std::string, Json::Value> battle; ///< each member's battle values
        std::set<std::string> loaded;              ///< seated players whose land has loaded this battle
        std::map<std::string, int> fighters;       ///< who sat when the battle started, and their side
        bool finished = false;                     ///< the battle's awards are written
        double closeAt = -1.0;                     ///< when the finished battle closes (state 3)
        double nextStageAt = -1.0;                 ///< a won mission stage: when the room's state turns 5 for the next
        double rebuildAt = -1.0;                   ///< state 5 held: when the next stage starts
        bool priv = false;                         ///< a private mission: its maker's alone, never listed, one battle
        int stageAsked = 0;                        ///< the stage the room's missions start from ("ds_id"; 0 the first)
        std::string maker;                         ///< who opened it: the room closes when that one leaves
        std::set<std::string> kicked;              ///< put out by the owner (the server's players stay out)
        /// A hall's last lines (who, what), told to each who comes in: the hall's chat is
        /// current when a player comes back from a room.
        std::deque<std::pair<std::string, std::string>> said;
    };
    /// The lines a hall keeps for those who come in.
    static constexpr std::size_t kHallLinesKept = 12;
    /// A zone players choose on the area page; its hall is the room of its name.
    struct Zone {
        int id = 0;
        std::string name;
        int pcLevel = 0; ///< the highest level admitted; 0 or less: any
        int max = 0;
        bool arena = false;
        std::set<std::string> members;
    };
    /// What a new game room is opened with.
    struct RoomOffer {
        std::string title;
        int mode = 1;
        int lv = 1;
        int seats = 8;
        std::string password;
        std::string place = "1";
        bool wind = true;
        bool priv = false; ///< a private mission room (mode 9)
    };
    /// Hears a private line to one of the server's own players (who may answer).
    typedef boost::function<void(const std::string& from, const std::string& to, const std::string& text)> WhisperHook;
    /// Answers to entering a room, as the session's room callbacks receive them.
    enum Entry { Entered = 0, NoAccess = 9, WrongPassword = 10 };

    ZRKLobby(const Sink& sink, const CardSource& cards);

    /// Halls for the zones of master.json and the standing rooms of rooms.json. False, with a
    /// log line, when rooms.json is there but broken (the halls still stand).
    bool load(const std::string& folder);
    /// The zones, room titles and hall lines of lobby.json; each zone gets its hall and its cry
    /// room "<zone>_cry". False, with a log line, when the file is missing or broken: no zones.
    bool loadZones(const std::string& file);
    void addRoom(const Room& room);
    const Room* findRoom(const std::string& name) const;
    /// The name of the room called so, or numbered so ("17"); "" for none.
    std::string nameOf(const std::string& nameOrId) const;
    std::vector<std::string> roomsOf(const std::string& player) const;
    /// The zones' halls, in name order.
    std::vector<std::string> halls() const;

    // Presence. `connected` players get the notices; the server's own are only seen.
    void setOnline(const std::string& player, bool online, bool connected);
    bool isOnline(const std::string& player) const { return mOnline.count(player) > 0; }
    /// A player on a connection of its own (not one of the server's).
    bool isConnected(const std::string& player) const { return mConnected.count(player) > 0; }
    std::size_t onlineCount() const { return mOnline.size(); }

    /// A game room whose battle is starting or being fought takes nobody in (NoAccess).
    Entry enter(const std::string& player, const std::string& room, const std::string& password);
    /// The server seats one of its own players (filling a player's room): no password asked.
    Entry seatOurs(const std::string& player, const std::string& room);
    /// Whether a player of that level may enter the room: a zone's hall, its cry room and its
    /// game rooms keep the zone's level limit.
    bool admits(const std::string& room, int level) const;
    /// False when the player is not in that room.
    bool leave(const std::string& player, const std::string& room);
    bool say(const std::string& player, const std::string& room, const std::string& text);
    /// False when the one addressed is not online.
    bool whisper(const std::string& from, const std::string& to, const std::string& text);

    // The room flow: each false when the room, the player or the seat does not allow it.
    bool setReady(const std::string& room, const std::string& player, bool ready);
    bool changeTeam(const std::string& room, const std::string& player);
    bool kick(const std::string& room, const std::string& by, int seat);
    /// Why the owner may not put out the player of that seat (not the owner, an empty seat,
    /// his own); "" when the kick may go.
    std::string kickRefusal(const std::string& room, const std::string& by, int seat) const;
    ZRKLobby(const ZRKLobby&) = delete;
    ZRKLobby& operator=(const ZRKLobby&) = delete;
    ~ZRKLobby();

    /// The battle starts: the room gets its "seed", "place", "wind" and "tactic" (a mission's
    /// also its "d_id" and "ds_id", 1 for none) and its state 0.
    bool startBattle(const std::string& room, unsigned seed, int wind);
    /// Whether the player sat in the room when its battle started, and sits there still.
    bool isFighter(const std::string& room, const std::string& player) const;
    /// A seated player's land has loaded; once every seated player has, the room's "state"
    /// turns 2. False outside a starting battle or for a player without a seat.
    bool reportLoaded(const std::string& room, const std::string& player);
    /// The battle is decided: false when it is not being fought or was finished already;
    /// otherwise it closes (state 3) at `closeAt`.
    bool finishBattle(const std::string& room, double closeAt);
    /// A mission's stage is won and its duplicate has a further one: false as finishBattle.
    /// The room's state says so at once ("ds_next" 1); at `nextAt` it turns 5 for a moment, then
    /// the next stage starts in the same room, on a seed of its own.
    bool finishStage(const std::string& room, double nextAt);
    /// Sets members of a player's battle values and tells the room.
    bool setBattleValues(const std::string& room, const std::string& player, const Json::Value& values);
    /// Tells one member the room's state with `extra` over it (what only that player sees, as
    /// the prize boxes at his prices); the room's own state is unchanged.
    bool tellStateTo(const std::string& room, const std::string& player, const Json::Value& extra);
    /// Closes the finished battles that are due by `now`, and moves the missions due on to
    /// their next stage.
    void closeDue(double now);
    /// The player's screen has left the room's battle (its end, or given up) and shows the
    /// room again. Once no player on a connection is left in it, the battle is over and the
    /// room waits for the next one (state 1, nobody ready). False for one without a seat.
    bool backFromBattle(const std::string& room, const std::string& player);
    /// The seated players of a room, seat by seat (empty seats skipped).
    std::vector<std::string> seated(const std::string& room) const;

    // Zones and their game rooms.
    const std::vector<Zone>& zones() const { return mZones; }
    const Zone* findZone(int id) const;
    const Zone* zoneOf(const std::string& player) const;
    /// Moves the player into the zone (out of the one it was in). The key of the refusal (an
    /// unknown or full zone, a level above the zone's) in `refusal`, else true.
    bool joinZone(const std::string& player, int zoneId, int level, std::string& refusal);
    void leaveZone(const std::string& player);
    /// Opens a game room in the zone with the player in its first seat; its name, or "" when
    /// the zone or the player is unknown.
    std::string openRoom(const std::string& owner, const std::string& zone, const RoomOffer& offer);
    /// The game rooms of a zone others may see and join, in id order (no private one).
    std::vector<const Room*> roomsIn(const std::string& zone) const;
    /// The room's battle begins or ends (the list shows it fighting).
    bool setFighting(const std::string& room, bool fighting);
    /// Members of the room whose seats are locked (the list counts them as taken).
    static int lockedSeats(const Room& room);
    /// The room's "state": 1 waiting, 0 starting, 2 fighting, 3 closed, 5 rebuilding; -1 none.
    static int stateOf(const Room& room);
    /// A player could sit down in the room at once: a game room waiting for its battle, without
    /// a password, with an open empty seat within its size.
    bool quickJoinable(const Room& room) const;
    /// The game room the player sits in; "" when none (halls do not count).
    std::string gameRoomOf(const std::string& player) const;

    // The owner's room flow: each the message key of the refusal, "" when done.
    /// A seat opens or shuts; only an empty seat of the room's size.
    std::string setSeatOpen(const std::string& room, const std::string& by, int seat, bool open);
    /// Whether the seat is one of the room's size (those beyond it stay shut).
    static bool withinSize(const Room& room, int seat);
    /// Another map ("place") and, for PVE rooms, its dungeon ("d_id"), fought from `stage`
    /// ("ds_id", 0 the first) when the dungeon changes.
    std::string changePlace(const std::string& room, const std::string& by, const std::string& place, int dungeon,
                            int stage = 0);
    /// Why the owner may not start yet: every other seated player ready, and in a players'
    /// battle both teams manned (equal in modes 1 to 3); a mission starts with one or more
    /// players on either team. "" when the start may go.
    std::string startRefusal(const std::string& room, const std::string& by) const;
    /// The owner starts: the battle values, every seated player in battle, the room shut; the
    /// server's own players have their lands loaded at once.
    std::string beginBattle(const std::string& room, const std::string& by, unsigned seed, int wind);
    /// A private mission starts by itself, its maker in the room: false for any other room.
    bool beginPrivate(const std::string& room, unsigned seed, int wind);
    /// One of the server's players gives up its seat for good (it does not come back): it leaves
    /// as anyone leaves, and the room it opened stays for those in it. False when not seated.
    bool standDown(const std::string& room, const std::string& player);
    /// The player is put out of the room as a kick does, whoever owns it (tests' control).
    bool putOut(const std::string& room, const std::string& player);
    /// The room closes: everyone in it is told and put out.
    void closeRoom(const std::string& room);

    const std::vector<std::string>& roomTitles() const { return mTitles; }
    const std::vector<std::string>& hallLines() const { return mLines; }
    void setWhisperHook(const WhisperHook& hook) { mWhisperHook = hook; }

private:
    friend class ZRKLobbyBattles;

    static ZRKMessage notice(ZRKNotice::Kind kind, const std::string& room, const std::string& member,
                             const Json::Value& args = Json::Value(), const std::string& text = std::string());
    Entry enter(const std::string& player, const std::string& room, const std::string& password, bool ours);
    Room* room(const std::string& name);
    /// Tells every member the whole room again (seats, slots, parameters).
    void retell(const Room& room);
    void tell(const std::string& player, const ZRKMessage& notice);
    void tellRoom(const Room& room, const ZRKMessage& notice, const std::string& except = std::string());
    Json::Value card(const Room& room, const std::string& player) const;
    Json::Value roomInfo(const Room& room) const;
    int freeSeat(const Room& room, int team) const;
    int seatOf(const Room& room, const std::string& player) const;
    void remove(Room& room, const std::string& who, ZRKNotice::Kind how);

    Sink mSink;
    CardSource mCards;
    std::map<std::string, Room> mRooms;
    std::set<std::string> mOnline;
    std::set<std::string> mConnected;
    std::map<std::string, std::set<std::string>> mMemberOf; ///< player -> rooms
    int mNextRoomId = 1;
    std::vector<Zone> mZones;
    std::map<std::string, std::size_t> mZoneOf; ///< player -> index in mZones
    std::vector<std::string> mTitles;
    std::vector<std::string> mLines;
    WhisperHook mWhisperHook;
    std::unique_ptr<ZRKLobbyBattles> mBattles;
};

} // namespace zrk
} // namespace kavri3D
