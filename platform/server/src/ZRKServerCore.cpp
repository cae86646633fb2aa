#include "server/ZRKServerCore.h"

#include <ctime>

#include "data/ZRKNotice.h"

#include <algorithm>
#include <chrono>
#include <ctime>
#include <yake/Logger.h>
#include "server/ZRKBoxOps.h"
#include "server/ZRKRoster.h"
#include "server/ZRKServerCall.h"
#include "server/ZRKWorldSeed.h"

namespace kavri3D {
namespace zrk {

namespace {
using yake::logging::Severity;
const yake::logging::Channel logLine("ZRKGameServer");
const std::string kNobody;
/// How often the ranks that rank cards lent are looked at (seconds).
const double kLoanCheckSeconds = 60.0;
} // namespace

ZRKServerCore::ZRKServerCore(const ZRKServerConfig& config, double now) : mConfig(config), mNow(now)
{
    loadTexts();
    mWorld.open(mConfig.database, mConfig.folder, mConfig.reset);
    std::string why;
    if (!mForge.load(mConfig.folder + "/forge.json", why))
        logLine(Severity::Error, mConfig.folder + "/forge.json: " + why + "; the forge is closed");
    if (mWorld.isReady() && !mShop.load(mConfig.folder + "/shop.json", mWorld, why))
        logLine(Severity::Error, mConfig.folder + "/shop.json: " + why + "; the shop sells nothing");
    // Members pay as the game's own settings say (the texts' folder holds them).
    const std::string lan = mConfig.texts.substr(0, mConfig.texts.find_last_of('/') + 1);
    mShop.loadMemberPricing(lan + "spconfig.json", lan + "settings.json");
    mRevives.load(lan + "settings.json");
    if (!mBoxes.load(mConfig.folder + "/boxes.json", why))
        logLine(Severity::Error, mConfig.folder + "/boxes.json: " + why + "; boxes and bag items are refused");
    if (!mArenaPoints.load(mConfig.folder + "/arena.json", why))
        logLine(Severity::Error, mConfig.folder + "/arena.json: " + why + "; arena battles give no points");
    mRandom.seed(mConfig.seed != 0
                     ? mConfig.seed
                     : static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()));
    mLobby.reset(new ZRKLobby([this](const std::string& player, const ZRKMessage& n) { deliver(player, n); },
                              [this](const std::string& player) { return cardOf(player); }));
    mLobby->load(mConfig.folder);
    mLobby->loadZones(mConfig.folder + "/lobby.json");
    mLobby->setLoadSeconds(mConfig.loadSeconds);
    mBots.reset(new ZRKBots(mWorld, *mLobby));
    mSocial.reset(new ZRKSocial(*this));
    if (mWorld.isReady()) {
        // Accounts logged in from elsewhere are seen online, as if another client held them.
        ZRKDatabase::Statement& q = mWorld.db().prepare("SELECT player FROM accounts WHERE elsewhere = 1");
        while (q.step())
            mLobby->setOnline(q.text(0), true, false);
        q.reset();
        if (mBots->load(mConfig.folder + "/bots.json", mConfig.bots)) {
            mBots->start(now);
            mSocial->start(mBots->section("friends"), mBots->seed(), now);
        }
    }
}

ZRKServerCore::~ZRKServerCore()
{
    // The players go before the lobby they stand in.
    mSocial.reset();
    mBots.reset();
    mLobby.reset();
}

void ZRKServerCore::loadTexts()
{
    Json::Value texts;
    std::string why;
    if (!ZRKWorldSeed::readFixture(mConfig.texts, texts, why) || !texts.isObject()) {
        logLine(Severity::Error,
                mConfig.texts + ": " + (why.empty() ? "not an object" : why) + "; error replies carry message keys");
        return;
    }
    for (const std::string& key : texts.getMemberNames())
        if (texts[key].isString())
            mTexts[key] = texts[key].asString();
}

std::string ZRKServerCore::text(const std::string& key) const
{
    auto it = mTexts.find(key);
    return it == mTexts.end() ? key : it->second;
}

long ZRKServerCore::connect()
{
    const long id = mNextConnection++;
    mConnections[id];
    return id;
}

void ZRKServerCore::disconnect(long connection)
{
    logOut(connection);
    mConnections.erase(connection);
}

void ZRKServerCore::handle(long connection, const ZRKMessage& request)
{
    auto it = mConnections.find(connection);
    if (it == mConnections.end() || request.type != ZRKMessage::Request)
        return;
    ZRKServerCall call(*this, connection, request, it->second.account, it->second.player);
    mOps.handle(call);
    // The reply follows whatever notices the request caused (a room's members before its entry).
    it = mConnections.find(connection);
    if (it == mConnections.end())
        return;
    it->second.outbox.push_back(ZRKMessage::reply(request.handle, call.error, call.text, std::move(call.views)));
    if (!call.error)
        it->second.outbox.back().shared = std::move(call.shared);
}

void ZRKServerCore::tick(double now)
{
    mNow = now;
    mBots->tick(now);
    mSocial->tick(now);
    ZRKBoxOps::tick(*this, now);
    mLobby->closeDue(now);
    mPrizeBoxes.closeDue(now);
    if (now - mLastLoanCheck >= kLoanCheckSeconds) {
        mLastLoanCheck = now;
        for (const auto& p : mPlayers)
            ZRKBoxOps::returnRank(*this, p.first);
    }
}

double ZRKServerCore::wallTime() const
{
    return static_cast<double>(mWallStart >= 0 ? mWallStart : static_cast<long long>(std::time(nullptr))) + mWallOffset;
}

std::string ZRKServerCore::startBotBattle(const std::string& player, int bots, const std::string& place, unsigned seed,
                                          const std::string& zone)
{
    auto fail = [&](const std::string& why) {
        logLine(Severity::Error, "no bot battle for " + player + ": " + why);
        return std::string();
    };
    if (!mLobby->isOnline(player) || !mWorld.isReady())
        return fail("not online");
    const std::string name = "battle_" + player;
    if (const ZRKLobby::Room* old = mLobby->findRoom(name)) {
        const std::vector<std::string> members = old->members;
        const Json::Value& state = old->state["state"];
        const bool running = state.isInt() && (state.asInt() == 0 || state.asInt() == 2);
        if (running && std::find(members.begin(), members.end(), player) != members.end())
            return fail("a battle of the player is still open");
        // The player's last battle room (he may be back in it, its battle over) goes, its
        // bots with it.
        for (const std::string& m : members)
            mLobby->leave(m, name);
    }
    ZRKLobby::Room room;
    room.name = name;
    room.params["title"] = name;
    room.params["place"] = place;
    room.params["mode"] = 0;
    room.zone = zone;
    mLobby->addRoom(room);
    if (mLobby->enter(player, name, std::string()) != ZRKLobby::Entered)
        return fail("the room refused the player");
    // The bots take the other seats, the room balancing its sides: the first of the server's
    // players not in a room already.
    int seated = 0;
    for (std::size_t i = 0; i < mBots->size() && seated < bots && seated < ZRKLobby::kSeats - 1; ++i) {
        const std::string bot = mBots->at(i).name;
        // Free: in no game room (a zone's hall or cry room is no game room).
        bool busy = false;
        for (const std::string& r : mLobby->roomsOf(bot)) {
            const ZRKLobby::Room* in = mLobby->findRoom(r);
            busy = busy || !in || !in->hall;
        }
        if (busy)
            continue;
        if (mLobby->enter(bot, name, std::string()) != ZRKLobby::Entered)
            break;
        Json::Value values;
        values["bot"] = 1;
        mLobby->setBattleValues(name, bot, values);
        ++seated;
    }
    if (seated == 0) {
        mLobby->leave(player, name);
        return fail("no bot is free");
    }
    mLobby->startBattle(name, seed, 0);
    // The server's own players load at once.
    for (const std::string& p : mLobby->seated(name))
        if (p != player)
            mLobby->reportLoaded(name, p);
    return name;
}

void ZRKServerCore::take(long connection, std::vector<ZRKMessage>& out)
{
    auto it = mConnections.find(connection);
    if (it == mConnections.end())
        return;
    std::vector<ZRKMessage>& box = it->second.outbox;
    out.insert(out.end(), std::make_move_iterator(box.begin()), std::make_move_iterator(box.end()));
    box.clear();
}

std::string ZRKServerCore::logIn(long connection, const std::string& account, const std::string& player)
{
    logOut(connection);
    Connection& c = mConnections[connection];
    c.account = account;
    c.player = player;
    mPlayers[player] = connection;
    mLobby->setOnline(player, true, true);
    return account + "-" + std::to_string(++mSessions);
}

void ZRKServerCore::logOut(long connection)
{
    auto it = mConnections.find(connection);
    if (it == mConnections.end() || it->second.player.empty())
        return;
    const std::string player = it->second.player;
    mLobby->setOnline(player, false, true);
    mPlayers.erase(player);
    it->second.account.clear();
    it->second.player.clear();
}

long ZRKServerCore::connectionOf(const std::string& player) const
{
    auto it = mPlayers.find(player);
    return it == mPlayers.end() ? 0 : it->second;
}

const std::string& ZRKServerCore::accountOf(long connection) const
{
    auto it = mConnections.find(connection);
    return it == mConnections.end() ? kNobody : it->second.account;
}

bool ZRKServerCore::setGrade(const std::string& player, long long lv, long long rank)
{
    if (!mWorld.isReady())
        return false;
    ZRKDatabase::Transaction t(mWorld.db());
    if (!mWorld.setGrade(player, lv, rank) || !t.commit())
        return false;
    tellGrade(player);
    return true;
}

void ZRKServerCore::tellGrade(const std::string& player)
{
    const long connection = connectionOf(player);
    if (connection == 0)
        return;
    Json::Value args(Json::objectValue);
    args["flags"] = 2;
    args["views"]["pc"] = mWorld.playerView(player, ZRKWorld::PcView);
    // The player page's refresh reads the own settings view: it changes with the "pc".
    args["views"]["userSetting/" + accountOf(connection)] = mWorld.playerView(player, ZRKWorld::SettingsView);
    deliver(player, ZRKMessage::notice(ZRKNotice::name(ZRKNotice::Avatar), "", accountOf(connection), args));
}

void ZRKServerCore::tellRoster(const std::string& player)
{
    const long connection = connectionOf(player);
    if (connection == 0 || !mWorld.isReady())
        return;
    Json::Value args(Json::objectValue);
    args["views"]["roster"] = ZRKRoster::view(mWorld, player);
    deliver(player, ZRKMessage::notice(ZRKNotice::name(ZRKNotice::Roster), "", accountOf(connection), args));
}

std::vector<std::string> ZRKServerCore::loggedIn() const
{
    std::vector<std::string> out;
    for (const auto& p : mPlayers)
        out.push_back(p.first);
    return out;
}

void ZRKServerCore::deliver(const std::string& player, const ZRKMessage& notice)
{
    auto it = mPlayers.find(player);
    if (it == mPlayers.end())
        return;
    auto c = mConnections.find(it->second);
    if (c != mConnections.end())
        c->second.outbox.push_back(notice);
}

Json::Value ZRKServerCore::cardOf(const std::string& player)
{
    if (!mWorld.isReady() || mWorld.playerView(player, ZRKWorld::InfoView).isNull())
        return Json::Value();
    Json::Value card;
    card["info"] = mWorld.playerView(player, ZRKWorld::InfoView);
    // The default look, so a room can dress the player's seat.
    card["settings"] = mWorld.playerView(player, ZRKWorld::SettingsView);
    if (const ZRKWorld::Player* p = mWorld.player(player)) {
        const Json::Value& looks = ZRKWorld::Player::doc(p->looks);
        if (looks.isObject())
            card["info"]["looks"] = looks;
        // One of ours with an account shows as such, in the outfit it wears.
        if (p->bot && looks.isObject() && looks["a_id"].isInt64() && looks["a_id"].asInt64() != 0) {
            card["info"]["a_id"] = looks["a_id"];
            card["settings"]["a_id"] = looks["a_id"];
            if (looks["equipment"].isArray())
                card["equipment"] = looks["equipment"];
        }
    }
    return card;
}

} // namespace zrk
} // namespace kavri3D
