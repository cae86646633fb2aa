#include "server/ZRKBots.h"

#include <algorithm>

#include <yake/Logger.h>
#include "data/ZRKChatLine.h"
#include "server/ZRKDatabase.h"
#include "server/ZRKLobby.h"
#include "server/ZRKWorld.h"
#include "server/ZRKWorldSeed.h"

namespace kavri3D {
namespace zrk {

namespace {
using yake::logging::Severity;

const yake::logging::Channel logLine("ZRKBots");

/// A small generator of our own, so the same seed gives the same players on every machine.
std::uint64_t splitmix(std::uint64_t& state)
{
    std::uint64_t z = (state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

const int kMaxBots = 10000;
const long long kBotAccounts = 700000; // account ids of ours who have one
const Json::ArrayIndex kMaxWorn = 12;

/// What one of ours with an account wears: one of the outfits of its look ("dress" of the
/// file, "outfits": look -> [{kind: model}]), drawn from its own stream.
Json::Value outfitOf(const Json::Value& dress, const std::string& look, std::uint64_t& random)
{
    Json::Value worn(Json::arrayValue);
    const Json::Value& outfits = dress.isObject() ? dress["outfits"] : Json::Value::nullSingleton();
    const Json::Value& list = outfits.isObject() ? outfits[look] : Json::Value::nullSingleton();
    if (!list.isArray() || list.empty())
        return worn;
    const Json::Value& outfit = list[static_cast<Json::ArrayIndex>(splitmix(random) % list.size())];
    if (outfit.isObject())
        for (const std::string& kind : outfit.getMemberNames())
            if (outfit[kind].isString() && !outfit[kind].asString().empty() && worn.size() < kMaxWorn) {
                Json::Value item;
                item["item"] = outfit[kind];
                item["kind"] = kind;
                worn.append(item);
            }
    return worn;
}

/// The share of ours who have an account, 0 to 1.
double accountShare(const Json::Value& dress)
{
    const Json::Value& share = dress.isObject() ? dress["account"] : Json::Value::nullSingleton();
    return share.isNumeric() ? std::min(std::max(share.asDouble(), 0.0), 1.0) : 0.0;
}
// No doing of a player comes round more often than this (seconds).
const double kLeastPause = 1.0;
const double kStartSpread = 5.0; // seconds over which the players' first doings are spread

/// A bot in a zone's hall is one of the zone's members; one over the zone's level stays out.
void joinHallZone(ZRKBots& bots, const ZRKBots::Bot& bot)
{
    ZRKLobby& lobby = bots.lobby();
    for (const ZRKLobby::Zone& zone : lobby.zones())
        if (zone.name == bot.hall) {
            std::string refusal;
            if (lobby.joinZone(bot.name, zone.id, bots.levelOf(bot.name), refusal))
                lobby.enter(bot.name, zone.name + "_cry", std::string());
        }
}

/// The game room a bot sits in, "" when none.
std::string gameRoomOf(ZRKLobby& lobby, const std::string& bot)
{
    for (const std::string& name : lobby.roomsOf(bot))
        if (const ZRKLobby::Room* r = lobby.findRoom(name))
            if (!r->hall)
                return name;
    return std::string();
}

/// One of ours comes into a game room, marked for the battle to play it; false when refused.
bool seatBot(ZRKLobby& lobby, const std::string& bot, const std::string& room)
{
    const std::string name = room; // the caller's text may live in the room
    if (lobby.seatOurs(bot, name) != ZRKLobby::Entered)
        return false;
    Json::Value ours;
    ours["bot"] = 1;
    lobby.setBattleValues(name, bot, ours);
    return true;
}

/// Whether a room has a player of a client of its own in it (ours then stay and play).
bool hasGuest(ZRKLobby& lobby, const ZRKLobby::Room& room)
{
    for (const std::string& m : room.members)
        if (lobby.isConnected(m))
            return true;
    return false;
}

bool waiting(const ZRKLobby::Room& room)
{
    const Json::Value& state = room.state["state"];
    const Json::Value& fight = room.params["fight"];
    return state.isInt() && state.asInt() == 1 && !(fight.isBool() && fight.asBool());
}

/// Free open seats of a room within its size.
bool hasRoom(const ZRKLobby::Room& room)
{
    const Json::Value& max = room.params["max"];
    if (max.isInt() && static_cast<int>(room.members.size()) >= max.asInt())
        return false;
    for (int s = 0; s < ZRKLobby::kSeats; ++s)
        if (room.open[s] && room.seats[s].empty())
            return true;
    return false;
}

/// Modes 1 to 3 start with equal teams only: whether the room's open seats still let that
/// happen once `joining` more come in (each on the smaller team, as the room seats them).
bool canEven(const ZRKLobby::Room& room, int joining)
{
    const Json::Value& mode = room.params["mode"];
    if (!mode.isInt() || mode.asInt() < 1 || mode.asInt() > 3)
        return true;
    int teams[2] = {0, 0}, free[2] = {0, 0};
    for (int s = 0; s < ZRKLobby::kSeats; ++s) {
        const int t = s < ZRKLobby::kSeats / 2 ? 0 : 1;
        if (!room.seats[s].empty())
            ++teams[t];
        else if (room.open[s])
            ++free[t];
    }
    const Json::Value& max = room.params["max"];
    int left = (max.isInt() ? max.asInt() : ZRKLobby::kSeats) - static_cast<int>(room.members.size());
    for (; joining > 0; --joining) {
        int t = teams[0] <= teams[1] ? 0 : 1;
        if (free[t] == 0)
            t = 1 - t;
        if (free[t] == 0 || left <= 0)
            return false;
        ++teams[t];
        --free[t];
        --left;
    }
    const int small = teams[0] <= teams[1] ? 0 : 1;
    const int gap = teams[1 - small] - teams[small];
    return gap <= free[small] && gap <= left;
}

/// The team of the seat the player sits in; -1 for none.
int teamIn(const ZRKLobby::Room& room, const std::string& player)
{
    for (int s = 0; s < ZRKLobby::kSeats; ++s)
        if (room.seats[s] == player)
            return s < ZRKLobby::kSeats / 2 ? 0 : 1;
    return -1;
}

/// Fills the rooms players sit in: comes into one with a free open seat (one of ours every few
/// seconds a room, never back into one it was put out of), gets ready a while later, and as the
/// room's host starts once the room's rules let it.
double fill(ZRKBots& bots, ZRKBots::Bot& bot, const Json::Value& settings, double now)
{
    ZRKLobby& lobby = bots.lobby();
    const double next = ZRKBots::between(bot, settings["every"], 2, 4);
    if (!bot.online)
        return next;
    const std::string in = gameRoomOf(lobby, bot.name);
    if (!in.empty()) {
        const ZRKLobby::Room* r = lobby.findRoom(in);
        if (!r || !hasGuest(lobby, *r) || !waiting(*r))
            return next;
        // A player came into a room whose teams can no longer be evened (a duel of ours he
        // made two against one): one of ours on the bigger team gives up its seat for good.
        if (!canEven(*r, 0)) {
            int teams[2] = {0, 0};
            for (int s = 0; s < ZRKLobby::kSeats; ++s)
                teams[s < ZRKLobby::kSeats / 2 ? 0 : 1] += r->seats[s].empty() ? 0 : 1;
            if (teamIn(*r, bot.name) == (teams[0] > teams[1] ? 0 : 1)) {
                lobby.standDown(in, bot.name);
                return next;
            }
        }
        const Json::Value& ready =
            r->battle.count(bot.name) ? r->battle.at(bot.name)["ready"] : Json::Value::nullSingleton();
        if (!(ready.isInt() && ready.asInt() != 0))
            lobby.setReady(in, bot.name, true);
        else if (r->moderator == bot.name && lobby.startRefusal(in, bot.name).empty()) {
            const unsigned seed = static_cast<unsigned>(ZRKBots::draw(bot));
            lobby.beginBattle(in, bot.name, seed, static_cast<int>(seed % 17) - 8);
        }
        return next;
    }
    const double gap = settings["gap"].isNumeric() ? settings["gap"].asDouble() : 3.0;
    for (const ZRKLobby::Zone& zone : lobby.zones())
        for (const ZRKLobby::Room* r : lobby.roomsIn(zone.name))
            if (hasGuest(lobby, *r) && waiting(*r) && hasRoom(*r) && canEven(*r, 1) && !r->kicked.count(bot.name) &&
                bots.admits(bot.name, r->name) && bots.mayFill(r->name, now, gap)) {
                seatBot(lobby, bot.name, r->name);
                return next;
            }
    return next;
}

/// Opens a room, joins one, leaves it, or starts and ends its battle as its host.
double rooms(ZRKBots& bots, ZRKBots::Bot& bot, const Json::Value& settings, double)
{
    ZRKLobby& lobby = bots.lobby();
    const double next = ZRKBots::between(bot, settings["every"], 8, 30);
    const ZRKLobby::Zone* zone = bot.online ? lobby.zoneOf(bot.name) : nullptr;
    if (!zone)
        return next;
    const std::string in = gameRoomOf(lobby, bot.name);
    if (!in.empty() && lobby.findRoom(in) && hasGuest(lobby, *lobby.findRoom(in)))
        return next; // a player's room: the fill behaviour plays there
    const int roll = static_cast<int>(ZRKBots::draw(bot) % 100);
    if (!in.empty()) {
        const ZRKLobby::Room* r = lobby.findRoom(in);
        const bool fighting = r && r->params["fight"].isBool() && r->params["fight"].asBool();
        if (r && r->moderator == bot.name && roll < 40)
            lobby.setFighting(in, !fighting);
        else if (!fighting && roll >= 60)
            lobby.leave(bot.name, in); // the last one out closes it
        return next;
    }
    const std::vector<const ZRKLobby::Room*> open = lobby.roomsIn(zone->name);
    if (roll < 35 || open.empty()) {
        ZRKLobby::RoomOffer offer;
        const std::vector<std::string>& titles = lobby.roomTitles();
        offer.title = titles[ZRKBots::draw(bot) % titles.size()];
        offer.mode = 1 + static_cast<int>(ZRKBots::draw(bot) % 3);
        offer.lv = 1 + static_cast<int>(ZRKBots::draw(bot) % 30);
        offer.seats = static_cast<int>(ZRKBots::between(bot, settings["seats"], 2, 8) + 0.5);
        const double locked = settings["locked"].isNumeric() ? settings["locked"].asDouble() : 0.2;
        if (static_cast<double>(ZRKBots::draw(bot) % 1000) < locked * 1000)
            offer.password = std::to_string(1000 + ZRKBots::draw(bot) % 9000);
        lobby.openRoom(bot.name, zone->name, offer);
    } else if (roll < 85) {
        const ZRKLobby::Room* r = open[ZRKBots::draw(bot) % open.size()];
        if (r->password.empty() && !r->kicked.count(bot.name) && !hasGuest(lobby, *r) && bots.admits(bot.name, r->name))
            lobby.enter(bot.name, r->name, std::string());
    }
    return next;
}

/// Whether the bot sits in a game room whose battle is starting or being fought (its room's
/// state 0 or 2, or a room of ours marked fighting).
bool inBattle(ZRKLobby& lobby, const std::string& bot)
{
    const std::string in = gameRoomOf(lobby, bot);
    const ZRKLobby::Room* r = in.empty() ? nullptr : lobby.findRoom(in);
    if (!r)
        return false;
    const Json::Value& state = r->state["state"];
    const Json::Value& fight = r->params["fight"];
    return (state.isInt() && (state.asInt() == 0 || state.asInt() == 2)) || (fight.isBool() && fight.asBool());
}

/// Comes online into its hall, stays a while, goes, comes back. One of ours never goes off line
/// from a battle it fights: it stays to the battle's end and goes a while later.
double online(ZRKBots& bots, ZRKBots::Bot& bot, const Json::Value& settings, double)
{
    ZRKLobby& lobby = bots.lobby();
    if (bot.online && inBattle(lobby, bot.name))
        return ZRKBots::between(bot, settings["after_battle"], 30, 90);
    bot.online = !bot.online;
    lobby.setOnline(bot.name, bot.online, false);
    if (!bot.online)
        return ZRKBots::between(bot, settings["away"], 60, 600);
    if (!bot.hall.empty() && bots.admits(bot.name, bot.hall)) {
        lobby.enter(bot.name, bot.hall, std::string());
        joinHallZone(bots, bot);
    }
    return ZRKBots::between(bot, settings["stay"], 600, 3600);
}

/// Says one of its lines in its hall (or, now and then, its zone's cry room).
double chat(ZRKBots& bots, ZRKBots::Bot& bot, const Json::Value& settings, double)
{
    const Json::Value& lines = settings["lines"];
    const std::vector<std::string>& hallLines = bots.lobby().hallLines();
    if (bot.online && !bot.hall.empty()) {
        std::string line;
        if (!hallLines.empty())
            line = hallLines[ZRKBots::draw(bot) % hallLines.size()];
        else if (lines.isArray() && lines.size() > 0 && lines[0].isString())
            line = lines[static_cast<Json::ArrayIndex>(ZRKBots::draw(bot) % lines.size())].asString();
        const bool cry = ZRKBots::draw(bot) % 5 == 0;
        if (!line.empty())
            line = ZRKChatLine::make(bot.name, bot.name, "0", line);
        if (!line.empty() && !(cry && bots.lobby().say(bot.name, bot.hall + "_cry", line)))
            bots.lobby().say(bot.name, bot.hall, line);
    }
    return ZRKBots::between(bot, settings["every"], 40, 180);
}

} // namespace

ZRKBots::ZRKBots(ZRKWorld& world, ZRKLobby& lobby) : mWorld(world), mLobby(lobby) { addDefaultBehaviours(); }

ZRKBots::~ZRKBots() { mLobby.setWhisperHook(ZRKLobby::WhisperHook()); }

void ZRKBots::addDefaultBehaviours()
{
    addBehaviour("online", &online);
    addBehaviour("chat", &chat);
    addBehaviour("rooms", &rooms);
    addBehaviour("fill", &fill);
    // A private line to one of ours is answered at once, with one of the hall's lines.
    mLobby.setWhisperHook([this](const std::string& from, const std::string& to, const std::string&) {
        const Bot* bot = find(to);
        const std::vector<std::string>& lines = mLobby.hallLines();
        if (bot && bot->online && !find(from))
            mLobby.whisper(
                to, from,
                ZRKChatLine::make(to, to, "0", lines.empty() ? std::string("Hi!") : lines[from.size() % lines.size()]));
    });
}

int ZRKBots::levelOf(const std::string& bot)
{
    const ZRKWorld::Player* p = mWorld.player(bot);
    return p ? static_cast<int>(std::min<long long>(p->lv, 1000000)) : 1;
}

bool ZRKBots::admits(const std::string& bot, const std::string& room) { return mLobby.admits(room, levelOf(bot)); }

void ZRKBots::addBehaviour(const std::string& name, const Behaviour& behaviour)
{
    for (auto& b : mBehaviours)
        if (b.first == name) {
            b.second = behaviour;
            return;
        }
    mBehaviours.emplace_back(name, behaviour);
}

int ZRKBots::fillRoom(const std::string& room, int count)
{
    const ZRKLobby::Room* r = mLobby.findRoom(room);
    int came = 0;
    for (std::size_t i = 0; r && i < mBots.size() && came < count; ++i) {
        Bot& bot = mBots[i];
        if (!bot.online || !gameRoomOf(mLobby, bot.name).empty() || r->kicked.count(bot.name) ||
            !admits(bot.name, room))
            continue;
        if (!seatBot(mLobby, bot.name, room))
            break;
        ++came;
        r = mLobby.findRoom(room);
    }
    return came;
}

int ZRKBots::readyAll(const std::string& room)
{
    int ready = 0;
    for (const std::string& p : mLobby.seated(room))
        if (find(p) && mLobby.setReady(room, p, true))
            ++ready;
    return ready;
}

int ZRKBots::removeAll(const std::string& room)
{
    int gone = 0;
    for (const std::string& p : mLobby.seated(room))
        if (find(p) && mLobby.leave(p, room))
            ++gone;
    return gone;
}

bool ZRKBots::mayFill(const std::string& room, double now, double gap)
{
    auto it = mFilledAt.find(room);
    if (it != mFilledAt.end() && now < it->second + gap)
        return false;
    mFilledAt[room] = now;
    if (mFilledAt.size() > 256) // rooms come and go: forget the long-past ones
        for (auto old = mFilledAt.begin(); old != mFilledAt.end();)
            old = now > old->second + 60.0 ? mFilledAt.erase(old) : std::next(old);
    return true;
}

std::uint64_t ZRKBots::draw(Bot& bot) { return splitmix(bot.random); }

double ZRKBots::between(Bot& bot, const Json::Value& pair, double low, double high)
{
    if (pair.isArray() && pair.size() == 2 && pair[0].isNumeric() && pair[1].isNumeric() && pair[0].asDouble() >= 0 &&
        pair[1].asDouble() >= pair[0].asDouble()) {
        low = pair[0].asDouble();
        high = pair[1].asDouble();
    }
    return low + (high - low) * static_cast<double>(draw(bot) % 1000001) / 1000000.0;
}

bool ZRKBots::load(const std::string& file, int count)
{
    mBots.clear();
    std::string why;
    Json::Value settings;
    if (!ZRKWorldSeed::readFixture(file, settings, why) || !settings.isObject()) {
        logLine(Severity::Error,
                file + ": " + (why.empty() ? "not an object" : why) + "; the server has no players of its own");
        return false;
    }
    mSettings = settings;
    const Json::Value& seed = settings["seed"];
    mSeed = seed.isUInt64() ? seed.asUInt64() : 1;
    if (count < 0)
        count = settings["count"].isInt() ? settings["count"].asInt() : 0;
    count = std::max(0, std::min(count, kMaxBots));
    std::vector<std::string> names;
    if (settings["names"].isArray())
        for (const Json::Value& n : settings["names"])
            if (n.isString() && !n.asString().empty())
                names.push_back(n.asString());
    if (names.empty())
        names.push_back("Gunner");
    for (int i = 0; i < count; ++i) {
        Bot bot;
        const std::size_t round = static_cast<std::size_t>(i) / names.size();
        bot.name =
            names[static_cast<std::size_t>(i) % names.size()] + (round ? std::to_string(round + 1) : std::string());
        bot.random = mSeed ^ (0x9E3779B97F4A7C15ull * static_cast<std::uint64_t>(i + 1));
        mBots.push_back(bot);
    }
    return true;
}

void ZRKBots::start(double now)
{
    const std::vector<std::string> halls = mLobby.halls();
    const Json::Value& dress = static_cast<const Json::Value&>(mSettings)["dress"];
    {
        ZRKDatabase::Transaction t(mWorld.db());
        // The level slots rooms dress our guests in (sets of bands {"pc_lv", "slots"}).
        const Json::Value& slots = dress.isObject() ? dress["slots"] : Json::Value::nullSingleton();
        if (!mWorld.putDocument("lib/bbrSlots", slots.isArray() ? slots : Json::Value(Json::arrayValue)))
            logLine(Severity::Error, "the level slots cannot be written: " + mWorld.db().lastError());
        for (std::size_t i = 0; i < mBots.size(); ++i) {
            Bot& bot = mBots[i];
            const std::size_t drawnHall = halls.empty() ? 0 : static_cast<std::size_t>(draw(bot) % halls.size());
            ZRKWorld::Player p;
            p.name = bot.name;
            p.nick = bot.name;
            p.pcId = 900000 + static_cast<long long>(i);
            p.cId = 1 + static_cast<long long>(draw(bot) % 2);
            p.lv = static_cast<long long>(between(bot, static_cast<const Json::Value&>(mSettings)["levels"], 1, 30));
            // The drawn hall, or the next one whose zone takes a player of that level.
            bot.hall.clear();
            for (std::size_t k = 0; k < halls.size() && bot.hall.empty(); ++k) {
                const std::string& hall = halls[(drawnHall + k) % halls.size()];
                if (mLobby.admits(hall, static_cast<int>(p.lv)))
                    bot.hall = hall;
            }
            Json::Value looks;
            looks["def_sex"] = p.cId == 1 ? "boy" : "girl";
            for (const char* part : {"def_hair", "def_face", "def_coat", "def_glove", "def_shoes"})
                looks[part] = static_cast<int>(draw(bot) % 2);
            looks["def_animation"] = "idle";
            looks["pc_bot_skill"] =
                static_cast<int>(between(bot, static_cast<const Json::Value&>(mSettings)["skill"], 20, 90));
            // How it is dressed comes from a stream of its own, so the file's outfits never
            // shift what it does.
            std::uint64_t dressing = mSeed ^ (0xD1B54A32D192ED03ull * static_cast<std::uint64_t>(i + 1));
            if (static_cast<double>(splitmix(dressing) % 1000) < accountShare(dress) * 1000) {
                looks["a_id"] = static_cast<Json::Int64>(kBotAccounts + static_cast<long long>(i));
                looks["equipment"] = outfitOf(dress, looks["def_sex"].asString(), dressing);
            }
            if (!mWorld.putBot(p, looks))
                logLine(Severity::Error, "player " + bot.name + " cannot be written: " + mWorld.db().lastError());
        }
        t.commit();
    }
    for (std::size_t i = 0; i < mBots.size(); ++i)
        for (std::size_t b = 0; b < mBehaviours.size(); ++b)
            if (mSettings.isMember(mBehaviours[b].first))
                plan(now + between(mBots[i], Json::Value(), 0, kStartSpread), i, b);
}

void ZRKBots::plan(double at, std::size_t bot, std::size_t behaviour)
{
    mDue.push(Due{at, bot, behaviour, mPlanned++});
}

void ZRKBots::tick(double now)
{
    while (!mDue.empty() && mDue.top().at <= now) {
        const Due due = mDue.top();
        mDue.pop();
        const auto& behaviour = mBehaviours[due.behaviour];
        double next = -1;
        try {
            next = behaviour.second(*this, mBots[due.bot], static_cast<const Json::Value&>(mSettings)[behaviour.first],
                                    due.at);
        } catch (const std::exception& e) {
            logLine(Severity::Error, behaviour.first + " of " + mBots[due.bot].name + " failed: " + e.what());
        }
        if (next >= 0)
            plan(due.at + std::max(next, kLeastPause), due.bot, due.behaviour); // a file pacing them at 0 must not spin
    }
}

std::size_t ZRKBots::onlineCount() const
{
    std::size_t n = 0;
    for (const Bot& b : mBots)
        n += b.online ? 1 : 0;
    return n;
}

const ZRKBots::Bot* ZRKBots::find(const std::string& name) const
{
    for (const Bot& b : mBots)
        if (b.name == name)
            return &b;
    return nullptr;
}

} // namespace zrk
} // namespace kavri3D
